// The page: three fields make the program's standard input, "money,years,rate";
// each change runs the program on it and shows its standard output as it
// stands, then the schedule: one run of the program per period shown, each
// row the program's own output, in a table, a chart and a CSV file. The
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

// A run whose failure is met where its outcome is awaited, if ever.
function quiet(running) {
  running.catch(() => {});
  return running;
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
function startSchedule(plan, caption) {
  delete table.dataset.input;
  table.setAttribute('aria-busy', 'true');
  body.replaceChildren();
  if (csvLink.hasAttribute('href')) URL.revokeObjectURL(csvLink.href);
  csvLink.removeAttribute('href');
  const shown = Boolean(plan.periods);
  table.hidden = !shown;
  csvLink.parentElement.hidden = !shown;
  chart.clear(chartBox, chartNote);
  chartBox.hidden = !shown;
  scheduleNote.textContent = plan.reason ?? '';
  byId('schedule-caption').textContent = caption;
  showProgress(0, shown ? plan.periods.length : 0);
}

function endSchedule(input) {
  table.dataset.input = input;
  table.removeAttribute('aria-busy');
}

// The rows as they come, in order of period; the chart is redrawn once a frame.
async function fillSchedule(mine, input, principal, periods, rowRuns) {
  const rows = [];
  let done = 0;
  let drawing = 0;
  rowRuns.forEach((running) => running.then(() => {
    if (generation === mine) showProgress(++done, periods.length);
  }, () => {}));
  let before = await outcomeOf(principal);
  for (const [i, running] of rowRuns.entries()) {
    const outcome = await outcomeOf(running);
    if (generation !== mine) return;
    if (outcome.status !== 0 || before.status !== 0) {
      runs.cancel();
      showProgress(periods.length, periods.length);
      scheduleNote.textContent = `The schedule stops at period ${periods[i]}: ${failure(before.status !== 0 ? before : outcome)}`;
      endSchedule(input);
      return;
    }
    const row = { period: String(periods[i]), amount: outcome.stdout, change: schedule.change(before.stdout, outcome.stdout) };
    rows.push(row);
    body.append(schedule.tableRow(row));
    before = outcome;
    cancelAnimationFrame(drawing);
    drawing = requestAnimationFrame(() => chart.draw(chartBox, chartNote, rows));
  }
  csvLink.href = URL.createObjectURL(new Blob([schedule.csv(rows)], { type: 'text/csv' }));
  endSchedule(input);
}

async function calculate(input) {
  const mine = ++generation;
  shownInput.textContent = input;
  history.replaceState(null, '', `?input=${encodeURIComponent(input)}`);
  runs.cancel();
  const pieces = piecesOf(input);
  const [money, , rate] = pieces;
  const plan = schedule.plan(...pieces, pieces.some((piece) => note(piece) !== ''));
  startSchedule(plan, `The amount of ${money} at a rate of ${rate} after each period, as the program prints it`);

  result.setAttribute('aria-busy', 'true');
  const timer = setTimeout(() => { if (generation === mine) status.textContent = 'Calculating…'; }, 200);
  const running = runs.run(input);
  const principal = plan.periods ? quiet(runs.run(`${money},1,0`)) : null;
  const rowRuns = (plan.periods ?? []).map((k) => quiet(runs.run(`${money},${k},${rate}`)));
  const outcome = await outcomeOf(running);
  clearTimeout(timer);
  if (generation !== mine) return;
  result.textContent = outcome.stdout;
  result.dataset.input = input;
  result.removeAttribute('aria-busy');
  status.textContent = outcome.status === 0 ? '' : failure(outcome);
  if (outcome.status === 0 && plan.periods) {
    await fillSchedule(mine, input, principal, plan.periods, rowRuns);
    return;
  }
  if (plan.periods) {
    runs.cancel();
    startSchedule({ reason: 'No schedule: the program failed.' }, '');
  }
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
