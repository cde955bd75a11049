// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// The two slowest things before the field is drawn, started as soon as the
// page's head is read rather than once its scripts have run: the first run's
// Web Worker (a thread to start and console-rpg.js to fetch) and the game's
// WebAssembly, compiled while it arrives. page.js takes both over; where
// either failed here, it tries again itself and says why if it fails too.
'use strict';

self.consoleRpgBoot = (() => {
  let worker = null;
  try {
    worker = new Worker('console-rpg.js');
  } catch (error) { /* page.js makes its own */ }
  const wasm = fetch('console-rpg.wasm', { credentials: 'same-origin' }).then((response) => {
    if (!response.ok) throw new Error(String(response.status));
    if ((response.headers.get('Content-Type') || '').startsWith('application/wasm')) return WebAssembly.compileStreaming(response);
    return response.arrayBuffer().then((bytes) => WebAssembly.compile(bytes));
  });
  wasm.catch(() => {});  // page.js hears of it when it asks
  return { worker, wasm };
})();
