// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Keeps the page for use without the network: once visited, every file it
// needs is served from the cache of its version. The build stamps the version
// below from the content of the page's files, so a new build is a new service
// worker: it takes its files afresh, takes over at once, and drops the old
// cache; the visit after that shows the new page.
'use strict';

const Version = 'unbuilt';
const Cache = 'console-rpg-' + Version;
const Files = ['index.html', 'boot.js', 'messages.js', 'page.js', 'page.css', 'console-rpg.js', 'console-rpg.wasm',
  'console-rpg-check.js', 'console-rpg-check.wasm', 'manifest.webmanifest', 'icon.svg', 'icon-192.png', 'icon-512.png'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(Cache)
    .then((cache) => cache.addAll(Files.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('console-rpg-') && name !== Cache)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The page's own files from the cache, the page itself for its folder's
// address; anything else, a deeper address too (where the page's relative
// files would not be found), from the network as without this worker.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  const folder = new URL(self.registration.scope).pathname;
  if (request.mode === 'navigate' && url.pathname !== folder && url.pathname !== folder + 'index.html') return;
  event.respondWith(caches.open(Cache)
    .then((cache) => cache.match(request.mode === 'navigate' ? 'index.html' : request, { ignoreSearch: true }))
    .then((cached) => cached || fetch(request)));
});
