// The headless host as the browser tests' oracle: the same program, run on a
// script in a settings folder of its own, gives the state and the pixels the
// page must show. Also where the built site is.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const site = process.env.TAVILO_SITE || join(root, 'build/web/site');
const headless = process.env.TAVILO_HEADLESS || join(root, 'build/default/platform/hosts/tavilo-headless');
const scratch = mkdtempSync(join(tmpdir(), 'tavilo-oracle-'));
process.on('exit', () => rmSync(scratch, { recursive: true, force: true }));

// Runs the headless host on a script; returns its standard output.
function runHeadless(script, language) {
  const config = mkdtempSync(join(scratch, 'config-'));
  return execFileSync(headless, ['--config-dir', config, '--language', language, '-'],
    { input: `${script}quit\n`, encoding: 'utf8' });
}

// The state line at the script's end, parsed.
export function headlessState(script) {
  const lines = runHeadless(`${script}state\n`, 'en').trim().split('\n');
  return JSON.parse(lines[lines.length - 1]);
}

// The screen at the script's end, as a PNG in base64.
export function headlessShot(script, language = 'en') {
  const file = join(scratch, `shot-${Math.random().toString(36).slice(2)}.png`);
  runHeadless(`${script}shot ${file}\n`, language);
  return readFileSync(file).toString('base64');
}
