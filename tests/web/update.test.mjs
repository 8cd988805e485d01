// Updates of the browser version through ordinary static hosts: a player who
// has visited once and comes back after a deploy must get the new build
// whole (on that visit or the next), never the old one for good and never
// half of each, and it must still start without a network afterwards.
//
// Two builds of the site are made from the one program: each carries its
// name ("A", "B") in its glue script and, as a custom section, in its
// WebAssembly, so that the page can say which build of each is running.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { copyFileSync, cpSync, mkdtempSync, readdirSync, readFileSync, rmSync, utimesSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const root = resolve(here, '../..');
const site = process.env.TAVILO_SITE || join(root, 'build/web/site');
const program = process.env.TAVILO_PROGRAM || join(dirname(site), 'program');
const web = join(root, 'platform/hosts/web');

let browser;
let scratch;
const builds = {};

// A WebAssembly module with one more custom section: a new build of the
// same code, as far as any cache can tell.
function withCustomSection(wasm, name, text) {
  const leb = (n) => {
    const bytes = [];
    do {
      bytes.push((n & 0x7f) | (n > 0x7f ? 0x80 : 0));
      n >>>= 7;
    } while (n > 0);
    return Buffer.from(bytes);
  };
  const body = Buffer.concat([leb(name.length), Buffer.from(name), Buffer.from(text)]);
  return Buffer.concat([wasm, Buffer.from([0]), leb(body.length), body]);
}

function makeBuild(name, filesTime) {
  const programCopy = mkdtempSync(join(scratch, `program-${name}-`));
  writeFileSync(join(programCopy, 'tavilo.js'),
    `${readFileSync(join(program, 'tavilo.js'), 'utf8')}\nwindow.tavilo.build = '${name}';\n`);
  writeFileSync(join(programCopy, 'tavilo.wasm'),
    withCustomSection(readFileSync(join(program, 'tavilo.wasm')), 'tavilo-build', name));
  const folder = join(scratch, `site-${name}`);
  execFileSync(process.execPath, [join(web, 'make_site.mjs'), join(web, 'page'), programCopy,
    join(root, 'platform/gdi/screen_size.h'), folder, join(root, 'platform/gdi/cjk/cjk_glyphs.bin')]);
  for (const file of readdirSync(folder)) {
    utimesSync(join(folder, file), filesTime, filesTime);
  }
  return folder;
}

before(async () => {
  scratch = mkdtempSync(join(tmpdir(), 'tavilo-update-'));
  // The first build has sat on the host for two months; the second is new.
  builds.A = makeBuild('A', new Date(Date.now() - 60 * 24 * 3600 * 1000));
  builds.B = makeBuild('B', new Date());
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true });
});

after(async () => {
  await browser?.close();
  rmSync(scratch, { recursive: true, force: true });
});

// Which build runs in the page: its glue script's and its WebAssembly's.
async function runningBuild(page) {
  const { script, code } = await page.evaluate(async () => {
    const sections = WebAssembly.Module.customSections(await window.tavilo.wasm, 'tavilo-build');
    return { script: window.tavilo.build, code: sections.length > 0 ? new TextDecoder().decode(sections[0]) : null };
  });
  return script === code ? script : `a mix: the script of ${script}, the code of ${code}`;
}

// Loads the page (page.goto or page.reload) and waits for the program's
// first frame; what went wrong on the console ends the test.
async function load(page, navigate) {
  page.problems = [];
  await navigate();
  await page.waitForFunction(() => performance.getEntriesByName('tavilo-first-frame').length > 0);
  assert.deepEqual(page.problems, [], 'the page logged errors or warnings');
  return runningBuild(page);
}

// A browser looks for a new worker some time after each visit; the test
// asks at once, and waits until the page's worker has been replaced (the
// page counts the changes from its start). A new worker that fails to
// install never takes over, and the wait times out.
async function settleUpdate(page) {
  await page.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    await registration.update().catch(() => {});
  });
  await page.waitForFunction(() => window.workerChanges > 0 && navigator.serviceWorker.controller?.state === 'activated',
    null, { polling: 100 });
}

// A page of a fresh browser profile that has visited the host once, now
// kept by the worker of build A, and calls fn(page, host, context).
async function afterOneVisit(hostOptions, fn) {
  const host = await serve(builds.A, 0, {}, hostOptions);
  const context = await browser.newContext({ viewport: { width: 800, height: 700 } });
  await context.addInitScript(() => {
    window.workerChanges = 0;
    navigator.serviceWorker.addEventListener('controllerchange', () => ++window.workerChanges);
  });
  try {
    const page = await context.newPage();
    page.on('console', (message) => {
      if (message.type() === 'error' || message.type() === 'warning') {
        page.problems.push(`${message.type()}: ${message.text()}`);
      }
    });
    page.on('pageerror', (error) => page.problems.push(`page error: ${error.message}`));
    assert.equal(await load(page, () => page.goto(host.url)), 'A');
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    await fn(page, host, context);
  } finally {
    await context.close();
    host.server.close();
  }
}

// Build B deployed: the next visit runs A or B, the one after runs B.
async function updateToB(page, host) {
  host.deploy(builds.B);
  const next = await load(page, () => page.reload());
  assert.ok(next === 'A' || next === 'B', `the visit after the deploy runs ${next}`);
  if (next === 'A') {
    await settleUpdate(page);
  }
  assert.equal(await load(page, () => page.reload()), 'B', 'the visit after that runs the new build');
}

// And the build kept starts without the host, at the page's address with a
// query too.
async function offline(page, host, context, build) {
  host.server.close();
  host.server.closeAllConnections();
  await context.setOffline(true);
  assert.equal(await load(page, () => page.reload()), build, 'offline');
  assert.equal(await load(page, () => page.goto(`${host.url}?lang=ko`)), build, 'offline, with a query');
}

const deployAndUpdate = (hostOptions) => afterOneVisit(hostOptions, async (page, host, context) => {
  await updateToB(page, host);
  await offline(page, host, context, 'B');
});

test('an update through a host that lets browsers keep every file for ten minutes (GitHub Pages)', () =>
  deployAndUpdate({ cacheControl: () => 'max-age=600' }));

test('an update through a host that sends only the files\' times (python -m http.server)', () =>
  deployAndUpdate({ cacheControl: () => null, lastModified: true }));

test('an update through a host that keeps the WebAssembly for a year and the scripts only briefly', () =>
  deployAndUpdate({ cacheControl: (file) => (file.endsWith('.wasm') ? 'max-age=31536000' : 'max-age=0') }));

// The new worker's script is on the host, but the files it names are not
// there yet: it must not install. The player keeps build A, offline too,
// and gets B once the deploy is finished.
test('a deploy caught half-way leaves the old build running, and the finished one still arrives', () =>
  afterOneVisit({}, async (page, host) => {
    const halfway = join(scratch, 'site-halfway');
    cpSync(builds.A, halfway, { recursive: true });
    copyFileSync(join(builds.B, 'sw.js'), join(halfway, 'sw.js'));
    host.deploy(halfway);
    assert.equal(await load(page, () => page.reload()), 'A');
    await page.evaluate(async () => {
      const registration = await navigator.serviceWorker.getRegistration();
      await registration.update();
      const worker = registration.installing;
      if (!worker) {
        throw new Error('the browser found no new worker');
      }
      while (worker.state !== 'redundant') {
        if (worker.state === 'activated') {
          throw new Error('the worker of a deploy caught half-way took over');
        }
        await new Promise((resolve) => worker.addEventListener('statechange', resolve, { once: true }));
      }
    });
    assert.equal(await load(page, () => page.reload()), 'A');
    await updateToB(page, host);
  }));
