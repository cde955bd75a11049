// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The page around the game: the terminal it draws in, its runs (the sample
// data at first, then any data folder loaded), and the data checker's report
// on a loaded folder. The game's own side is src/platform/web/console.cpp.
'use strict';

(function () {
  const Columns = 80;
  const Rows = 25;

  const statusLine = document.getElementById('status');
  const dataName = document.getElementById('data-name');
  const checkSummary = document.getElementById('check-summary');
  const checkList = document.getElementById('check-list');
  const screenReader = document.getElementById('screen-reader');
  const folderInput = document.getElementById('folder');

  // The game draws code page 932: every character of it that is not ASCII or
  // half-width katakana takes two columns, as on the Windows console. The
  // ambiguous ones (●, ○, Greek, Cyrillic, box drawing) are two columns too,
  // so the hero is drawn whole.
  const Cp932Widths = {
    version: 'cp932',
    wcwidth(code) {
      if (code < 0x20 || (code >= 0x7f && code < 0xa0)) return 0;
      if (code < 0x7f) return 1;
      if (code >= 0xff61 && code <= 0xff9f) return 1;
      return 2;
    },
    charProperties(code) { return this.wcwidth(code) << 1; },
  };

  const term = new Terminal({
    cols: Columns,
    rows: Rows,
    allowProposedApi: true,
    fontFamily: '"IPAGothic", "IPAexGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP", "MS Gothic", "Osaka-Mono", monospace',
    fontSize: 16,
    scrollback: 0,
    cursorBlink: false,
    screenReaderMode: new URLSearchParams(location.search).get('screen-reader') === '1',
  });
  term.unicode.register(Cp932Widths);
  term.unicode.activeVersion = 'cp932';
  term.open(document.getElementById('terminal'));
  screenReader.checked = term.options.screenReaderMode;

  const encoder = new TextEncoder();
  let run = null;        // the game module running now
  let dataFiles = null;  // the loaded folder's files by name; null: the sample data

  function setStatus(text) { statusLine.textContent = text; }

  let runsGoing = 0;  // started and not yet ended, replaced ones included

  // A game waiting for input (gone quiet) goes on at once.
  function wake(module) { if (module.pageWake) module.pageWake(); }

  // Each run is a fresh module: its own memory, its own files. A run that is
  // replaced stops at its next pause (at once if it waits for input) and is
  // heard of no more.
  function startGame() {
    if (run) {
      run.pageAbandoned = true;
      wake(run);
    }
    term.reset();
    term.write('\x1b[?25l');
    const module = {
      pageTerminal: term,
      pageInput: [],
      pageAbandoned: false,
      pageWake: null,  // set while the game waits for input
      pageWrite(bytes) { if (!module.pageAbandoned) term.write(bytes); },
      onRuntimeInitialized() {
        if (dataFiles) {
          module.FS.mkdir('/data');
          for (const [name, bytes] of dataFiles) module.FS.writeFile('/data/' + name, bytes);
          module.FS.chdir('/data');
        } else {
          module.FS.chdir('/game');
        }
      },
      onExit(status) {
        --runsGoing;
        if (!module.pageAbandoned) setStatus('ended, status ' + (status & 255));
      },
      instantiateWasm(imports, receive) {
        window.gameWasm.then((compiled) => WebAssembly.instantiate(compiled, imports)
          .then((instance) => receive(instance, compiled), failed), failed);
        return {};
      },
      print() {},
      printErr() {},
    };
    function failed(error) {
      --runsGoing;
      if (!module.pageAbandoned) setStatus('could not start the game: ' + (error.message || error));
    }
    run = module;
    ++runsGoing;
    setStatus('running');
    createGame(module).catch(failed);
    term.focus();
  }

  term.onData((text) => {
    if (!run) return;
    run.pageInput.push(...encoder.encode(text));
    wake(run);
  });

  // ---- The data checker ----

  // The checker is fetched when first needed, not with the page.
  let checkerScript = null;
  function loadChecker() {
    checkerScript = checkerScript || new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = 'console-rpg-check.js';
      script.onload = resolve;
      script.onerror = reject;
      document.body.append(script);
    });
    return checkerScript;
  }

  async function checkData(files) {
    await loadChecker();
    const lines = [];
    let status = 2;
    const checker = await createChecker({
      print(line) { lines.push(line); },
      printErr(line) { lines.push(line); },
      onExit(code) { status = code; },
    });
    checker.FS.mkdir('/data');
    for (const [name, bytes] of files) checker.FS.writeFile('/data/' + name, bytes);
    checker.FS.chdir('/data');
    checker.callMain(['--json']);
    try {
      return JSON.parse(lines.join('\n'));
    } catch (e) {
      return { exit_status: status, findings: [{ file: '', line: 0, column: 0, severity: 'error', message: lines.join(' ') }] };
    }
  }

  function showFindings(report) {
    checkList.replaceChildren();
    const counts = { error: 0, warning: 0, note: 0 };
    for (const finding of report.findings) {
      counts[finding.severity] = (counts[finding.severity] || 0) + 1;
      const item = document.createElement('li');
      item.className = finding.severity;
      const where = document.createElement('code');
      where.textContent = finding.file + ':' + finding.line + ':' + finding.column + ': ';
      const severity = document.createElement('span');
      severity.className = 'severity';
      severity.textContent = finding.severity + ': ';
      item.append(where, severity, finding.message);
      checkList.append(item);
    }
    const count = (n, noun) => n + ' ' + noun + (n === 1 ? '' : 's');
    checkSummary.textContent = count(counts.error, 'error') + ', ' + count(counts.warning, 'warning') + ', ' +
      count(counts.note, 'note') +
      (report.exit_status === 2 ? ': the game will stop at the first error.' : '.');
  }

  // ---- Loading a folder ----

  async function loadData(fileList, label) {
    const files = new Map();
    for (const file of fileList) files.set(file.name, new Uint8Array(await file.arrayBuffer()));
    dataFiles = files;
    dataName.textContent = label + ' (' + files.size + ' files)';
    showFindings(await checkData(files));
    startGame();
  }

  function folderName(fileList) {
    const path = fileList.length ? fileList[0].webkitRelativePath || '' : '';
    return path.includes('/') ? path.slice(0, path.indexOf('/')) : 'the dropped files';
  }

  folderInput.addEventListener('change', () => {
    if (folderInput.files.length) loadData(Array.from(folderInput.files), folderName(folderInput.files));
    folderInput.value = '';
  });

  function entryFile(entry) { return new Promise((resolve, reject) => entry.file(resolve, reject)); }

  function readAll(reader) {
    return new Promise((resolve, reject) => {
      const entries = [];
      const next = () => reader.readEntries((batch) => {
        if (batch.length === 0) { resolve(entries); return; }
        entries.push(...batch);
        next();
      }, reject);
      next();
    });
  }

  // A dropped folder gives its files (the data is one flat folder); dropped
  // files are taken as they are.
  async function droppedFiles(transfer) {
    const entries = Array.from(transfer.items, (item) => item.webkitGetAsEntry && item.webkitGetAsEntry());
    const plain = Array.from(transfer.files);
    const files = [];
    let label = 'the dropped files';
    for (const entry of entries) {
      if (entry && entry.isDirectory) {
        label = entry.name;
        for (const inner of await readAll(entry.createReader())) if (inner.isFile) files.push(await entryFile(inner));
      } else if (entry && entry.isFile) {
        files.push(await entryFile(entry));
      }
    }
    return { files: files.length || entries.some(Boolean) ? files : plain, label };
  }

  document.addEventListener('dragover', (event) => { event.preventDefault(); event.dataTransfer.dropEffect = 'copy'; });
  document.addEventListener('drop', async (event) => {
    event.preventDefault();
    const dropped = await droppedFiles(event.dataTransfer);
    if (dropped.files.length) loadData(dropped.files, dropped.label);
  });

  document.getElementById('restart').addEventListener('click', startGame);
  screenReader.addEventListener('change', () => {
    term.options.screenReaderMode = screenReader.checked;
    term.focus();
  });

  // For tests and the bench: the terminal as the page holds it, whether the
  // game waits for input, and how many runs have not ended.
  window.consoleRpg = { term, waiting: () => run !== null && run.pageWake !== null, runsGoing: () => runsGoing };

  startGame();
})();
