// The browser host in a real browser: Playwright drives the system's Chromium
// against the built site, served on the loopback address. The headless host is the
// oracle for pixels and geometry: the same program must draw the same
// screen in both.
//
//   node --test tests/web/    (TAVILO_SITE, TAVILO_HEADLESS, CHROMIUM say where things are)
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, mkdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { headlessShot, headlessState, site } from './oracle.mjs';
import { serve } from './serve.mjs';
import {
  BAR, HEIGHT, OPTION, PICTURE_NAME, WIDTH, allArrived, arrivals, countDifferences, pictureMisses, poleHeads, resultText,
  trailPixels,
} from './screen.mjs';

const shots = process.env.TAVILO_SHOTS || join(resolve(dirname(fileURLToPath(import.meta.url)), '../..'), 'build/web/shots');
const HELP_MENU = { about: [155, 284] };
const ABOUT = { ok: [192, 103] };
const STORAGE_KEY = 'tavilo/registry.reg';

let browser;
let server;
let url;

before(async () => {
  mkdirSync(shots, { recursive: true });
  ({ server, url } = await serve(site));
  // English pages whatever the machine's locale, to compare with the
  // headless host's English.
  browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--lang=en-US'],
  });
});

after(async () => {
  await browser?.close();
  server?.close();
});

// A page of its own context; console errors and warnings are collected so
// that each test can insist there were none.
async function openPage(options = {}) {
  const context =
    options.context ||
    (await browser.newContext({ locale: 'en-US', ...(options.contextOptions || { viewport: { width: 800, height: 700 } }) }));
  const page = await context.newPage();
  page.problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warning') {
      page.problems.push(`${message.type()}: ${message.text()}`);
    }
  });
  page.on('pageerror', (error) => page.problems.push(`page error: ${error.message}`));
  await page.goto(options.url || url);
  await waitForProgram(page);
  return page;
}

async function waitForProgram(page) {
  await page.waitForFunction(() => performance.getEntriesByName('tavilo-first-frame').length > 0);
}

// A PNG (base64) decoded by the browser, or else the canvas, as RGBA bytes.
// The canvas is read from a copy so that the page's own canvas is never read
// back (reading it makes Chromium warn about readbacks).
async function pngPixels(page, base64 = null) {
  const bytes = await page.evaluate(async (png) => {
    let source = document.getElementById('screen');
    if (png !== null) {
      source = new Image();
      source.src = `data:image/png;base64,${png}`;
      await source.decode();
    }
    const copy = document.createElement('canvas');
    copy.width = source.width;
    copy.height = source.height;
    const context = copy.getContext('2d');
    context.drawImage(source, 0, 0);
    const data = context.getImageData(0, 0, copy.width, copy.height).data;
    let binary = '';
    for (let i = 0; i < data.length; i += 0x8000) {
      binary += String.fromCharCode(...data.subarray(i, i + 0x8000));
    }
    return btoa(binary);
  }, base64);
  return Uint8Array.from(Buffer.from(bytes, 'base64'));
}

const canvasPixels = (page) => pngPixels(page);

// Screen pixel to the page's CSS pixel at its centre.
async function pagePoint(page, [x, y]) {
  const box = await page.locator('#screen').boundingBox();
  return [box.x + ((x + 0.5) * box.width) / WIDTH, box.y + ((y + 0.5) * box.height) / HEIGHT];
}

async function click(page, point) {
  const [x, y] = await pagePoint(page, point);
  await page.mouse.click(x, y);
}

async function touch(page, point) {
  const [x, y] = await pagePoint(page, point);
  await page.touchscreen.tap(x, y);
}

// New, then a press (click or touch) on pole `pole`'s head: its runner
// leaves a trail of its colour on its pole. Returns the screens before and
// after the press.
async function newGameAndStart(page, press, board, pole) {
  await press(page, BAR.New);
  await page.waitForTimeout(300);
  const before = await canvasPixels(page);
  await press(page, [board.originX + 30 * pole + 5, 28]);
  await page.waitForTimeout(400);
  const moved = await canvasPixels(page);
  assert.ok(trailPixels(moved, board, pole, pole) > trailPixels(before, board, pole, pole) + 5, `runner ${pole} leaves a trail`);
  return { before, moved };
}

// Black pixels in the rows from top to bottom: the scribble pad's ink.
function darkPixels(pixels, top, bottom) {
  let count = 0;
  for (let i = top * WIDTH * 4; i < bottom * WIDTH * 4; i += 4) {
    if (pixels[i] < 40 && pixels[i + 1] < 40 && pixels[i + 2] < 40) ++count;
  }
  return count;
}

function assertQuiet(page) {
  assert.deepEqual(page.problems, [], 'the page logged errors or warnings');
}

const boardOfSix = () => headlessState('press New\nwait 600\n').board;
const PHONE = { viewport: { width: 360, height: 640 }, deviceScaleFactor: 2, hasTouch: true, isMobile: true };

// Presses All and waits until every runner has arrived; the arrivals.
async function allArrive(page, board, press) {
  await press(page, BAR.All);
  let result = [];
  for (let i = 0; i < 60 && !allArrived(result); ++i) {
    await page.waitForTimeout(500);
    result = arrivals(await canvasPixels(page), board);
  }
  assert.ok(allArrived(result), `every runner arrives: ${JSON.stringify(result)}`);
  assert.deepEqual(result.map((arrival) => arrival.runner).sort(), [0, 1, 2, 3, 4, 5]);
  return result;
}

test('the title screen and the About dialog are the headless host\'s pixels', async () => {
  const page = await openPage();
  await page.waitForTimeout(200);
  const title = await pngPixels(page, headlessShot('wait 200\n'));
  assert.equal(countDifferences(await canvasPixels(page), title), 0);

  await page.keyboard.press('Alt+Slash');
  await page.waitForTimeout(300);
  const about = await pngPixels(page, headlessShot('wait 200\nkey alt+/\nwait 300\n'));
  assert.notEqual(countDifferences(title, about), 0, 'the About dialog changes the screen');
  assert.equal(countDifferences(await canvasPixels(page), about), 0);
  await page.screenshot({ path: join(shots, 'about-desktop.png') });

  // Re-fitted when the window changes: the largest whole scale, centred on
  // whole pixels, never below one.
  for (const [width, height, scale] of [[1000, 1000, 3], [500, 400, 1], [200, 200, 1], [800, 700, 2]]) {
    await page.setViewportSize({ width, height });
    await page.waitForFunction((expected) => document.getElementById('screen').dataset.scale === expected, String(scale));
    const box = await page.locator('#screen').boundingBox();
    assert.deepEqual([box.width, box.height], [240 * scale, 320 * scale]);
    assert.deepEqual([box.x, box.y], [Math.max(0, Math.floor((width - box.width) / 2)), Math.max(0, Math.floor((height - box.height) / 2))]);
  }
  assert.equal(countDifferences(await canvasPixels(page), about), 0);
  assertQuiet(page);
  await page.context().close();
});

// ?lang= chooses the language over the browser's; the Korean and Japanese
// screens are the headless host's, their letters drawn from the same glyphs,
// which only those languages fetch.
test('?lang=ko shows the game in Korean and ?lang=ja in Japanese, as the headless host draws them', async () => {
  let english = null;
  for (const language of ['en', 'ko', 'ja']) {
    const context = await browser.newContext({ locale: 'en-US', viewport: { width: 800, height: 700 } });
    const glyphs = [];
    context.on('request', (request) => {
      if (/\/cjk-[0-9a-f]+\.bin$/.test(request.url())) {
        glyphs.push(request.url());
      }
    });
    const page = await openPage({ context, url: `${url}?lang=${language}` });
    assert.equal(glyphs.length, language === 'en' ? 0 : 1, `${language} glyph fetches`);
    await page.waitForTimeout(200);
    await page.keyboard.press('Alt+Slash');
    await page.waitForTimeout(300);
    const about = await pngPixels(page, headlessShot('wait 200\nkey alt+/\nwait 300\n', language));
    assert.equal(countDifferences(await canvasPixels(page), about), 0, language);
    if (english === null) {
      english = about;
    } else {
      assert.notEqual(countDifferences(english, about), 0, `${language} looks like English`);
    }
    assertQuiet(page);
    await page.context().close();
  }
});

// The menu's own loop runs the About dialog's loop inside it: both wait for
// the next tap in the browser, one inside the other, and come back out.
test('the Help menu opens About by taps, and OK closes it', async () => {
  const page = await openPage();
  await page.waitForTimeout(200);
  const title = await canvasPixels(page);
  let script = 'wait 200\n';
  for (const where of [BAR.Help, HELP_MENU.about, ABOUT.ok]) {
    await click(page, where);
    await page.waitForTimeout(300);
    script += `tap ${where[0]} ${where[1]}\nwait 300\n`;
    assert.equal(countDifferences(await canvasPixels(page), await pngPixels(page, headlessShot(script))), 0, script);
  }
  assert.equal(countDifferences(await canvasPixels(page), title), 0, 'back to the title');
  assertQuiet(page);
  await page.context().close();
});

// Static hosts that do not know the .wasm type send it as plain bytes,
// which the browser refuses to compile while downloading.
test('a host that serves the WebAssembly as plain bytes still starts the game', async () => {
  const careless = await serve(site, 0, { '.wasm': 'application/octet-stream' });
  try {
    const page = await openPage({ url: careless.url });
    await page.waitForTimeout(200);
    assert.equal(countDifferences(await canvasPixels(page), await pngPixels(page, headlessShot('wait 200\n'))), 0);
    assertQuiet(page);
    await page.context().close();
  } finally {
    careless.server.close();
  }
});

// A phone on the same network opening the computer's address over plain
// HTTP: not a secure context, so the page has no Web Locks and no service
// worker. Playwright answers for the made-up host from the built folder.
async function openOverPlainHttp(contextOptions) {
  const context = await browser.newContext({ locale: 'en-US', ...contextOptions });
  await context.route('http://tavilo.test/**', async (route) => {
    const path = new URL(route.request().url()).pathname;
    const response = await fetch(new URL(path === '/' ? 'index.html' : path.slice(1), url));
    await route.fulfill({
      status: response.status,
      contentType: response.headers.get('content-type') || undefined,
      body: Buffer.from(await response.arrayBuffer()),
    });
  });
  return openPage({ context, url: 'http://tavilo.test/' });
}

test('over plain HTTP from another machine the game still starts', async () => {
  const page = await openOverPlainHttp({ viewport: { width: 800, height: 700 } });
  assert.equal(await page.evaluate(() => window.isSecureContext), false);
  await page.waitForTimeout(200);
  assert.equal(countDifferences(await canvasPixels(page), await pngPixels(page, headlessShot('wait 200\n'))), 0);
  assertQuiet(page);
  await page.context().close();
});

async function storedText(page, key = STORAGE_KEY) {
  return page.evaluate((name) => localStorage.getItem(name), key);
}

async function chooseSeven(page) {
  await click(page, BAR.Option);
  await page.waitForTimeout(200);
  await click(page, OPTION.more);
  await page.waitForTimeout(100);
  await click(page, OPTION.ok);
  await page.waitForTimeout(200);
}

test('the chosen count survives a reload; damaged stored text is kept aside', async () => {
  const seven = headlessState('press Option\npress >\npress OK\nwait 600\n');
  assert.equal(seven.g_playerCount, 7);
  const six = headlessState('press New\nwait 600\n');

  const page = await openPage();
  await chooseSeven(page);
  // Closing the tab is Exit for the settings: nothing is stored until then.
  await page.reload();
  await waitForProgram(page);
  assert.match(await storedText(page), /"PlayerCount"=dword:00000007/);
  await click(page, BAR.New);
  await page.waitForTimeout(600);
  assert.deepEqual(poleHeads(await canvasPixels(page), seven.board), [0, 1, 2, 3, 4, 5, 6]);

  // Damage the stored text as the next page starts, before its program
  // reads it (and after this page's program has saved on the way out).
  await page.context().addInitScript((key) => {
    if (sessionStorage.getItem('damaged') === null) {
      sessionStorage.setItem('damaged', '1');
      localStorage.setItem(key, 'PlayerCount=seven\n[[');
    }
  }, STORAGE_KEY);
  await page.reload();
  await waitForProgram(page);
  await page.waitForTimeout(200);
  assert.equal(await storedText(page, `${STORAGE_KEY}.bad`), 'PlayerCount=seven\n[[');
  await click(page, BAR.New);
  await page.waitForTimeout(600);
  assert.deepEqual(poleHeads(await canvasPixels(page), six.board), [0, 1, 2, 3, 4, 5]);
  assertQuiet(page);
  await page.context().close();
});

// Fills the site's storage to the last character (run in the page): keys
// filler.N, then keys of one character with nothing under them.
function fillStorage() {
  let chunk = 1 << 20;
  for (let n = 0; chunk >= 1;) {
    try {
      localStorage.setItem(`filler.${n}`, 'x'.repeat(chunk));
      ++n;
    } catch (error) {
      chunk >>= 1;
    }
  }
  for (let code = 0x4e00; code < 0x4e40; ++code) {
    try {
      localStorage.setItem(String.fromCharCode(code), '');
    } catch (error) {
      break;
    }
  }
}

// A fresh context whose first page finds the site's storage as
// damage(key, fillStorage) leaves it, run in the page before the program
// reads anything.
async function openDamaged(damage) {
  const context = await browser.newContext({ locale: 'en-US', viewport: { width: 800, height: 700 } });
  await context.addInitScript(`if (sessionStorage.getItem('damaged') === null) {
    sessionStorage.setItem('damaged', '1');
    (${damage})(${JSON.stringify(STORAGE_KEY)}, ${fillStorage});
  }`);
  return openPage({ context });
}

test('a save into full storage is reported and keeps the old text; with room again it stores', async () => {
  const page = await openPage();
  const before = await storedText(page);
  // Not even a short settings text fits.
  await page.evaluate(fillStorage);
  await chooseSeven(page);
  await click(page, BAR.Exit);
  await page.locator('#panel').waitFor({ state: 'visible' });
  assert.equal(await storedText(page), before);
  assert.equal(page.problems.length, 1, page.problems.join('\n'));
  assert.match(page.problems[0], /^error: .*could not save the settings to .*tavilo\/registry\.reg.*QuotaExceededError/);

  page.problems.length = 0;
  await page.evaluate(() => {
    for (const key of Object.keys(localStorage).filter((name) => name.startsWith('filler.'))) {
      localStorage.removeItem(key);
    }
  });
  await page.locator('#action').click();
  await page.locator('#screen').waitFor({ state: 'visible' });
  await page.waitForTimeout(200);
  await chooseSeven(page);
  await click(page, BAR.Exit);
  await page.locator('#panel').waitFor({ state: 'visible' });
  assert.match(await storedText(page), /"PlayerCount"=dword:00000007/);
  assertQuiet(page);
  await page.context().close();
});

// Saves after damage: moved aside whole even where the storage has room for
// the text only once, removed with a word where it has room for it nowhere,
// and in both cases the chosen count is saved again.
async function chooseSevenAndExit(page) {
  await chooseSeven(page);
  await click(page, BAR.Exit);
  await page.locator('#panel').waitFor({ state: 'visible' });
  assert.match(await storedText(page), /"PlayerCount"=dword:00000007/);
}

test('damaged text bigger than half the storage is moved aside all the same, and saves work again', async () => {
  // Chromium gives a site about 5.2 million characters.
  const page = await openDamaged((key) => localStorage.setItem(key, `PlayerCount=seven\n${'x'.repeat(3200000)}`));
  assert.equal(await page.evaluate((key) => localStorage.getItem(`${key}.bad`) === `PlayerCount=seven\n${'x'.repeat(3200000)}`,
    STORAGE_KEY), true, 'the damaged text is kept whole');
  await chooseSevenAndExit(page);
  assertQuiet(page);
  await page.context().close();
});

test('damaged text that no key has room for is removed with a word, and saves work again', async () => {
  const page = await openDamaged((key, fill) => {
    localStorage.setItem(key, `PlayerCount=seven\n${'x'.repeat(1000)}`);
    fill();
  });
  assert.equal(page.problems.length, 1, page.problems.join('\n'));
  assert.match(page.problems[0],
    /^error: .*the damaged settings in .*tavilo\/registry\.reg.* could not be kept aside: .*QuotaExceededError.*removed/);
  assert.equal(await storedText(page, `${STORAGE_KEY}.bad`), null);
  page.problems.length = 0;
  await chooseSevenAndExit(page);
  assertQuiet(page);
  await page.context().close();
});

// The stored text is a string of UTF-16 units; one that UTF-8 cannot carry
// (a lone surrogate) is damage, kept aside exactly, not read as U+FFFD.
test('stored text with a lone surrogate is kept aside exactly, and the count starts from its default', async () => {
  const six = headlessState('press New\nwait 600\n');
  const page = await openDamaged((key) => localStorage.setItem(key,
    'Windows Registry Editor Version 5.00\r\n\r\n; a note \uD800 kept\r\n[Software\\Menkor\\Tavilo]\r\n"PlayerCount"=dword:00000007\r\n'));
  assert.equal(await page.evaluate((key) => localStorage.getItem(`${key}.bad`) ===
    'Windows Registry Editor Version 5.00\r\n\r\n; a note \uD800 kept\r\n[Software\\Menkor\\Tavilo]\r\n"PlayerCount"=dword:00000007\r\n',
  STORAGE_KEY), true, 'the text is kept aside as it was');
  await click(page, BAR.New);
  await page.waitForTimeout(600);
  assert.deepEqual(poleHeads(await canvasPixels(page), six.board), [0, 1, 2, 3, 4, 5]);
  await chooseSevenAndExit(page);
  assert.doesNotMatch(await storedText(page), /\uFFFD/);
  assertQuiet(page);
  await page.context().close();
});

test('a second tab offers to take over, and "Play here" moves the program with its count', async () => {
  const seven = headlessState('press Option\npress >\npress OK\nwait 600\n');
  const first = await openPage();
  await chooseSeven(first);

  const second = await first.context().newPage();
  second.problems = [];
  second.on('console', (m) => ['error', 'warning'].includes(m.type()) && second.problems.push(m.text()));
  await second.goto(url);
  await second.locator('#panel').waitFor({ state: 'visible' });
  assert.match(await second.locator('#message').textContent(), /open in another tab/);
  assert.ok(await second.locator('#screen').isHidden());

  await second.locator('#action').click();
  await waitForProgram(second);
  await second.locator('#screen').waitFor({ state: 'visible' });
  await first.locator('#panel').waitFor({ state: 'visible' });
  assert.match(await first.locator('#message').textContent(), /open in another tab/);
  await first.screenshot({ path: join(shots, 'other-tab-notice.png') });
  assert.match(await storedText(second), /"PlayerCount"=dword:00000007/);
  await click(second, BAR.New);
  await second.waitForTimeout(600);
  assert.deepEqual(poleHeads(await canvasPixels(second), seven.board), [0, 1, 2, 3, 4, 5, 6]);
  assertQuiet(first);
  assertQuiet(second);
  await first.context().close();
});

test('Exit ends the program and the page offers to start it again', async () => {
  const page = await openPage();
  const title = await pngPixels(page, headlessShot('wait 200\n'));
  await click(page, BAR.Exit);
  await page.locator('#panel').waitFor({ state: 'visible' });
  assert.match(await page.locator('#message').textContent(), /Tavilo has ended/);
  await page.screenshot({ path: join(shots, 'ended.png') });
  await page.locator('#action').click();
  await page.locator('#screen').waitFor({ state: 'visible' });
  await page.waitForTimeout(400);
  assert.equal(countDifferences(await canvasPixels(page), title), 0);
  await click(page, BAR.New);
  await page.waitForTimeout(400);
  assert.notEqual(countDifferences(await canvasPixels(page), title), 0, 'the new program answers');
  assertQuiet(page);
  await page.context().close();
});

test('after one visit the page starts with no network', async () => {
  const page = await openPage();
  await page.evaluate(() => navigator.serviceWorker.ready);
  const title = await pngPixels(page, headlessShot('wait 200\n'));
  await page.context().setOffline(true);
  await page.reload();
  await waitForProgram(page);
  await page.waitForTimeout(200);
  assert.equal(countDifferences(await canvasPixels(page), title), 0);
  assertQuiet(page);
  await page.context().close();
});

test('on a phone: three device pixels per screen pixel, and a whole game by touch', async () => {
  const board = boardOfSix();
  const page = await openPage({ contextOptions: PHONE });
  const box = await page.locator('#screen').boundingBox();
  assert.deepEqual([box.width, box.height], [360, 480]);
  assert.equal(await page.locator('#screen').getAttribute('data-scale'), '3');

  await newGameAndStart(page, touch, board, 5);

  // A finger dragged across the scribble pad draws there; the page neither
  // scrolls nor zooms under it.
  const session = await page.context().newCDPSession(page);
  const finger = async (type, point) => session.send('Input.dispatchTouchEvent', {
    type, touchPoints: point ? [Object.fromEntries(['x', 'y'].map((k, i) => [k, point[i]]))] : [],
  });
  const padBefore = darkPixels(await canvasPixels(page), 258, 292);
  await finger('touchStart', await pagePoint(page, [40, 262]));
  for (let step = 1; step <= 8; ++step) {
    await finger('touchMove', await pagePoint(page, [40 + step * 20, 262 + step * 3]));
  }
  await finger('touchEnd');
  await page.waitForTimeout(200);
  assert.ok(darkPixels(await canvasPixels(page), 258, 292) > padBefore + 100, 'the drag draws on the pad');
  assert.equal(await page.evaluate(() => [window.scrollX, window.scrollY, visualViewport.scale].join()), '0,0,1');

  await allArrive(page, board, touch);
  await page.screenshot({ path: join(shots, 'game-phone.png') });
  assertQuiet(page);
  await page.context().close();
});

// ---- Sharing the draw ------------------------------------------------------

// A finished game of six on the page, by New (and, with a pole, a click on
// that pole's head) and All; the screen at its end and the line the
// program gives for it.
async function finishedGame(page, board, pole = null) {
  if (pole === null) {
    await click(page, BAR.New);
    await page.waitForTimeout(300);
  } else {
    const { before, moved } = await newGameAndStart(page, click, board, pole);
    const other = (pole + 2) % 6;
    assert.equal(trailPixels(moved, board, other, other), trailPixels(before, board, other, other), `runner ${other} waits`);
  }
  const result = await allArrive(page, board, click);
  await page.waitForTimeout(300);
  return { screen: await canvasPixels(page), text: resultText(result) };
}

// A picture of the board: its name, and the board scaled 3x (pictureMisses
// fails any other size).
async function expectPicture(page, png, name, screen) {
  assert.match(name, PICTURE_NAME);
  assert.equal(pictureMisses(await pngPixels(page, png.toString('base64')), screen), 0, 'the board scaled 3x');
}

async function downloaded(page, action) {
  const [download] = await Promise.all([page.waitForEvent('download'), action()]);
  return { name: download.suggestedFilename(), png: readFileSync(await download.path()) };
}

test('a click on a pole head starts its runner and All ends the game; Ctrl+S, Cmd+S and Ctrl+C save and copy it unseen by the game', async () => {
  const board = boardOfSix();
  const context = await browser.newContext({ locale: 'en-US', viewport: { width: 800, height: 700 } });
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  const page = await openPage({ context });
  const { screen, text } = await finishedGame(page, board, 2);
  await page.screenshot({ path: join(shots, 'game-desktop.png') });
  for (const chord of ['Control+s', 'Meta+s']) {
    const file = await downloaded(page, () => page.keyboard.press(chord));
    await expectPicture(page, file.png, file.name, screen);
  }
  assert.match(await page.locator('#note').textContent(), /^Picture downloaded: Tavilo /);
  await page.keyboard.press('Control+c');
  await page.waitForFunction(() => document.getElementById('note').textContent === 'Result copied.');
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), text);
  await page.evaluate(() => navigator.clipboard.writeText(''));
  await page.keyboard.press('Meta+c');
  await page.waitForFunction(() => navigator.clipboard.readText().then((copied) => copied !== ''));
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), text);
  assert.equal(countDifferences(await canvasPixels(page), screen), 0, 'the keys reached the game');
  // The program goes on after being asked in the middle of its wait.
  await click(page, BAR.New);
  await page.waitForTimeout(300);
  assert.notEqual(countDifferences(await canvasPixels(page), screen), 0, 'New still answers');
  assertQuiet(page);
  await context.close();
});

test('the Share button hands one PNG and the text to the share sheet, and without one downloads and copies', async () => {
  const board = boardOfSix();
  const context = await browser.newContext({ locale: 'en-US', viewport: { width: 800, height: 700 } });
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  const page = await openPage({ context });
  const { screen, text } = await finishedGame(page, board);
  // Beside the canvas, level with the menu bar, a whole finger wide.
  const canvasBox = await page.locator('#screen').boundingBox();
  const button = await page.locator('#share').boundingBox();
  assert.ok(button.width >= 44 && button.height >= 44, JSON.stringify(button));
  assert.ok(button.x >= canvasBox.x + canvasBox.width, 'the button is not over the canvas');
  assert.equal(button.y + button.height, canvasBox.y + canvasBox.height);

  await page.evaluate(() => {
    navigator.canShare = (data) => Array.isArray(data.files) && data.files.length === 1;
    navigator.share = async (data) => {
      window.sharedData = {
        text: data.text,
        files: await Promise.all(data.files.map(async (file) => ({
          name: file.name, type: file.type, bytes: Array.from(new Uint8Array(await file.arrayBuffer())),
        }))),
      };
    };
  });
  await page.locator('#share').click();
  await page.waitForFunction(() => window.sharedData);
  const shared = await page.evaluate(() => window.sharedData);
  assert.equal(shared.text, text);
  assert.equal(shared.files.length, 1);
  assert.equal(shared.files[0].type, 'image/png');
  await expectPicture(page, Buffer.from(shared.files[0].bytes), shared.files[0].name, screen);

  await page.evaluate(() => { navigator.canShare = () => false; });
  const file = await downloaded(page, () => page.locator('#share').click());
  await expectPicture(page, file.png, file.name, screen);
  await page.waitForFunction(() => document.getElementById('note').textContent === 'Picture downloaded, result copied.');
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), text);
  assertQuiet(page);
  await context.close();
});

test('on a phone the Share button is below the canvas, which keeps its scale; over plain HTTP it only downloads', async () => {
  const page = await openOverPlainHttp(PHONE);
  assert.equal(await page.locator('#screen').getAttribute('data-scale'), '3');
  const canvasBox = await page.locator('#screen').boundingBox();
  const button = await page.locator('#share').boundingBox();
  assert.deepEqual([canvasBox.width, canvasBox.height], [360, 480]);
  assert.ok(button.y >= canvasBox.y + canvasBox.height && button.y + button.height <= 640, JSON.stringify(button));
  assert.ok(button.width >= 44 && button.height >= 44);
  const screen = await canvasPixels(page);
  const file = await downloaded(page, () => page.locator('#share').tap());
  await expectPicture(page, file.png, file.name, screen);
  await page.waitForFunction(() => document.getElementById('note').textContent === 'Picture downloaded.');
  assertQuiet(page);
  await page.context().close();
});
