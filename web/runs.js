// Runs of the program in the background, in workers (worker.js), so that the
// page's own thread is never held up: two at a time, one for the console
// program's result and one for the schedule's pass, taken in the order they
// were asked for. cancel() ends at once every run that has not finished, by
// ending its worker.

// Compiled once, from its bytes, whatever type the web host says it has.
const program = fetch('compound.wasm').then(async (response) => {
  if (!response.ok) throw new Error(`compound.wasm: ${response.status} ${response.statusText}`);
  return WebAssembly.compile(await response.arrayBuffer());
});

const size = 2;
let workers = []; // each { worker, job }: job is the run it is busy with, or null
let waiting = [];
let generation = 0;

function take(slot) {
  slot.job = waiting.shift() ?? null;
  if (slot.job) {
    const { module, input, entry, onOutput } = slot.job;
    slot.worker.postMessage({ module, input, entry, stream: Boolean(onOutput) });
  }
}

function hire() {
  const slot = { worker: new Worker('worker.js'), job: null };
  slot.worker.onmessage = ({ data }) => {
    if ('output' in data) {
      slot.job.onOutput(data.output);
      return;
    }
    const { resolve } = slot.job;
    take(slot);
    resolve(data);
  };
  slot.worker.onerror = (event) => {
    event.preventDefault();
    const { reject } = slot.job ?? {};
    slot.worker.terminate();
    workers = workers.filter((other) => other !== slot);
    reject?.(new Error(event.message || 'worker.js failed'));
    dispatch();
  };
  workers.push(slot);
  return slot;
}

function dispatch() {
  while (waiting.length > 0) {
    const slot = workers.find((other) => other.job === null) ?? (workers.length < size ? hire() : null);
    if (!slot) return;
    take(slot);
  }
}

// Settles with { stdout, stderr, status } once the entry has returned; a run
// that is cancelled never settles.
async function start(entry, input, onOutput) {
  const mine = generation;
  const module = await program;
  return new Promise((resolve, reject) => {
    if (mine !== generation) return;
    waiting.push({ module, input, entry, onOutput, resolve, reject });
    dispatch();
  });
}

// The console program on the standard input `input`.
export function run(input) {
  return start('_start', input, null);
}

// The schedule of `input` (src/schedule.hpp), its standard output given to
// `onOutput` piece by piece as the pass writes it.
export function schedule(input, onOutput) {
  return start('schedule', input, onOutput);
}

export function cancel() {
  generation += 1;
  waiting = [];
  for (const slot of workers) if (slot.job) slot.worker.terminate();
  workers = workers.filter((slot) => slot.job === null);
}
