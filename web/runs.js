// Runs of the program in the background: a few workers (worker.js), each
// running one standard input at a time, taken in the order they were asked
// for, so that the page's own thread is never held up. cancel() ends at once
// every run that has not finished, by ending its worker.

// Compiled once, from its bytes, whatever type the web host says it has.
const program = fetch('compound.wasm').then(async (response) => {
  if (!response.ok) throw new Error(`compound.wasm: ${response.status} ${response.statusText}`);
  return WebAssembly.compile(await response.arrayBuffer());
});

const size = Math.max(1, Math.min(4, navigator.hardwareConcurrency || 2));
let workers = []; // each { worker, job }: job is the run it is busy with, or null
let waiting = [];
let generation = 0;

function take(slot) {
  slot.job = waiting.shift() ?? null;
  if (slot.job) slot.worker.postMessage({ module: slot.job.module, input: slot.job.input });
}

function hire() {
  const slot = { worker: new Worker('worker.js'), job: null };
  slot.worker.onmessage = ({ data }) => {
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

// The program's standard output, standard error and exit status for the
// standard input `input`. A run that is cancelled never settles.
export async function run(input) {
  const mine = generation;
  const module = await program;
  return new Promise((resolve, reject) => {
    if (mine !== generation) return;
    waiting.push({ module, input, resolve, reject });
    dispatch();
  });
}

export function cancel() {
  generation += 1;
  waiting = [];
  for (const slot of workers) if (slot.job) slot.worker.terminate();
  workers = workers.filter((slot) => slot.job === null);
}
