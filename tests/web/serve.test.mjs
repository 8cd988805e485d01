// The browser tests' server must be reachable from every Node that runs
// them, Debian 12's own Node 18 included, which looks localhost up as ::1
// only. Newer Nodes try both addresses and would hide the fault, so the
// check runs in a Node set up to behave as Node 18 does. Needs no build.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));

test('the test server answers a Node that tries only the first address of a name', () => {
  const flags = ['--dns-result-order=ipv6first'];
  // Node 18 has no such flag: it never tries a second address anyway.
  if (process.allowedNodeEnvironmentFlags.has('--network-family-autoselection')) {
    flags.push('--no-network-family-autoselection');
  }
  const check = spawnSync(process.execPath, [...flags, join(here, 'serve_check.mjs')], { encoding: 'utf8', timeout: 30000 });
  assert.equal(check.status, 0, `serve_check.mjs failed:\n${check.stderr}`);
});
