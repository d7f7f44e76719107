// The offline copy: this build's files in a cache named after their hash
// (the build writes both in). Files are served from that cache first; a new
// build is a new worker, which fills its own cache and, once it takes over,
// drops the caches of the builds before it.
'use strict';
const CACHE = 'finmaw-@VERSION@';
const FILES = ['./'].concat(@FILES@);

self.addEventListener('install', (event) => {
  // Revalidated rather than refetched: on a first visit the page has just
  // loaded these, and a server that answers 304 sends them only once.
  event.waitUntil(caches.open(CACHE).then((cache) =>
    cache.addAll(FILES.map((f) => new Request(f, { cache: 'no-cache' })))));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((keys) => Promise.all(
    keys.filter((k) => k.startsWith('finmaw-') && k !== CACHE).map((k) => caches.delete(k)))));
});

// The page asks for this when the player chooses to load the new build.
self.addEventListener('message', (event) => {
  if (event.data === 'update')
    self.skipWaiting();
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET')
    return;
  // The page's query (?bench=N) does not change the page.
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(event.request, { ignoreSearch: event.request.mode === 'navigate' }))
    .then((hit) => hit || fetch(event.request)));
});
