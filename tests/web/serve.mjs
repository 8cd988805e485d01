// A small static file server for the built site, on the loopback address, so
// that the browser treats the page as a secure context (service worker,
// installing). Its URL names 127.0.0.1 rather than localhost: Node 18 looks
// localhost up as ::1 alone, where nothing listens.
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// types overrides the Content-Type of some extensions, as a careless host
// would. The caching headers are those of a host that wants every file
// checked each time, unless options say otherwise:
// - cacheControl(file): the Cache-Control header for a file, or null for none;
// - lastModified: send the file's time as Last-Modified and answer
//   If-Modified-Since, as python's http.server does.
// deploy(folder) serves another folder from then on, as a host does once a
// new build has been put in place of the old.
export function serve(root, port = 0, types = {}, options = {}) {
  const typeOf = { ...TYPES, ...types };
  const cacheControl = options.cacheControl || (() => 'no-cache');
  let served = root;
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = normalize(join(served, path.endsWith('/') ? `${path}index.html` : path));
    if (!file.startsWith(normalize(served))) {
      response.writeHead(403).end();
      return;
    }
    try {
      const [body, info] = await Promise.all([readFile(file), stat(file)]);
      const headers = { 'Content-Type': typeOf[extname(file)] || 'application/octet-stream' };
      if (cacheControl(file) !== null) {
        headers['Cache-Control'] = cacheControl(file);
      }
      if (options.lastModified) {
        const modified = new Date(Math.floor(info.mtimeMs / 1000) * 1000);
        headers['Last-Modified'] = modified.toUTCString();
        const since = Date.parse(request.headers['if-modified-since'] || '');
        if (since >= modified.getTime()) {
          response.writeHead(304, headers).end();
          return;
        }
      }
      response.writeHead(200, headers);
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => {
    server.listen(port, '127.0.0.1', () => resolve({
      server,
      url: `http://127.0.0.1:${server.address().port}/`,
      deploy(folder) { served = folder; },
    }));
  });
}
