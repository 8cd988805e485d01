// Measures the browser version: the compressed size of everything a visit
// downloads, the time from navigation to the first frame on the canvas, and
// the processor time the page uses while nothing moves. Budgets: 150 KB
// gzip (the run fails above it, as does tests/web/size.test.mjs; the CJK
// glyphs and each other language's page texts, fetched only in those
// languages, apart), 300 ms, and an idle page that only wakes for its timers.
//
//   node bench/web/measure.mjs [runs]     (after ./scripts/build-web.sh and npm ci)
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { download, BUDGET_BYTES } from '../../tests/web/download.mjs';
import { serve } from '../../tests/web/serve.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const site = process.env.TAVILO_SITE || join(root, 'build/web/site');
const runs = Number(process.argv[2] || 9);
const KB = 1024;

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

// ---- Size
// The glyphs (cjk-HASH.bin) and the page's texts in a language other than
// English (texts-LANG-HASH.json), which the worker keeps only once asked
// for, come only to a page in that language: shown, but not part of the
// download every visit makes. The most any one language adds is shown too.
const { files, total } = download(site);
console.log(`${'file'.padEnd(36)}    bytes    gzip -9`);
for (const file of files) {
  console.log(`${file.name.padEnd(36)} ${String(file.bytes).padStart(8)} ${String(file.gzip).padStart(10)}${file.lazy ? '  (only some languages)' : ''}`);
}
const gzipOf = (pattern) => files.filter((file) => pattern.test(file.name)).map((file) => file.gzip);
const glyphs = gzipOf(/^cjk-/).reduce((sum, bytes) => sum + bytes, 0);
const texts = Math.max(0, ...gzipOf(/^texts-/));
console.log(`only in Japanese, Korean and Chinese: ${(glyphs / KB).toFixed(1)} KB gzip more`);
console.log(`the page's texts in a language other than English: at most ${(texts / KB).toFixed(1)} KB gzip more`);
console.log(`whole download: ${(total / KB).toFixed(1)} KB gzip (budget ${BUDGET_BYTES / KB} KB)`);
if (total > BUDGET_BYTES) {
  console.error(`over the size budget by ${((total - BUDGET_BYTES) / KB).toFixed(1)} KB`);
  process.exitCode = 1;
}

const { server, url } = await serve(site);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true });

// ---- First frame
// The page marks its first frame itself (performance mark
// tavilo-first-frame). The wait for it goes straight to the browser's
// DevTools protocol: Playwright's own waiting helpers first inject their
// script (about 300 KB) into the page, and evaluating that on the page's
// main thread while the program starts would be counted as start-up time.
const FIRST_FRAME = `new Promise((resolve) => {
  new PerformanceObserver((list) => {
    for (const entry of list.getEntries()) {
      if (entry.name === 'tavilo-first-frame') resolve(entry.startTime);
    }
  }).observe({ type: 'mark', buffered: true });
})`;

async function firstFrame(session) {
  const { result, exceptionDetails } = await session.send('Runtime.evaluate', {
    expression: FIRST_FRAME, awaitPromise: true, returnByValue: true,
  });
  if (exceptionDetails) throw new Error(`no first frame: ${exceptionDetails.text}`);
  return result.value;
}

// Cold: each run in a fresh context (nothing cached, no worker).
const firstFrames = [];
for (let run = 0; run < runs; ++run) {
  const context = await browser.newContext({ viewport: { width: 800, height: 700 } });
  const page = await context.newPage();
  const session = await context.newCDPSession(page);
  await page.goto(url, { waitUntil: 'commit' });
  firstFrames.push(await firstFrame(session));
  await context.close();
}
const shown = firstFrames.map((ms) => ms.toFixed(0)).join(' ');
console.log(`first frame after navigation start: median ${median(firstFrames).toFixed(0)} ms over ${runs} cold loads (${shown}) (budget 300 ms)`);

// Later visits: the same context, files from the service worker's cache
// and the compiled code from the browser's cache.
{
  const context = await browser.newContext({ viewport: { width: 800, height: 700 } });
  const page = await context.newPage();
  const session = await context.newCDPSession(page);
  await page.goto(url);
  await page.evaluate(() => navigator.serviceWorker.ready);
  const warm = [];
  for (let run = 0; run < runs; ++run) {
    await page.reload({ waitUntil: 'commit' });
    warm.push(await firstFrame(session));
  }
  const list = warm.map((ms) => ms.toFixed(0)).join(' ');
  console.log(`first frame on a later visit (offline cache): median ${median(warm).toFixed(0)} ms (${list})`);
  await context.close();
}

// ---- Idle: the renderer's busy time over a few seconds of an idle page
async function idleShare(page, seconds) {
  const session = await page.context().newCDPSession(page);
  await session.send('Performance.enable');
  const busy = async () => {
    const { metrics } = await session.send('Performance.getMetrics');
    return metrics.find((metric) => metric.name === 'TaskDuration').value;
  };
  const start = await busy();
  await page.waitForTimeout(seconds * 1000);
  return ((await busy()) - start) / seconds;
}

const context = await browser.newContext({ viewport: { width: 800, height: 700 } });
const page = await context.newPage();
await page.goto(url);
await page.waitForFunction(() => performance.getEntriesByName('tavilo-first-frame').length > 0);
await page.waitForTimeout(1000);
const title = await idleShare(page, 5);
console.log(`idle on the title screen: ${(title * 1000).toFixed(1)} ms of main-thread work per second (${(title * 100).toFixed(2)} % of a core)`);

// A game in play: the pointing hand bobs on its 50 ms timer.
const box = await page.locator('#screen').boundingBox();
await page.mouse.click(box.x + (19.5 * box.width) / 240, box.y + (307.5 * box.height) / 320);
await page.waitForTimeout(1000);
const playing = await idleShare(page, 5);
console.log(`a game waiting for a tap (hand animation only): ${(playing * 1000).toFixed(1)} ms per second (${(playing * 100).toFixed(2)} %)`);

await browser.close();
server.close();
