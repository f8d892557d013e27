// The page's service worker (the build puts PAGE_FILES, KEPT_WHEN_FETCHED
// and PAGE_CACHE in front): it keeps every file of the page when it is
// installed and answers from them first, so a reload works without a
// connection; the page's own fetches of them (the worker's files) are
// answered the same way. The text font is kept only once a script has
// fetched it, so a page that never writes text never downloads it. A new
// build's worker keeps its own cache and drops the old ones.
'use strict';

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(PAGE_CACHE).then((cache) => cache.addAll(PAGE_FILES))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('dravel-') && name !== PAGE_CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The page's address with a share link (#code=…) or a query is still the page.
// A class hub's answers (/api/) are never the page's files: they go straight out.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET' || new URL(event.request.url).pathname.startsWith('/api/')) return;
  const keep = KEPT_WHEN_FETCHED.some((name) => new URL(name, self.registration.scope).href === event.request.url);
  event.respondWith(caches.open(PAGE_CACHE).then(async (cache) => {
    const kept = await cache.match(event.request, { ignoreSearch: true });
    if (kept) return kept;
    const fetched = await fetch(event.request);
    if (keep && fetched.ok) await cache.put(event.request, fetched.clone());
    return fetched;
  }));
});
