// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Put before the game's own script in console-rpg.js (the build's
// --extern-pre-js). The game's WebAssembly: for a run asked for in the
// worker's name (the first one, boot.js), fetched and compiled from the
// moment the worker starts, while the rest of the script is read and run;
// otherwise when the run asks for it and the page has none to give
// (worker.js). A file that could not be fetched is an error naming it and
// the HTTP status.
// No 'use strict' here: at the head of the script it would hold for all of it.

function compileGame() {
  const file = 'console-rpg.wasm';
  return fetch(file, { credentials: 'same-origin' }).then((response) => {
    if (!response.ok) throw Object.assign(new Error(file + ': ' + response.status), { file, status: response.status });
    if ((response.headers.get('Content-Type') || '').startsWith('application/wasm')) return WebAssembly.compileStreaming(response);
    return response.arrayBuffer().then((bytes) => WebAssembly.compile(bytes));
  });
}
const gameWasm = self.name ? compileGame() : null;
if (gameWasm) gameWasm.catch(() => {});  // said when the run asks for it
