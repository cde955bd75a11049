// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The first run of the game, started as the page's head is read rather than
// once its scripts have run: a Web Worker's thread takes long to start, and
// it can start while the rest of the page loads. Loaded without defer or
// async, so that it always runs before page.js, which takes the run over
// with what it has said meanwhile; where the worker could not start,
// page.js starts the first run itself and says why if that fails too.
'use strict';

self.consoleRpgBoot = (() => {
  // The size the game is told: the field takes 54 columns and 20 rows, and
  // the missing-file notice has a line of 68 columns.
  const screen = { columns: 68, rows: 20 };
  // A run of the sample data built into the game is asked for in the
  // worker's name (worker.js), not by a message: a message to a worker that
  // is still starting waits for the page's own thread to pass it on, and
  // while the page loads, that thread is busy.
  const sampleRun = () => new Worker('console-rpg.js', { name: `game ${screen.columns}x${screen.rows}` });
  const heard = [];  // what the first run says before page.js listens
  let worker = null;
  try {
    worker = sampleRun();
    worker.onmessage = (event) => heard.push(event);
    worker.onerror = (event) => { event.preventDefault(); heard.push(event); };
  } catch (error) { /* page.js starts it again, and says why if it fails */ }
  return { screen, sampleRun, worker, heard };
})();
