// The web page in a real browser: the page is served from the build tree on
// 127.0.0.1 and driven in headless Chromium.
//
//   node page_test.mjs cases  <web dir> <modules dir> <chromium> <rows.json>
//   node page_test.mjs typing <web dir> <modules dir> <chromium>
//
// cases:  every row of the case table, given as ?input=, shows the console's
//         bytes in #result.
// typing: typing into the fields computes, updates the address and the
//         standard input shown, flags a field that is not one number, and
//         the page fits 360 pixels with every field labelled.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { createRequire } from 'node:module';
import { extname, join, resolve } from 'node:path';

const [mode, webDir, modulesDir, chromiumPath, rowsFile] = process.argv.slice(2);
const { chromium } = createRequire(resolve(modulesDir, 'node_modules') + '/')('playwright-core');

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const server = createServer(async (request, response) => {
  const path = new URL(request.url, 'http://localhost').pathname;
  try {
    const body = await readFile(join(webDir, path === '/' ? 'index.html' : path));
    response.writeHead(200, { 'Content-Type': types[extname(path)] ?? 'application/octet-stream' });
    response.end(body);
  } catch {
    response.writeHead(404).end();
  }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const page_url = `http://127.0.0.1:${server.address().port}/index.html`;

// Flags that keep Chromium off the network, which is closed here.
const browser = await chromium.launch({
  executablePath: chromiumPath,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const page = await browser.newPage({ viewport: { width: 360, height: 740 } });
const requests = [];
page.on('request', (request) => requests.push(request.url()));

const failures = [];
function expect(what, actual, expected) {
  if (actual !== expected) {
    failures.push(`${what}: got ${JSON.stringify(actual)}, expected ${JSON.stringify(expected)}`);
  }
}

// The result once the page has computed it for `input`.
async function resultFor(input) {
  await page.waitForFunction((i) => document.getElementById('result').dataset.input === i, input,
                             { timeout: 15000 });
  return page.textContent('#result');
}

if (mode === 'cases') {
  const rows = JSON.parse(await readFile(rowsFile, 'utf8'));
  for (const { name, input, expected } of rows) {
    await page.goto(`${page_url}?input=${encodeURIComponent(input)}`);
    expect(name, await resultFor(input), expected);
    expect(`${name}, the input shown`, await page.textContent('#stdin'), input);
    // The fields hold it, cut at its first two commas (a field holds no line break).
    if ((input.match(/,/g) ?? []).length >= 2 && !/[\r\n]/.test(input)) {
      const values = await page.$$eval('input', (inputs) => inputs.map((i) => i.value));
      expect(`${name}, the fields`, values.join(','), input);
    }
  }
  console.log(`${rows.length} rows`);
} else if (mode === 'typing') {
  await page.goto(page_url);
  expect('the example', await resultFor('1000,3,0.05'), '1157.63');
  for (const [id, text] of [['money', '5000'], ['years', '3'], ['rate', '0.01']]) {
    await page.click(`#${id}`);
    await page.keyboard.press('Control+A');
    await page.keyboard.type(text);
  }
  expect('typed 5000,3,0.01', await resultFor('5000,3,0.01'), '5151.50');
  expect('the address', new URL(page.url()).search, `?input=${encodeURIComponent('5000,3,0.01')}`);
  expect('the input shown', await page.textContent('#stdin'), '5000,3,0.01');
  expect('a number is not flagged', await page.getAttribute('#money', 'aria-invalid'), 'false');

  // Digit grouping gives the program more numbers: flagged, and computed as the console does.
  await page.click('#money');
  await page.keyboard.press('Control+A');
  await page.keyboard.type('1,000');
  expect('typed 1,000,3,0.01', await resultFor('1,000,3,0.01'), '4.00');
  expect('1,000 is flagged', await page.getAttribute('#money', 'aria-invalid'), 'true');
  expect('its note', (await page.textContent('#money-note')) !== '', true);

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
  expect('the shared link', await resultFor('1,000,3,0.01'), '4.00');

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
} else {
  throw new Error(`unknown mode ${mode}`);
}

const elsewhere = requests.filter((url) => !url.startsWith(page_url.replace('index.html', '')));
expect('requests beyond the page\'s own files', elsewhere.join(' '), '');
await browser.close();
server.close();
for (const failure of failures) console.error(failure);
process.exitCode = failures.length > 0 ? 1 : 0;
