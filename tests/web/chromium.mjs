// The built site served and a Chromium started for the tests of one file:
// both start before its first test and stop after its last.
//
//   const site = chromiumOnSite();   // site.browser and site.url in the tests
//
// TAVILO_SITE and CHROMIUM say where the site and the browser are.
import { after, before } from 'node:test';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');

export function chromiumOnSite() {
  const site = { folder: process.env.TAVILO_SITE || join(root, 'build/web/site') };
  let server;
  before(async () => {
    ({ server, url: site.url } = await serve(site.folder));
    site.browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true });
  });
  after(async () => {
    await site.browser?.close();
    server?.close();
  });
  return site;
}
