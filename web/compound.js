// The page: three fields make the program's standard input, "money,years,rate";
// each change runs the program on it (worker.js) and shows its standard output
// as it stands. The address holds the input (?input=...), so that a link
// gives the same calculation.
'use strict';

const fields = ['money', 'years', 'rate'].map((id) => document.getElementById(id));
const result = document.getElementById('result');
const status = document.getElementById('status');
const shownInput = document.getElementById('stdin');

// One number as the console reads it, and nothing more: white space first,
// then a sign and a decimal or hexadecimal constant, "inf", "infinity" or
// "nan". An exponent's digits may be missing, as "%lf" allows ("1e" is 1).
const oneNumber = new RegExp('^[ \\t\\n\\v\\f\\r]*[+-]?(?:' +
  '0[xX](?:(?:[0-9a-fA-F]+\\.?[0-9a-fA-F]*|\\.[0-9a-fA-F]+)(?:[pP][+-]?[0-9]*)?|\\.)|' +
  '(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]*)?|' +
  '[iI][nN][fF](?:[iI][nN][iI][tT][yY])?|[nN][aA][nN])$');

function note(field) {
  const text = field.value;
  if (text === '' || oneNumber.test(text)) return '';
  if (text.includes(',')) return 'A comma ends a number: this field gives the program more than one.';
  return 'The program does not read this as one number.';
}

function flag(field) {
  const message = note(field);
  field.setAttribute('aria-invalid', message ? 'true' : 'false');
  document.getElementById(`${field.id}-note`).textContent = message;
}

// Compiled once, from its bytes, whatever type the web host says it has.
const program = fetch('compound.wasm')
  .then((response) => response.arrayBuffer())
  .then((bytes) => WebAssembly.compile(bytes));

// One run at a time: a new input ends a run that has not finished.
let worker = null;

async function calculate(input) {
  shownInput.textContent = input;
  history.replaceState(null, '', `?input=${encodeURIComponent(input)}`);
  if (worker) worker.terminate();
  const module = await program;
  const mine = worker = new Worker('worker.js');
  const timer = setTimeout(() => { if (worker === mine) status.textContent = 'Calculating…'; }, 200);
  result.setAttribute('aria-busy', 'true');
  mine.onmessage = ({ data }) => {
    clearTimeout(timer);
    mine.terminate();
    if (worker !== mine) return;
    worker = null;
    result.textContent = data.stdout;
    result.dataset.input = input;
    result.removeAttribute('aria-busy');
    status.textContent = data.status === 0 ? '' : `The program failed (${data.status}): ${data.stderr}`;
  };
  mine.postMessage({ module, input });
}

// The input given in the address fills the fields: up to the first comma,
// up to the second, and the rest. It is the input run, as it stands. Without
// one, the page opens on an example.
const given = new URLSearchParams(location.search).get('input') ?? '1000,3,0.05';
{
  const first = given.indexOf(',');
  const second = first < 0 ? -1 : given.indexOf(',', first + 1);
  const cuts = [first < 0 ? given.length : first, second < 0 ? given.length : second, given.length];
  let start = 0;
  fields.forEach((field, i) => {
    field.value = given.slice(start, cuts[i]);
    start = Math.min(cuts[i] + 1, given.length);
  });
}
fields.forEach((field) => {
  flag(field);
  field.addEventListener('input', () => {
    flag(field);
    calculate(fields.map((f) => f.value).join(','));
  });
});
calculate(given);
