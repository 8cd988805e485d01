// The page in the player's language: ?lang= or the browser's languages
// choose it, <html lang> says it, and the page's own texts (the Share
// button, the take-over panel, the screen-reader layer) and the program's
// (the canvas's name, the buttons, the live region, the shared result)
// speak it; anything unknown is English.
//
//   node --test tests/web/    (TAVILO_SITE and CHROMIUM say where things are)
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { chromiumOnSite } from './chromium.mjs';

const site = chromiumOnSite();

// The site's files that only some languages fetch: each language's page
// texts (texts-LANG-HASH.json) and the CJK glyphs.
const textFiles = {};
let glyphFile = null;
for (const name of readdirSync(site.folder)) {
  const texts = name.match(/^texts-([A-Za-z-]+)-[0-9a-f]{16}\.json$/);
  if (texts) textFiles[texts[1]] = name;
  if (/^cjk-[0-9a-f]{16}\.bin$/.test(name)) glyphFile = name;
}
const shareLabel = (language) =>
  (language === 'en' ? 'Share' : JSON.parse(readFileSync(join(site.folder, textFiles[language]), 'utf8')).share);

async function open(context, query = '') {
  const page = await context.newPage();
  page.problems = [];
  page.fetched = [];
  page.on('pageerror', (error) => page.problems.push(`page error: ${error.message}`));
  page.on('request', (request) => page.fetched.push(new URL(request.url()).pathname.slice(1)));
  await page.goto(site.url + query);
  return page;
}

async function started(page) {
  await page.waitForFunction(() => performance.getEntriesByName('tavilo-first-frame').length > 0);
  return page;
}

const layerButtons = (page) => page.locator('#game-keys button:not([hidden])').allTextContents();
const lang = (page) => page.evaluate(() => document.documentElement.lang);

test('?lang=ko: a Korean page around a Korean program', async () => {
  const context = await site.browser.newContext({ locale: 'en-US', viewport: { width: 800, height: 700 } });
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
    const context = await site.browser.newContext({ locale });
    const page = await started(await open(context, query));
    const where = `${query || '(no query)'} in ${locale}`;
    assert.equal(await lang(page), language, where);
    // Only a language's own files come: none at all in English.
    const lazy = page.fetched.filter((name) => /^(texts|cjk)-/.test(name)).sort();
    const own = [textFiles[language], ['ja', 'ko', 'zh-Hans', 'zh-Hant'].includes(language) && glyphFile];
    assert.deepEqual(lazy, own.filter(Boolean).sort(), where);
    assert.equal((await page.locator('#share').textContent()).trim(), shareLabel(language), where);
    assert.ok((await page.locator('#screen').getAttribute('aria-label')).startsWith(words), where);
    assert.deepEqual(page.problems, [], where);
    await context.close();
  }
});

// The worker keeps the language's texts and glyphs once the page has run in
// it, though the first visit fetched them before the worker was there.
test('a language used once is there offline', async () => {
  const context = await site.browser.newContext({ locale: 'en-US', viewport: { width: 800, height: 700 } });
  const page = await started(await open(context, '?lang=ko'));
  const wanted = [textFiles.ko, glyphFile];
  const kept = () => page.evaluate(async (names) => {
    const found = await Promise.all(names.map((name) => caches.match(new URL(name, location.href).href)));
    return found.every(Boolean);
  }, wanted);
  const until = Date.now() + 10000;
  while (!(await kept())) {
    assert.ok(Date.now() < until, `the worker did not keep ${wanted.join(' and ')}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  await context.setOffline(true);
  page.fetched = [];
  await page.reload();
  await started(page);
  assert.equal(await lang(page), 'ko');
  assert.equal((await page.locator('#share').textContent()).trim(), '공유');
  assert.match(await page.locator('#screen').getAttribute('aria-label'), /^Tavilo, 사다리 타기\./);
  assert.deepEqual(page.problems, []);
  await context.close();
});

