// Runs compound.wasm once, in a worker of its own so that a long term never
// holds up the page: given the compiled module, the standard input and the
// entry to call (the console program's _start, or the schedule), it answers
// with what the program wrote and its exit status. With `stream`, each piece
// of standard output is also posted as soon as the program writes it.
//
// The program is a WASI command module. The few WASI calls it imports are
// served here, from memory: fd_read reads the given standard input, fd_write
// collects standard output and standard error, proc_exit ends the run. Every
// other descriptor is refused (EBADF), and nothing else is reachable.
'use strict';

const errno = { success: 0, badf: 8, spipe: 70 };
const filetype = { regularFile: 4 };

class Exit {
  constructor(status) { this.status = status; }
}

function run(module, input, entry, stream) {
  let memory = null;
  let position = 0;
  const output = { 1: [], 2: [] };
  const decoder = new TextDecoder();
  const view = () => new DataView(memory.buffer);
  const bytes = () => new Uint8Array(memory.buffer);

  // The buffers of a list of `count` iovecs at `iovs`: (pointer, length) pairs.
  function* buffers(iovs, count) {
    for (let i = 0; i < count; i++) {
      const base = view().getUint32(iovs + 8 * i, true);
      const length = view().getUint32(iovs + 8 * i + 4, true);
      yield bytes().subarray(base, base + length);
    }
  }

  const wasi = {
    fd_read(fd, iovs, count, read) {
      if (fd !== 0) return errno.badf;
      let total = 0;
      for (const buffer of buffers(iovs, count)) {
        const piece = input.subarray(position, position + buffer.length);
        buffer.set(piece);
        position += piece.length;
        total += piece.length;
        if (piece.length < buffer.length) break;
      }
      view().setUint32(read, total, true);
      return errno.success;
    },
    fd_write(fd, iovs, count, written) {
      if (!(fd in output)) return errno.badf;
      let total = 0;
      for (const buffer of buffers(iovs, count)) {
        output[fd].push(buffer.slice());
        if (stream && fd === 1) self.postMessage({ output: decoder.decode(buffer, { stream: true }) });
        total += buffer.length;
      }
      view().setUint32(written, total, true);
      return errno.success;
    },
    // The standard streams are files, neither terminals nor seekable.
    fd_fdstat_get(fd, stat) {
      if (fd > 2) return errno.badf;
      view().setUint8(stat, filetype.regularFile);
      view().setUint16(stat + 2, 0, true);
      view().setBigUint64(stat + 8, 0xffffffffffffffffn, true);
      view().setBigUint64(stat + 16, 0xffffffffffffffffn, true);
      return errno.success;
    },
    fd_seek(fd) { return fd > 2 ? errno.badf : errno.spipe; },
    fd_close(fd) { return fd > 2 ? errno.badf : errno.success; },
    proc_exit(status) { throw new Exit(status); },
  };

  const instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: wasi });
  memory = instance.exports.memory;
  let status = 0;
  try {
    status = instance.exports[entry]() ?? 0;
  } catch (error) {
    if (!(error instanceof Exit)) throw error;
    status = error.status;
  }
  const text = (chunks) => new TextDecoder().decode(new Uint8Array(chunks.flatMap((c) => [...c])));
  return { stdout: text(output[1]), stderr: text(output[2]), status };
}

self.onmessage = ({ data }) => {
  try {
    self.postMessage(run(data.module, new TextEncoder().encode(data.input), data.entry, data.stream));
  } catch (error) {
    self.postMessage({ stdout: '', stderr: String(error), status: -1 });
  }
};
