// Playing without a pointer in the browser: the keys, and the screen-reader
// layer beside the canvas (real buttons, a polite live region, the canvas as
// an image named after what it shows), checked in Chromium's own
// accessibility tree through the DevTools protocol, and used as a player
// would: buttons reached with Tab and pressed with Enter.
//
//   node --test tests/web/    (TAVILO_SITE and CHROMIUM say where things are)
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { chromiumOnSite } from './chromium.mjs';

const RESULT = /^Tavilo, 6 players: 1 → [1-6], 2 → [1-6], 3 → [1-6], 4 → [1-6], 5 → [1-6], 6 → [1-6]$/;
const site = chromiumOnSite();

async function openPage() {
  const context = await site.browser.newContext({ viewport: { width: 800, height: 700 } });
  const page = await context.newPage();
  page.problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warning') page.problems.push(message.text());
  });
  page.on('pageerror', (error) => page.problems.push(`page error: ${error.message}`));
  await page.goto(site.url);
  await page.waitForFunction(() => performance.getEntriesByName('tavilo-first-frame').length > 0);
  return page;
}

// Chromium's accessibility tree as the DevTools protocol gives it: every
// node that is not ignored, with its computed role, name and live setting.
async function accessibilityTree(page) {
  const session = await page.context().newCDPSession(page);
  const { nodes } = await session.send('Accessibility.getFullAXTree');
  await session.detach();
  return nodes
    .filter((node) => !node.ignored)
    .map((node) => ({
      role: node.role?.value,
      name: node.name?.value ?? '',
      live: node.properties?.find((p) => p.name === 'live')?.value?.value,
    }));
}

// The layer's buttons in the tree, in order; the Share button beside the
// canvas is the share feature's.
const layerButtons = (tree) => tree.filter((n) => n.role === 'button' && n.name !== 'Share').map((n) => n.name);
const buttonNames = async (page) => layerButtons(await accessibilityTree(page));

const canvasName = (page) => page.locator('#screen').getAttribute('aria-label');
const liveText = (page) => page.locator('#news').textContent();

async function waitForLive(page, pattern) {
  await page.waitForFunction((source) => new RegExp(source).test(document.getElementById('news').textContent),
    pattern.source, { timeout: 15000 });
  return liveText(page);
}

// Presses a button as a keyboard player does: Tab until it has the focus,
// then Enter.
async function pressButton(page, name) {
  for (let i = 0; i < 30; ++i) {
    const focused = await page.evaluate(() => document.activeElement?.textContent ?? '');
    if (focused === name) {
      await page.keyboard.press('Enter');
      return;
    }
    await page.keyboard.press('Tab');
  }
  assert.fail(`no button "${name}" reached with Tab`);
}

test('the layer in Chromium\'s accessibility tree: buttons, the live region, the canvas as a named image', async () => {
  const page = await openPage();
  let tree = await accessibilityTree(page);
  const image = tree.find((n) => n.role === 'image');
  assert.equal(image?.name, 'Tavilo, a ladder lottery. N starts a game.');
  const status = tree.find((n) => n.role === 'status');
  assert.ok(status, 'a status region');
  assert.equal(status.live, 'polite');
  assert.deepEqual(await buttonNames(page), ['New', 'All', 'Option', 'Help: About', 'Exit']);

  await page.keyboard.press('n');
  await waitForLive(page, /^New game, 6 players\.$/);
  tree = await accessibilityTree(page);
  assert.deepEqual(layerButtons(tree).slice(5),
    [1, 2, 3, 4, 5, 6].map((k) => `Start player ${k}`));
  assert.equal(tree.find((n) => n.role === 'image')?.name, 'Tavilo, 6 players: 0 arrived, 0 on the way, 6 waiting');

  // While the player-count dialog is open, its controls are the buttons.
  await page.keyboard.press('o');
  assert.equal(await waitForLive(page, /^Players: 6\.$/), 'Players: 6.');
  assert.deepEqual(await buttonNames(page), ['Fewer players', 'More players', 'OK', 'Cancel']);
  assert.equal(await canvasName(page), 'Players: 6.');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !document.getElementById('game-keys').hidden);
  assert.deepEqual(page.problems, []);
});

test('a whole game through the buttons alone: the live region tells it and ends with the result', async () => {
  const page = await openPage();
  await page.locator('body').focus();
  await pressButton(page, 'New');
  await waitForLive(page, /^New game, 6 players\.$/);
  await pressButton(page, 'Start player 2');
  await waitForLive(page, /^Player 2 sets off\.$/);
  const arrived = await waitForLive(page, /^Player 2 arrives at [1-6]\.$/);
  await pressButton(page, 'All');
  await waitForLive(page, /^All players set off\.$/);
  const result = await waitForLive(page, /^Tavilo, 6 players: /);
  assert.match(result, RESULT);
  assert.ok(result.includes(`2 → ${arrived.match(/at (\d)/)[1]}`), 'the result agrees with the arrival heard');
  assert.equal(await canvasName(page), result);

  // The player-count dialog through its buttons: the focus follows into it
  // and comes back to Option.
  await pressButton(page, 'Option');
  await waitForLive(page, /^Players: 6\.$/);
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Fewer players');
  await pressButton(page, 'More players');
  await waitForLive(page, /^Players: 7\.$/);
  await pressButton(page, 'OK');
  await waitForLive(page, /^New game, 7 players\.$/);
  await page.waitForFunction(() => document.activeElement?.textContent === 'Option');
  assert.equal(await page.locator('#player-keys button').count(), 7);

  // About, and its Close.
  await pressButton(page, 'Help: About');
  assert.match(await waitForLive(page, /^About Tavilo! /), /Version .*www\./);
  await pressButton(page, 'Close');
  await page.waitForFunction(() => document.activeElement?.textContent === 'Help: About');
  assert.deepEqual(page.problems, []);
});

// The keyboard on the canvas: N, the digits by their place (an AZERTY
// keyboard types "&" on the 1 key), letters by what they type (its A sits
// where QWERTY has Q), and Ctrl+A is not All.
test('keys alone play a game: digits by place, letters by layout, Ctrl+A is not All', async () => {
  const page = await openPage();
  await page.locator('#screen').focus();
  const key = (type, init) => page.evaluate(([t, i]) => document.dispatchEvent(new KeyboardEvent(t, i)), [type, init]);
  const press = async (init) => {
    await key('keydown', init);
    await key('keyup', init);
  };
  await page.keyboard.press('n');
  await waitForLive(page, /^New game, 6 players\.$/);
  await press({ key: '&', code: 'Digit1' });
  await waitForLive(page, /^Player 1 sets off\.$/);
  await page.keyboard.press('Control+a');
  await page.keyboard.press('Numpad3');
  await waitForLive(page, /^Player 3 sets off\.$/);
  await press({ key: 'a', code: 'KeyQ' });
  await waitForLive(page, /^All players set off\.$/);
  assert.match(await waitForLive(page, /^Tavilo, 6 players: /), RESULT);
  assert.deepEqual(page.problems, []);
});

// A sighted keyboard player never tabs onto nothing: the button with the
// focus shows beside the canvas, the others stay out of sight.
test('a button shows while it has the focus, and only then', async () => {
  const page = await openPage();
  const size = (name) => page.getByRole('button', { name, exact: true }).boundingBox();
  assert.ok((await size('New')).width <= 1, 'hidden before the focus comes');
  await page.locator('#screen').focus();
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'New');
  const shown = await size('New');
  assert.ok(shown.width > 20 && shown.height > 10, `the focused button shows (${shown.width} x ${shown.height})`);
  assert.ok((await size('All')).width <= 1);
  await page.keyboard.press('Tab');
  assert.ok((await size('New')).width <= 1, 'hidden again once the focus moved on');
});
