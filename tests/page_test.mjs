// The web page in a real browser: the page is served from the build tree on
// 127.0.0.1 and driven in headless Chromium. Every page it opens must raise no
// Content-Security-Policy violation and log no error.
//
//   node page_test.mjs <mode> <web dir> <modules dir> <chromium> [<rows.json> | <version>]
//
// cases:      every row of the case table, given as ?input=, shows the console's
//             bytes in #result, and a schedule whose every row is the console's
//             output for its period, with exact changes.
// typing:     typing into the fields computes, updates the address and the
//             standard input shown, flags a field that is not one number, and
//             the page fits 360 pixels with every field labelled.
// schedule:   the periods the program shows for terms of 1 to 1e30 periods,
//             pinned rows and changes, the chart and its marks, the CSV, the
//             rows as the pass reaches them, cancellation.
// offline:    a second visit with no network opens and computes; a new release
//             replaces the cache (<version> is the release's).
// audit:      axe-core finds nothing in four states, and the page's files stay
//             within their byte budget.
// lighthouse: Lighthouse's scores of the page.
import { createServer } from 'node:http';
import { spawnSync } from 'node:child_process';
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { extname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const [mode, webDir, modulesDir, chromiumPath, extra] = process.argv.slice(2);
const modules = createRequire(resolve(modulesDir, 'node_modules') + '/');
const load = async (name) => import(pathToFileURL(modules.resolve(name)));
const { chromium } = modules('playwright-core');

// The page's files, as a static host serves them. `broken` serves a program
// that does not compile; `release` gives sw.js another cache name.
const served = { broken: false, release: null };
const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml', '.png': 'image/png', '.webmanifest': 'application/manifest+json',
};
const server = createServer((request, response) => {
  const path = new URL(request.url, 'http://localhost').pathname;
  let body;
  try {
    body = readFileSync(join(webDir, path === '/' ? 'index.html' : path));
  } catch {
    response.writeHead(404).end();
    return;
  }
  if (served.broken && path === '/compound.wasm') body = Buffer.from('not a program');
  if (served.release && path === '/sw.js') {
    body = Buffer.from(String(body).replace(/const cacheName = '[^']*'/, `const cacheName = '${served.release}'`));
  }
  response.writeHead(200, { 'Content-Type': types[extname(path)] ?? 'application/octet-stream' });
  response.end(body);
});
await new Promise((done) => server.listen(0, '127.0.0.1', done));
const site = `http://127.0.0.1:${server.address().port}/`;
const pageUrl = `${site}index.html`;
const at = (input) => `${pageUrl}?input=${encodeURIComponent(input)}`;

const failures = [];
function expect(what, actual, expected) {
  const [a, e] = [JSON.stringify(actual), JSON.stringify(expected)];
  if (a !== e) failures.push(`${what}: got ${a}, expected ${e}`);
}

// Flags that keep Chromium off the network, which is closed here.
const chromiumFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const browser = await chromium.launch({ executablePath: chromiumPath, args: chromiumFlags });
const requests = [];

async function newPage(options = {}) {
  const context = await browser.newContext({ viewport: { width: 360, height: 740 }, acceptDownloads: true, ...options });
  await context.exposeFunction('reportViolation', (text) => failures.push(`CSP violation: ${text}`));
  await context.addInitScript(() => document.addEventListener('securitypolicyviolation',
    (event) => window.reportViolation(`${event.violatedDirective} ${event.blockedURI}`)));
  const page = await context.newPage();
  page.on('console', (message) => { if (message.type() === 'error') failures.push(`console: ${message.text()}`); });
  page.on('pageerror', (error) => failures.push(`page error: ${error.message}`));
  page.on('request', (request) => requests.push(request.url()));
  return page;
}

// The program as a console program: the same module, its standard input the
// given bytes, its standard output collected. It is run here, not under
// Node's own WASI, which crashes Node 20 after some hundreds of runs in one
// process; the first runs are also run under it, a process each
// (cmake/wasi-run.mjs, as the case table runs the module), and must agree.
const program = await WebAssembly.compile(readFileSync(join(webDir, 'compound.wasm')));
const wasiRun = fileURLToPath(new URL('../cmake/wasi-run.mjs', import.meta.url));
let crossChecked = 0;
function consoleOutput(input) {
  const stdin = Buffer.from(input);
  let offset = 0;
  let stdout = '';
  let memory = null;
  // Each iovec is a (pointer, length) pair of 32-bit words.
  const iovecs = (at, count) => Array.from({ length: count }, (_, i) => {
    const words = new Uint32Array(memory.buffer, at + 8 * i, 2);
    return new Uint8Array(memory.buffer, words[0], words[1]);
  });
  const done = (at, bytes) => { new Uint32Array(memory.buffer, at, 1)[0] = bytes; return 0; };
  const calls = {
    fd_read: (fd, at, count, out) => done(out, iovecs(at, count).reduce((sum, buffer) => {
      const piece = stdin.subarray(offset, offset + buffer.length);
      buffer.set(piece);
      offset += piece.length;
      return sum + piece.length;
    }, 0)),
    fd_write: (fd, at, count, out) => done(out, iovecs(at, count).reduce((sum, buffer) => {
      if (fd === 1) stdout += Buffer.from(buffer).toString('latin1');
      return sum + buffer.length;
    }, 0)),
    // A regular file, every right granted.
    fd_fdstat_get: (fd, at) => { new Uint8Array(memory.buffer, at, 24).fill(0, 0, 8).fill(0xff, 8)[0] = 4; return 0; },
    fd_seek: () => 70,
    fd_close: () => 0,
    proc_exit: (status) => { throw new Error(`${input}: exit status ${status}`); },
  };
  const instance = new WebAssembly.Instance(program, { wasi_snapshot_preview1: calls });
  memory = instance.exports.memory;
  instance.exports._start();
  if (crossChecked++ < 10) {
    const run = spawnSync(process.execPath, ['--no-warnings', wasiRun, join(webDir, 'compound.wasm')], { input });
    expect(`${input} under Node's WASI`, String(run.stdout), stdout);
  }
  return stdout;
}

// The result, and the schedule's rows as [period, amount, change], once the
// page has computed them for `input`.
async function resultFor(page, input) {
  await page.waitForFunction((i) => document.getElementById('result').dataset.input === i, input, { timeout: 15000 });
  return page.textContent('#result');
}
async function scheduleFor(page, input, timeout = 60000) {
  await page.waitForFunction((i) => document.getElementById('schedule').dataset.input === i, input, { timeout });
  return page.$$eval('#schedule tbody tr', (rows) => rows.map((row) => [...row.cells].map((cell) => cell.textContent)));
}

// The chart scrolled into view, where the page draws it: how many canvases
// it has once drawn (none if it is not drawn within 5 s).
async function chartInView(page) {
  await page.locator('#chart').scrollIntoViewIfNeeded();
  await page.waitForSelector('#chart canvas', { timeout: 5000 }).catch(() => {});
  return page.locator('#chart canvas').count();
}

// Where the chart has ink about its axes: below the plot, for the periods'
// marks, at its two ends and in its middle; left of it, for the amounts', at
// its top (a mark there is centred on the plot's edge) and its bottom; and in
// the canvas's last columns, where a mark would be cut off. Text is dark; the
// line, the grid and the ticks are not.
async function chartInk(page) {
  return page.evaluate(() => {
    const canvas = document.querySelector('#chart canvas');
    const over = document.querySelector('#chart .u-over').getBoundingClientRect();
    const box = canvas.getBoundingClientRect();
    const scale = canvas.width / box.width;
    const inked = (left, top, width, height) => {
      const pixels = canvas.getContext('2d').getImageData(
        Math.round((left - box.left) * scale), Math.round((top - box.top) * scale),
        Math.round(width * scale), Math.round(height * scale)).data;
      for (let i = 0; i < pixels.length; i += 4) {
        if (pixels[i + 3] > 128 && Math.max(pixels[i], pixels[i + 1], pixels[i + 2]) < 100) return true;
      }
      return false;
    };
    const [quarter, fifth] = [over.width / 4, over.height / 5];
    return {
      ends: [inked(over.left, over.bottom, quarter, 20), inked(over.right - quarter, over.bottom, quarter, 20)],
      middle: inked(over.left + 1.5 * quarter, over.bottom, quarter, 20),
      amounts: [inked(over.left - 30, over.top - 8, 30, fifth), inked(over.left - 30, over.bottom - fifth, 30, fifth)],
      cut: inked(box.right - 3, box.top, 3, box.height),
    };
  });
}

// The fields of a standard input, cut as the page cuts them.
function fieldsOf(input) {
  const [money, years, ...rest] = input.split(',');
  return [money, years ?? '', rest.join(',')];
}
// A "%.2f" text in whole cents, or null where it is no finite number.
const centsOf = (text) => (/^-?[0-9]+\.[0-9]{2}$/.test(text) ? BigInt(text.replace('.', '')) : null);

// Every row against the console program: its amount is the output for
// money,period,rate; its change, added to the amount before (the first row's
// the principal, money,1,0), gives its amount to the cent, and is empty where
// either is no finite number; the periods increase from 1, each a double the
// program reads back exactly; the last row's amount is the result.
function checkRows(name, input, rows) {
  const [money, , rate] = fieldsOf(input);
  let before = consoleOutput(`${money},1,0`);
  rows.forEach(([period, amount, change], i) => {
    const expected = consoleOutput(`${money},${period},${rate}`);
    expect(`${name}, the amount of period ${period}`, amount, expected);
    const [from, to] = [centsOf(before), centsOf(expected)];
    if (from === null || to === null) {
      expect(`${name}, the change at period ${period}`, change, '');
    } else if (!/^-?(0|[1-9][0-9]*)\.[0-9]{2}$/.test(change) || change === '-0.00' || from + centsOf(change) !== to) {
      failures.push(`${name}, the change at period ${period}: ${change} from ${before} does not give ${expected}`);
    }
    if (i > 0 && !(BigInt(period) > BigInt(rows[i - 1][0]))) failures.push(`${name}: period ${period} out of order`);
    if (BigInt(Number(period)) !== BigInt(period)) failures.push(`${name}: period ${period} is no double`);
    before = expected;
  });
  expect(`${name}, the first period`, rows[0]?.[0], '1');
  expect(`${name}, the last row is the result`, rows.at(-1)?.[1], consoleOutput(input));
  if (rows.length > 100) failures.push(`${name}: ${rows.length} rows`);
}

async function axe(page, state) {
  const { default: AxeBuilder } = await load('@axe-core/playwright');
  const { violations } = await new AxeBuilder({ page })
    .withTags(['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22a', 'wcag22aa', 'best-practice']).analyze();
  for (const v of violations) failures.push(`axe, ${state}: ${v.id} at ${v.nodes.map((n) => n.target).join(' ')}`);
}

async function type(page, id, text) {
  await page.click(`#${id}`);
  await page.keyboard.press('Control+A');
  await page.keyboard.type(text);
}

const range = (from, to, step = 1) => Array.from({ length: Math.floor((to - from) / step) + 1 }, (_, i) => String(from + i * step));

if (mode === 'cases') {
  const page = await newPage();
  const rows = JSON.parse(readFileSync(extra, 'utf8'));
  for (const { name, input, expected } of rows) {
    await page.goto(at(input));
    expect(name, await resultFor(page, input), expected);
    expect(`${name}, the input shown`, await page.textContent('#stdin'), input);
    // The fields hold it, cut at its first two commas (a field holds no line break).
    if ((input.match(/,/g) ?? []).length >= 2 && !/[\r\n]/.test(input)) {
      const values = await page.$$eval('input', (inputs) => inputs.map((i) => i.value));
      expect(`${name}, the fields`, values.join(','), input);
    }
    const schedule = await scheduleFor(page, input);
    if (schedule.length > 0) {
      checkRows(name, input, schedule);
    } else if ((await page.textContent('#schedule-note')) === '') {
      failures.push(`${name}: no schedule, and no note saying why`);
    }
  }
  console.log(`${rows.length} rows`);
} else if (mode === 'typing') {
  const page = await newPage();
  await page.goto(pageUrl);
  expect('the example', await resultFor(page, '1000,3,0.05'), '1157.63');
  for (const [id, text] of [['money', '5000'], ['years', '3'], ['rate', '0.01']]) await type(page, id, text);
  expect('typed 5000,3,0.01', await resultFor(page, '5000,3,0.01'), '5151.50');
  expect('its schedule', (await scheduleFor(page, '5000,3,0.01')).map((row) => row[1]), ['5050.00', '5100.50', '5151.50']);
  expect('the address', new URL(page.url()).search, `?input=${encodeURIComponent('5000,3,0.01')}`);
  expect('the input shown', await page.textContent('#stdin'), '5000,3,0.01');
  expect('a number is not flagged', await page.getAttribute('#money', 'aria-invalid'), 'false');

  // Digit grouping gives the program more numbers: flagged, computed as the
  // console does, and no schedule.
  await type(page, 'money', '1,000');
  expect('typed 1,000,3,0.01', await resultFor(page, '1,000,3,0.01'), '4.00');
  expect('1,000 is flagged', await page.getAttribute('#money', 'aria-invalid'), 'true');
  expect('its note', (await page.textContent('#money-note')) !== '', true);
  expect('no schedule for a flagged field', await scheduleFor(page, '1,000,3,0.01'), []);

  // Tab moves through the fields in order, and each has its label.
  await page.focus('#money');
  await page.keyboard.press('Tab');
  expect('Tab from money', await page.evaluate(() => document.activeElement.id), 'years');
  expect('labels', await page.evaluate(() =>
    [...document.querySelectorAll('input')].map((i) => i.labels.length === 1).join()), 'true,true,true');
  expect('no scrolling sideways at 360 pixels',
    await page.evaluate(() => document.documentElement.scrollWidth <= 360), true);

  // A link with the address computes the same.
  await page.goto(page.url());
  expect('the shared link', await resultFor(page, '1,000,3,0.01'), '4.00');

  // What the console reads as one number, and what it does not.
  const flagged = [
    ['0.05', false], ['-1e3', false], ['.5E-1', false], ['1e', false], ['0x1.8p1', false],
    ['0x.', false], ['INFINITY', false], ['nan', false], [' 7', false], ['', false],
    ['1 000', true], ['7 ', true], ['5%', true], ['1.2.3', true], ['0x', true], ['0x.p1', true],
    ['infinit', true], ['nan(1)', true], ['.', true], ['e5', true],
  ];
  for (const [text, expected] of flagged) {
    await page.fill('#rate', text);
    expect(`rate [${text}] flagged`, await page.getAttribute('#rate', 'aria-invalid'), String(expected));
  }
} else if (mode === 'schedule') {
  const page = await newPage();
  const beyond31 = ['1', ...range(50000000, 2100000000, 50000000), '2147483647'];
  // The periods shown, where years is read as the program reads it
  // (100.00000000000001 is above 100 as a double, 100.000000000000001 is
  // not), and rows pinned to the digit.
  const terms = [
    { input: '1000,1,0.05', periods: ['1'], amounts: ['1050.00'], changes: ['50.00'] },
    { input: '1000,0,0.05', periods: ['1'] },
    { input: '1000,3,0.05', periods: ['1', '2', '3'], changes: ['50.00', '52.50', '55.13'] },
    { input: '1000,2.5,0.05', periods: ['1', '2', '3'] },
    { input: '1000,100,0.05', periods: range(1, 100), linear: true },
    { input: '1000,100.000000000000001,0.05', periods: range(1, 100) },
    { input: '1000,100.00000000000001,0.05', periods: ['1', ...range(2, 100, 2), '101'] },
    { input: '1000,101,0.05', periods: ['1', ...range(2, 100, 2), '101'] },
    { input: '1000,1e3,0.05', periods: ['1', ...range(20, 1000, 20)], logarithmic: true, marked: true },
    { input: '1000,2147483647,1e-12', periods: beyond31 },
    { input: '1000,2147483647,0.05', periods: beyond31, left: 'inf' },
    { input: '1000,0x3,0.05', periods: ['1', '2', '3'] },
    { input: '1000,-0x3,0.05', periods: ['1'] },
    { input: '1000,0x1.8p1,0.05', periods: ['1', '2', '3'] },
    { input: '1000,0X.Cp+2,0.05', periods: ['1', '2', '3'] },
    { input: '1000,-inf,0.05', periods: ['1'], amounts: ['1050.00'] },
    { input: '1000,-1e400,0.05', periods: ['1'] },
    { input: '1000,nan,0.05', periods: ['1'], amounts: ['1050.00'] },
    { input: '1000,inf,0.05', periods: [], note: /no last period/ },
    // Beyond 2^53 and 2^64 periods: each multiple of the step 2e28 taken to
    // the nearest double, 11 of them not the double 2e28 times 11.
    { input: '1000,1e30,-2', amounts: Array.from({ length: 51 }, (_, i) => (i === 0 ? '-1000.00' : '1000.00')),
      pinned: { 1: '19999999999999999166239473664', 11: '220000000000000012818866765824', 50: '1000000000000000019884624838656' },
      marked: true },
    { input: '1e300,30,0.01', linear: true, marked: true },
    { input: '1e200,100,1', logarithmic: true, marked: true },
    { input: '-1000,2,-1', amounts: ['-0.00', '-0.00'], changes: ['1000.00', '0.00'] },
    { input: '1000,4,-2', amounts: ['-1000.00', '1000.00', '-1000.00', '1000.00'],
      changes: ['-2000.00', '2000.00', '-2000.00', '2000.00'] },
    { input: '1000,50,-0.5', zero: true },
    { input: '1e308,2,1', amounts: ['inf', 'inf'], changes: ['', ''], left: 'inf' },
  ];
  // The chart library is loaded only once the chart comes near the screen.
  const chartLibrary = () => requests.filter((url) => url.endsWith('/uPlot.iife.min.js')).length;
  const before = chartLibrary();
  await page.goto(at('1000,3,0.05'));
  await scheduleFor(page, '1000,3,0.05');
  expect('the chart library before the chart is near', chartLibrary() - before, 0);
  const canvases = await chartInView(page);
  expect('the chart library once it is near', [chartLibrary() - before, canvases], [1, 1]);

  for (const term of terms) {
    await page.goto(at(term.input));
    const rows = await scheduleFor(page, term.input);
    if (rows.length > 0) checkRows(term.input, term.input, rows);
    if (term.periods) expect(`${term.input}, the periods`, rows.map((row) => row[0]), term.periods);
    if (term.amounts) expect(`${term.input}, the amounts`, rows.map((row) => row[1]), term.amounts);
    if (term.changes) expect(`${term.input}, the changes`, rows.map((row) => row[2]), term.changes);
    for (const [i, period] of Object.entries(term.pinned ?? {})) expect(`${term.input}, row ${i}`, rows[i]?.[0], period);
    if (term.note) expect(`${term.input}, the note`, term.note.test(await page.textContent('#schedule-note')), true);
    const chartNote = await page.textContent('#chart-note');
    const named = await page.getAttribute('#chart', 'aria-label');
    if (term.left) expect(`${term.input}, the chart's note`, chartNote.includes(term.left), true);
    if (term.zero) expect(`${term.input}, the chart's note of zero`, /zero/.test(chartNote), true);
    if (term.logarithmic) expect(`${term.input}, the scale`, /logarithmic scale/.test(named), true);
    if (term.linear) expect(`${term.input}, the scale`, /linear scale/.test(named), true);
    if (rows.length > 0 && !term.amounts?.every((amount) => amount === 'inf')) {
      expect(`${term.input}, a chart`, await chartInView(page), 1);
    }
    // Marks at both ends of both axes, none cut off; and on a wider page,
    // between the ends too.
    if (term.marked) {
      const { middle, ...narrow } = await chartInk(page);
      expect(`${term.input}, the chart's marks`, narrow, { ends: [true, true], amounts: [true, true], cut: false });
      const narrowWidth = await page.$eval('#chart canvas', (canvas) => canvas.width);
      await page.setViewportSize({ width: 800, height: 740 });
      await page.waitForFunction((before) => document.querySelector('#chart canvas').width > before, narrowWidth);
      expect(`${term.input}, the chart's marks on a wide page`, (await chartInk(page)).middle, true);
      await page.setViewportSize({ width: 360, height: 740 });
    }
  }

  // The CSV: the header, then the rows exactly as shown.
  for (const input of ['1000,3,0.05', '1000,101,0.05']) {
    await page.goto(at(input));
    const rows = await scheduleFor(page, input);
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#csv')]);
    const text = readFileSync(await download.path(), 'utf8');
    expect(`${input}, the CSV`, text, ['period,amount,change', ...rows.map((row) => row.join(','))].join('\r\n') + '\r\n');
  }

  // Progress: the rows of a long term come as the one pass reaches them, and
  // the progress says how many of how many are in; the result is shown at the
  // latest with the last row.
  await page.addInitScript(() => document.addEventListener('DOMContentLoaded', () => {
    window.shown = [];
    new MutationObserver(() => window.shown.push('result'))
      .observe(document.getElementById('result'), { childList: true, characterData: true, subtree: true });
    new MutationObserver((changes) => changes.some((c) => c.addedNodes.length > 0) && window.shown.push('row'))
      .observe(document.querySelector('#schedule tbody'), { childList: true });
  }));
  const long = '1000,3000000000,1e-7';
  await page.goto(at(long));
  await page.waitForFunction(() => {
    const progress = document.getElementById('progress');
    return progress.value > 0 && progress.value < progress.max && !progress.closest('.idle');
  }, null, { timeout: 20000 });
  expect('the progress, of how many', await page.getAttribute('#progress', 'max'), '61');
  expect('the progress, its label', await page.$eval('#progress', (p) => [...p.labels].map((l) => l.textContent)),
    ['Periods computed']);
  const rows = await scheduleFor(page, long);
  const printed = consoleOutput(long);
  expect('the result', await resultFor(page, long), printed);
  expect('the last row', rows.at(-1)?.[1], printed);
  expect('the result, at the latest with the last row',
    await page.evaluate(() => window.shown.indexOf('result') >= 0 && window.shown.indexOf('result') <= 61), true);
  expect('the progress at the end', await page.$eval('#progress', (p) => [p.value, p.max, Boolean(p.closest('.idle'))]), [61, 61, true]);

  // Cancellation: a new input stops the runs of a schedule that takes minutes,
  // and its own schedule comes at once.
  const longer = '1000,3e9,1e-7';
  await page.goto(at(longer));
  await resultFor(page, longer);
  await type(page, 'years', '3');
  expect('after cancelling', (await scheduleFor(page, '1000,3,1e-7', 5000)).length, 3);
  await page.waitForTimeout(500);
  expect('no row of the cancelled schedule', await page.locator('#schedule tbody tr').count(), 3);
} else if (mode === 'offline') {
  const page = await newPage();
  await page.goto(pageUrl);
  await scheduleFor(page, '1000,3,0.05');
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 15000 });
  const first = await page.evaluate(() => caches.keys());
  expect('the cache, keyed to the version', first.length === 1 && first[0].startsWith(`compound-${extra}-`), true);

  // No network at all: the server gone, and the browser offline.
  server.closeAllConnections();
  await new Promise((done) => server.close(done));
  await page.context().setOffline(true);
  await page.goto(at('5000,3,0.01'));
  expect('offline, the result', await resultFor(page, '5000,3,0.01'), '5151.50');
  checkRows('offline', '5000,3,0.01', await scheduleFor(page, '5000,3,0.01'));
  await axe(page, 'an offline reload');

  // A new release, with a cache of its own, replaces the old one.
  await page.context().setOffline(false);
  served.release = 'compound-next-release';
  await new Promise((done) => server.listen(new URL(site).port, '127.0.0.1', done));
  await page.evaluate(() => navigator.serviceWorker.getRegistration().then((r) => r.update()));
  let names = [];
  for (let tries = 0; tries < 75 && names.join() !== served.release; tries++) {
    await page.waitForTimeout(200);
    names = await page.evaluate(() => caches.keys());
  }
  expect('the caches after a new release', names, [served.release]);
} else if (mode === 'audit') {
  const page = await newPage({ serviceWorkers: 'block' });
  await page.goto(pageUrl);
  await scheduleFor(page, '1000,3,0.05');
  await axe(page, 'opening');
  await type(page, 'rate', '5%');
  await scheduleFor(page, '1000,3,5%');
  await axe(page, 'a flagged field');
  await page.goto(at('1000,100,0.05'));
  expect('100 rows', (await scheduleFor(page, '1000,100,0.05')).length, 100);
  await axe(page, 'a 100-row schedule');
  served.broken = true;
  await page.goto(at('1000,3,0.05'));
  expect('a failed run, its result', await resultFor(page, '1000,3,0.05'), '');
  expect('a failed run, its status', /^The program failed/.test(await page.textContent('#status')), true);
  expect('a failed run, no schedule', await scheduleFor(page, '1000,3,0.05'), []);
  await axe(page, 'a failed run');

  // Everything the page can load, which the service worker keeps.
  const bytes = readdirSync(webDir).reduce((sum, file) => sum + statSync(join(webDir, file)).size, 0);
  console.log(`the page's files: ${bytes} bytes`);
  if (bytes > 350000) failures.push(`the page's files take ${bytes} bytes, above 350000`);
} else if (mode === 'lighthouse') {
  const { default: lighthouse } = await load('lighthouse');
  const chromeLauncher = await load('chrome-launcher');
  const chrome = await chromeLauncher.launch({ chromePath: chromiumPath, chromeFlags: ['--headless=new', ...chromiumFlags] });
  try {
    const { lhr } = await lighthouse(pageUrl, { port: chrome.port, logLevel: 'error', output: 'json' });
    const scores = Object.fromEntries(Object.entries(lhr.categories).map(([id, c]) => [id, Math.round(c.score * 100)]));
    const metrics = ['first-contentful-paint', 'largest-contentful-paint', 'total-blocking-time', 'cumulative-layout-shift']
      .map((id) => `${id} ${lhr.audits[id].displayValue}`);
    console.log('Lighthouse', lhr.lighthouseVersion, JSON.stringify(scores), metrics.join(', '));
    for (const [id, least] of Object.entries({ performance: 95, accessibility: 100, 'best-practices': 100, seo: 100 })) {
      if (!(scores[id] >= least)) {
        const missed = Object.values(lhr.audits).filter((a) => a.score !== null && a.score < 1 && lhr.categories[id].auditRefs.some((r) => r.id === a.id && r.weight > 0));
        failures.push(`Lighthouse ${id}: ${scores[id]}, below ${least}: ${missed.map((a) => a.id).join(', ')}`);
      }
    }
  } finally {
    await chrome.kill();
  }
} else {
  throw new Error(`unknown mode ${mode}`);
}

const elsewhere = requests.filter((url) => !url.startsWith(site) && !url.startsWith('blob:'));
expect('requests beyond the page\'s own files', elsewhere.join(' '), '');
await browser.close();
server.closeAllConnections();
server.close();
for (const failure of failures) console.error(failure);
process.exitCode = failures.length > 0 ? 1 : 0;
