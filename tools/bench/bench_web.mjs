// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Figures of the browser build, measured in headless Chromium against the site
// folder served from localhost (usage: node tools/bench/bench_web.mjs build-web [--quick]).

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

import {
  HERO, PAWN, launch, pawnSteps, placeHero, rendererMemory, sampleCopy, screen, serve, startPawnSteps, watchTimerGaps,
} from '../../tests/web/page.mjs';

const Build = path.resolve(process.argv[2] || 'build-web');
const Site = path.join(Build, 'site');
const Repo = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const Quick = process.argv.includes('--quick');
const MB = 1 << 20;

const median = (values) => percentile(values, 0.5);
function percentile(values, share) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(share * sorted.length))];
}

// Navigation start to the first frame after the page shows the hero and the
// pawn in its text (the field's rows on our page; the terminal's rows in the
// bare xterm.js page, which says so itself), each load in a fresh context (no
// cache). The time is logged to the console rather than read from the page:
// playwright's waitForFunction and evaluate put a script of their own into
// the page (some 20 ms of its thread) once it has loaded, which fell inside
// the load of a page whose field is drawn after that, as ours is by its worker,
// and outside the bare page's.
const DrawnMark = 'field drawn at ';
async function pageLoad(browser, url, loads, watch) {
  const times = [];
  for (let i = 0; i < loads; ++i) {
    const context = await browser.newContext();
    if (watch) await context.addInitScript(([hero, pawn, mark]) => {
      const observer = new MutationObserver(() => {
        const rows = document.querySelectorAll('#screen .row');
        if (rows.length > 8 && rows[8].textContent.includes(hero) && rows[3].textContent.includes(pawn)) {
          observer.disconnect();
          requestAnimationFrame(() => console.log(mark + performance.now()));
        }
      });
      observer.observe(document, { childList: true, subtree: true, characterData: true });
    }, [HERO, PAWN, DrawnMark]);
    const page = await context.newPage();
    const drawn = new Promise((resolve) => page.on('console', (message) => {
      if (message.text().startsWith(DrawnMark)) resolve(Number(message.text().slice(DrawnMark.length)));
    }));
    await page.goto(url, { waitUntil: 'commit' });
    let timer;
    const late = new Promise((resolve, reject) => { timer = setTimeout(() => reject(new Error(`${url}: no field after 10 s`)), 10000); });
    times.push(await Promise.race([drawn, late]));
    clearTimeout(timer);
    await context.close();
  }
  return times;
}

// A page that does nothing but draw `rows` with xterm.js (the renderer this
// page had before), in the same font and cell widths, served from `folder`.
function barePage(folder, rows) {
  const xterm = path.join(Build, 'npm/node_modules/@xterm/xterm');
  fs.copyFileSync(path.join(xterm, 'lib/xterm.js'), path.join(folder, 'xterm.js'));
  fs.copyFileSync(path.join(xterm, 'css/xterm.css'), path.join(folder, 'xterm.css'));
  fs.writeFileSync(path.join(folder, 'index.html'), '<!DOCTYPE html><html lang="ja"><head><meta charset="utf-8"><title>bare</title>' +
    '<link rel="stylesheet" href="xterm.css"></head><body><div id="terminal"></div>' +
    '<script src="xterm.js"></script><script src="bare.js"></script></body></html>\n');
  fs.writeFileSync(path.join(folder, 'bare.js'), `'use strict';
const term = new Terminal({ cols: 80, rows: 25, fontSize: 16, allowProposedApi: true,
  fontFamily: '"IPAGothic", "IPAexGothic", monospace' });
term.unicode.register({ version: 'cp932', wcwidth: (c) => c < 0x20 ? 0 : c < 0x7f || (c >= 0xff61 && c <= 0xff9f) ? 1 : 2,
  charProperties(c) { return this.wcwidth(c) << 1; } });
term.unicode.activeVersion = 'cp932';
term.open(document.getElementById('terminal'));
term.write(${JSON.stringify(rows.map((row, y) => `\x1b[${y + 1};1H${row}`).join(''))},
  () => requestAnimationFrame(() => console.log(${JSON.stringify(DrawnMark)} + performance.now())));
`);
}

// A key event dispatched on the field to the moved hero in its row, right and
// left in turn, at no fixed phase of the game's loop; or, `quiet`, each once
// the game has gone quiet and waits for input.
async function keyToScreen(page, presses, quiet = false) {
  return page.evaluate(async ([hero, presses, quiet]) => {
    const field = document.getElementById('screen');
    const where = () => field.querySelectorAll('.row')[8].textContent.indexOf(hero);
    const press = (right) => new Promise((resolve) => {
      const before = where();
      const started = performance.now();
      const observer = new MutationObserver(() => {
        if (where() === before) return;
        observer.disconnect();
        resolve(performance.now() - started);
      });
      observer.observe(field, { childList: true, subtree: true, characterData: true });
      const [key, code] = right ? ['ArrowRight', 39] : ['ArrowLeft', 37];
      field.dispatchEvent(new KeyboardEvent('keydown', { key, code: key, keyCode: code, bubbles: true, cancelable: true }));
    });
    const times = [];
    for (let i = 0; i < presses; ++i) {
      times.push(await press(i % 2 === 0));
      await new Promise((resolve) => setTimeout(resolve, 20 + Math.random() * 20));
      while (quiet && !window.consoleRpg.waiting()) await new Promise((resolve) => setTimeout(resolve, 50));
    }
    return times;
  }, [HERO, presses, quiet]);
}

// The processor time of the renderer processes (the browser's own count) of
// a browser that shows one page only, while it stands idle there.
async function idleShare(url, prepare, seconds) {
  const browser = await launch(Build);
  try {
    const page = await browser.newPage();
    await page.goto(url);
    await prepare(page);
    await page.waitForTimeout(1000);
    const session = await browser.newBrowserCDPSession();
    const cpu = async () => (await session.send('SystemInfo.getProcessInfo')).processInfo
      .filter((p) => p.type === 'renderer').reduce((sum, p) => sum + p.cpuTime, 0);
    const before = await cpu();
    const started = Date.now();
    await page.waitForTimeout(seconds * 1000);
    return (await cpu() - before) / ((Date.now() - started) / 1000) * 100;
  } finally {
    await browser.close();
  }
}

const fieldShown = (page) => page.waitForFunction(([hero, pawn]) => {
  const rows = document.querySelectorAll('#screen .row');
  return rows.length > 8 && rows[8].textContent.includes(hero) && rows[3].textContent.includes(pawn);
}, [HERO, PAWN]);

const temp = fs.mkdtempSync(path.join(os.tmpdir(), 'console-rpg-bench-'));
const server = await serve(Site);
const browser = await launch(Build);
const rows = [];
try {
  const page = await browser.newPage();
  await page.goto(server.url);
  await fieldShown(page);

  // Page load, ours and the bare page's drawing the same rows, taken in
  // turns, each first in every other round: on a small machine a load is
  // slowed by the one before it, still being torn down.
  const bareFolder = path.join(temp, 'bare');
  fs.mkdirSync(bareFolder);
  barePage(bareFolder, await screen(page));
  const bareServer = await serve(bareFolder, {});
  const ours = [];
  const bare = [];
  for (let round = 0; round < (Quick ? 4 : 30); ++round) {
    const loads = [[ours, server.url, true], [bare, bareServer.url, false]];
    for (const [times, url, watch] of round % 2 === 0 ? loads : loads.reverse()) times.push(...await pageLoad(browser, url, 1, watch));
  }
  bareServer.close();
  rows.push([`page load to the field drawn (median of ${ours.length}, max ${Math.max(...ours).toFixed(0)})`, median(ours).toFixed(1), 'ms', '< 300', median(ours) < 300]);
  rows.push([`  a bare xterm.js page drawing the same field (median of ${bare.length})`, median(bare).toFixed(1), 'ms', '', null]);
  rows.push(['  ours against the bare page', (median(ours) / median(bare)).toFixed(2), 'times', '<= 1.2', median(ours) / median(bare) <= 1.2]);

  const keys = await keyToScreen(page, Quick ? 60 : 240);
  rows.push([`key to screen, median of ${keys.length} presses`, median(keys).toFixed(1), 'ms', '', null]);
  rows.push(['key to screen, 95th percentile', percentile(keys, 0.95).toFixed(1), 'ms', '<= 25', percentile(keys, 0.95) <= 25]);
  await page.waitForFunction(() => window.consoleRpg.waiting());
  const woken = await keyToScreen(page, Quick ? 3 : 10, true);
  rows.push([`  each key after the game went quiet, median of ${woken.length} (max ${Math.max(...woken).toFixed(1)})`,
    median(woken).toFixed(1), 'ms', '<= 25', Math.max(...woken) <= 25]);

  // The pawn's steps toward a hero standing near, over several runs (Restart).
  const near = sampleCopy(Repo, (f) => placeHero(f, 24, 3));
  const gaps = [];
  for (let run = 0; run < (Quick ? 2 : 6); ++run) {
    await startPawnSteps(page, 3, 5);
    if (run === 0) await page.setInputFiles('#folder', near);
    else await page.click('#restart');
    const times = await pawnSteps(page);
    gaps.push(...times.slice(1).map((time, i) => time - times[i]));
  }
  fs.rmSync(near, { recursive: true, force: true });
  const step = median(gaps);
  rows.push([`pawn step interval, median of ${gaps.length} (min ${Math.min(...gaps).toFixed(0)}, max ${Math.max(...gaps).toFixed(0)})`, step.toFixed(1), 'ms', '117 to 143', step >= 117 && step <= 143]);
  await page.close();

  // The memory of a page playing a 20 MB folder, after its first Restart and after 50.
  {
    const own = await launch(Build);
    const played = await own.newPage();
    await played.goto(server.url);
    await fieldShown(played);
    const folder = sampleCopy(Repo, (f) => fs.writeFileSync(path.join(f, 'notes.txt'), Buffer.alloc(20 * MB, 'x')));
    await played.setInputFiles('#folder', folder);
    await played.waitForFunction(() => window.consoleRpg.runsStarted === 2, null, { timeout: 30000 });
    let first = 0;
    const restarts = Quick ? 10 : 50;
    for (let i = 1; i <= restarts; ++i) {
      await played.click('#restart');
      await played.waitForFunction((n) => window.consoleRpg.runsStarted === n, 2 + i);
      await fieldShown(played);
      if (i === 1) first = await rendererMemory(own, played);
    }
    const last = await rendererMemory(own, played);
    await own.close();
    fs.rmSync(folder, { recursive: true, force: true });
    rows.push([`renderer memory, 20 MB folder: after the first Restart`, (first / MB).toFixed(0), 'MB', '', null]);
    rows.push([`  after ${restarts}, more than after the first`, ((last - first) / MB).toFixed(0), 'MB', '< 50', last - first < 50 * MB]);
  }

  // The longest the main thread is busy at once while a 300 MB hero file is
  // loaded, checked and played: long tasks as the browser reports them, and a
  // 5 ms timer's longest gap.
  {
    const blocked = await browser.newPage();
    await blocked.goto(server.url);
    await fieldShown(blocked);
    const size = Quick ? 100 : 300;
    const folder = sampleCopy(Repo, (f) => fs.writeFileSync(path.join(f, 'Hero_Status_Info.txt'), Buffer.alloc(size * MB, '9')));
    await blocked.evaluate(() => {
      window.longestTask = 0;
      new PerformanceObserver((list) => {
        for (const entry of list.getEntries()) window.longestTask = Math.max(window.longestTask, entry.duration);
      }).observe({ type: 'longtask' });
    });
    const longestGap = await watchTimerGaps(blocked);
    const started = Date.now();
    await blocked.setInputFiles('#folder', folder);
    // Loaded once the page names the folder as the one it plays; measured for two minutes at most.
    const loaded = await blocked.waitForFunction((name) => window.consoleRpg.lastLoad?.name === name, path.basename(folder),
      { timeout: 120000, polling: 100 }).then(() => true, () => false);
    await blocked.waitForTimeout(1000);
    const took = Date.now() - started;
    const task = await blocked.evaluate(() => window.longestTask);
    const gap = await longestGap();
    await blocked.close();
    fs.rmSync(folder, { recursive: true, force: true });
    const how = loaded ? `${(took / 1000).toFixed(1)} s in all` : `still loading after ${(took / 1000).toFixed(0)} s`;
    rows.push([`longest main-thread task while a ${size} MB file loads (${how})`, task.toFixed(0), 'ms', '< 100', task < 100]);
    rows.push(['  longest gap of a 5 ms timer meanwhile', gap.toFixed(0), 'ms', '< 100', gap < 100]);
  }

  // Idle in the field loop, and for comparison a page that only wakes every 10 ms as the loop does.
  const seconds = Quick ? 5 : 15;
  // Left alone, the game goes quiet within a second and waits for input.
  const field = (page) => page.waitForFunction(() => window.consoleRpg.waiting());
  const idle = await idleShare(server.url, field, seconds);
  const wakeEvery10Ms = (page) => page.evaluate(() => { const wake = () => setTimeout(wake, 10); wake(); });
  const bareIdle = await idleShare('about:blank', wakeEvery10Ms, seconds);
  rows.push(['processor time of the page idle in the field loop', idle.toFixed(2), '% of a core', '< 2', idle < 2]);
  rows.push(['  the same of a page that only wakes every 10 ms', bareIdle.toFixed(2), '% of a core', '', null]);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(temp, { recursive: true, force: true });
}

const gzipped = (names) => names.reduce((sum, name) => sum + zlib.gzipSync(fs.readFileSync(path.join(Site, name)), { level: 9 }).length, 0);
const game = gzipped(['console-rpg.js', 'console-rpg.wasm']);
rows.push(["the game's .wasm and .js, gzipped", (game / 1024).toFixed(1), 'KB', '< 150', game < 150 * 1024]);
// Everything the site serves but the sample data.
const pageFiles = fs.readdirSync(Site, { recursive: true }).map(String)
  .filter((name) => /\.(html|js|mjs|css|wasm|json|webmanifest|svg|png|ico)$/.test(name));
const whole = gzipped(pageFiles);
rows.push([`the whole page, gzipped (${pageFiles.length} files)`, (whole / 1024).toFixed(1), 'KB', '< 400', whole < 400 * 1024]);

const width = Math.max(...rows.map((r) => r[0].length));
const line = (a, b, c, d, e) => `${a.padEnd(width)}  ${b.padStart(10)}  ${c.padEnd(11)}  ${d.padEnd(10)}  ${e}`;
console.log(line('figure', 'value', 'unit', 'goal', 'met'));
for (const [name, value, unit, goal, met] of rows) console.log(line(name, value, unit, goal, met === null ? '' : met ? 'yes' : 'NO'));
