// The page: three fields make the program's standard input, "money,years,rate";
// each change runs the program on it and shows its standard output as it
// stands, and beside it the schedule: the program's own pass over the periods
// it chooses, each row its output, in a table, a chart and a CSV file. The
// address holds the input (?input=...), so that a link gives the same
// calculation.
import * as runs from './runs.js';
import * as schedule from './schedule.js';
import * as chart from './chart.js';

const byId = (id) => document.getElementById(id);
const fields = ['money', 'years', 'rate'].map(byId);
const result = byId('result');
const status = byId('status');
const shownInput = byId('stdin');
const table = byId('schedule');
const body = table.tBodies[0];
const scheduleNote = byId('schedule-note');
const progressLine = byId('progress-line');
const progress = byId('progress');
const progressText = byId('progress-text');
const chartBox = byId('chart');
const chartNote = byId('chart-note');
const csvLink = byId('csv');

// One number as the console reads it, and nothing more: white space first,
// then a sign and a decimal or hexadecimal constant, "inf", "infinity" or
// "nan". An exponent's digits may be missing, as "%lf" allows ("1e" is 1).
const oneNumber = new RegExp('^[ \\t\\n\\v\\f\\r]*[+-]?(?:' +
  '0[xX](?:(?:[0-9a-fA-F]+\\.?[0-9a-fA-F]*|\\.[0-9a-fA-F]+)(?:[pP][+-]?[0-9]*)?|\\.)|' +
  '(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]*)?|' +
  '[iI][nN][fF](?:[iI][nN][iI][tT][yY])?|[nN][aA][nN])$');

function note(text) {
  if (text === '' || oneNumber.test(text)) return '';
  if (text.includes(',')) return 'A comma ends a number: this field gives the program more than one.';
  return 'The program does not read this as one number.';
}

function flag(field) {
  const message = note(field.value);
  field.setAttribute('aria-invalid', message ? 'true' : 'false');
  byId(`${field.id}-note`).textContent = message;
}

// The three fields of a standard input: up to the first comma, up to the
// second, and the rest.
function piecesOf(input) {
  const first = input.indexOf(',');
  const second = first < 0 ? -1 : input.indexOf(',', first + 1);
  const cuts = [first < 0 ? input.length : first, second < 0 ? input.length : second, input.length];
  let start = 0;
  return cuts.map((cut) => {
    const piece = input.slice(start, cut);
    start = Math.min(cut + 1, input.length);
    return piece;
  });
}

// Each input starts a new calculation; one that is overtaken stops.
let generation = 0;

function failure(outcome) {
  return `The program failed (${outcome.status}): ${outcome.stderr}`;
}

async function outcomeOf(running) {
  try {
    return await running;
  } catch (error) {
    return { stdout: '', stderr: error.message ?? String(error), status: -1 };
  }
}

function showProgress(done, total) {
  progress.max = total;
  progress.value = done;
  progressText.textContent = `${done} of ${total}`;
  progressLine.classList.toggle('idle', done === total);
}

// The table is busy while rows are still to come; once they are all in, or
// there are none to come, its data-input is the input they are for.
function startSchedule(reason, caption) {
  delete table.dataset.input;
  table.setAttribute('aria-busy', 'true');
  body.replaceChildren();
  if (csvLink.hasAttribute('href')) URL.revokeObjectURL(csvLink.href);
  csvLink.removeAttribute('href');
  const shown = reason === null;
  table.hidden = !shown;
  csvLink.parentElement.hidden = !shown;
  chart.clear(chartBox, chartNote);
  chartBox.hidden = !shown;
  scheduleNote.textContent = reason ?? '';
  byId('schedule-caption').textContent = caption;
  showProgress(0, 0);
}

function endSchedule(input) {
  table.dataset.input = input;
  table.removeAttribute('aria-busy');
}

// The schedule's pass, its rows shown as the program writes them, once a
// frame: the table, the progress and the chart. `lastRow` is given the last
// row's amount, which is the result.
async function fillSchedule(mine, input, lastRow) {
  const live = () => generation === mine;
  const rows = [];
  const read = schedule.lineReader();
  let total = null;
  let before = '';
  let drawn = 0;
  let frame = 0;
  const draw = () => {
    frame = 0;
    if (!live()) return;
    body.append(...rows.slice(drawn).map(schedule.tableRow));
    drawn = rows.length;
    showProgress(drawn, total);
    chart.draw(chartBox, chartNote, rows);
  };
  const running = runs.schedule(input, (piece) => {
    if (!live()) return;
    for (const line of read(piece)) {
      if ('rows' in line) {
        total = Number(line.rows);
        if (total === 0) startSchedule(schedule.noLastPeriod, '');
        showProgress(0, total);
      } else if ('principal' in line) {
        before = line.principal;
      } else {
        rows.push({ period: line.period, amount: line.amount, change: schedule.change(before, line.amount) });
        before = line.amount;
        if (rows.length === total) lastRow(line.amount);
        frame ||= requestAnimationFrame(draw);
      }
    }
  });
  const outcome = await outcomeOf(running);
  if (!live()) return;
  cancelAnimationFrame(frame);
  if (rows.length > drawn) draw();
  if (outcome.status !== 0 || rows.length !== total) {
    showProgress(total ?? 0, total ?? 0);
    const period = rows.length > 0 ? `after period ${rows.at(-1).period}` : 'before its first period';
    scheduleNote.textContent = `The schedule stops ${period}: ${failure(outcome)}`;
  } else if (total > 0) {
    csvLink.href = URL.createObjectURL(new Blob([schedule.csv(rows)], { type: 'text/csv' }));
  }
  endSchedule(input);
}

async function calculate(input) {
  const mine = ++generation;
  shownInput.textContent = input;
  history.replaceState(null, '', `?input=${encodeURIComponent(input)}`);
  runs.cancel();
  const pieces = piecesOf(input);
  const [money, , rate] = pieces;
  const reason = schedule.reasonFor(pieces, pieces.some((piece) => note(piece) !== ''));
  startSchedule(reason, `The amount of ${money} at a rate of ${rate} after each period, as the program prints it`);

  // The result is the console program's output, shown as soon as its run
  // ends, or with the schedule's last row if that comes first: the last row
  // is the same run of the same periods.
  result.setAttribute('aria-busy', 'true');
  const timer = setTimeout(() => { if (generation === mine) status.textContent = 'Calculating…'; }, 200);
  let shown = false;
  const show = (text) => {
    if (generation !== mine || shown) return;
    shown = true;
    clearTimeout(timer);
    result.textContent = text;
    result.dataset.input = input;
    result.removeAttribute('aria-busy');
    status.textContent = '';
  };
  const running = runs.run(input);
  if (reason === null) fillSchedule(mine, input, show);
  const outcome = await outcomeOf(running);
  if (generation !== mine) return;
  if (outcome.status === 0) {
    show(outcome.stdout);
    if (reason !== null) endSchedule(input);
    return;
  }
  // What is still to come of this input is of no use.
  generation += 1;
  runs.cancel();
  clearTimeout(timer);
  result.textContent = '';
  result.dataset.input = input;
  result.removeAttribute('aria-busy');
  status.textContent = failure(outcome);
  if (reason === null) startSchedule('No schedule: the program failed.', '');
  endSchedule(input);
}

// The input given in the address fills the fields; it is the input run, as
// it stands. Without one, the page opens on an example.
const given = new URLSearchParams(location.search).get('input') ?? '1000,3,0.05';
piecesOf(given).forEach((piece, i) => { fields[i].value = piece; });
byId('form').addEventListener('submit', (event) => event.preventDefault());
fields.forEach((field) => {
  flag(field);
  field.addEventListener('input', () => {
    flag(field);
    calculate(fields.map((f) => f.value).join(','));
  });
});
calculate(given);

// Kept for a later visit with no network (sw.js).
navigator.serviceWorker?.register('sw.js');
