// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// What the browser test and the web bench share: the site folder served from
// localhost, Debian's Chromium driven headless by playwright-core, and the
// screen read the way a screen reader reads it.

import { createRequire } from 'node:module';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';

export const HERO = '\u25cf';  // ●
export const PAWN = '\u6b69';  // 歩

const Types = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.json': 'application/json', '.webmanifest': 'application/manifest+json', '.svg': 'image/svg+xml', '.png': 'image/png',
  '.txt': 'text/plain',
};

// The policy a host should send with the page (the README's): the page's own
// and `frame-ancestors`, which only a header can carry.
export const Policy = "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; worker-src 'self'; connect-src 'self'; " +
  "style-src 'self'; img-src 'self'; manifest-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// The site folder on a free port of 127.0.0.1, as any static server would
// serve it, with the policy as a header besides the page's own (`headers`).
export async function serve(root, headers = { 'Content-Security-Policy': Policy }) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = path.join(root, name === '/' ? 'index.html' : name);
    if (!file.startsWith(path.resolve(root)) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': Types[path.extname(file)] || 'application/octet-stream', ...headers });
    fs.createReadStream(file).pipe(response);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// The browser as the machine allows it: the system's Chromium, no network of
// its own, and (playwright's way) a fresh empty profile at every launch.
export async function launch(build) {
  const require = createRequire(path.resolve(build, 'npm') + '/');
  const { chromium } = require('playwright-core');
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

// Columns as the page's terminal counts them: ASCII and half-width katakana
// one, every other character of code page 932 two.
export function widthOf(ch) {
  const code = ch.codePointAt(0);
  return code < 0x7f || (code >= 0xff61 && code <= 0xff9f) ? 1 : 2;
}

// {column: character} of a screen row, blanks left out.
export function cellsOf(row) {
  const cells = {};
  let column = 0;
  for (const ch of row) {
    if (ch !== ' ') cells[column] = ch;
    column += widthOf(ch);
  }
  return cells;
}

// (column, row) of the first place ch stands, or null.
export function find(rows, ch) {
  for (let y = 0; y < rows.length; ++y) {
    const cells = cellsOf(rows[y]);
    for (const column in cells) if (cells[column] === ch) return [Number(column), y];
  }
  return null;
}

// The field's rows as the page gives them to screen readers.
export async function screen(page) {
  return page.$$eval('#screen .row', (rows) => rows.map((row) => row.textContent.replace(/\u00a0/g, ' ').replace(/\s+$/, '')));
}

export async function waitForScreen(page, predicate, timeout = 5000, what = 'the screen') {
  const deadline = Date.now() + timeout;
  for (;;) {
    const rows = await screen(page);
    if (predicate(rows)) return rows;
    if (Date.now() > deadline) throw new Error(`no ${what} within ${timeout} ms; the screen:\n${rows.join('\n')}`);
    await page.waitForTimeout(20);
  }
}

// In the page, from now on: the times (ms) at which the pawn stood on a new
// column of `row`, `count` times, taken as the page changes the row (a screen
// without the pawn there, as while a run starts again, is no step). Started
// before what sets the pawn going, then awaited (pawnSteps): it fails when the
// pawn stands still for three seconds.
export async function startPawnSteps(page, row, count) {
  await page.evaluate(([pawn, y, wanted]) => {
    window.pawnSteps = new Promise((resolve, reject) => {
      const field = document.getElementById('screen');
      const times = [];
      const column = () => (field.querySelectorAll('.row')[y]?.textContent ?? '').indexOf(pawn);
      const stall = () => setTimeout(() => { observer.disconnect(); reject(new Error('the pawn stood still for three seconds')); }, 3000);
      let last = column();
      let stalled = stall();
      const observer = new MutationObserver(() => {
        const at = column();
        if (at < 0 || at === last) return;
        last = at;
        times.push(performance.now());
        clearTimeout(stalled);
        stalled = stall();
        if (times.length === wanted) {
          clearTimeout(stalled);
          observer.disconnect();
          resolve(times);
        }
      });
      observer.observe(field, { childList: true, subtree: true, characterData: true });
    });
  }, [PAWN, row, count]);
}

export async function pawnSteps(page) {
  return page.evaluate(() => window.pawnSteps);
}

// A copy of the sample data (repo/game) in a new folder, changed by `change(folder)`.
export function sampleCopy(repo, change) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'console-rpg-web-'));
  for (const name of fs.readdirSync(path.join(repo, 'game'))) fs.copyFileSync(path.join(repo, 'game', name), path.join(folder, name));
  change(folder);
  return folder;
}

// The hero's start: the last two numbers of its status file.
export function placeHero(folder, x, y) {
  const file = path.join(folder, 'Hero_Status_Info.txt');
  const values = fs.readFileSync(file, 'latin1').split(/\s+/).filter(Boolean);
  values.splice(-2, 2, String(x), String(y));
  fs.writeFileSync(file, values.join(' ') + '\n', 'latin1');
}

// Files or folders dropped on the page the way a person drops them from a
// file manager (a folder stays a folder, subfolders and all).
export async function drop(page, paths) {
  const session = await page.context().newCDPSession(page);
  const data = { items: [], files: paths, dragOperationsMask: 1 };
  for (const type of ['dragEnter', 'dragOver', 'drop']) await session.send('Input.dispatchDragEvent', { type, x: 20, y: 20, data });
  await session.detach();
}

// The resident memory (bytes) of the browser's renderer processes, after a
// full garbage collection in `page`.
// The longest the page's thread went without running a 5 ms timer, from
// the call on: a function that reads it.
export async function watchTimerGaps(page) {
  await page.evaluate(() => {
    window.timerGaps = { last: performance.now(), longest: 0 };
    const tick = () => {
      const now = performance.now();
      window.timerGaps.longest = Math.max(window.timerGaps.longest, now - window.timerGaps.last);
      window.timerGaps.last = now;
      setTimeout(tick, 5);
    };
    tick();
  });
  return () => page.evaluate(() => window.timerGaps.longest);
}

export async function rendererMemory(browser, page) {
  const session = await page.context().newCDPSession(page);
  await session.send('HeapProfiler.collectGarbage');
  await session.detach();
  await page.waitForTimeout(300);
  const browserSession = await browser.newBrowserCDPSession();
  const { processInfo } = await browserSession.send('SystemInfo.getProcessInfo');
  await browserSession.detach();
  let bytes = 0;
  for (const { id } of processInfo.filter((p) => p.type === 'renderer')) {
    try {
      bytes += Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${id}/status`, 'utf8'))[1]) * 1024;
    } catch { /* a renderer gone since the list was made */ }
  }
  return bytes;
}
