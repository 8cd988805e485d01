// What a visit to the built site downloads, each file compressed as a host
// would send it (gzip -9): every file but those the offline worker keeps only
// once a page asks for them ('lazy' in its list: the CJK glyphs and each
// language's page texts but English's), which only a page in that language
// fetches.
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';

export const BUDGET_BYTES = 150 * 1024;

// The files the worker marks lazy, read from its list in sw.js.
function lazyFiles(site) {
  const worker = readFileSync(join(site, 'sw.js'), 'utf8');
  return new Set(Array.from(worker.matchAll(/\["([^"]+)","[0-9a-f]{64}","lazy"\]/g), (match) => match[1]));
}

// Every file of the site with its size and compressed size, and the total a
// visit downloads.
export function download(site) {
  const lazy = lazyFiles(site);
  const files = readdirSync(site).sort().map((name) => {
    const bytes = readFileSync(join(site, name));
    return { name, bytes: bytes.length, gzip: gzipSync(bytes, { level: 9 }).length, lazy: lazy.has(name) };
  });
  return { files, total: files.filter((file) => !file.lazy).reduce((sum, file) => sum + file.gzip, 0) };
}
