// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The browser build played in headless Chromium, against the page served from
// localhost: the field as the terminal build draws it, walking, the chase's
// pace, the missing-file notice and the end, and a data folder loaded on the
// page with the checker's findings beside the game.
//
// usage: node tests/web/test_web.mjs build-web

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import test from 'node:test';

import {
  HERO, PAWN, cellsOf, find, launch, pawnSteps, placeHero, sampleCopy, screen, serve, startPawnSteps, waitForScreen,
} from './page.mjs';

const Root = path.resolve(process.argv[2] || 'build-web');
const Repo = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const MapRowBytes = 54;

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

const server = await serve(Root);
const browser = await launch(Root);
test.after(async () => { await browser.close(); server.close(); });

async function open(t) {
  const page = await browser.newPage();
  t.after(() => page.close());
  await page.goto(server.url + '?screen-reader=1');
  return page;
}

async function load(page, folder) {
  await page.setInputFiles('#folder', folder);
}

test('the browser build', { timeout: 120000 }, async (t) => {
  // The notice runs its 30 seconds while the other cases play.
  const missingPage = await open(t);
  const noticeCase = (async () => {
    const folder = dataFolder(t, (f) => fs.rmSync(path.join(f, 'SwordCut.txt')));
    // Dropped on the page as files, not picked as a folder.
    const files = fs.readdirSync(folder).map((name) => ({ name, bytes: Array.from(fs.readFileSync(path.join(folder, name))) }));
    await missingPage.evaluate((list) => {
      const transfer = new DataTransfer();
      for (const file of list) transfer.items.add(new File([new Uint8Array(file.bytes)], file.name));
      document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, files);
    await missingPage.waitForSelector('#check-list li.error');
    const finding = await missingPage.textContent('#check-list li.error');
    const notice = await waitForScreen(missingPage, (rows) => rows[3] && rows[3].includes('30'), 5000, 'notice');
    const shown = Date.now();
    await missingPage.waitForFunction(() => document.getElementById('status').textContent.startsWith('ended'), null,
      { timeout: 40000, polling: 100 });
    return { finding, notice, seconds: (Date.now() - shown) / 1000, status: await missingPage.textContent('#status'),
      after: await screen(missingPage) };
  })();

  await t.test('the field is drawn cell for cell as in a terminal', async (t) => {
    const page = await open(t);
    const rows = await waitForScreen(page, (r) => find(r, HERO) !== null && find(r, PAWN) !== null, 5000, 'field');
    assertField(rows, expectedCells([30, 8]));
    fs.mkdirSync(path.join(Root, 'test'), { recursive: true });
    await page.locator('#terminal').screenshot({ path: path.join(Root, 'test', 'field.png') });
  });

  // A game left alone waits for input rather than waking every 10 ms; a key
  // or Restart must still reach it at once.
  const waitingForInput = (page) => page.waitForFunction(() => window.consoleRpg.waiting(), null, { timeout: 5000 });

  await t.test('arrows move the hero, and the letters with the move codes do', async (t) => {
    const page = await open(t);
    await waitForScreen(page, (r) => find(r, HERO) !== null, 5000, 'field');
    await waitingForInput(page);
    // Focus is on the terminal from the start: no click first.
    for (const [key, place] of [['ArrowRight', [32, 8]], ['ArrowLeft', [30, 8]], ['ArrowUp', [30, 7]], ['ArrowDown', [30, 8]],
      ['H', [30, 7]], ['P', [30, 8]], ['M', [32, 8]], ['K', [30, 8]]]) {
      await page.keyboard.press(key);
      await waitForScreen(page, (r) => String(find(r, HERO)) === String(place), 3000, `hero at ${place} after ${key}`);
    }
    // Restart: the hero back at its start, and the keys still reach the game.
    await page.keyboard.press('ArrowRight');
    await waitForScreen(page, (r) => String(find(r, HERO)) === '32,8', 3000, 'hero at 32,8');
    await waitingForInput(page);
    await page.click('#restart');
    await waitForScreen(page, (r) => String(find(r, HERO)) === '30,8', 3000, 'hero at its start after Restart');
    await page.waitForFunction(() => window.consoleRpg.runsGoing() === 1, null, { timeout: 2000 }); // the replaced run ended
    await page.keyboard.press('ArrowLeft');
    await waitForScreen(page, (r) => String(find(r, HERO)) === '28,8', 3000, 'hero at 28,8 after Restart');
  });

  await t.test('the pawn chases about every 140 ms', async (t) => {
    const page = await open(t);
    await waitForScreen(page, (r) => find(r, PAWN) !== null, 5000, 'field');
    await startPawnSteps(page, 3, 4);
    await load(page, dataFolder(t, (f) => placeHero(f, 24, 3)));
    const times = await pawnSteps(page);
    await waitForScreen(page, (r) => String(find(r, HERO)) === '24,3', 3000, 'the hero placed near the pawn');
    const gaps = times.slice(1).map((time, i) => time - times[i]);
    for (const gap of gaps) assert.ok(gap > 100 && gap < 180, `steps ${gaps.map(Math.round)} ms apart`);
  });

  await t.test('a short map line: the warning at its place, and the shifted map played', async (t) => {
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
    await waitForScreen(page, (r) => String(find(r, HERO)) === '32,8', 2000, 'the hero walking the shifted map');
  });

  await t.test('a missing status file: the notice, then the end with status 255 after 30 s', async () => {
    const result = await noticeCase;
    assert.match(result.finding, /^SwordCut\.txt:1:1: error: missing/);
    const notice = ['ファイルが存在しないため情報の初期化に失敗しました。',
      'ファイルが実行ファイルと同じディレクトリ内にあるか確認してください。',
      'ファイルが見つからない場合はもう一度ダウンロードしてください。',
      ' 30 秒後に強制終了しますので手動で閉じないでください。'];
    assert.deepEqual(result.notice.slice(0, 4), notice);
    assert.equal(result.status, 'ended, status 255');
    assert.ok(result.seconds > 28 && result.seconds < 33, `ended ${result.seconds} s after the notice`);
    assert.deepEqual(result.after.slice(0, 4), notice, 'the last screen stays');
  });
});
