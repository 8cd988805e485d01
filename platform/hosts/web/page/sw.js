// Keeps the files of one build of the game, so that it starts without a
// network after one visit, and moves to a new build only whole.
//
// A build's code files carry their content's hash in their names, and this
// worker knows the SHA-256 of every file it keeps. A file that does not
// match is a copy some cache kept from an earlier build (the browser's own
// HTTP cache, after a host's max-age or an old Last-Modified) or a deploy
// caught half-way: it is fetched once more past the HTTP cache, and if it
// still does not match, this worker does not install. The build already
// kept goes on running, and the browser tries again on the next visit.
//
// A new build's worker fills a cache of its own, takes over at once and
// drops the other builds' caches: the page open then keeps what it has
// loaded, and the next visit starts the new build.
'use strict';

const BUILD = '@BUILD@';
const CACHE = `tavilo-${BUILD}`;
// [address relative to this worker, SHA-256 in hex, 'lazy' for a file kept
// only once the page asks for it]; './' is the page.
const FILES = @FILES@;
const EAGER = FILES.filter((entry) => !entry[2]);

const KEPT = new Set(FILES.map(([path]) => new URL(path, self.location).href));
const PAGE = new URL('./', self.location).href;

function hex(digest) {
  return Array.from(new Uint8Array(digest), (byte) => byte.toString(16).padStart(2, '0')).join('');
}

// The bytes of one file as this build has them, ready to keep: through the
// HTTP cache first, which usually holds them already, and past it when what
// came from there is not this build's.
async function fetchChecked(path, sha256) {
  for (const cache of ['default', 'reload']) {
    const response = await fetch(path, { cache });
    if (!response.ok) {
      continue;
    }
    const bytes = await response.arrayBuffer();
    if (hex(await crypto.subtle.digest('SHA-256', bytes)) === sha256) {
      const type = response.headers.get('Content-Type');
      return new Response(bytes, { headers: type ? { 'Content-Type': type } : {} });
    }
  }
  throw new Error(`${path} is not the file of build ${BUILD}`);
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    try {
      const responses = await Promise.all(EAGER.map(([path, sha256]) => fetchChecked(path, sha256)));
      const cache = await caches.open(CACHE);
      await Promise.all(EAGER.map(([path], i) => cache.put(path, responses[i])));
    } catch (error) {
      await caches.delete(CACHE);
      throw error;
    }
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    const names = await caches.keys();
    await Promise.all(names.filter((name) => name.startsWith('tavilo-') && name !== CACHE)
      .map((name) => caches.delete(name)));
    await self.clients.claim();
  })());
});

// The page answers at the site's address with any query (?lang=ko) and as
// index.html; every other kept file only at its exact address. The rest is
// left to the network.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') {
    return;
  }
  const url = new URL(request.url);
  const address = url.origin + url.pathname;
  let key = url.href;
  if (request.mode === 'navigate' && (address === PAGE || address === `${PAGE}index.html`)) {
    key = PAGE;
  } else if (!KEPT.has(key)) {
    return;
  }
  // A lazy file is kept the first time it is asked for, if it is this
  // build's.
  const lazy = FILES.find((entry) => entry[2] && new URL(entry[0], self.location).href === key);
  event.respondWith(caches.open(CACHE).then(async (cache) => {
    const cached = await cache.match(key);
    if (cached || !lazy) {
      return cached || fetch(request);
    }
    const response = await fetchChecked(lazy[0], lazy[1]);
    await cache.put(lazy[0], response.clone());
    return response;
  }));
});

// A page asks for the lazy files its language uses ({ keep: [address, ...]
// }): a first visit fetched them before this worker was there to keep them.
// Addresses that are not this build's lazy files are passed over.
self.addEventListener('message', (event) => {
  const keep = event.data && Array.isArray(event.data.keep) ? event.data.keep : [];
  const wanted = FILES.filter((entry) => entry[2] && keep.includes(entry[0]));
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    for (const [path, sha256] of wanted) {
      try {
        if (!(await cache.match(new URL(path, self.location).href))) {
          await cache.put(path, await fetchChecked(path, sha256));
        }
      } catch (error) {
        // Not kept now; the next visit asks again.
      }
    }
  })());
});
