// The chart: the amount after each period, drawn with uPlot from the table's
// rows. Its marks are labelled with the table's own figures, the periods and
// the program's amounts (a long one cut short, never rounded), so that the
// chart shows no number that the program did not print. Where the amounts
// span more than three orders of magnitude, and all are above zero, the scale
// is logarithmic; amounts that are no finite number are left out, with a note.

const height = 260;
const ink = '#1b1b1b';
const font = '12px system-ui, sans-serif';
let plot = null;
let resizing = null;

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

// The smallest round step, 1, 2 or 5 times a power of ten, for which `fits`
// holds (a BigInt).
function roundStep(fits) {
  for (let power = 1n; ; power *= 10n) {
    const step = [power, 2n * power, 5n * power].find(fits);
    if (step) return step;
  }
}

// Marks for the period axis, about six: the first row, the rows whose period
// is a multiple of a round step (1, 2 or 5 times a power of ten of the rows'
// own spacing), and the last, unless it is too near the one before.
function periodMarks(points) {
  const periods = points.map((point) => BigInt(point.period));
  const spacing = periods.length > 2 ? periods[2] - periods[1] : 1n;
  const round = roundStep((j) => BigInt(points.length) <= 6n * j || points.length <= 7) * spacing;
  const marks = points.filter((point, i) => i === 0 || periods[i] % round === 0n);
  const last = points.at(-1);
  if (marks.at(-1) !== last && (periods.at(-1) - BigInt(marks.at(-1).period)) * 2n >= round) {
    marks.push(last);
  }
  return marks;
}

// Marks for the amount axis: the rows whose amounts lie nearest to five evenly
// spaced heights on the scale, each mark one of them.
function amountMarks(points, logarithmic) {
  const place = (value) => (logarithmic ? Math.log10(value) : value);
  const heights = points.map((point) => place(point.y));
  const low = Math.min(...heights);
  const high = Math.max(...heights);
  const marks = new Map();
  for (let i = 0; i < 5; i++) {
    const target = low + ((high - low) * i) / 4;
    let nearest = 0;
    heights.forEach((h, j) => { if (Math.abs(h - target) < Math.abs(heights[nearest] - target)) nearest = j; });
    const distance = Math.min(...[...marks.keys()].map((y) => Math.abs(place(y) - heights[nearest])));
    if (!(distance < (high - low) / 8)) marks.set(points[nearest].y, short(points[nearest].amount));
  }
  return marks;
}

function widen(low, high, logarithmic) {
  if (low !== high) return [low, high];
  return logarithmic ? [low / 10, high * 10] : [low - 1, high + 1];
}

export function clear(container, note) {
  plot?.destroy();
  plot = null;
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

  const periods = periodMarks(points);
  const marks = amountMarks(points, logarithmic);
  const labelWidth = Math.max(...[...marks.values()].map((label) => label.length));
  const options = {
    width: container.clientWidth,
    height,
    legend: { show: false },
    cursor: { show: false },
    scales: {
      x: { time: false, range: (u, low, high) => widen(low, high, false) },
      y: { distr: logarithmic ? 3 : 1, log: 10, range: (u, low, high) => widen(low, high, logarithmic) },
    },
    axes: [
      { label: 'Period', stroke: ink, font, labelFont: font,
        splits: () => periods.map((point) => point.x),
        values: () => periods.map((point) => short(point.period)) },
      { label: logarithmic ? 'Amount (logarithmic scale)' : 'Amount', stroke: ink, font, labelFont: font,
        size: 24 + 7 * labelWidth,
        splits: () => [...marks.keys()],
        values: () => [...marks.values()] },
    ],
    series: [{}, { stroke: '#1a5fb4', width: 2, points: { show: points.length <= 40 } }],
  };
  const data = [points.map((point) => point.x), ys];
  container.hidden = false;
  container.setAttribute('aria-label', `Chart of the amount after each period, on a ${logarithmic ? 'logarithmic' : 'linear'} scale; the table below holds its figures`);
  plot?.destroy();
  plot = new globalThis.uPlot(options, data, container);
  if (!resizing) {
    resizing = new ResizeObserver(() => plot?.setSize({ width: container.clientWidth, height }));
    resizing.observe(container);
  }
}
