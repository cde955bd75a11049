// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Put before the game's own script in console-rpg.js (the build's
// --extern-pre-js): the game's WebAssembly is fetched and compiled from the
// moment its worker starts, while the rest of the script is read and run,
// rather than once the program asks for it (worker.js instantiates it). A
// file that could not be fetched is an error naming it and the HTTP status.
// No 'use strict' here: at the head of the script it would hold for all of it.

const gameWasm = (() => {
  const file = 'console-rpg.wasm';
  return fetch(file, { credentials: 'same-origin' }).then((response) => {
    if (!response.ok) throw Object.assign(new Error(file + ': ' + response.status), { file, status: response.status });
    if ((response.headers.get('Content-Type') || '').startsWith('application/wasm')) return WebAssembly.compileStreaming(response);
    return response.arrayBuffer().then((bytes) => WebAssembly.compile(bytes));
  });
})();
gameWasm.catch(() => {});  // said when the run asks for it, which may come later
