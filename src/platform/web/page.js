// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The page around the game: its screen (drawn here from the bytes the game
// sends), the keys, touches and pastes it hands the game, the game's runs
// (the sample data at first, then any data folder loaded), and the data
// checker's report on a loaded folder. Each run and each check is a program in
// a Web Worker of its own (worker.js, built into each program's script), ended
// and so freed whole when it is replaced. The game's own side is src/platform/web/console.cpp.
'use strict';

(function () {
  // ---- What the page says ----
  // Every text the page shows, in one table, in English; tr() gives it in the
  // page's language from the catalogs in po/ (made into messages.js by the
  // build, tools/i18n/page_catalogs.py), trPlural() the form for a count,
  // and fill() puts the values in for %s (or %1$s, %2$s... in a translation's
  // own order). index.html holds none of its own but the words for a page
  // whose scripts never ran. The game's own texts are its own, in any language.
  const T = {
    title: () => 'console-rpg',
    restart: () => tr('Restart'),
    load: () => tr('Load data'),
    screenReader: () => tr('Screen reader'),
    language: () => tr('Language'),
    help: () => tr('Arrow keys, capital H K M P, swipes or the pad walk the hero ●; the pawn 歩 chases. ' +
      'Restart starts over; Load data (or a folder dropped here) plays your own data.'),
    screenLabel: () => tr('The game'),
    padLabel: () => tr('Walk'),
    up: () => tr('Up'), down: () => tr('Down'), left: () => tr('Left'), right: () => tr('Right'),
    findingsLabel: () => tr('What the data checker found'),
    dataHeading: () => tr('Data'),
    sampleData: () => tr('The sample data.'),
    starting: () => tr('The game is starting…'),
    running: (name) => name === null ? tr('The game is running on the sample data.') : fill(tr('The game is running on %s.'), name),
    ended: () => tr('The game has ended.'),
    endedAt: (status, file, why) => fill(tr('The game has ended (status %s): it could not read %s (%s).'), status, file, why),
    endedStatus: (status) => status === 255
      ? tr('The game has ended (status 255): a data file it needs could not be read.')
      : fill(tr('The game has ended (status %s).'), status),
    notStarted: (why) => fill(tr('The game could not start: %s'), why),
    fetchFailed: (file, status) => fill(tr('%s could not be loaded (%s).'), file, status),
    workerFailed: (file) => fill(tr('%s could not be loaded or run.'), file),
    pageFailed: (why) => fill(tr('The page stopped working: %s'), why),
    folder: (name, count) => fill(trPlural('%s (%s file)', '%s (%s files)', count), name, count),
    mended: (name) => fill(tr('%s, mended'), name),
    droppedFiles: () => tr('the dropped files'),
    leftOut: (names, more) => more > 0
      ? fill(tr("Left out, as the game reads only the folder's own files: %s and %s more."), names.map(shown).join(tr(', ')), more)
      : fill(tr("Left out, as the game reads only the folder's own files: %s."), names.map(shown).join(tr(', '))),
    checking: (name) => fill(tr('Checking %s…'), name),
    loadFailed: (name, why) => fill(tr('%s was not loaded: %s The game and the findings are as they were.'), name, why),
    noFiles: () => tr('it holds no files of its own.'),
    summary: (errors, warnings, notes, stops) => fill(stops ? tr('%s, %s, %s: the game will stop at the first error.') : tr('%s, %s, %s.'),
      fill(trPlural('%s error', '%s errors', errors), errors), fill(trPlural('%s warning', '%s warnings', warnings), warnings),
      fill(trPlural('%s note', '%s notes', notes), notes)),
    severity: { error: () => tr('error'), warning: () => tr('warning'), note: () => tr('note') },
    fixOffer: () => tr('Fix can mend what has one meaning only: files in UTF-8 into code page 932, and in the map ' +
      'full-width spaces into two spaces and lines one byte short given a space. Your own folder is not changed.'),
    fix: () => tr('Fix'),
    fixing: (name) => fill(tr('Fixing %s…'), name),
    fixed: () => tr('Fix changed, file by file:'),
    fixRefused: () => tr('Fix changed nothing, for the reason below.'),
    fixFailed: (why) => fill(tr('Fix could not run: %s'), why),
    download: () => tr('Download the mended folder (zip)'),
  };
  // The languages the page speaks, each named in its own words.
  const Catalogs = self.consoleRpgCatalogs || {};
  const LanguageNames = { en: 'English', ja: '日本語' };
  const Languages = ['en', ...Object.keys(Catalogs).filter((code) => code !== 'en').sort()];
  const LanguageKey = 'console-rpg-language';
  let language = 'en';

  function tr(english) {
    const catalog = Catalogs[language];
    const text = catalog && catalog.messages[english];
    return typeof text === 'string' ? text : english;
  }
  function trPlural(singular, plural, count) {
    const catalog = Catalogs[language];
    const forms = catalog && catalog.messages[singular];
    if (!Array.isArray(forms)) return count === 1 ? singular : plural;
    return forms[catalog.forms === 1 || count === 1 ? 0 : 1];
  }
  // A name from a folder as a person can read it: control characters, which
  // show as nothing or as boxes, each as a question mark, as the checker
  // shows them.
  function shown(name) { return String(name).replace(/[\u0000-\u001f\u007f-\u009f]/g, '?'); }
  function fill(text, ...values) {
    let next = 0;
    return text.replace(/%(?:(\d+)\$)?s|%%/g, (match, number) =>
      match === '%%' ? '%' : String(values[number ? Number(number) - 1 : next++]));
  }

  // The page's language: the one chosen on it before, else the first of the
  // browser's languages it speaks, else English.
  function chosenLanguage() {
    let stored = null;
    try { stored = localStorage.getItem(LanguageKey); } catch (error) { /* storage refused: not remembered */ }
    if (Languages.includes(stored)) return stored;
    for (const tag of navigator.languages || [navigator.language || 'en']) {
      const code = String(tag).toLowerCase().split('-')[0];
      if (Languages.includes(code)) return code;
    }
    return 'en';
  }

  // The first run, which boot.js started with the page's head.
  const boot = self.consoleRpgBoot;

  const $ = (id) => document.getElementById(id);
  const statusLine = $('status');
  const screenElement = $('screen');
  const terminalBox = $('terminal');
  const dataName = $('data-name');
  const leftOutLine = $('left-out');
  const loadMessage = $('load-message');
  const checkSummary = $('check-summary');
  const checkList = $('check-list');
  const screenReader = $('screen-reader');
  const folderInput = $('folder');
  const announcer = $('announce');
  const languageChoice = $('language');
  const fixBox = $('fix');
  const fixOffer = $('fix-offer');
  const fixButton = $('fix-button');
  const fixMessage = $('fix-message');
  const fixList = $('fix-list');
  const downloadButton = $('download');

  // What each element says, kept as the way to say it, so that a change of
  // language says it all again.
  const sayings = new Map();
  function say(element, saying) {
    if (saying) sayings.set(element, saying);
    else sayings.delete(element);
    element.textContent = saying ? saying() : '';
  }
  function setStatus(saying) { say(statusLine, saying); }

  function useLanguage(code) {
    language = code;
    document.documentElement.lang = code;
    languageChoice.value = code;
    for (const element of document.querySelectorAll('[data-text]')) element.textContent = T[element.dataset.text]();
    for (const element of document.querySelectorAll('[data-label]')) element.setAttribute('aria-label', T[element.dataset.label]());
    for (const [element, saying] of sayings) element.textContent = saying();
  }
  for (const code of Languages) {
    const option = document.createElement('option');
    option.value = code;
    option.lang = code;
    option.textContent = LanguageNames[code] || code;
    languageChoice.append(option);
  }
  languageChoice.hidden = Languages.length < 2;
  useLanguage(chosenLanguage());
  setStatus(T.starting);
  if (!boot) {
    setStatus(() => T.notStarted(T.workerFailed('boot.js')));
    return;
  }

  // ---- The screen ----
  // The game is told the size boot.js gives. The page shows 54 columns, or as
  // many as something drawn reaches.
  const Columns = boot.screen.columns;
  const Rows = boot.screen.rows;
  const FieldColumns = 54;
  const Blank = ' ';
  const SecondHalf = '';  // the second column of a character two columns wide

  // Code page 932 as the Windows console lays it out: ASCII and half-width
  // katakana take one column, every other character two.
  function widthOf(code) { return code < 0x7f || (code >= 0xff61 && code <= 0xff9f) ? 1 : 2; }

  // The few escape sequences the game sends (cursor placement, clearing,
  // showing or hiding the cursor) and its text in UTF-8, onto a grid of cells.
  // Rows are drawn as one element each, every character in cells of their own,
  // so the field lines up whatever the font.
  const screen = {
    cells: [],
    rowElements: [],
    dirty: new Set(),
    x: 0,
    y: 0,
    state: 'text',
    parameters: '',
    decoder: new TextDecoder('utf-8'),
    extents: new Array(Rows).fill(0),  // each row's last column drawn, plus one
    shownColumns: FieldColumns,
    listeners: new Set(),

    reset() {
      this.cells = Array.from({ length: Rows }, () => new Array(Columns).fill(Blank));
      this.x = 0;
      this.y = 0;
      this.state = 'text';
      this.decoder = new TextDecoder('utf-8');
      for (let y = 0; y < Rows; ++y) this.dirty.add(y);
      this.flush();
    },

    write(bytes) {
      for (const ch of this.decoder.decode(bytes, { stream: true })) this.feed(ch);
      this.flush();
    },

    feed(ch) {
      if (this.state === 'escape') {
        this.state = ch === '[' ? 'sequence' : 'text';
        this.parameters = '';
        return;
      }
      if (this.state === 'sequence') {
        if (ch >= '@' && ch <= '~') {
          this.state = 'text';
          this.sequence(ch);
        } else {
          this.parameters += ch;
        }
        return;
      }
      const code = ch.codePointAt(0);
      if (code === 0x1b) this.state = 'escape';
      else if (ch === '\r') this.x = 0;
      else if (ch === '\n') this.lineFeed();
      else if (ch === '\b') this.x = Math.max(0, this.x - 1);
      else if (code >= 0x20 && code !== 0x7f && !(code >= 0x80 && code < 0xa0)) this.put(ch, widthOf(code));
    },

    sequence(final) {
      if (this.parameters.startsWith('?')) return;  // modes: the cursor is never shown anyway
      const numbers = this.parameters.split(';').map((n) => parseInt(n, 10));
      const n = numbers[0] > 0 ? numbers[0] : 1;
      const clampX = (x) => Math.max(0, Math.min(Columns - 1, x));
      const clampY = (y) => Math.max(0, Math.min(Rows - 1, y));
      switch (final) {
        case 'H': case 'f': this.y = clampY(n - 1); this.x = clampX((numbers[1] > 0 ? numbers[1] : 1) - 1); break;
        case 'G': this.x = clampX(n - 1); break;
        case 'C': this.x = clampX(this.x + n); break;
        case 'D': this.x = clampX(this.x - n); break;
        case 'A': this.y = clampY(this.y - n); break;
        case 'B': this.y = clampY(this.y + n); break;
        case 'J': this.eraseScreen(numbers[0] || 0); break;
        case 'K': this.eraseLine(this.y, numbers[0] || 0); break;
        default: break;
      }
    },

    lineFeed() {
      if (this.y < Rows - 1) {
        ++this.y;
        return;
      }
      this.cells.shift();
      this.cells.push(new Array(Columns).fill(Blank));
      for (let y = 0; y < Rows; ++y) this.dirty.add(y);
    },

    // A character over half of a wide one blanks its other half.
    blank(row, x) {
      if (row[x] === SecondHalf && x > 0) row[x - 1] = Blank;
      if (x + 1 < Columns && row[x + 1] === SecondHalf) row[x + 1] = Blank;
      row[x] = Blank;
    },

    put(ch, width) {
      if (this.x + width > Columns) {
        this.x = 0;
        this.lineFeed();
      }
      const row = this.cells[this.y];
      this.blank(row, this.x);
      if (width === 2) this.blank(row, this.x + 1);
      row[this.x] = ch;
      if (width === 2) row[this.x + 1] = SecondHalf;
      this.x += width;
      this.dirty.add(this.y);
    },

    eraseLine(y, mode) {
      const row = this.cells[y];
      const [from, to] = mode === 0 ? [this.x, Columns] : mode === 1 ? [0, this.x + 1] : [0, Columns];
      for (let x = from; x < to; ++x) this.blank(row, x);
      this.dirty.add(y);
    },

    eraseScreen(mode) {
      if (mode === 0 || mode === 1) {
        this.eraseLine(this.y, mode);
        const [from, to] = mode === 0 ? [this.y + 1, Rows] : [0, this.y];
        for (let y = from; y < to; ++y) this.eraseLine(y, 2);
      } else {
        for (let y = 0; y < Rows; ++y) this.eraseLine(y, 2);
      }
    },

    // The changed rows onto the page: each non-blank character in a cell of
    // its own (two for a wide one), each run of blanks in one element as wide.
    flush() {
      if (this.dirty.size === 0) return;
      const changed = [...this.dirty].sort((a, b) => a - b);
      this.dirty.clear();
      for (const y of changed) {
        const row = this.cells[y];
        const parts = [];
        let blanks = 0;
        let extent = 0;
        for (let x = 0; x < Columns; ++x) {
          const ch = row[x];
          if (ch === SecondHalf) continue;
          if (ch === Blank) { ++blanks; continue; }
          if (blanks > 0) parts.push(blankRun(blanks));
          blanks = 0;
          const cell = document.createElement('span');
          cell.textContent = ch;
          if (widthOf(ch.codePointAt(0)) === 2) cell.className = 'wide';
          parts.push(cell);
          extent = x + widthOf(ch.codePointAt(0));
        }
        this.rowElements[y].replaceChildren(...parts);
        this.extents[y] = extent;
      }
      const shown = Math.max(FieldColumns, ...this.extents);
      if (shown !== this.shownColumns) {
        this.shownColumns = shown;
        fitScreen();
      }
      for (const listener of this.listeners) listener(changed);
    },

    text(y) { return this.cells[y].filter((ch) => ch !== SecondHalf).join(''); },
  };

  function blankRun(count) {
    const run = document.createElement('span');
    run.textContent = Blank.repeat(count);
    run.style.gridColumn = 'span ' + count;
    return run;
  }

  for (let y = 0; y < Rows; ++y) {
    const row = document.createElement('div');
    row.className = 'row';
    screenElement.append(row);
    screen.rowElements.push(row);
  }

  const SideLeastRem = 16;  // the findings' column at its narrowest (page.css)

  // The field as large as the room the page leaves it: all its box's width,
  // and the window's height below its top (but for the help line where that
  // stands below it). Its margin and border take a cell and two pixels.
  function fitScreen() {
    const help = $('help');
    const box = terminalBox.getBoundingClientRect();
    const helpBelow = help.getBoundingClientRect().top >= box.bottom - 1;
    const below = parseFloat(getComputedStyle(document.body).paddingBottom) + (helpBelow ? help.offsetHeight + 8 : 0);
    // Beside the findings, the field takes all the width but their least.
    const main = terminalBox.parentElement;
    const mainStyle = getComputedStyle(main);
    const beside = mainStyle.gridTemplateColumns.trim().split(/\s+/).length > 1;
    const rem = parseFloat(getComputedStyle(document.documentElement).fontSize);
    const width = (beside ? main.clientWidth - SideLeastRem * rem - parseFloat(mainStyle.columnGap) : main.clientWidth) - 2;
    const height = window.innerHeight - (box.top + window.scrollY) - below - 2;
    const cell = Math.max(3, Math.min(width / (screen.shownColumns + 1), height / (Rows * 2 + 1)));
    // Set only when it changes, so that a fit that finds all as it was
    // leaves the page's layout as it is.
    const fit = { columns: String(screen.shownColumns), cell: (Math.floor(cell * 100) / 100) + 'px' };
    if (fit.columns !== fitted.columns) screenElement.style.setProperty('--columns', fit.columns);
    if (fit.cell !== fitted.cell) screenElement.style.setProperty('--cell', fit.cell);
    fitted = fit;
  }
  let fitted = { columns: '', cell: '' };
  // Fitted again when the page's width changes, or the header's height (the
  // status line may wrap), in the frame that changed them; never on a change
  // of the field's own size.
  const watched = new Map();
  const resizes = new ResizeObserver((entries) => {
    let changed = false;
    for (const entry of entries) {
      const size = entry.target.tagName === 'MAIN' ? entry.contentRect.width : entry.contentRect.height;
      changed = changed || watched.get(entry.target) !== size;
      watched.set(entry.target, size);
    }
    if (changed) fitScreen();
  });
  resizes.observe(terminalBox.parentElement);
  resizes.observe(document.querySelector('header'));
  let fitting = false;
  window.addEventListener('resize', () => {
    if (fitting) return;
    fitting = true;
    requestAnimationFrame(() => { fitting = false; fitScreen(); });
  });
  // Fitted now, while the first run starts, rather than in the frame that
  // shows what it drew first.
  fitScreen();
  screen.reset();

  // ---- Screen readers ----
  // The rows are text a screen reader reads as it reads the page. With the
  // box ticked (or ?screen-reader=1), what changes is also said as it comes,
  // at most once a second, so a chase does not drown everything else.
  let announced = new Set();
  let announceTimer = null;
  function announce(changed) {
    if (!screenReader.checked) return;
    for (const y of changed) announced.add(y);
    if (announceTimer !== null) return;
    announceTimer = setTimeout(() => {
      announceTimer = null;
      const rows = [...announced].sort((a, b) => a - b).map((y) => screen.text(y).trimEnd()).filter(Boolean);
      announced = new Set();
      announcer.textContent = rows.join('\n');
    }, 1000);
  }
  screen.listeners.add(announce);
  screenReader.checked = new URLSearchParams(location.search).get('screen-reader') === '1';
  screenReader.addEventListener('change', () => { if (!screenReader.checked) announcer.textContent = ''; });

  // ---- The runs ----
  let run = null;  // the run on the screen: {worker, ended, freed, waiting}
  const counts = { started: 0, ended: 0, live: 0 };
  // The data the game plays: files null for the sample data built into it;
  // name null for files dropped without their folder.
  let data = { files: null, name: null, mended: false, report: null };
  const nameOf = (name) => name === null ? T.droppedFiles() : shown(name);
  function dataLabel() {
    if (data.files === null) return null;
    const label = T.folder(nameOf(data.name), data.files.length);
    return data.mended ? T.mended(label) : label;
  }

  function free(thisRun) {
    if (thisRun.freed) return;
    thisRun.freed = true;
    thisRun.worker.terminate();
    --counts.live;
  }

  function finish(thisRun, sentence) {
    if (!thisRun.ended) {
      thisRun.ended = true;
      ++counts.ended;
    }
    free(thisRun);
    if (sentence !== null && run === thisRun) setStatus(sentence);  // a saying: () => text
  }

  // Which file the game stopped at, as the checker says it (first error the
  // game stops at), or null.
  function stoppedAt(report) {
    if (!report) return null;
    const finding = report.findings.find((f) => f.severity === 'error' &&
      /: the game (stops here|ends at once)/.test(f.message));
    if (!finding) return null;
    const said = finding.localized_message || finding.message;
    return { file: finding.file, why: said.slice(0, said.indexOf(':')) };
  }

  function endSentence(status) {
    if (status === 0) return T.ended;
    const stop = stoppedAt(data.report);
    return stop ? () => T.endedAt(status, stop.file, stop.why) : () => T.endedStatus(status);
  }

  // The game's WebAssembly, compiled by the first run that had to, and given
  // to every run after it: one module for all, rather than one each.
  let gameModule = null;

  // A fresh run: the one on the screen ends and its worker goes, with all it
  // held; the last screen of a run that ended stays until the new one draws.
  function startGame() {
    if (run) finish(run, null);
    const thisRun = { worker: null, ended: false, freed: false, waiting: false, drawn: false };
    run = thisRun;
    ++counts.started;
    ++counts.live;
    setStatus(T.starting);
    // The first run is boot.js's, already going, with what it said before
    // this page listened; any other starts here.
    let worker = boot.worker;
    const heard = worker ? boot.heard : [];
    boot.worker = null;
    try {
      if (!worker && data.files === null && gameModule === null) {
        worker = boot.sampleRun();
      } else if (!worker) {
        worker = new Worker('console-rpg.js');
        worker.postMessage({ run: 'game', files: data.files, columns: Columns, rows: Rows, wasm: gameModule });
      }
    } catch (error) {
      thisRun.freed = true;
      --counts.live;
      finish(thisRun, () => T.notStarted(error.message || String(error)));
      return;
    }
    thisRun.worker = worker;
    worker.onmessage = (event) => {
      const message = event.data;
      if (message.wasm) gameModule = gameModule || message.wasm;
      if (run !== thisRun) return;
      if (message.write) {
        if (!thisRun.drawn) {
          thisRun.drawn = true;
          screen.reset();
          setStatus(() => T.running(dataLabel()));
          afterFirstDraw();
        }
        screen.write(message.write);
      } else if ('waiting' in message) {
        thisRun.waiting = message.waiting;
      } else if ('exit' in message) {
        finish(thisRun, endSentence(message.exit));
      } else if ('failed' in message) {
        const why = message.status ? T.fetchFailed(message.file, message.status) : message.failed;
        finish(thisRun, () => T.notStarted(why));
      }
    };
    worker.onerror = (event) => {
      event.preventDefault();
      finish(thisRun, () => T.notStarted(event.message || T.workerFailed('console-rpg.js')));
    };
    // What the first run said before this page took it over.
    for (const event of heard.splice(0)) (event.type === 'error' ? worker.onerror : worker.onmessage)(event);
  }

  // ---- Keys, pastes, the pad and swipes ----
  const encoder = new TextEncoder();
  const Arrows = { up: '\x1b[A', down: '\x1b[B', right: '\x1b[C', left: '\x1b[D' };
  const Keys = {
    ArrowUp: Arrows.up, ArrowDown: Arrows.down, ArrowRight: Arrows.right, ArrowLeft: Arrows.left,
    Enter: '\r', Backspace: '\x7f', Escape: '\x1b', Delete: '\x1b[3~', Home: '\x1b[H', End: '\x1b[F',
  };

  // Bytes for the game, as a terminal sends them.
  function send(text) {
    if (!run || run.freed || text.length === 0) return;
    const bytes = encoder.encode(text);
    run.worker.postMessage({ input: bytes }, [bytes.buffer]);
  }

  // Tab and Shift+Tab are the page's (the game uses neither), and so are the
  // browser's shortcuts; the rest is typed into the game.
  screenElement.addEventListener('keydown', (event) => {
    if (event.isComposing || event.ctrlKey || event.altKey || event.metaKey) return;
    const text = Keys[event.key] || ([...event.key].length === 1 ? event.key : '');
    if (!text) return;
    event.preventDefault();
    send(text);
  });
  document.addEventListener('paste', (event) => {
    if (document.activeElement !== screenElement) return;
    event.preventDefault();
    send(event.clipboardData.getData('text'));
  });

  // A pad button gives one step when pressed and, held, steps on as a held
  // key repeats. It keeps the keyboard on the field.
  const RepeatDelayMs = 500;
  const RepeatEveryMs = 33;
  for (const button of document.querySelectorAll('#pad button')) {
    const arrow = Arrows[button.dataset.key];
    let repeat = null;
    const stop = () => { clearTimeout(repeat); repeat = null; };
    button.addEventListener('pointerdown', (event) => {
      event.preventDefault();
      if (event.button !== 0) return;
      button.setPointerCapture(event.pointerId);
      send(arrow);
      stop();
      const again = () => { send(arrow); repeat = setTimeout(again, RepeatEveryMs); };
      repeat = setTimeout(again, RepeatDelayMs);
    });
    for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) button.addEventListener(type, stop);
    // A click from the keyboard (Enter or Space on the button) is one step;
    // a pointer's click was its press.
    button.addEventListener('click', (event) => { if (event.detail === 0) send(arrow); });
    button.addEventListener('contextmenu', (event) => event.preventDefault());
  }

  // A swipe on the field is one step its way; a tap only puts the keyboard there.
  const SwipeAtLeastPx = 16;
  const swipes = new Map();
  screenElement.addEventListener('pointerdown', (event) => {
    swipes.set(event.pointerId, [event.clientX, event.clientY]);
    screenElement.focus({ preventScroll: true });
  });
  screenElement.addEventListener('pointerup', (event) => {
    const start = swipes.get(event.pointerId);
    swipes.delete(event.pointerId);
    if (!start) return;
    const dx = event.clientX - start[0];
    const dy = event.clientY - start[1];
    if (Math.max(Math.abs(dx), Math.abs(dy)) < SwipeAtLeastPx) return;
    if (Math.abs(dx) > Math.abs(dy)) send(dx > 0 ? Arrows.right : Arrows.left);
    else send(dy > 0 ? Arrows.down : Arrows.up);
  });
  screenElement.addEventListener('pointercancel', (event) => swipes.delete(event.pointerId));

  // ---- The data checker ----
  // A check, or a fix, is its own worker too, ended when done or when a later
  // load starts; a failure to load its files is said and the next load tries
  // anew. It speaks the page's language.
  const Superseded = new Error('superseded');
  let checking = null;  // {worker, reject}

  function stopChecking() {
    if (!checking) return;
    checking.worker.terminate();
    checking.reject(Superseded);
    checking = null;
  }

  // The checker run on `files` as `run` says ('check': its report; 'fix':
  // what --fix said and did, and the files as it left them).
  function runChecker(run, files) {
    return new Promise((resolve, reject) => {
      const worker = new Worker('console-rpg-check.js');
      const done = () => { worker.terminate(); if (checking && checking.worker === worker) checking = null; };
      checking = { worker, reject };
      worker.onmessage = (event) => {
        done();
        if (event.data.report || event.data.fixed) resolve(event.data.report || event.data.fixed);
        else reject(new Error(event.data.failed || T.workerFailed('console-rpg-check.js')));
      };
      worker.onerror = (event) => {
        event.preventDefault();
        done();
        reject(new Error(event.message || T.workerFailed('console-rpg-check.js')));
      };
      worker.postMessage({ run, files, language });
    });
  }
  const checkData = (files) => runChecker('check', files);

  function showFindings(report) {
    const items = [];
    const tally = { error: 0, warning: 0, note: 0 };
    for (const finding of report.findings) {
      tally[finding.severity] = (tally[finding.severity] || 0) + 1;
      const item = document.createElement('li');
      item.className = finding.severity;
      const where = document.createElement('code');
      where.textContent = finding.file + ':' + finding.line + ':' + finding.column + ': ';
      const severity = document.createElement('span');
      severity.className = 'severity';
      say(severity, () => (T.severity[finding.severity] ? T.severity[finding.severity]() : finding.severity) + ': ');
      item.append(where, severity, finding.localized_message || finding.message);
      items.push(item);
    }
    for (const old of checkList.querySelectorAll('.severity')) sayings.delete(old);
    checkList.replaceChildren(...items);
    say(checkSummary, () => T.summary(tally.error, tally.warning, tally.note, report.exit_status === 2));
    showFix();
  }

  // The findings again in the page's language, once it is changed.
  function checkAgain() {
    const checked = data;
    if (checked.files === null || checking) return;
    checkData(checked.files).then((report) => {
      if (data !== checked) return;
      data.report = report;
      showFindings(report);
    }, () => {});
  }
  languageChoice.addEventListener('change', () => {
    if (!Languages.includes(languageChoice.value)) return;
    useLanguage(languageChoice.value);
    try { localStorage.setItem(LanguageKey, language); } catch (error) { /* not remembered */ }
    checkAgain();
  });

  // ---- Fix ----
  // What --fix mends, the checker's findings name it by: a folder with such a
  // finding is offered Fix. The fix runs on the page's copy of the files (the
  // author's own folder is never written); the mended files are checked again
  // and played, and can be taken away as a zip.
  const fixable = (report) => report !== null && report.findings.some((f) => f.message.includes('console-rpg-check --fix'));
  let lastFix = null;

  function showFix() {
    const offered = data.files !== null && fixable(data.report);
    fixBox.hidden = !offered && !data.fix;
    fixOffer.hidden = !offered;
    fixButton.hidden = !offered;
    downloadButton.hidden = !data.mended;
    const lines = data.fix ? data.fix.lines : [];
    fixList.replaceChildren(...lines.map((line) => {
      const item = document.createElement('li');
      item.textContent = line;
      return item;
    }));
    say(fixMessage, data.fix ? data.fix.saying : null);
    fixMessage.className = data.fix && data.fix.refused ? 'failed' : '';
  }

  // What --fix told, file by file: its lines between its heading and its
  // last line (which names a folder of the worker's own) and the report after.
  function toldLines(lines) {
    const end = lines.indexOf('');
    return (end < 0 ? lines : lines.slice(0, end)).slice(1, -1);
  }

  // Checked data, loaded or mended, becomes what the page plays: its name and
  // findings shown, the game started afresh in it, the keys on the field.
  function play(checked) {
    data = checked;
    say(dataName, dataLabel);
    showFindings(checked.report);
    say(loadMessage, null);
    startGame();
    screenElement.focus({ preventScroll: true });
  }

  async function fixData(number) {
    const before = data;
    say(loadMessage, () => T.fixing(nameOf(before.name)));
    loadMessage.className = '';
    try {
      const fixed = await runChecker('fix', before.files);
      if (number !== loadsStarted) return;
      const lines = toldLines(fixed.lines);
      if (!fixed.changed) {
        // Its errors only: the changes it would have made were not made.
        const reasons = lines.filter((line) => / error: /.test(line));
        data.fix = { lines: reasons.length > 0 ? reasons : lines, refused: true, saying: T.fixRefused };
        lastFix = { result: 'refused', lines };
        showFix();
        say(loadMessage, null);
        return;
      }
      const files = fixed.files.map(({ name, bytes }) => ({ name, blob: new Blob([bytes]), bytes }));
      const report = await checkData(files);
      if (number !== loadsStarted) return;
      lastFix = { result: 'mended', lines };
      play({ files, name: before.name, mended: true, report, fix: { lines, refused: false, saying: T.fixed } });
    } catch (error) {
      if (error === Superseded || number !== loadsStarted) return;
      const why = error.message || String(error);
      loadMessage.className = 'failed';
      say(loadMessage, () => T.fixFailed(why));
      lastFix = { result: 'failed', lines: [] };
    }
  }

  fixButton.addEventListener('click', () => {
    if (data.files === null) return;
    const number = ++loadsStarted;
    stopChecking();
    fixData(number);
  });

  // A zip of the mended folder, stored as it is (no compression: the files
  // are small, and the writer stays a few lines).
  const crcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  function crc32(bytes) {
    let c = 0xffffffff;
    for (const byte of bytes) c = crcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  }
  function zipOf(folder, files) {
    const parts = [];
    const central = [];
    let offset = 0;
    const now = new Date();
    const time = (now.getHours() << 11) | (now.getMinutes() << 5) | (now.getSeconds() >> 1);
    const date = ((now.getFullYear() - 1980) << 9) | ((now.getMonth() + 1) << 5) | now.getDate();
    for (const { name, bytes } of files) {
      const path = encoder.encode(folder + '/' + name);
      const crc = crc32(bytes);
      // The fields a local header and a central one share: version 2.0, names
      // in UTF-8 (flag 11), stored, time, date, CRC, both sizes, name length.
      const common = (view, at) => {
        view.setUint16(at, 20, true);
        view.setUint16(at + 2, 0x0800, true);
        view.setUint16(at + 4, 0, true);
        view.setUint16(at + 6, time, true);
        view.setUint16(at + 8, date, true);
        view.setUint32(at + 10, crc, true);
        view.setUint32(at + 14, bytes.length, true);
        view.setUint32(at + 18, bytes.length, true);
        view.setUint16(at + 22, path.length, true);
      };
      const local = new DataView(new ArrayBuffer(30));
      local.setUint32(0, 0x04034b50, true);
      common(local, 4);
      const entry = new DataView(new ArrayBuffer(46));
      entry.setUint32(0, 0x02014b50, true);
      entry.setUint16(4, 20, true);
      common(entry, 6);
      entry.setUint32(42, offset, true);
      parts.push(local, path, bytes);
      central.push(entry, path);
      offset += 30 + path.length + bytes.length;
    }
    const centralSize = central.reduce((sum, part) => sum + part.byteLength, 0);
    const end = new DataView(new ArrayBuffer(22));
    end.setUint32(0, 0x06054b50, true);
    end.setUint16(8, files.length, true);
    end.setUint16(10, files.length, true);
    end.setUint32(12, centralSize, true);
    end.setUint32(16, offset, true);
    return new Blob([...parts, ...central, end], { type: 'application/zip' });
  }

  downloadButton.addEventListener('click', () => {
    if (!data.mended) return;
    const link = document.createElement('a');
    link.href = URL.createObjectURL(zipOf('console-rpg-data', data.files));
    link.download = 'console-rpg-data.zip';
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  });

  // ---- Loading a folder ----
  // The last load a person starts is the one that stays: each takes a number
  // when it starts, and one overtaken by a later one is dropped wherever it is.
  let loadsStarted = 0;
  let lastLoad = null;

  function showLeftOut(leftOut) {
    const Shown = 5;
    say(leftOutLine, leftOut.length ? () => T.leftOut(leftOut.slice(0, Shown), leftOut.length - Shown) : null);
  }

  async function loadData(number, chosen) {
    const { files: given, name, leftOut } = await chosen;
    if (number !== loadsStarted) return;
    // Dropped files from two folders may share a name: the first is taken.
    const taken = new Set();
    const files = given.filter((file) => {
      if (!taken.has(file.name)) return taken.add(file.name);
      leftOut.push(file.name);
      return false;
    });
    loadMessage.className = '';
    say(loadMessage, () => T.checking(nameOf(name)));
    try {
      if (files.length === 0) throw new Error(T.noFiles());
      const report = await checkData(files);
      if (number !== loadsStarted) return;
      showLeftOut(leftOut);
      lastLoad = { result: 'ok', message: '', name: nameOf(name), files: files.map((f) => f.name), leftOut };
      play({ files, name, mended: false, report, fix: null });
    } catch (error) {
      if (error === Superseded || number !== loadsStarted) return;
      const why = error.message || String(error);
      loadMessage.className = 'failed';
      say(loadMessage, () => T.loadFailed(nameOf(name), why));
      lastLoad = { result: 'failed', message: loadMessage.textContent, name: nameOf(name), files: files.map((f) => f.name), leftOut };
    }
  }

  function startLoad(chosen) {
    const number = ++loadsStarted;
    stopChecking();
    loadData(number, chosen).catch((error) => {
      if (number !== loadsStarted) return;
      const why = error.message || String(error);
      loadMessage.className = 'failed';
      say(loadMessage, () => T.loadFailed(T.droppedFiles(), why));
      lastLoad = { result: 'failed', message: loadMessage.textContent, name: '', files: [], leftOut: [] };
    });
  }

  // A picked folder: its own files, not those of its subfolders (the picker
  // gives all of them, each with its path under the folder).
  function pickedFiles(list) {
    const files = [];
    const leftOut = [];
    let name = null;
    for (const file of list) {
      const parts = (file.webkitRelativePath || file.name).split('/');
      if (parts.length > 1) name = parts[0];
      if (parts.length <= 2) files.push({ name: file.name, blob: file });
      else leftOut.push(parts.slice(1).join('/'));
    }
    return { files, name, leftOut };
  }

  $('load').addEventListener('click', () => folderInput.click());
  folderInput.addEventListener('change', () => {
    const list = Array.from(folderInput.files);
    folderInput.value = '';
    if (list.length) startLoad(Promise.resolve(pickedFiles(list)));
  });

  function entryFile(entry) { return new Promise((resolve, reject) => entry.file(resolve, reject)); }

  function readFolder(reader) {
    return new Promise((resolve, reject) => {
      const entries = [];
      const next = () => reader.readEntries((batch) => {
        if (batch.length === 0) { resolve(entries); return; }
        for (const entry of batch) entries.push(entry);
        next();
      }, reject);
      next();
    });
  }

  // A dropped folder gives its own files, as a picked one does; dropped files
  // are taken as they are. Folders beside dropped files, and folders in the
  // folder, are left out and named.
  async function droppedFiles(entries, plain) {
    const folders = entries.filter((e) => e && e.isDirectory);
    const loose = entries.filter((e) => e && e.isFile);
    if (entries.length === 0 || entries.some((e) => !e)) {
      return { files: plain.map((file) => ({ name: file.name, blob: file })), name: null, leftOut: [] };
    }
    if (folders.length === 1 && loose.length === 0) {
      const inside = await readFolder(folders[0].createReader());
      const files = [];
      for (const entry of inside.filter((e) => e.isFile)) files.push({ name: entry.name, blob: await entryFile(entry) });
      return { files, name: folders[0].name, leftOut: inside.filter((e) => !e.isFile).map((e) => e.name + '/') };
    }
    const files = [];
    for (const entry of loose) files.push({ name: entry.name, blob: await entryFile(entry) });
    return { files, name: null, leftOut: folders.map((e) => e.name + '/') };
  }

  document.addEventListener('dragover', (event) => { event.preventDefault(); event.dataTransfer.dropEffect = 'copy'; });
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    // The entries are read now: the transfer is emptied once the event is over.
    const entries = Array.from(event.dataTransfer.items, (item) => item.webkitGetAsEntry ? item.webkitGetAsEntry() : null);
    const plain = Array.from(event.dataTransfer.files);
    if (entries.length || plain.length) startLoad(droppedFiles(entries, plain));
  });

  $('restart').addEventListener('click', () => {
    startGame();
    screenElement.focus({ preventScroll: true });
  });

  // ---- Offline and installed ----
  // The service worker keeps the page for use without the network. It is
  // registered a second after the game first draws, not before: installing
  // it fetches the whole site, which would slow the start.
  const RegisterAfterMs = 1000;
  let registered = false;
  function afterFirstDraw() {
    if (registered || !('serviceWorker' in navigator)) return;
    registered = true;
    setTimeout(() => navigator.serviceWorker.register('sw.js').catch(() => {}), RegisterAfterMs);
  }

  // Anything that goes wrong in the page's scripts is said on it.
  window.addEventListener('error', (event) => { if (event.error) setStatus(() => T.pageFailed(event.message)); });
  window.addEventListener('unhandledrejection', (event) => {
    setStatus(() => T.pageFailed((event.reason && event.reason.message) || String(event.reason)));
  });

  // For tests and the bench: the screen's rows, a listener for each change
  // drawn, the runs, and what the latest load did.
  window.consoleRpg = {
    get runsStarted() { return counts.started; },
    get runsEnded() { return counts.ended; },
    get live() { return counts.live; },
    get lastLoad() { return lastLoad; },
    get lastFix() { return lastFix; },
    get language() { return language; },
    rows: () => Array.from({ length: Rows }, (_, y) => screen.text(y)),
    onDraw(listener) {
      screen.listeners.add(listener);
      return () => screen.listeners.delete(listener);
    },
    waiting: () => run !== null && !run.freed && run.waiting,
    runsGoing: () => counts.live,
  };

  startGame();
  screenElement.focus({ preventScroll: true });
})();
