// The schedule: the lines of the program's pass over the periods, the change
// from row to row, the table's rows and the CSV. No amount or period is
// computed here: the program chooses the periods and writes each amount, and a
// change is the exact difference of two amounts, taken on their digits.

const cSpace = /^[ \t\n\v\f\r]*/;

// Why there is no schedule for the three fields' texts, or null if the
// program is to make one.
export function reasonFor(fields, flagged) {
  if (fields.some((text) => text.replace(cSpace, '') === '')) {
    return 'With a field left empty the program reads no number there, so there is no schedule.';
  }
  if (flagged) return 'A field is flagged: the program does not read it as one number, so there is no schedule.';
  return null;
}

export const noLastPeriod = 'The term is not a finite number of years, so there is no last period to show.';

// A reader of the schedule's standard output as it comes: given each piece,
// it returns the lines that piece completes, each taken apart ("rows <count>",
// "principal <amount>", or "<period> <amount>").
export function lineReader() {
  let pending = '';
  return (piece) => {
    const lines = (pending + piece).split('\n');
    pending = lines.pop();
    return lines.map((line) => {
      const space = line.indexOf(' ');
      const [head, tail] = [line.slice(0, space), line.slice(space + 1)];
      if (head === 'rows') return { rows: tail };
      if (head === 'principal') return { principal: tail };
      return { period: head, amount: tail };
    });
  };
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
