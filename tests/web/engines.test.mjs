// The page in the two other browser engines, from Debian's packages:
// Firefox ESR driven over WebDriver BiDi (puppeteer-core), and WebKitGTK's
// MiniBrowser driven by WebKitWebDriver (selenium-webdriver) on a private
// Xvfb. Chromium has its own, longer suite (web.test.mjs). In each engine:
// the title is the headless host's pixels, New and a tap start a runner,
// All finishes the game, the Share button and Ctrl+S / Cmd+S give the board
// picture pixel for pixel, the share sheet gets one PNG and the text, and
// the chosen count survives a reload; no errors on the console. Korean by
// ?lang= first: <html lang>, the page's Share button in the words of the
// site's Korean texts, and the headless host's Korean title. And the
// screen-reader layer by its DOM: roles, names, the live region's news, and
// a game played through its buttons.
//
// Downloads: Firefox saves them into a folder of the test's (its download
// preferences), which the test reads. WebKitWebDriver has no way to reach a
// download, so there the test catches the Blob the page hands to it, by
// wrapping URL.createObjectURL and the link's click before the key or tap.
//
//   node --test tests/web/engines.test.mjs   (FIREFOX, WEBKIT_DRIVER, MINIBROWSER say where they are;
//                                              TAVILO_ENGINES=firefox,webkit chooses)
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { headlessShot, headlessState, site } from './oracle.mjs';
import { serve } from './serve.mjs';
import {
  BAR, OPTION, PICTURE_NAME, allArrived, arrivals, countDifferences, pictureMisses, poleHeads, resultText, trailPixels,
  WIDTH, HEIGHT,
} from './screen.mjs';

const FIREFOX = process.env.FIREFOX || '/usr/bin/firefox-esr';
const WEBKIT_DRIVER = process.env.WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';
const MINIBROWSER = process.env.MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const engines = (process.env.TAVILO_ENGINES || 'firefox,webkit').split(',');

let server;
let url;
let scratch;

before(async () => {
  scratch = mkdtempSync(join(tmpdir(), 'tavilo-engines-'));
  ({ server, url } = await serve(site));
});

after(() => {
  server?.close();
  rmSync(scratch, { recursive: true, force: true });
});

// Installed into the page after each load: readers of the canvas and of
// PNGs, a catch for downloads, a stand-in share sheet, and a record of
// console errors and uncaught errors from then on.
const PAGE_HELPERS = `(() => {
  if (window.__t) return;
  const toBase64 = (bytes) => {
    let binary = '';
    for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
    return btoa(binary);
  };
  const pixelsOf = (source, width, height) => {
    const copy = document.createElement('canvas');
    copy.width = width;
    copy.height = height;
    const context = copy.getContext('2d');
    context.drawImage(source, 0, 0);
    return toBase64(new Uint8Array(context.getImageData(0, 0, width, height).data.buffer));
  };
  const t = window.__t = { problems: [], caught: [], shared: null };
  const error = console.error.bind(console);
  console.error = (...args) => { t.problems.push(args.join(' ')); error(...args); };
  addEventListener('error', (event) => t.problems.push('page error: ' + event.message));
  addEventListener('unhandledrejection', (event) => t.problems.push('rejection: ' + event.reason));
  t.ready = () => performance.getEntriesByName('tavilo-first-frame').length > 0;
  t.canvas = () => pixelsOf(document.getElementById('screen'), ${WIDTH}, ${HEIGHT});
  t.png = async (base64) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + base64;
    await image.decode();
    return { width: image.width, height: image.height, pixels: pixelsOf(image, image.width, image.height) };
  };
  t.box = (id) => { const r = document.getElementById(id).getBoundingClientRect(); return [r.x, r.y, r.width, r.height]; };
  t.visible = (id) => { const e = document.getElementById(id); return !e.hidden && e.style.visibility !== 'hidden'; };
  t.text = (id) => document.getElementById(id).textContent;
  t.lang = () => document.documentElement.lang;
  t.catchDownloads = () => {
    const create = URL.createObjectURL.bind(URL);
    URL.createObjectURL = (blob) => { const address = create(blob); t.blobs = t.blobs || {}; t.blobs[address] = blob; return address; };
    HTMLAnchorElement.prototype.click = function click() {
      if (this.download) t.caught.push({ name: this.download, blob: t.blobs[this.href] });
    };
  };
  t.takeCaught = async () => {
    const caught = t.caught.shift();
    if (!caught) return null;
    return { name: caught.name, type: caught.blob.type, png: toBase64(new Uint8Array(await caught.blob.arrayBuffer())) };
  };
  t.shareSheet = (offered) => {
    navigator.canShare = () => offered;
    navigator.share = async (data) => { t.shared = data; };
  };
  t.takeShared = async () => {
    const data = t.shared;
    t.shared = null;
    if (!data) return null;
    const files = await Promise.all((data.files || []).map(async (file) =>
      ({ name: file.name, type: file.type, png: toBase64(new Uint8Array(await file.arrayBuffer())) })));
    return { text: data.text, files };
  };
  t.store = (key) => localStorage.getItem(key);
  t.takeProblems = () => t.problems.splice(0);
  // The screen-reader layer as the DOM gives it: the canvas's role and
  // name, the live region's role, politeness and text, and the role and
  // name of every button a screen reader can reach (not hidden).
  t.access = () => {
    const canvas = document.getElementById('screen');
    const news = document.getElementById('news');
    const reachable = (e) => !e.closest('[hidden]');
    return {
      canvas: [canvas.getAttribute('role'), canvas.getAttribute('aria-label')],
      live: [news.getAttribute('role'), news.getAttribute('aria-live'), news.textContent],
      buttons: [...document.querySelectorAll('#access button')].filter(reachable)
        .map((b) => [b.getAttribute('role') || b.localName, b.textContent]),
    };
  };
  // A button of the layer pressed as a screen reader presses it.
  t.pressButton = (name) => {
    const button = [...document.querySelectorAll('#access button')].find((b) => b.textContent === name && !b.closest('[hidden]'));
    if (!button) throw new Error('no button ' + name);
    button.click();
  };
})();`;

// ---- Firefox ESR over WebDriver BiDi ------------------------------------

async function openFirefox() {
  const { default: puppeteer } = await import('puppeteer-core');
  const downloads = mkdtempSync(join(scratch, 'firefox-downloads-'));
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: FIREFOX,
    headless: true,
    extraPrefsFirefox: {
      'browser.download.dir': downloads,
      'browser.download.folderList': 2,
      'browser.download.useDownloadDir': true,
      'browser.download.always_ask_before_handling_new_types': false,
      'browser.download.start_downloads_in_tmp_dir': false,
    },
  });
  let page;
  try {
    page = await browser.newPage();
    // The viewport alone, through BiDi's own command: page.setViewport also
    // overrides the screen orientation, which Firefox ESR 140 (Debian 12's)
    // does not know.
    await page.mainFrame().browsingContext.setViewport({ viewport: { width: 800, height: 700 } });
  } catch (error) {
    await browser.close();  // else the test never ends: the browser holds it open
    throw error;
  }
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warn') problems.push(`${message.type()}: ${message.text()}`);
  });
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  return {
    name: 'Firefox ESR (WebDriver BiDi)',
    problems,
    async goto(address) { await page.goto(address); },
    async reload() { await page.reload(); },
    async call(name, ...args) {
      await page.evaluate(PAGE_HELPERS);
      return page.evaluate((helper, values) => window.__t[helper](...values), name, args);
    },
    async click(x, y) { await page.mouse.click(x, y); },
    async chord(modifier, key) {
      await page.keyboard.down(modifier);
      await page.keyboard.press(key);
      await page.keyboard.up(modifier);
    },
    // The next file in the download folder, once it is whole.
    async download() {
      for (let i = 0; i < 100; ++i) {
        const names = readdirSync(downloads).filter((name) => name.endsWith('.png'));
        if (names.length > 0) {
          const name = names[0];
          await new Promise((done) => setTimeout(done, 300));
          const png = readFileSync(join(downloads, name));
          rmSync(join(downloads, name));
          return { name, type: 'image/png', png: png.toString('base64') };
        }
        await new Promise((done) => setTimeout(done, 100));
      }
      return null;
    },
    async takeProblems() { return problems.splice(0); },
    async close() { await browser.close(); },
  };
}

// ---- WebKitGTK's MiniBrowser through WebKitWebDriver ---------------------

async function openWebKit() {
  const { Builder, Key, Origin } = await import('selenium-webdriver');
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-nolisten', 'tcp', '-screen', '0', '1280x1024x24'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const display = await new Promise((done, fail) => {
    xvfb.stdio[3].once('data', (data) => done(String(data).trim()));
    xvfb.once('exit', () => fail(new Error('Xvfb did not start')));
  });
  const port = await new Promise((done) => {
    const probe = createServer().listen(0, '127.0.0.1', () => { const { port: free } = probe.address(); probe.close(() => done(free)); });
  });
  const driverProcess = spawn(WEBKIT_DRIVER, [`--port=${port}`], { stdio: 'ignore', env: { ...process.env, DISPLAY: `:${display}` } });
  let driver;
  for (let i = 0; i < 50 && !driver; ++i) {
    try {
      driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] },
      }).build();
    } catch (error) {
      if (i === 49) throw error;
      await new Promise((done) => setTimeout(done, 200));
    }
  }
  await driver.manage().window().setRect({ width: 800, height: 700 });
  const call = async (name, ...args) => {
    await driver.executeScript(PAGE_HELPERS);
    const answer = await driver.executeAsyncScript(
      'const done = arguments[arguments.length - 1];' +
      'Promise.resolve(window.__t[arguments[0]](...Array.from(arguments).slice(1, -1)))' +
      '.then((value) => done({ value }), (error) => done({ error: String(error) }));', name, ...args);
    if (answer.error) throw new Error(answer.error);
    return answer.value;
  };
  const keys = { Control: Key.CONTROL, Meta: Key.META };
  const engine = {
    name: 'WebKitGTK MiniBrowser (WebKitWebDriver)',
    // Errors logged from the moment the helpers were installed; this
    // driver passes on no console messages itself.
    problems: [],
    async goto(address) { await driver.get(address); },
    async reload() {
      engine.problems.push(...(await call('takeProblems')));
      await driver.navigate().refresh();
    },
    async takeProblems() { return [...engine.problems.splice(0), ...(await call('takeProblems'))]; },
    call,
    async click(x, y) {
      await driver.actions({ async: true }).move({ x: Math.round(x), y: Math.round(y), origin: Origin.VIEWPORT })
        .press().release().perform();
    },
    async chord(modifier, key) {
      await driver.actions({ async: true }).keyDown(keys[modifier]).sendKeys(key).keyUp(keys[modifier]).perform();
    },
    async download() { return call('takeCaught'); },
    async close() {
      try { await driver.quit(); } finally { driverProcess.kill(); xvfb.kill(); }
    },
  };
  return engine;
}

// ---- The checks, the same in each engine ---------------------------------

const wait = (ms) => new Promise((done) => setTimeout(done, ms));

async function waitFor(engine, helper, what) {
  for (let i = 0; i < 200; ++i) {
    if (await engine.call(helper)) return;
    await wait(50);
  }
  throw new Error(`${engine.name}: ${what} never came`);
}

async function pixels(engine) {
  return Uint8Array.from(Buffer.from(await engine.call('canvas'), 'base64'));
}

async function decoded(engine, base64) {
  const image = await engine.call('png', base64);
  return { width: image.width, height: image.height, pixels: Uint8Array.from(Buffer.from(image.pixels, 'base64')) };
}

async function press(engine, [x, y]) {
  const [left, top, width, height] = await engine.call('box', 'screen');
  await engine.click(left + ((x + 0.5) * width) / WIDTH, top + ((y + 0.5) * height) / HEIGHT);
}

async function pressShare(engine) {
  const [left, top, width, height] = await engine.call('box', 'share');
  assert.ok(width >= 44 && height >= 44, `${engine.name}: the Share button is ${width} x ${height}`);
  await engine.click(left + width / 2, top + height / 2);
}

async function expectPicture(engine, file, screen, how) {
  assert.ok(file, `${engine.name}: ${how} gave no picture`);
  assert.match(file.name, PICTURE_NAME, `${engine.name}: ${how}`);
  assert.equal(file.type, 'image/png', `${engine.name}: ${how}`);
  const picture = await decoded(engine, file.png);
  assert.deepEqual([picture.width, picture.height], [720, 882], `${engine.name}: ${how}`);
  assert.equal(pictureMisses(picture.pixels, screen), 0, `${engine.name}: ${how}: the picture is the board scaled 3x`);
}

// The page's own Korean texts, as the site gives them to a Korean page.
function koreanTexts() {
  const file = readdirSync(site).find((name) => /^texts-ko-[0-9a-f]{16}\.json$/.test(name));
  assert.ok(file, `no Korean texts in ${site}`);
  return JSON.parse(readFileSync(join(site, file), 'utf8'));
}

const OPENERS = { firefox: openFirefox, webkit: openWebKit };
const AVAILABLE = { firefox: () => existsSync(FIREFOX), webkit: () => existsSync(WEBKIT_DRIVER) && existsSync(MINIBROWSER) };

// The layer beside the canvas, by its DOM: the canvas an image named after
// the screen, a polite status region, and buttons by role and name through
// which a whole game is played; after All the region holds the result.
async function waitForLive(engine, pattern) {
  for (let i = 0; i < 300; ++i) {
    const { live } = await engine.call('access');
    if (pattern.test(live[2])) return live[2];
    await wait(50);
  }
  throw new Error(`${engine.name}: the live region never said ${pattern}`);
}

for (const name of engines) {
  test(`in ${name}: the screen-reader layer's roles, names and news, and a game through its buttons`,
    { skip: !AVAILABLE[name]?.() && `${name} is not installed` }, async () => {
      const engine = await OPENERS[name]();
      try {
        await engine.goto(`${url}?lang=en`);
        await waitFor(engine, 'ready', 'the first frame');
        let access = await engine.call('access');
        assert.deepEqual(access.canvas, ['img', 'Tavilo, a ladder lottery. N starts a game.'], engine.name);
        assert.deepEqual(access.live, ['status', 'polite', ''], engine.name);
        assert.deepEqual(access.buttons, [['button', 'New'], ['button', 'All'], ['button', 'Option'],
          ['button', 'Help: About'], ['button', 'Exit']], engine.name);

        await engine.call('pressButton', 'New');
        await waitForLive(engine, /^New game, 6 players\.$/);
        access = await engine.call('access');
        assert.deepEqual(access.buttons.slice(5).map(([, label]) => label),
          [1, 2, 3, 4, 5, 6].map((k) => `Start player ${k}`), engine.name);
        assert.equal(access.canvas[1], 'Tavilo, 6 players: 0 arrived, 0 on the way, 6 waiting', engine.name);
        await engine.call('pressButton', 'Start player 4');
        await waitForLive(engine, /^Player 4 sets off\.$/);
        await engine.call('pressButton', 'All');
        await waitForLive(engine, /^All players set off\.$/);
        const result = await waitForLive(engine, /^Tavilo, 6 players: /);
        assert.match(result, /^Tavilo, 6 players: 1 → [1-6], 2 → [1-6], 3 → [1-6], 4 → [1-6], 5 → [1-6], 6 → [1-6]$/);
        assert.equal((await engine.call('access')).canvas[1], result, `${engine.name}: the canvas names the result`);

        await engine.call('pressButton', 'Option');
        await waitForLive(engine, /^Players: 6\.$/);
        assert.deepEqual((await engine.call('access')).buttons.map(([, label]) => label),
          ['Fewer players', 'More players', 'OK', 'Cancel'], engine.name);
        await engine.call('pressButton', 'Fewer players');
        await waitForLive(engine, /^Players: 5\.$/);
        await engine.call('pressButton', 'OK');
        await waitForLive(engine, /^New game, 5 players\.$/);
        assert.deepEqual(await engine.takeProblems(), [], `${engine.name}: errors on the console`);
      } finally {
        await engine.close();
      }
    });

  test(`in ${name}: the title, a game, sharing and a reload`, { skip: !AVAILABLE[name]?.() && `${name} is not installed` }, async () => {
    const board = headlessState('press New\nwait 600\n').board;
    const seven = headlessState('press Option\npress >\npress OK\nwait 600\n').board;
    const korean = koreanTexts();
    const engine = await OPENERS[name]();
    try {
      await engine.goto(`${url}?lang=ko`);
      await waitFor(engine, 'ready', 'the first Korean frame');
      await wait(200);
      assert.equal(await engine.call('lang'), 'ko', `${engine.name}: <html lang>`);
      assert.equal((await engine.call('text', 'share')).trim(), korean.share, `${engine.name}: the Share button's name`);
      const koreanTitle = await decoded(engine, headlessShot('wait 200\n', 'ko'));
      assert.equal(countDifferences(await pixels(engine), koreanTitle.pixels), 0, `${engine.name}: the Korean title is the headless host's`);
      assert.deepEqual(await engine.takeProblems(), [], `${engine.name}: errors on the console in Korean`);

      // English, whatever languages the browser was started with.
      await engine.goto(`${url}?lang=en`);
      await waitFor(engine, 'ready', 'the first frame');
      await wait(200);
      const title = await decoded(engine, headlessShot('wait 200\n'));
      assert.equal(countDifferences(await pixels(engine), title.pixels), 0, `${engine.name}: the title is the headless host's`);

      // New and a tap on pole 2's head: its runner leaves a trail there,
      // and no other runner moves.
      await press(engine, BAR.New);
      await wait(300);
      const before = await pixels(engine);
      await press(engine, [board.originX + 30 * 2 + 5, 28]);
      await wait(400);
      const moved = await pixels(engine);
      assert.ok(trailPixels(moved, board, 2, 2) > trailPixels(before, board, 2, 2) + 5, `${engine.name}: runner 2 moves`);
      assert.equal(trailPixels(moved, board, 4, 4), trailPixels(before, board, 4, 4), `${engine.name}: runner 4 waits`);

      await press(engine, BAR.All);
      let result = [];
      for (let i = 0; i < 60 && !allArrived(result); ++i) {
        await wait(500);
        result = arrivals(await pixels(engine), board);
      }
      assert.ok(allArrived(result), `${engine.name}: every runner arrives: ${JSON.stringify(result)}`);
      assert.deepEqual(result.map((arrival) => arrival.runner).sort(), [0, 1, 2, 3, 4, 5]);
      await wait(300);
      const finished = await pixels(engine);

      // Ctrl+S and Cmd+S download the picture, and the program never sees
      // the keys: the screen stays as it was.
      if (name === 'webkit') await engine.call('catchDownloads');
      for (const modifier of ['Control', 'Meta']) {
        await engine.chord(modifier, 's');
        await expectPicture(engine, await engine.download(), finished, `${modifier}+S`);
      }
      assert.equal(countDifferences(await pixels(engine), finished), 0, `${engine.name}: the keys reached the game`);

      // The button: with a share sheet, one PNG and the text go to it;
      // without one, the picture is downloaded and a note says so.
      await engine.call('shareSheet', true);
      await pressShare(engine);
      await wait(300);
      const shared = await engine.call('takeShared');
      assert.ok(shared, `${engine.name}: the share sheet was not asked`);
      assert.equal(shared.text, resultText(result), `${engine.name}: the shared text`);
      assert.equal(shared.files.length, 1, `${engine.name}: one file shared`);
      await expectPicture(engine, shared.files[0], finished, 'the share sheet');

      await engine.call('shareSheet', false);
      await pressShare(engine);
      const download = await engine.download();
      assert.ok(await engine.call('visible', 'note'), `${engine.name}: a note says what happened`);
      assert.match(await engine.call('text', 'note'), /^Picture downloaded/);
      await expectPicture(engine, download, finished, 'the Share button without a share sheet');

      // The chosen count survives a reload.
      await press(engine, BAR.Option);
      await wait(200);
      await press(engine, OPTION.more);
      await wait(100);
      await press(engine, OPTION.ok);
      await wait(200);
      await engine.reload();
      await waitFor(engine, 'ready', 'the first frame after the reload');
      assert.match(await engine.call('store', 'tavilo/registry.reg'), /"PlayerCount"=dword:00000007/);
      await press(engine, BAR.New);
      await wait(600);
      assert.deepEqual(poleHeads(await pixels(engine), seven), [0, 1, 2, 3, 4, 5, 6], `${engine.name}: seven players`);

      assert.deepEqual(await engine.takeProblems(), [], `${engine.name}: errors on the console`);
    } finally {
      await engine.close();
    }
  });
}
