// Assembles the static site from the built program and the page: copies the
// page's files and its icons (which the artwork generator draws from the
// program's own icon), and names the service worker's cache from a hash of
// everything it serves.
//
//   node make_site.mjs PAGE_DIR SITE_DIR
import { createHash } from 'node:crypto';
import { copyFileSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const [pageDir, siteDir] = process.argv.slice(2);
if (!siteDir) {
  console.error('usage: node make_site.mjs PAGE_DIR SITE_DIR');
  process.exit(2);
}

for (const name of ['index.html', 'page.js', 'manifest.webmanifest',
  'icon-32.png', 'icon-192.png', 'icon-512.png']) {
  copyFileSync(join(pageDir, name), join(siteDir, name));
}

const served = ['index.html', 'page.js', 'tavilo.js', 'tavilo.wasm', 'manifest.webmanifest',
  'icon-32.png', 'icon-192.png', 'icon-512.png'];
const hash = createHash('sha256');
for (const name of served) hash.update(name).update(readFileSync(join(siteDir, name)));
const worker = readFileSync(join(pageDir, 'sw.js'), 'utf8')
  .replace('@BUILD_HASH@', hash.digest('hex').slice(0, 16))
  .replace('@FILES@', JSON.stringify(['./', ...served]));
writeFileSync(join(siteDir, 'sw.js'), worker);
