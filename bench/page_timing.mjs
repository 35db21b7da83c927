// Times the web page in headless Chromium: how long after a new term is typed
// its result and its whole schedule are shown, for each of the pages given
// (two builds of the page, say, before and after a change), and how long one
// run of the console program on the same input takes in a worker of the same
// browser. The runs take turns, a round at a time, so that a machine that
// drifts slows them all alike; medians are printed, in milliseconds.
//
//   node page_timing.mjs <modules dir> <chromium> <rounds> <input> <web dir>...
//
// <modules dir> holds Playwright (build/wasm32-wasi/tests/browser); <input>
// is money,years,rate, and years is what is typed.
import { createServer } from 'node:http';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { extname, join, resolve } from 'node:path';

const [modulesDir, chromiumPath, rounds, input, ...webDirs] = process.argv.slice(2);
const { chromium } = createRequire(resolve(modulesDir, 'node_modules') + '/')('playwright-core');
const [money, years, rate] = input.split(',');

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
async function serve(dir) {
  const server = createServer((request, response) => {
    const path = new URL(request.url, 'http://localhost').pathname;
    try {
      const body = readFileSync(join(dir, path === '/' ? 'index.html' : path));
      response.writeHead(200, { 'Content-Type': types[extname(path)] ?? 'application/octet-stream' }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  return { server, site: `http://127.0.0.1:${server.address().port}/` };
}

const browser = await chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox',
  '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync'] });
const sites = await Promise.all(webDirs.map(serve));

// The page opened on money,1,rate; then the term typed, and the time until
// #result and #schedule carry the new input.
async function typed(site) {
  const page = await browser.newPage({ serviceWorkers: 'block' });
  const first = `${money},1,${rate}`;
  await page.goto(`${site}index.html?input=${encodeURIComponent(first)}`);
  await page.waitForFunction((i) => document.getElementById('schedule').dataset.input === i, first);
  const times = await page.evaluate((term) => new Promise((done) => {
    const want = `${document.getElementById('money').value},${term},${document.getElementById('rate').value}`;
    const result = document.getElementById('result');
    const table = document.getElementById('schedule');
    const times = {};
    let start = 0;
    const check = () => {
      const now = performance.now() - start;
      if (times.result === undefined && result.dataset.input === want) times.result = now;
      if (times.schedule === undefined && table.dataset.input === want) times.schedule = now;
      if (times.result !== undefined && times.schedule !== undefined) done(times);
    };
    new MutationObserver(check).observe(result, { attributes: true, childList: true, subtree: true });
    new MutationObserver(check).observe(table, { attributes: true });
    const field = document.getElementById('years');
    field.value = term;
    start = performance.now();
    field.dispatchEvent(new Event('input'));
  }), years);
  await page.close();
  return times;
}

// One run of the console program (_start) in a worker of the first page's.
async function consoleRun(site) {
  const page = await browser.newPage({ serviceWorkers: 'block' });
  await page.goto(`${site}index.html?input=${encodeURIComponent(`${money},1,${rate}`)}`);
  const time = await page.evaluate(async (stdin) => {
    const module = await WebAssembly.compile(await (await fetch('compound.wasm')).arrayBuffer());
    const worker = new Worker('worker.js');
    const start = performance.now();
    await new Promise((done) => {
      worker.onmessage = ({ data }) => { if (!('output' in data)) done(data); };
      worker.postMessage({ module, input: stdin, entry: '_start', stream: false });
    });
    return performance.now() - start;
  }, input);
  await page.close();
  return time;
}

const samples = { console: [] };
for (let round = 0; round < Number(rounds); round++) {
  samples.console.push(await consoleRun(sites[0].site));
  for (const [i, { site }] of sites.entries()) {
    const times = await typed(site);
    (samples[`${webDirs[i]} result`] ??= []).push(times.result);
    (samples[`${webDirs[i]} schedule`] ??= []).push(times.schedule);
  }
}
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const base = median(samples.console);
for (const [name, values] of Object.entries(samples)) {
  console.log(`${median(values).toFixed(1).padStart(10)} ms  ${(median(values) / base).toFixed(3)} of one run  ${name}` +
    `  (${values.map((v) => v.toFixed(0)).join(' ')})`);
}
await browser.close();
for (const { server } of sites) server.close();
