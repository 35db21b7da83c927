// The schedule: which periods the table shows, and the change from row to
// row. No amount is computed here: each amount is the standard output of one
// run of the program, and a change is the exact difference of two of them,
// taken on their digits.

const cSpace = /^[ \t\n\v\f\r]*/;
const most = 100;

// The number of periods the program applies to the term `text`, as a BigInt:
// the smallest whole number n with n >= 1 and n >= years, where years is the
// double nearest to the text, as the program reads it. Or, where the page
// cannot say it exactly, the reason.
export function periodsOf(text) {
  const term = text.replace(cSpace, '');
  if (/^[+-]?(?:inf(?:inity)?|nan)$/i.test(term)) {
    return { reason: 'The term is not a finite number of years, so there is no last period to show.' };
  }
  const hexadecimal = /^([+-]?)(0x[0-9a-f]+)$/i.exec(term);
  if (/^[+-]?0x/i.test(term) && !hexadecimal) {
    return { reason: 'The page reads no hexadecimal term with a point or an exponent, so it shows no schedule; the result is the program\'s own.' };
  }
  // JavaScript reads a decimal, and a whole hexadecimal number without its
  // sign, correctly rounded, as the program does; an exponent without digits
  // ("1e", "1e+") is no exponent in C.
  const years = hexadecimal ? Number(hexadecimal[2]) * (hexadecimal[1] === '-' ? -1 : 1)
    : Number(term.replace(/[eE][+-]?$/, ''));
  if (!Number.isFinite(years)) {
    return { reason: 'The term is beyond the largest number, so there is no last period to show.' };
  }
  return { periods: years > 1 ? BigInt(Math.ceil(years)) : 1n };
}

// The smallest round step, 1, 2 or 5 times a power of ten, for which `fits`
// holds (a BigInt).
export function roundStep(fits) {
  for (let power = 1n; ; power *= 10n) {
    const step = [power, 2n * power, 5n * power].find(fits);
    if (step) return step;
  }
}

// The periods of a term of `n` periods that the table shows, increasing: every
// one up to 100 periods; beyond, 1, n and the multiples of the smallest round
// step that keeps them to 100 rows. A period beyond 2^53 is taken to the
// nearest double, which the program reads back exactly.
export function shownPeriods(n) {
  if (n <= BigInt(most)) return Array.from({ length: Number(n) }, (_, i) => BigInt(i + 1));
  const step = roundStep((s) => n / s + 2n <= BigInt(most));
  const periods = [1n];
  for (let k = step; k <= n; k += step) periods.push(BigInt(Number(k)));
  if (periods.at(-1) !== n) periods.push(n);
  return periods;
}

// What to show for the three fields' texts: the periods, or why there is no
// schedule.
export function plan(money, years, rate, flagged) {
  if ([money, years, rate].some((text) => text.replace(cSpace, '') === '')) {
    return { reason: 'With a field left empty the program reads no number there, so there is no schedule.' };
  }
  if (flagged) return { reason: 'A field is flagged: the program does not read it as one number, so there is no schedule.' };
  const term = periodsOf(years);
  return term.reason ? term : { periods: shownPeriods(term.periods) };
}

// An amount as the program prints it ("%.2f") in whole cents; null for a text
// that is no finite number, such as "inf" or "nan".
function cents(amount) {
  const parts = /^(-?)([0-9]+)\.([0-9]{2})$/.exec(amount);
  return parts ? BigInt(parts[1] + parts[2] + parts[3]) : null;
}

// The exact difference after - before of two printed amounts, with two
// decimals; empty where either is no finite number.
export function change(before, after) {
  const from = cents(before);
  const to = cents(after);
  if (from === null || to === null) return '';
  const difference = to - from;
  const digits = (difference < 0n ? -difference : difference).toString().padStart(3, '0');
  return `${difference < 0n ? '-' : ''}${digits.slice(0, -2)}.${digits.slice(-2)}`;
}

// The table's rows as CSV: a header line, then one line per row as shown.
export function csv(rows) {
  const lines = ['period,amount,change', ...rows.map((row) => `${row.period},${row.amount},${row.change}`)];
  return `${lines.join('\r\n')}\r\n`;
}

// One body row of the table: the period as a row header, the amount, the change.
export function tableRow(row) {
  const tr = document.createElement('tr');
  const period = document.createElement('th');
  period.scope = 'row';
  period.textContent = row.period;
  tr.append(period);
  for (const text of [row.amount, row.change]) {
    const cell = document.createElement('td');
    cell.textContent = text;
    tr.append(cell);
  }
  return tr;
}
