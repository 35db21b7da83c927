// Runs a WASI command module as a program of this machine: its standard
// streams are this process's, and its exit status becomes this process's.
//
//   node --no-warnings wasi-run.mjs program.wasm
import { readFile } from 'node:fs/promises';
import { WASI } from 'node:wasi';

const program = process.argv[2];
const wasi = new WASI({ version: 'preview1', args: [program], env: {}, returnOnExit: true });
const module = await WebAssembly.compile(await readFile(program));
const instance = await WebAssembly.instantiate(module, { wasi_snapshot_preview1: wasi.wasiImport });
process.exitCode = wasi.start(instance);
