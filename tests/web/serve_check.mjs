// Serves a small folder with serve.mjs and fetches it back the way Node 18
// does on a fresh Debian 12, where the browser tests' own fetches run: the
// hosts file names localhost both ::1 and 127.0.0.1, Node 18 connects to the
// first answer (::1) and does not try the other. serve.test.mjs runs this
// under --dns-result-order=ipv6first with family autoselection off; the exit
// status is 0 when the page came back.
import dns from 'node:dns';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serve } from './serve.mjs';

// The machine running this may leave ::1 out of its hosts file (some
// containers do), which would hide the fault; answer localhost as Debian
// does, IPv6 first as the flag asks. Every other name is looked up as usual.
const systemLookup = dns.lookup;
dns.lookup = function lookup(hostname, options, callback) {
  if (typeof options === 'function') {
    callback = options;
    options = {};
  } else if (typeof options === 'number') {
    options = { family: options };
  }
  if (hostname !== 'localhost') {
    return systemLookup.call(this, hostname, options, callback);
  }
  const answers = [{ address: '::1', family: 6 }, { address: '127.0.0.1', family: 4 }]
    .filter((answer) => !options.family || answer.family === options.family);
  process.nextTick(() => {
    if (options.all) {
      callback(null, answers);
    } else {
      callback(null, answers[0].address, answers[0].family);
    }
  });
};

const PAGE = '<!doctype html><title>Tavilo</title>';
const root = mkdtempSync(join(tmpdir(), 'tavilo-serve-'));
writeFileSync(join(root, 'index.html'), PAGE);
const { server, url } = await serve(root);
try {
  for (const address of [url, new URL('index.html', url)]) {
    const response = await fetch(address);
    const body = await response.text();
    if (response.status !== 200 || body !== PAGE) {
      throw new Error(`status ${response.status}, ${body.length} bytes`);
    }
  }
} catch (error) {
  console.error(`serve_check: fetching ${url} failed: ${error.cause?.code || error.cause?.message || error.message}`);
  process.exitCode = 1;
} finally {
  server.close();
  rmSync(root, { recursive: true, force: true });
}
