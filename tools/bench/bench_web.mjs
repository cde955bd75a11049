// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Figures of the browser build, measured in headless Chromium against the page
// served from localhost (usage: node tools/bench/bench_web.mjs build-web [--quick]).

import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

import { HERO, PAWN, launch, pawnSteps, placeHero, sampleCopy, serve, startPawnSteps } from '../../tests/web/page.mjs';

const Root = path.resolve(process.argv[2] || 'build-web');
const Repo = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const Quick = process.argv.includes('--quick');

const median = (values) => percentile(values, 0.5);
function percentile(values, share) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(share * sorted.length))];
}

// Navigation start to the first parsed write after which the terminal's
// buffer holds the hero and the pawn, each load in a fresh context (no cache).
async function pageLoad(browser, url, loads) {
  const times = [];
  for (let i = 0; i < loads; ++i) {
    const context = await browser.newContext();
    await context.addInitScript(([hero, pawn]) => {
      Object.defineProperty(window, 'consoleRpg', {
        configurable: true,
        set(value) {
          Object.defineProperty(window, 'consoleRpg', { value });
          const buffer = () => value.term.buffer.active;
          const listener = value.term.onWriteParsed(() => {
            if (buffer().getLine(8).translateToString().includes(hero) && buffer().getLine(3).translateToString().includes(pawn)) {
              window.fieldDrawnMs = performance.now();
              listener.dispose();
            }
          });
        },
      });
    }, [HERO, PAWN]);
    const page = await context.newPage();
    await page.goto(url);
    await page.waitForFunction(() => window.fieldDrawnMs !== undefined);
    times.push(await page.evaluate(() => window.fieldDrawnMs));
    await context.close();
  }
  return times;
}

// A key event dispatched on the terminal to the moved hero in its buffer,
// right and left in turn, at no fixed phase of the game's loop; or, `quiet`,
// each once the game has gone quiet and waits for input.
async function keyToScreen(page, presses, quiet = false) {
  return page.evaluate(async ([hero, presses, quiet]) => {
    const term = window.consoleRpg.term;
    const where = () => term.buffer.active.getLine(8).translateToString().indexOf(hero);
    const press = (right) => new Promise((resolve) => {
      const before = where();
      const started = performance.now();
      const listener = term.onWriteParsed(() => {
        if (where() === before) return;
        listener.dispose();
        resolve(performance.now() - started);
      });
      const [key, code] = right ? ['ArrowRight', 39] : ['ArrowLeft', 37];
      term.textarea.dispatchEvent(new KeyboardEvent('keydown', { key, code: key, keyCode: code, bubbles: true }));
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
// a browser that shows one page only, while `page_at(url)` stands idle there.
async function idleShare(url, prepare, seconds) {
  const browser = await launch(Root);
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

const gzipped = (names) => names.reduce((sum, name) => sum + zlib.gzipSync(fs.readFileSync(path.join(Root, name)), { level: 9 }).length, 0);

const server = await serve(Root);
const browser = await launch(Root);
const rows = [];
try {
  const loads = await pageLoad(browser, server.url, Quick ? 5 : 20);
  rows.push([`page load to the field drawn (median of ${loads.length}, max ${Math.max(...loads).toFixed(0)})`, median(loads).toFixed(1), 'ms', '< 300', median(loads) < 300]);

  const page = await browser.newPage();
  await page.goto(server.url);
  await page.waitForFunction(() => window.consoleRpg.term.buffer.active.getLine(8).translateToString().includes('\u25cf'));

  const keys = await keyToScreen(page, Quick ? 60 : 240);
  rows.push([`key to screen, median of ${keys.length} presses`, median(keys).toFixed(1), 'ms', '', null]);
  rows.push(['key to screen, 95th percentile', percentile(keys, 0.95).toFixed(1), 'ms', '<= 25', percentile(keys, 0.95) <= 25]);
  await page.waitForFunction(() => window.consoleRpg.waiting());
  const woken = await keyToScreen(page, Quick ? 3 : 10, true);
  rows.push([`  each key after the game went quiet, median of ${woken.length} (max ${Math.max(...woken).toFixed(1)})`,
    median(woken).toFixed(1), 'ms', '<= 25', Math.max(...woken) <= 25]);

  // The pawn's steps toward a hero standing near, over several runs (Restart).
  const folder = sampleCopy(Repo, (f) => placeHero(f, 24, 3));
  const gaps = [];
  for (let run = 0; run < (Quick ? 2 : 6); ++run) {
    await startPawnSteps(page, 3, 5);
    if (run === 0) await page.setInputFiles('#folder', folder);
    else await page.click('#restart');
    const times = await pawnSteps(page);
    gaps.push(...times.slice(1).map((time, i) => time - times[i]));
  }
  fs.rmSync(folder, { recursive: true, force: true });
  await page.close();
  const step = median(gaps);
  rows.push([`pawn step interval, median of ${gaps.length} (min ${Math.min(...gaps).toFixed(0)}, max ${Math.max(...gaps).toFixed(0)})`, step.toFixed(1), 'ms', '117 to 143', step >= 117 && step <= 143]);

  // Idle in the field loop, and for comparison a page that only wakes every 10 ms as the loop does.
  const seconds = Quick ? 5 : 15;
  // Left alone, the game goes quiet within a second and waits for input.
  const field = (page) => page.waitForFunction(() => window.consoleRpg.waiting());
  const idle = await idleShare(server.url, field, seconds);
  const wakeEvery10Ms = (page) => page.evaluate(() => { const wake = () => setTimeout(wake, 10); wake(); });
  const bare = await idleShare(server.url + 'xterm.css', wakeEvery10Ms, seconds);
  rows.push(['processor time of the page idle in the field loop', idle.toFixed(2), '% of a core', '< 2', idle < 2]);
  rows.push(['  the same of a page that only wakes every 10 ms', bare.toFixed(2), '% of a core', '', null]);
} finally {
  await browser.close();
  server.close();
}

const game = gzipped(['console-rpg.js', 'console-rpg.wasm']);
rows.push(["the game's .wasm and .js, gzipped", (game / 1024).toFixed(1), 'KB', '< 150', game < 150 * 1024]);
const pageFiles = ['index.html', 'page.js', 'page.css', 'xterm.js', 'xterm.css', 'console-rpg.js', 'console-rpg.wasm',
  'console-rpg-check.js', 'console-rpg-check.wasm'];
const whole = gzipped(pageFiles);
rows.push(['the whole page, gzipped', (whole / 1024).toFixed(1), 'KB', '< 400', whole < 400 * 1024]);

const width = Math.max(...rows.map((r) => r[0].length));
const line = (a, b, c, d, e) => `${a.padEnd(width)}  ${b.padStart(10)}  ${c.padEnd(11)}  ${d.padEnd(10)}  ${e}`;
console.log(line('figure', 'value', 'unit', 'goal', 'met'));
for (const [name, value, unit, goal, met] of rows) console.log(line(name, value, unit, goal, met === null ? '' : met ? 'yes' : 'NO'));
