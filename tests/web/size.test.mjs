// The browser's first download stays under its budget, and what only some
// languages use stays out of it: the worker keeps the glyphs and a
// language's texts only once asked, never installs them on every visit.
//
//   node --test tests/web/    (TAVILO_SITE says where the site is)
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { BUDGET_BYTES, download } from './download.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const site = process.env.TAVILO_SITE || join(root, 'build/web/site');

test('a visit downloads less than 150 KB gzip, the glyphs and other languages\' texts apart', () => {
  const { files, total } = download(site);
  assert.ok(total < BUDGET_BYTES, `a visit downloads ${total} bytes gzip, over the budget of ${BUDGET_BYTES}`);
  const onlySome = (name) => /^(cjk|texts)-/.test(name);
  assert.deepEqual(files.filter((file) => onlySome(file.name) !== file.lazy).map((file) => file.name), [],
    'files kept lazily by the worker are exactly the glyphs and the texts');
  assert.ok(files.filter((file) => file.lazy).length >= 9, 'the glyphs and eight languages\' texts');
});
