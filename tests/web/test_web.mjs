// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The browser build played in headless Chromium, against the site folder
// served from localhost under a strict Content-Security-Policy: the field as
// the terminal build draws it, walking by keys, pad and swipes, the chase's
// pace, the missing-file notice and the end, data folders picked and dropped
// (big, failing, overlapping) with the checker's findings beside the game,
// every screen size, the keyboard alone, axe-core's rules, and offline.
// A page that logs an error or throws fails its case.
//
// usage: node tests/web/test_web.mjs build-web

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import test from 'node:test';

import {
  HERO, PAWN, cellsOf, drop, find, launch, pawnSteps, placeHero, rendererMemory, sampleCopy, screen, serve, startPawnSteps,
  waitForScreen, watchTimerGaps,
} from './page.mjs';

const Build = path.resolve(process.argv[2] || 'build-web');
const Site = path.join(Build, 'site');
const Shots = path.join(Build, 'screenshots');
const Repo = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const MapRowBytes = 54;
const Phone = { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true, deviceScaleFactor: 2 };
const Axe = fs.readFileSync(path.join(Build, 'npm/node_modules/axe-core/axe.min.js'), 'utf8');

// The rows the terminal build's tests expect (tests/e2e/harness.py), each as
// {column: character} the way tmux lays them out. A map other than the
// sample's is read as the game reads it: 54 bytes a row, a line feed only
// moving on.
function expectedCells(hero, mapPath) {
  const script = `
import json, sys
sys.path.insert(0, ${JSON.stringify(path.join(Repo, 'tests/e2e'))})
import harness
hero, map_path = tuple(json.loads(sys.argv[1])), sys.argv[2]
if map_path:
    data = open(map_path, "rb").read()
    rows = [data[i * 54:(i + 1) * 54].replace(b"\\n", b" ").decode("cp932") for i in range(19)]
    rows[harness.PAWN_START[1]] = harness.overlay(rows[harness.PAWN_START[1]], harness.PAWN_START[0], harness.PAWN)
    rows[hero[1]] = harness.overlay(rows[hero[1]], hero[0], harness.HERO + " ")
else:
    rows = harness.expected_field(hero)
print(json.dumps([{c: ch for c, ch in harness.columns_of(row).items() if ch != " "} for row in rows]))
`;
  return JSON.parse(execFileSync('python3', ['-c', script, JSON.stringify(hero), mapPath || ''], { encoding: 'utf8' }));
}

function assertField(rows, expected) {
  for (let y = 0; y < expected.length; ++y) {
    assert.deepEqual(cellsOf(rows[y]), Object.fromEntries(Object.entries(expected[y]).map(([c, ch]) => [Number(c), ch])),
      `row ${y}: ${rows[y]}`);
  }
}

// A copy of the sample data, changed by `change(folder)`, removed after the case.
function dataFolder(t, change) {
  const folder = sampleCopy(Repo, change);
  t.after(() => fs.rmSync(folder, { recursive: true, force: true }));
  return folder;
}

const server = await serve(Site);
const browser = await launch(Build);
// First of the hooks after all cases, so that no failing one keeps the browser open.
test.after(async () => { await browser.close(); server.close(); });

// The page in a context of its own (`options` for the browser context). What
// it logs as an error or throws fails the case, but for messages `expected`
// matches.
async function open(t, options = {}, expected = null) {
  // The page speaks the browser's language: English unless a case asks.
  const context = await browser.newContext({ locale: 'en-US', acceptDownloads: true, ...options });
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(String(error)));
  page.on('console', (message) => {
    if (message.type() === 'error' && !(expected && expected.test(message.text()))) problems.push(message.text());
  });
  t.after(async () => {
    await context.close();
    assert.deepEqual(problems, [], 'errors in the page');
  });
  await page.goto(server.url);
  return page;
}

const load = (page, folder) => page.setInputFiles('#folder', folder);
const heroAt = (page, place, what, timeout = 3000) =>
  waitForScreen(page, (r) => String(find(r, HERO)) === String(place), timeout, `hero at ${place} ${what}`);
const fieldShown = (page) => waitForScreen(page, (r) => find(r, HERO) !== null && find(r, PAWN) !== null, 5000, 'field');
// A game left alone waits for input rather than waking every 10 ms; a key,
// tap or Restart must still reach it at once.
const waitingForInput = (page) => page.waitForFunction(() => window.consoleRpg.waiting(), null, { timeout: 5000 });
const text = (page, selector) => page.$eval(selector, (element) => element.textContent);

async function axeClean(page, when) {
  // Evaluated by the browser's debugger, outside the page's policy.
  if (!(await page.evaluate(() => Boolean(window.axe)))) await page.evaluate(Axe);
  const violations = await page.evaluate(async () => (await window.axe.run(document)).violations
    .map((v) => `${v.id} (${v.help}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`));
  assert.deepEqual(violations, [], `axe-core ${when}`);
}

// The hero moves exactly one step: there, and still there a while later.
async function oneStep(page, place, what) {
  await heroAt(page, place, what);
  await page.waitForTimeout(600);
  assert.equal(String(find(await screen(page), HERO)), String(place), `${what}: more than one step`);
}

// The notice runs its 30 seconds while the other cases play (its case, the
// last, awaits it).
const missingPage = await open(test);
const noticeCase = (async () => {
  // Times taken in the page as it changes, whatever else the machine does meanwhile.
  await missingPage.evaluate(() => {
    const rows = document.getElementById('screen').children;
    new MutationObserver(() => {
      window.noticeAt ??= rows[3]?.textContent.includes('30') ? performance.now() : undefined;
      if (window.consoleRpg.runsEnded === window.consoleRpg.runsStarted) window.endedAt ??= performance.now();
    }).observe(document.body, { childList: true, subtree: true, characterData: true });
  });
  await drop(missingPage, [dataFolder(test, (f) => fs.rmSync(path.join(f, 'SwordCut.txt')))]);
  await missingPage.waitForSelector('#check-list li.error');
  const finding = await text(missingPage, '#check-list li.error');
  const notice = await waitForScreen(missingPage, (rows) => rows[3] && rows[3].includes('30'), 5000, 'notice');
  await missingPage.waitForFunction(() => window.endedAt !== undefined, null, { timeout: 40000, polling: 100 });
  return { finding, notice, seconds: await missingPage.evaluate(() => (window.endedAt - window.noticeAt) / 1000),
    status: await text(missingPage, '#status'), after: await screen(missingPage) };
})();
noticeCase.catch(() => {});  // failed in its case, or not awaited when cases are picked by name

test('the field is drawn cell for cell as in a terminal', async (t) => {
  const page = await open(t);
  assertField(await fieldShown(page), expectedCells([30, 8]));
});

test('arrows move the hero, and the letters with the move codes do', async (t) => {
  const page = await open(t);
  await fieldShown(page);
  await waitingForInput(page);
  // Focus is on the field from the start: no click first.
  for (const [key, place] of [['ArrowRight', [32, 8]], ['ArrowLeft', [30, 8]], ['ArrowUp', [30, 7]], ['ArrowDown', [30, 8]],
    ['H', [30, 7]], ['P', [30, 8]], ['M', [32, 8]], ['K', [30, 8]]]) {
    await page.keyboard.press(key);
    await heroAt(page, place, `after ${key}`);
  }
  // Restart: the hero back at its start, and the keys still reach the game.
  await page.keyboard.press('ArrowRight');
  await heroAt(page, [32, 8], 'after ArrowRight');
  await waitingForInput(page);
  await page.click('#restart');
  await heroAt(page, [30, 8], 'at its start after Restart');
  // The replaced run ended.
  await page.waitForFunction(() => window.consoleRpg.runsEnded === window.consoleRpg.runsStarted - 1, null, { timeout: 2000 });
  await page.focus('#screen');
  await page.keyboard.press('ArrowLeft');
  await heroAt(page, [28, 8], 'after Restart and ArrowLeft');
});

test('the keyboard alone: Tab leaves the field, every control is reached and works', async (t) => {
  const page = await open(t);
  // Load data opens the picker from the keyboard (listened for early: the
  // browser is told to hand pickers over only once someone listens).
  const picker = page.waitForEvent('filechooser', { timeout: 10000 });
  await fieldShown(page);
  await page.focus('#load');
  await page.keyboard.press('Enter');
  await picker;
  for (const keys of [['Tab'], ['Shift+Tab'], ['Escape', 'Tab']]) {
    await page.focus('#screen');
    for (const key of keys) await page.keyboard.press(key);
    assert.notEqual(await page.evaluate(() => document.activeElement.id), 'screen', `${keys.join(' then ')} stays in the field`);
  }
  const reached = [];
  await page.evaluate(() => document.activeElement.blur());
  for (let i = 0; i < 12; ++i) {
    await page.keyboard.press('Tab');
    const [id, ring] = await page.evaluate(() => {
      const focused = document.activeElement;
      const style = getComputedStyle(focused);
      return [focused.id || focused.tagName, focused === document.body || style.outlineStyle !== 'none' || style.boxShadow !== 'none'];
    });
    reached.push(id);
    assert.ok(ring, `no focus ring on ${id}`);
  }
  for (const id of ['restart', 'load', 'screen-reader', 'screen']) assert.ok(reached.includes(id), `Tab never reaches #${id}: ${reached}`);
});

test('the pawn chases every 140 ms', async (t) => {
  // Without the service worker, whose install a second after the first draw
  // would fetch the whole site while the steps are timed.
  const page = await open(t, { serviceWorkers: 'block' });
  await fieldShown(page);
  await startPawnSteps(page, 3, 8);  // every step from its start to the hero
  await load(page, dataFolder(t, (f) => placeHero(f, 24, 3)));
  const times = await pawnSteps(page);
  // Again after Restart, whose first change is the pawn put back at its start.
  await startPawnSteps(page, 3, 9);
  await page.click('#restart');
  const again = (await pawnSteps(page)).slice(1);
  const gaps = [times, again].flatMap((steps) => steps.slice(1).map((time, i) => time - steps[i]));
  // A step more than a whole pause late is the machine holding the worker up,
  // which the game does not make up for. The rest keep one cadence: 140.0
  // here, where pauses each ending a little late make about 145.
  const steady = gaps.filter((gap) => gap < 150).sort((a, b) => a - b);
  const median = steady[steady.length >> 1];
  assert.ok(steady.length >= gaps.length / 2 && Math.abs(median - 140) <= 3,
    `steps ${gaps.map(Math.round)} ms apart, median ${median?.toFixed(1)} of those under 150`);
});

test('a short map line: the warning at its place, the shifted map played, the list new on the next load', async (t) => {
  const page = await open(t);
  // Line 2 two bytes short, line 18 two long: rows 2 to 17 drawn two columns left.
  const folder = dataFolder(t, (f) => {
    const map = fs.readFileSync(path.join(f, 'test.txt'));
    const rows = Array.from({ length: 19 }, (_, i) => map.subarray(i * MapRowBytes, (i + 1) * MapRowBytes));
    rows[1] = Buffer.concat([rows[1].subarray(0, 10), rows[1].subarray(12)]);
    rows[17] = Buffer.concat([rows[17].subarray(0, 10), Buffer.from('  '), rows[17].subarray(10)]);
    fs.writeFileSync(path.join(f, 'test.txt'), Buffer.concat(rows));
  });
  await load(page, folder);
  await page.waitForSelector('#check-list li.warning');
  const warnings = await page.$$eval('#check-list li.warning', (items) => items.map((item) => item.textContent));
  assert.ok(warnings.some((w) => /^test\.txt:2:52: warning: line 2 has 51 bytes before its line feed/.test(w)), warnings.join('\n'));
  const rows = await waitForScreen(page, (r) => find(r, HERO) !== null && cellsOf(r[1] || '')[52] === '＃', 5000, 'shifted field');
  assertField(rows, expectedCells([30, 8], path.join(folder, 'test.txt')));
  await page.keyboard.press('ArrowRight');
  await heroAt(page, [32, 8], 'walking the shifted map');
  await axeClean(page, 'with data loaded');

  await load(page, dataFolder(t, (f) => placeHero(f, 40, 8)));
  await heroAt(page, [40, 8], 'in the next folder loaded');
  assert.deepEqual(await page.$$eval('#check-list li.warning', (items) => items.map((item) => item.textContent)), [],
    'the findings of the folder before');
});

test("a folder's own files only, picked or dropped alike", async (t) => {
  // The hero's file of an old copy in a subfolder must not replace the folder's own.
  const folder = dataFolder(t, (f) => {
    fs.mkdirSync(path.join(f, 'old'));
    fs.copyFileSync(path.join(f, 'Hero_Status_Info.txt'), path.join(f, 'old', 'Hero_Status_Info.txt'));
    placeHero(f, 40, 8);
  });
  for (const [how, give] of [['picked', load], ['dropped', (page) => drop(page, [folder])]]) {
    const page = await open(t);
    await fieldShown(page);
    await give(page, folder);
    await heroAt(page, [40, 8], `from the folder's own file, ${how}`);
    assert.match(await page.evaluate(() => document.body.innerText), /\bold\b/, `what was left out, ${how}`);
  }
});

test('a big file blocks nothing, and the last load started wins over it', async (t) => {
  const page = await open(t);
  await fieldShown(page);
  const big = dataFolder(t, (f) => fs.writeFileSync(path.join(f, 'Hero_Status_Info.txt'), '9'.repeat(64 << 20)));
  const small = dataFolder(t, (f) => placeHero(f, 40, 8));
  const longestGap = await watchTimerGaps(page);
  // Loaded when the page names the folder as the one it plays.
  const started = Date.now();
  await load(page, big);
  const loaded = await page.waitForFunction((name) => window.consoleRpg.lastLoad?.name === name, path.basename(big),
    { timeout: 20000, polling: 50 }).then(() => true, () => false);
  const took = Date.now() - started;
  const longest = await longestGap();
  assert.ok(longest < 500, `the page stood still ${longest.toFixed(0)} ms while a 64 MB file loaded`);
  assert.ok(loaded, 'a 64 MB file still loading after 20 s');

  // Picked, then other files dropped 30 ms later: the dropped ones stay.
  await load(page, big);
  await page.waitForTimeout(30);
  await drop(page, [small]);
  await heroAt(page, [40, 8], 'from the folder dropped last', 10000);
  await page.waitForTimeout(took + 500);
  assert.equal(await page.evaluate(() => window.consoleRpg.lastLoad.name), path.basename(small), 'the folder picked before the drop');
  assert.equal(String(find(await screen(page), HERO)), '40,8', 'the folder picked before the drop took over');
});

test('a load that fails says so, and the next one works', async (t) => {
  const page = await open(t, { serviceWorkers: 'block' }, /404|Failed to load/);
  await fieldShown(page);
  const said = () => /not loaded|could not|failed/i.test(document.body.innerText);
  assert.ok(!(await page.evaluate(said)));
  const checker = /check/;  // the checker's script and module
  await page.context().route(checker, (route) => route.fulfill({ status: 404 }));
  await load(page, dataFolder(t, (f) => placeHero(f, 24, 3)));
  await page.waitForFunction(said, null, { timeout: 5000 });
  await page.context().unroute(checker);
  await load(page, dataFolder(t, (f) => placeHero(f, 40, 8)));
  await heroAt(page, [40, 8], 'from the load after the failed one', 5000);
  assert.match(await text(page, '#check-summary'), /\d+ errors?/);
  // The game's own module, at the page's start: said with the file and the
  // status, and Restart tries again.
  const game = /console-rpg\.wasm/;
  await page.context().route(game, (route) => route.fulfill({ status: 404 }));
  await page.goto(page.url());
  await page.waitForFunction(() => /console-rpg\.wasm could not be loaded \(404\)/.test(document.getElementById('status').textContent),
    null, { timeout: 5000 });
  await page.context().unroute(game);
  await page.click('#restart');
  await fieldShown(page);
});

test('a paste of 300 KB reaches the game', async (t) => {
  const page = await open(t);
  await fieldShown(page);
  await waitingForInput(page);
  await page.focus('#screen');
  await page.evaluate((size) => {
    const data = new DataTransfer();
    data.setData('text/plain', 'M'.repeat(size));  // M: right, as the arrow
    document.activeElement.dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
  }, 300 * 1024);
  await waitForScreen(page, (r) => (find(r, HERO) || [0])[0] > 30, 3000, 'the hero walking right');
});

test('replaced runs are freed', async (t) => {
  const page = await open(t, { serviceWorkers: 'block' });
  await fieldShown(page);
  const folder = dataFolder(t, (f) => fs.writeFileSync(path.join(f, 'notes.txt'), Buffer.alloc(20 << 20, 'x')));
  await load(page, folder);
  await page.waitForFunction(() => window.consoleRpg.runsStarted === 2, null, { timeout: 10000 });
  await fieldShown(page);
  const before = await rendererMemory(browser, page);
  // Restarts and loads of the same folder, each waited for.
  for (let i = 1; i <= 9; ++i) {
    if (i % 3 === 0) await load(page, folder);
    else await page.click('#restart');
    await page.waitForFunction((n) => window.consoleRpg.runsStarted === n, 2 + i, { timeout: 10000 });
    await fieldShown(page);
  }
  const grown = (await rendererMemory(browser, page) - before) / (1 << 20);
  const { runsStarted, runsEnded, live } = await page.evaluate(() => window.consoleRpg);
  assert.equal(runsEnded, runsStarted - 1, 'replaced runs ended');
  assert.ok(live <= 2, `${live} runs still held after ${runsStarted}`);
  // A run held on to (its worker left going) costs some 5 MB here.
  assert.ok(grown < 25, `the page grew ${grown.toFixed(0)} MB over 9 Restarts and loads of a 20 MB folder`);
});

test('the site folder holds only what is served, under a strict policy', async () => {
  const names = fs.readdirSync(Site, { recursive: true }).map(String);
  assert.ok(names.includes('index.html'), names.join(' '));
  assert.deepEqual(names.filter((name) => /(^|\/)(cmake|npm|node_modules|CMakeFiles)(\/|$)|CMakeCache|\.(o|a)$/.test(name)), []);
  const env = { ...process.env, MAKEFLAGS: '', MFLAGS: '', MAKELEVEL: '' };
  const dryRun = execFileSync('make', ['-n', '--no-print-directory', 'web-serve', `WEB_BUILD=${Build}`], { cwd: Repo, encoding: 'utf8', env });
  const served = dryRun.split('\n').filter((line) => line.includes('http.server'));
  assert.ok(served.length === 1 && served[0].includes(Site), `make web-serve: ${served}`);
  const html = fs.readFileSync(path.join(Site, 'index.html'), 'utf8');
  assert.doesNotMatch(html, /<script(?![^>]*\ssrc=)[^>]*>/, 'an inline script');
  const meta = /<meta\s+http-equiv="Content-Security-Policy"\s+content="([^"]*)"/i.exec(html);
  assert.ok(meta, 'the page carries no policy of its own');
  assert.match(meta[1], /script-src 'self'/);
  assert.doesNotMatch(meta[1], /'unsafe-inline'|'unsafe-eval'/);
});

test('on a phone: the pad and swipes move one step each, the page stays put', async (t) => {
  const page = await open(t, Phone);
  await fieldShown(page);
  await waitingForInput(page);
  const session = await page.context().newCDPSession(page);
  const swipe = async ([dx, dy]) => {
    const box = await page.locator('#screen').boundingBox();
    const [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
    await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y }] });
    for (let i = 1; i <= 5; ++i) {
      await session.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x: x + dx * i / 5, y: y + dy * i / 5 }] });
      await page.waitForTimeout(16);
    }
    await session.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  };
  for (const [how, act, place] of [
    ['a tap on right', () => page.tap('#pad button[data-key=right]'), [32, 8]],
    ['a tap on down', () => page.tap('#pad button[data-key=down]'), [32, 9]],
    ['a swipe left', () => swipe([-120, 0]), [30, 9]],
    ['a swipe up', () => swipe([0, -120]), [30, 8]],
  ]) {
    await act();
    await oneStep(page, place, how);
  }
  const pad = await page.$$eval('#pad button', (buttons) => buttons.map((b) => [b.dataset.key, b.offsetWidth, b.offsetHeight]));
  for (const [key, width, height] of pad) assert.ok(width >= 44 && height >= 44, `pad ${key}: ${width} x ${height} px`);
  const still = await page.evaluate(() => [scrollX, scrollY, visualViewport.scale, document.activeElement.tagName]);
  assert.deepEqual(still, [0, 0, 1, still[3]], 'the page scrolled or zoomed');
  assert.ok(!['INPUT', 'TEXTAREA'].includes(still[3]), `a touch focused a ${still[3]}: the soft keyboard`);
  await load(page, dataFolder(t, (f) => placeHero(f, 40, 8)));
  await heroAt(page, [40, 8], 'in a folder loaded on the phone');
  await axeClean(page, 'with data loaded on a phone');
});

// Each size once, in the colour scheme of its row: the field whole and
// large, no sideways scroll, the scheme followed, axe-core clean. Every
// size is tried and shot before the case fails.
test('every screen, light and dark', async (t) => {
  fs.mkdirSync(Shots, { recursive: true });
  const wrong = [];
  for (const [width, height, scheme, touch] of [
    [390, 844, 'light', true], [844, 390, 'dark', true], [820, 1180, 'light', true], [1280, 800, 'dark', false],
    [1920, 1080, 'light', false], [320, 568, 'dark', true],
  ]) {
    const size = `${width}x${height}`;
    const page = await open(t, { viewport: { width, height }, hasTouch: touch, isMobile: touch, colorScheme: scheme });
    await fieldShown(page);
    await page.screenshot({ path: path.join(Shots, `${size}-${scheme}.png`) });
    const fit = await page.evaluate(() => {
      const box = document.getElementById('screen').getBoundingClientRect();
      let back = document.getElementById('screen');
      while (back && /^rgba\(.*, 0\)$|^transparent$/.test(getComputedStyle(back).backgroundColor)) back = back.parentElement;
      const [r, g, b] = getComputedStyle(back || document.documentElement).backgroundColor.match(/\d+/g).map(Number);
      const pad = document.getElementById('pad').getBoundingClientRect();
      return { box: [box.left, box.top, box.right, box.bottom], padBottom: pad.bottom, scrollWidth: document.documentElement.scrollWidth,
        share: (box.width * box.height) / (innerWidth * innerHeight), light: (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255 };
    });
    const [left, top, right, bottom] = fit.box;
    if (!(left >= 0 && top >= 0 && right <= width && bottom <= height)) wrong.push(`${size}: the field at ${fit.box.map(Math.round)}`);
    if (fit.scrollWidth > width) wrong.push(`${size}: ${fit.scrollWidth} px wide`);
    if (touch && fit.padBottom > height) wrong.push(`${size}: the pad reaches down to ${Math.round(fit.padBottom)} px, under the fold`);
    if (fit.share < 0.2) wrong.push(`${size}: the field takes ${(fit.share * 100).toFixed(0)} % of the screen`);
    if ((fit.light > 0.5 ? 'light' : 'dark') !== scheme) wrong.push(`${size}: ${scheme}, the background's lightness ${fit.light.toFixed(2)}`);
    await axeClean(page, `at start, ${size} ${scheme}`).catch((error) => wrong.push(error.message));
  }
  assert.deepEqual(wrong, []);
});

// An author's folder as a UTF-8 editor saves it (the hero's file with a
// byte-order mark and CR LF; a map of 26 full-width characters a line, with
// full-width spaces for open ground), and `change` applied to the text.
function authorsFolder(t, change = '') {
  return dataFolder(t, (f) => execFileSync('python3', ['-c', String.raw`
import os, sys
folder = sys.argv[1]
for name in os.listdir(folder):
    text = open(os.path.join(folder, name), "rb").read().decode("cp932")
    if name == "test.txt":
        text = "".join(line.encode("cp932")[:52].decode("cp932").replace("  ", "\u3000") + "\n" for line in text.splitlines())
    ${change}
    with open(os.path.join(folder, name), "wb") as out:
        out.write(("\ufeff" + text.replace("\n", "\r\n") if name.startswith("Hero") else text).encode("utf-8"))
`, f]));
}

// What the page's language changes, for each: the page's words, the
// checker's findings, and the switch that keeps a choice over a reload.
test('the page in Japanese and in English, by the browser or by its switch', async (t) => {
  const folder = authorsFolder(t);
  for (const [locale, lang, restart, finding, other] of [
    ['ja-JP', 'ja', '最初から', /^Hero_Status_Info\.txt:1:1: 警告: このフォルダのファイル 13 個 \(このファイルが最初\) は UTF-8 のようだ/, 'en'],
    ['en-GB', 'en', 'Restart', /^Hero_Status_Info\.txt:1:1: warning: 13 files of this folder look like UTF-8/, 'ja'],
  ]) {
    const page = await open(t, { locale });
    const said = () => page.evaluate(() => [document.documentElement.lang, document.getElementById('restart').textContent]);
    assert.deepEqual(await said(), [lang, restart], locale);
    await load(page, folder);
    await page.waitForSelector('#check-list li.warning');
    assert.match(await text(page, '#check-list li.warning'), finding, locale);
    await page.selectOption('#language', other);
    await page.reload();
    await fieldShown(page);
    assert.equal((await said())[0], other, `${locale}: the switch to ${other} kept`);
  }
});

// Fix, as an author uses it: offered, pressed, the mended folder played with
// no error, and taken away as a zip in code page 932; a character code page
// 932 has no form for is named where it stands, and nothing changes.
test("an author's UTF-8 folder: Fix mends it, plays it, and gives it as a zip in code page 932", async (t) => {
  const page = await open(t);
  await load(page, authorsFolder(t));
  await page.click('#fix-button');
  await page.waitForSelector('#download:not([hidden])');
  assert.equal(await page.$$eval('#check-list li.error', (items) => items.length), 0, await text(page, '#check-list'));
  assert.match(await text(page, '#fix-list'), /Hero_Status_Info\.txt:1:1: note: converted from UTF-8 .*without its byte-order mark/);
  await fieldShown(page);
  await page.keyboard.press('ArrowRight');
  await heroAt(page, [32, 8], 'in the mended folder');
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  assert.equal(download.suggestedFilename(), 'console-rpg-data.zip');
  const zip = await download.path();
  // Each status file as the sample's (the hero's with CR LF kept), the map
  // in code page 932 with every line 53 bytes: stored, with right CRCs.
  const wrong = execFileSync('python3', ['-c', String.raw`
import sys, zipfile
archive, sample = zipfile.ZipFile(sys.argv[1]), sys.argv[2]
assert archive.testzip() is None
for info in archive.infolist():
    name, data = info.filename.split("/", 1)[1], archive.read(info)
    if name == "test.txt":
        data.decode("cp932")
        if {len(line) for line in data.split(b"\n")[:19]} != {53}: print(name, data[:120])
    elif data != open(sample + "/" + name, "rb").read().replace(b"\n", b"\r\n" if name.startswith("Hero") else b"\n"):
        print(name, data)
print(len(archive.infolist()), "files")
`, zip, path.join(Repo, 'game')], { encoding: 'utf8' });
  assert.equal(wrong.trim(), '13 files');

  const refused = authorsFolder(t, 'text = text + "\\U0001f525" if name == "Flame.txt" else text');
  await load(page, refused);
  await page.waitForFunction((name) => window.consoleRpg.lastLoad.name === name && !document.getElementById('fix-button').hidden,
    path.basename(refused));
  await page.click('#fix-button');
  await page.waitForSelector('#fix-message.failed');
  assert.match(await text(page, '#fix-list'), /Flame\.txt:\d+:\d+: error: the character U\+1F525 has no form in code page 932/);
  assert.ok(await page.$eval('#download', (button) => button.hidden), 'nothing to download');
});

test('once visited, the page plays offline', async (t) => {
  const page = await open(t);
  await fieldShown(page);
  await page.evaluate(() => Promise.race([navigator.serviceWorker.ready, new Promise((resolve) => setTimeout(resolve, 5000))]));
  if (!(await page.evaluate(() => navigator.serviceWorker.controller))) await page.reload();
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 5000 });
  await page.context().setOffline(true);
  await page.reload();
  await fieldShown(page);
  await page.focus('#screen');
  await page.keyboard.press('ArrowRight');
  await heroAt(page, [32, 8], 'offline');
});

test('a missing status file: the notice, then the end in words after 30 s', async () => {
  const result = await noticeCase;
  assert.match(result.finding, /^SwordCut\.txt:1:1: error: missing/);
  const notice = ['ファイルが存在しないため情報の初期化に失敗しました。',
    'ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。',
    'ファイルが見つからない場合はもう一度ダウンロードしてください。',
    ' 30 秒後に強制終了しますので手動で閉じないでください。'];
  assert.deepEqual(result.notice.slice(0, 4), notice);
  assert.match(result.status, /SwordCut\.txt/, 'the missing file named');
  assert.match(result.status, /\b255\b/, 'the status');
  assert.ok(result.seconds > 28 && result.seconds < 33, `ended ${result.seconds} s after the notice`);
  assert.deepEqual(result.after.slice(0, 4), notice, 'the last screen stays');
  await axeClean(missingPage, 'after a run ended');
  await missingPage.setViewportSize(Phone.viewport);
  await axeClean(missingPage, 'after a run ended, on a phone');
});
