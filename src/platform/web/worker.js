// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// One program of the page, in a Web Worker of its own: a run of the game, or
// the data checker reading a folder. The build appends this to each
// program's own script (console-rpg.js, console-rpg-check.js), so that a
// worker is one file to fetch. The page ends the worker when it has no
// more use for it, and everything the program held (its module, memory and
// files) goes with it. Nothing a folder holds, however large, is read on the
// page's own thread: its files are mounted here as they stand and read in
// slices when the program reads them.
//
// From the page: {run: 'game', files, columns, rows, wasm} (or the worker's
// name, for the sample data), then {input} (bytes typed); or
// {run: 'check' or 'fix', files, language}. `files` is null (the sample data
// built into the game) or [{name, blob}]; `wasm` the game's compiled module,
// or null where the page has none yet; `language` the page's ('en', 'ja').
// To the page: {wasm} (the module this run compiled), {write} (bytes drawn),
// {waiting} (whether the game waits for a key), {report} (the checker's),
// {fixed} (what --fix said and the files it left), {exit} (the status),
// {failed} (a message; with the file and the HTTP status where a file could
// not be fetched).

// A program's way out, exit(), throws Emscripten's ExitStatus through
// whatever called it. It is how a run ends, not a fault: not reported.
function isExit(error) { return error !== null && typeof error === 'object' && error.name === 'ExitStatus'; }
self.addEventListener('error', (event) => { if (isExit(event.error)) event.preventDefault(); });
self.addEventListener('unhandledrejection', (event) => { if (isExit(event.reason)) event.preventDefault(); });

function failed(error) {
  if (isExit(error)) return;
  const { file, status } = error || {};
  self.postMessage({ failed: String((error && error.message) || error), file, status });
}

// The folder's files in /data, the working directory, read as the programs
// read them. The programs read through stdio a kilobyte at a time; each
// read of a file from the page is slow, so a file is read 4 MB at a time and
// the reads are served from that slice: a file of hundreds of megabytes
// takes seconds and never more than a slice of memory.
const SliceBytes = 4 << 20;
function mountData(FS, files) {
  const filesystem = FS.filesystems.WORKERFS;
  const reader = new FileReaderSync();
  filesystem.stream_ops.read = (stream, buffer, offset, length, position) => {
    const node = stream.node;
    if (position >= node.size) return 0;
    const count = Math.min(length, node.size - position);
    let slice = node.pageSlice;
    if (!slice || position < slice.start || position + count > slice.start + slice.bytes.length) {
      const end = Math.min(node.size, position + Math.max(SliceBytes, count));
      slice = node.pageSlice = { start: position, bytes: new Uint8Array(reader.readAsArrayBuffer(node.contents.slice(position, end))) };
    }
    buffer.set(slice.bytes.subarray(position - slice.start, position - slice.start + count), offset);
    return count;
  };
  FS.mkdir('/data');
  FS.mount(filesystem, { blobs: files.map(({ name, blob }) => ({ name, data: blob })) }, '/data');
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
  const input = inputQueue();
  let wake = null;
  const module = {
    pageTerminal: { cols: message.columns, rows: message.rows },
    pageInput: input,
    // Set while the game waits for a key (console.cpp); the page is told, so
    // tests and the bench can see a quiet game.
    get pageWake() { return wake; },
    set pageWake(resolve) {
      wake = resolve;
      self.postMessage({ waiting: resolve !== null });
    },
    pageWrite(bytes) { self.postMessage({ write: bytes }, [bytes.buffer]); },
    // The game's WebAssembly: the page's, compiled by an earlier run, or
    // one compiled here (game_wasm.js), which goes to the page for the runs
    // after this one, so that all share one.
    instantiateWasm(imports, receive) {
      const compiled = message.wasm ? Promise.resolve(message.wasm) : gameWasm || compileGame();
      compiled.then((wasm) => WebAssembly.instantiate(wasm, imports).then((instance) => {
        if (!message.wasm) self.postMessage({ wasm });
        receive(instance, wasm);
      })).catch(failed);
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
    // The status as a POSIX system reports it: exit(-1) is 255.
    onExit(status) { self.postMessage({ exit: status & 0xff }); },
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

// The checker in the page's language: the locale a GNU program takes it
// from, which Emscripten's environment would otherwise set from the browser's.
// Set before the runtime starts, as the C library reads it then.
function startChecker(language, lines) {
  const locale = /^[a-z]{2,3}$/.test(language || '') ? language : 'en';
  return createChecker({
    print(line) { lines.push(line); },
    printErr(line) { lines.push(line); },
    preRun: [(module) => Object.assign(module.ENV, { LANGUAGE: locale, LC_ALL: locale + '.UTF-8', LANG: locale + '.UTF-8' })],
  });
}

// The checker's report (--json) on the folder, whatever its exit status.
function runCheck(message) {
  const lines = [];
  startChecker(message.language, lines).then((checker) => {
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

// console-rpg-check --fix on a copy of the folder in memory (the fix writes,
// and the page's files are the author's, read only): what it said, and every
// file as it left them, with whether any changed (none when it refused).
function runFix(message) {
  const lines = [];
  startChecker(message.language, lines).then((checker) => {
    const FS = checker.FS;
    const reader = new FileReaderSync();
    FS.mkdir('/data');
    const before = new Map();
    for (const { name, blob } of message.files) {
      before.set(name, new Uint8Array(reader.readAsArrayBuffer(blob)));
      FS.writeFile('/data/' + name, before.get(name));
    }
    FS.chdir('/data');
    checker.callMain(['--fix']);
    const files = message.files.map(({ name }) => ({ name, bytes: FS.readFile('/data/' + name) }));
    const same = (a, b) => a.length === b.length && a.every((byte, i) => byte === b[i]);
    const changed = files.some(({ name, bytes }) => !same(bytes, before.get(name)));
    self.postMessage({ fixed: { changed, lines, files } }, files.map((file) => file.bytes.buffer));
  }).catch(failed);
}

function start(message) {
  try {
    if (message.run === 'game' && typeof createGame === 'function') runGame(message);
    else if (message.run === 'check' && typeof createChecker === 'function') runCheck(message);
    else if (message.run === 'fix' && typeof createChecker === 'function') runFix(message);
    else failed(new Error('not the program asked for: ' + message.run));
  } catch (error) {
    failed(error);
  }
}
self.onmessage = (event) => start(event.data);

// A run of the sample data is asked for in the worker's name, "game
// COLUMNSxROWS" (boot.js), and starts as soon as this script has run.
const namedRun = /^game (\d+)x(\d+)$/.exec(self.name);
if (namedRun) start({ run: 'game', files: null, columns: Number(namedRun[1]), rows: Number(namedRun[2]) });
