// Assembles the static site from the built program and the page: copies the
// page's files, draws the installable icons from the program's own icon
// (nearest-neighbour, so they stay crisp), and names the service worker's
// cache from a hash of everything it serves.
//
//   node make_site.mjs PAGE_DIR ICON_BMP SITE_DIR
import { createHash } from 'node:crypto';
import { copyFileSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { deflateSync } from 'node:zlib';

const [pageDir, iconBmp, siteDir] = process.argv.slice(2);
if (!siteDir) {
  console.error('usage: node make_site.mjs PAGE_DIR ICON_BMP SITE_DIR');
  process.exit(2);
}

// An uncompressed Windows bitmap of 8, 24 or 32 bits per pixel, as RGBA
// rows from the top. Magenta is the icon's transparent colour.
function decodeBmp(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  if (view.getUint16(0, true) !== 0x4d42) throw new Error('not a BMP file');
  const dataOffset = view.getUint32(10, true);
  const headerSize = view.getUint32(14, true);
  const width = view.getInt32(18, true);
  const rawHeight = view.getInt32(22, true);
  const bits = view.getUint16(28, true);
  const compression = view.getUint32(30, true);
  if (compression !== 0 || ![8, 24, 32].includes(bits)) throw new Error('unsupported BMP layout');
  const height = Math.abs(rawHeight);
  const stride = Math.ceil((width * bits) / 32) * 4;
  const paletteOffset = 14 + headerSize;
  const rgba = new Uint8Array(width * height * 4);
  for (let y = 0; y < height; ++y) {
    const row = dataOffset + (rawHeight > 0 ? height - 1 - y : y) * stride;
    for (let x = 0; x < width; ++x) {
      let b, g, r;
      if (bits === 8) {
        const entry = paletteOffset + bytes[row + x] * 4;
        [b, g, r] = [bytes[entry], bytes[entry + 1], bytes[entry + 2]];
      } else {
        const at = row + (x * bits) / 8;
        [b, g, r] = [bytes[at], bytes[at + 1], bytes[at + 2]];
      }
      const transparent = r === 255 && g === 0 && b === 255;
      rgba.set(transparent ? [0, 0, 0, 0] : [r, g, b, 255], (y * width + x) * 4);
    }
  }
  return { width, height, rgba };
}

function scaleNearest(image, size) {
  const out = new Uint8Array(size * size * 4);
  for (let y = 0; y < size; ++y) {
    const sy = Math.floor((y * image.height) / size);
    for (let x = 0; x < size; ++x) {
      const sx = Math.floor((x * image.width) / size);
      const from = (sy * image.width + sx) * 4;
      out.set(image.rgba.subarray(from, from + 4), (y * size + x) * 4);
    }
  }
  return { width: size, height: size, rgba: out };
}

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const byte of bytes) c = crcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(data.length, 0);
  head.write(type, 4, 'latin1');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
  return Buffer.concat([head, data, crc]);
}

function encodePng(image) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(image.width, 0);
  header.writeUInt32BE(image.height, 4);
  header.set([8, 6, 0, 0, 0], 8);  // 8 bits, RGBA, deflate, no filter, no interlace
  const raw = Buffer.alloc((image.width * 4 + 1) * image.height);
  for (let y = 0; y < image.height; ++y) {
    const rowBytes = image.width * 4;
    raw.set(image.rgba.subarray(y * rowBytes, (y + 1) * rowBytes), y * (rowBytes + 1) + 1);
  }
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header),
    chunk('IDAT', deflateSync(raw, { level: 9 })),
    chunk('IEND', Buffer.alloc(0)),
  ]);
}

const icon = decodeBmp(readFileSync(iconBmp));
for (const size of [32, 192, 512]) {
  writeFileSync(join(siteDir, `icon-${size}.png`), encodePng(scaleNearest(icon, size)));
}
for (const name of ['index.html', 'page.js', 'manifest.webmanifest']) {
  copyFileSync(join(pageDir, name), join(siteDir, name));
}

const served = ['index.html', 'page.js', 'tavilo.js', 'tavilo.wasm', 'manifest.webmanifest',
  'icon-32.png', 'icon-192.png', 'icon-512.png'];
const hash = createHash('sha256');
for (const name of served) hash.update(name).update(readFileSync(join(siteDir, name)));
const worker = readFileSync(join(pageDir, 'sw.js'), 'utf8')
  .replace('@BUILD_HASH@', hash.digest('hex').slice(0, 16))
  .replace('@FILES@', JSON.stringify(['./', ...served]));
writeFileSync(join(siteDir, 'sw.js'), worker);
