// The chart: the amount after each period, drawn with uPlot from the table's
// rows. Its marks are labelled with the table's own figures, the periods and
// the program's amounts (a long one cut short, never rounded), so that the
// chart shows no number that the program did not print. Where the amounts
// span more than three orders of magnitude, and all are above zero, the scale
// is logarithmic; amounts that are no finite number are left out, with a note.
//
// uPlot's scales draw no marks for values as large as long terms and large
// amounts reach (1e200 and up, say), so each point is drawn at a place of its
// own on linear scales: the logarithm of its amount on a logarithmic chart,
// else its value over a power of ten near the largest. The marks sit at rows
// and carry the rows' texts; the periods' are as many as fit the chart's
// width, and follow it when it changes.

const height = 260;
const ink = '#1b1b1b';
const font = '12px system-ui, sans-serif';
let plot = null;
let resizing = null;
let waiting = null; // the chart to draw once the library is in
let nearing = null;
let library = null;

// A figure as the program printed it, cut to its leading digits and its
// power of ten where it would not fit beside the chart: 1234567890123.45 is
// "1.234… × 10¹²".
function short(text) {
  const parts = /^(-?)([0-9]+)/.exec(text);
  if (text.length <= 10 || !parts) return text;
  const [, sign, whole] = parts;
  const power = String(whole.length - 1).replace(/[0-9]/g, (d) => '⁰¹²³⁴⁵⁶⁷⁸⁹'[d]);
  return `${sign}${whole[0]}.${whole.slice(1, 4)}… × 10${power}`;
}

// The smallest round number of rows, 1, 2 or 5 times a power of ten, for
// which `fits` holds.
function roundStep(fits) {
  for (let power = 1; ; power *= 10) {
    const step = [power, 2 * power, 5 * power].find(fits);
    if (step) return step;
  }
}

// Marks for the period axis, at most about `most`: the first row, every row of
// a round number of steps of the rows' own spacing (a round period, where the
// spacing is 1), and the last, in place of the one before where the two would
// be nearer than a `most`th of the axis. A row's number of steps is its period
// over the spacing, rounded: beyond 2^53 the periods are the nearest doubles
// to their multiples, not the multiples themselves.
function periodMarks(points, most) {
  const spacing = points.length > 2 ? points[2].x - points[1].x : 1;
  const steps = points.map((point) => point.x / spacing);
  const round = roundStep((j) => points.length <= most * j || points.length <= most + 1);
  const marks = points.filter((point, i) => i === 0 || Math.round(steps[i]) % round === 0);
  const last = points.at(-1);
  if (marks.at(-1) !== last) {
    const near = (steps.at(-1) - steps[points.indexOf(marks.at(-1))]) * most < steps.at(-1) - steps[0];
    if (near && marks.length > 1) marks.pop();
    marks.push(last);
  }
  return marks;
}

// Marks for the amount axis: the rows whose amounts lie nearest to five evenly
// spaced heights on the scale, each mark one of them; a map from place to text.
function amountMarks(points) {
  const heights = points.map((point) => point.top);
  const low = Math.min(...heights);
  const high = Math.max(...heights);
  const marks = new Map();
  for (let i = 0; i < 5; i++) {
    const target = low + ((high - low) * i) / 4;
    let nearest = 0;
    heights.forEach((h, j) => { if (Math.abs(h - target) < Math.abs(heights[nearest] - target)) nearest = j; });
    const distance = Math.min(...[...marks.keys()].map((top) => Math.abs(top - heights[nearest])));
    if (!(distance < (high - low) / 8)) marks.set(heights[nearest], short(points[nearest].amount));
  }
  return marks;
}

// A power of ten to divide values by, so that the largest keeps few integer digits.
function unitOf(values) {
  const largest = Math.max(...values.map(Math.abs));
  return largest >= 1e15 ? 10 ** Math.floor(Math.log10(largest)) : 1;
}

function widen(low, high) {
  return low !== high ? [low, high] : [low - 1, high + 1];
}

export function clear(container, note) {
  plot?.destroy();
  plot = null;
  waiting = null;
  resizing?.disconnect();
  resizing = null;
  container.hidden = true;
  note.textContent = '';
}

// Draws `rows` ({ period, amount } texts) in `container`, saying in `note`
// what the chart leaves out or how its scale is chosen.
export function draw(container, note, rows) {
  const points = rows.map((row) => ({ x: Number(row.period), y: Number(row.amount), ...row }))
    .filter((point) => Number.isFinite(point.y));
  const left = [...new Set(rows.filter((row) => !Number.isFinite(Number(row.amount))).map((row) => row.amount))];
  const notes = [];
  if (left.length > 0) {
    notes.push(`${rows.length - points.length} of the amounts (${left.join(', ')}) are no finite number, and are not drawn.`);
  }
  if (points.length === 0) {
    clear(container, note);
    note.textContent = notes.join(' ');
    return;
  }
  const ys = points.map((point) => point.y);
  const positive = ys.every((y) => y > 0);
  const spansOrders = Math.max(...ys.map(Math.abs)) > 1000 * Math.min(...ys.map(Math.abs));
  const logarithmic = positive && spansOrders;
  if (spansOrders && !positive) {
    notes.push('The amounts span several orders of magnitude, but a logarithmic scale cannot show an amount at or below zero, so the scale is linear.');
  }
  note.textContent = notes.join(' ');

  const [across, up] = [unitOf(points.map((point) => point.x)), unitOf(ys)];
  for (const point of points) {
    point.along = point.x / across;
    point.top = logarithmic ? Math.log10(point.y) : point.y / up;
  }
  const marks = amountMarks(points);
  const labelWidth = Math.max(...[...marks.values()].map((label) => label.length));
  // A mark's text is about 7 pixels a character; marks keep 16 apart.
  const periodText = new Map(points.map((point) => [point.along, short(point.period)]));
  const periodWidth = 7 * Math.max(...[...periodText.values()].map((label) => label.length));
  const fitting = (u) => Math.max(1, Math.floor(u.bbox.width / devicePixelRatio / (periodWidth + 16)));
  const options = {
    width: container.clientWidth,
    height,
    legend: { show: false },
    // Room on the right for half the last period's mark, which is centred there.
    padding: [null, Math.max(12, Math.ceil(periodWidth / 2) + 4), null, null],
    cursor: { show: false },
    scales: {
      x: { time: false, range: (u, low, high) => widen(low, high) },
      y: { range: (u, low, high) => widen(low, high) },
    },
    axes: [
      { label: 'Period', stroke: ink, font, labelFont: font,
        splits: (u) => periodMarks(points, fitting(u)).map((point) => point.along),
        values: (u, splits) => splits.map((along) => periodText.get(along)) },
      { label: logarithmic ? 'Amount (logarithmic scale)' : 'Amount', stroke: ink, font, labelFont: font,
        size: 24 + 7 * labelWidth,
        splits: () => [...marks.keys()],
        values: () => [...marks.values()] },
    ],
    series: [{}, { stroke: '#1a5fb4', width: 2, points: { show: points.length <= 40 } }],
  };
  const data = [points.map((point) => point.along), points.map((point) => point.top)];
  container.hidden = false;
  container.setAttribute('aria-label', `Chart of the amount after each period, on a ${logarithmic ? 'logarithmic' : 'linear'} scale; the table below holds its figures`);
  waiting = { container, note, options, data };
  if (globalThis.uPlot) {
    show();
  } else if (!nearing) {
    // The chart sits below the result, off a phone's first screen.
    nearing = new IntersectionObserver((entries) => {
      if (!entries.some((entry) => entry.isIntersecting)) return;
      nearing.disconnect();
      loadLibrary().then(show, (error) => { if (waiting) waiting.note.textContent = error.message; });
    });
    nearing.observe(container);
  }
}

// The chart library is loaded when a chart first comes near the screen: its
// start-up, which sets up number and date formats, holds up a phone's page
// for some tenths of a second, and the chart is below the first screen.
function loadLibrary() {
  library ??= new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = 'uPlot.iife.min.js';
    script.onload = resolve;
    script.onerror = () => reject(new Error('The chart cannot be drawn: its library did not load.'));
    document.head.append(script);
  });
  return library;
}

// Draws the chart that waits, if any.
function show() {
  if (!waiting) return;
  const { container, options, data } = waiting;
  waiting = null;
  plot?.destroy();
  plot = new globalThis.uPlot(options, data, container);
  if (!resizing) {
    // Observing calls back at once too; a chart of the same width is not redrawn.
    resizing = new ResizeObserver(() => {
      if (plot && plot.width !== container.clientWidth) plot.setSize({ width: container.clientWidth, height });
    });
    resizing.observe(container);
  }
}
