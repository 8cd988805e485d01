// The page in the player's language: ?lang= or the browser's languages
// choose it, <html lang> says it, and the page's own texts (the Share
// button, the take-over panel, the screen-reader layer) and the program's
// (the canvas's name, the buttons, the live region, the shared result)
// speak it; anything unknown is English.
//
//   node --test tests/web/    (TAVILO_SITE and CHROMIUM say where things are)
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const root = resolve(here, '../..');
const site = process.env.TAVILO_SITE || join(root, 'build/web/site');

let browser;
let server;
let url;

before(async () => {
  ({ server, url } = await serve(site));
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true });
});

after(async () => {
  await browser?.close();
  server?.close();
});

async function open(context, query = '') {
  const page = await context.newPage();
  page.problems = [];
  page.on('pageerror', (error) => page.problems.push(`page error: ${error.message}`));
  await page.goto(url + query);
  return page;
}

async function started(page) {
  await page.waitForFunction(() => performance.getEntriesByName('tavilo-first-frame').length > 0);
  return page;
}

const layerButtons = (page) => page.locator('#game-keys button:not([hidden])').allTextContents();
const lang = (page) => page.evaluate(() => document.documentElement.lang);

test('?lang=ko: a Korean page around a Korean program', async () => {
  const context = await browser.newContext({ locale: 'en-US', viewport: { width: 800, height: 700 } });
  const page = await started(await open(context, '?lang=ko'));
  assert.equal(await lang(page), 'ko');
  assert.equal((await page.locator('#share').textContent()).trim(), '공유');
  assert.match(await page.locator('#share').getAttribute('title'), /^결과 공유 /);
  assert.match(await page.locator('#keys').textContent(), /^키: N 새 판, /);
  assert.equal(await page.locator('#game-keys').getAttribute('aria-label'), '게임');
  assert.equal(await page.locator('#screen').getAttribute('aria-label'), 'Tavilo, 사다리 타기. N 키로 게임 시작.');
  assert.deepEqual((await layerButtons(page)).slice(0, 5), ['새 판', '모두', '설정', '도움말: 정보', '종료']);

  await page.locator('#screen').focus();
  await page.keyboard.press('n');
  await page.waitForFunction(() => document.getElementById('news').textContent === '새 게임, 6명.');
  await page.keyboard.press('a');
  await page.waitForFunction(() => /^Tavilo, 6명: /.test(document.getElementById('news').textContent),
    null, { timeout: 15000 });
  assert.match(await page.locator('#news').textContent(), /^Tavilo, 6명: 1 → [1-6], 2 → [1-6], 3 → [1-6], 4 → [1-6], 5 → [1-6], 6 → [1-6]$/);

  // A second tab of the same browser, in German, offers to take over in German.
  const second = await open(context, '?lang=de');
  await second.waitForFunction(() => !document.getElementById('panel').hidden);
  assert.equal(await lang(second), 'de');
  assert.equal(await second.locator('#message').textContent(), 'Tavilo ist in einem anderen Tab geöffnet.');
  assert.equal(await second.locator('#action').textContent(), 'Hier spielen');
  assert.deepEqual([...page.problems, ...second.problems], []);
  await context.close();
});

test('the language follows ?lang= and the browser\'s languages as the program reads them; unknown is English', async () => {
  const cases = [
    // [query, browser locale, page language, the canvas's first words]
    ['', 'ja-JP', 'ja', 'Tavilo、あみだくじ。'],
    ['', 'pt-PT', 'pt-BR', 'Tavilo, o sorteio da escada.'],
    ['?lang=zh-HK', 'fr-FR', 'zh-Hant', 'Tavilo 鬼腳圖抽籤。'],
    ['?lang=zh_SG', 'en-US', 'zh-Hans', 'Tavilo 爬梯子抽签。'],
    ['?lang=es-MX', 'de-DE', 'es', 'Tavilo, el sorteo de la escalera.'],
    ['?lang=tlh', 'de-DE', 'en', 'Tavilo, a ladder lottery.'],
    ['?lang=%3Cb%3E', 'fr-FR', 'en', 'Tavilo, a ladder lottery.'],
    ['', 'it-IT', 'en', 'Tavilo, a ladder lottery.'],
  ];
  for (const [query, locale, language, words] of cases) {
    const context = await browser.newContext({ locale });
    const page = await started(await open(context, query));
    const where = `${query || '(no query)'} in ${locale}`;
    assert.equal(await lang(page), language, where);
    assert.ok((await page.locator('#screen').getAttribute('aria-label')).startsWith(words), where);
    assert.deepEqual(page.problems, [], where);
    await context.close();
  }
});
