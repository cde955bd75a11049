// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// One program of the page, in a Web Worker of its own: a run of the game, or
// the data checker reading a folder. The page ends the worker when it has no
// more use for it, and everything the program held (its module, memory and
// files) goes with it. Nothing a folder holds, however large, is read on the
// page's own thread: its files are mounted here as they stand and read in
// slices when the program reads them.
//
// From the page: {run: 'game', wasm, files, columns, rows}, then {input}
// (bytes typed); or {run: 'check', files}. `files` is null (the sample data
// built into the game) or [{name, blob}].
// To the page: {write} (bytes drawn), {waiting} (whether the game waits for
// a key), {report} (the checker's), {exit} (the status), {failed} (a message).
'use strict';

// A program's way out, exit(), throws Emscripten's ExitStatus through
// whatever called it. It is how a run ends, not a fault: not reported.
function isExit(error) { return error !== null && typeof error === 'object' && error.name === 'ExitStatus'; }
self.addEventListener('error', (event) => { if (isExit(event.error)) event.preventDefault(); });
self.addEventListener('unhandledrejection', (event) => { if (isExit(event.reason)) event.preventDefault(); });

function failed(error) {
  if (isExit(error)) return;
  self.postMessage({ failed: String((error && error.message) || error) });
}

// The folder's files in /data, the working directory.
function mountData(FS, files) {
  FS.mkdir('/data');
  FS.mount(FS.filesystems.WORKERFS, { blobs: files.map(({ name, blob }) => ({ name, data: blob })) }, '/data');
  FS.chdir('/data');
}

// What was typed and not yet taken, in the chunks it came in.
function inputQueue() {
  const chunks = [];
  let first = 0;  // bytes of chunks[0] already taken
  let length = 0;
  return {
    get length() { return length; },
    push(bytes) { if (bytes.length) { chunks.push(bytes); length += bytes.length; } },
    // Up to `capacity` bytes, in order.
    take(capacity) {
      const taken = new Uint8Array(Math.min(capacity, length));
      let at = 0;
      while (at < taken.length) {
        const chunk = chunks[0];
        const count = Math.min(taken.length - at, chunk.length - first);
        taken.set(chunk.subarray(first, first + count), at);
        at += count;
        first += count;
        if (first === chunk.length) { chunks.shift(); first = 0; }
      }
      length -= taken.length;
      return taken;
    },
  };
}

function runGame(message) {
  importScripts('console-rpg.js');
  const input = inputQueue();
  let wake = null;
  const module = {
    pageTerminal: { cols: message.columns, rows: message.rows },
    pageInput: input,
    pageAbandoned: false,
    // Set while the game waits for a key (console.cpp); the page is told, so
    // tests and the bench can see a quiet game.
    get pageWake() { return wake; },
    set pageWake(resolve) {
      wake = resolve;
      self.postMessage({ waiting: resolve !== null });
    },
    pageWrite(bytes) { self.postMessage({ write: bytes }, [bytes.buffer]); },
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(message.wasm, imports).then((instance) => receive(instance, message.wasm), failed);
      return {};
    },
    onRuntimeInitialized() {
      try {
        if (message.files) mountData(module.FS, message.files);
        else module.FS.chdir('/game');
      } catch (error) {
        failed(error);
        throw error;
      }
    },
    onExit(status) { self.postMessage({ exit: status }); },
    print() {},
    printErr() {},
  };
  self.onmessage = (event) => {
    if (!event.data.input) return;
    input.push(event.data.input);
    if (wake) wake();
  };
  createGame(module).catch(failed);
}

// The checker's report (--json) on the folder, whatever its exit status.
function runCheck(message) {
  importScripts('console-rpg-check.js');
  const lines = [];
  createChecker({
    print(line) { lines.push(line); },
    printErr(line) { lines.push(line); },
  }).then((checker) => {
    mountData(checker.FS, message.files);
    const status = checker.callMain(['--json']);
    let report;
    try {
      report = JSON.parse(lines.join('\n'));
    } catch (error) {
      report = { exit_status: status, findings: [{ file: '', line: 0, column: 0, severity: 'error', message: lines.join(' ') }] };
    }
    self.postMessage({ report });
  }).catch(failed);
}

self.onmessage = (event) => {
  try {
    if (event.data.run === 'game') runGame(event.data);
    else if (event.data.run === 'check') runCheck(event.data);
  } catch (error) {
    failed(error);
  }
};
