// Assembles the static site from the built program and the page: copies the
// page's files and its icons (which the artwork generator draws from the
// program's own icon), writes the page's texts in (English's into page.js,
// each other language's to a file of its own), gives the code files names
// made from their content, and writes the offline worker with the hash of
// every file it keeps.
//
//   node make_site.mjs PAGE_DIR PROGRAM_DIR SCREEN_SIZE_H SITE_DIR
//
// PROGRAM_DIR holds the linked tavilo.js and tavilo.wasm; SCREEN_SIZE_H is
// the program's gdi/screen_size.h. SITE_DIR ends up holding the site's files
// and nothing else.
import { createHash } from 'node:crypto';
import { mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';

const [pageDir, programDir, screenSizeHeader, siteDir, glyphsFile] = process.argv.slice(2);
if (!glyphsFile) {
  console.error('usage: node make_site.mjs PAGE_DIR PROGRAM_DIR SCREEN_SIZE_H SITE_DIR GLYPHS_FILE');
  process.exit(2);
}

const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

// The page's scripts as the browser gets them: without their comments and
// indentation, which are most of their size. Acorn (Debian's node-acorn,
// which Emscripten itself uses) reads the tokens; each token is kept as
// written and each run of space and comments between two tokens becomes one
// line break if it held one (so that automatic semicolons stay where they
// were) or else one space.
const require = createRequire(import.meta.url);
function loadAcorn() {
  try {
    return require('acorn');
  } catch (error) {
    return require('/usr/share/nodejs/acorn');
  }
}
const acorn = loadAcorn();
function compact(source) {
  let out = '';
  let end = 0;
  for (const token of acorn.tokenizer(source, { ecmaVersion: 'latest', sourceType: 'script' })) {
    if (token.start > end) {
      out += /[\n\r\u2028\u2029]/.test(source.slice(end, token.start)) ? '\n' : ' ';
    }
    out += source.slice(token.start, token.end);
    end = token.end;
  }
  return `${out}\n`;
}

// The screen's size and the menu bar's height go into the page where it says
// @SCREEN_WIDTH@, @SCREEN_HEIGHT@ and @MENU_BAR_HEIGHT@, from the header
// every part of the program takes them from.
const header = readFileSync(screenSizeHeader, 'utf8');
const sizes = {};
for (const [constant, mark] of [['kScreenWidth', '@SCREEN_WIDTH@'], ['kScreenHeight', '@SCREEN_HEIGHT@'],
  ['kMenuBarHeight', '@MENU_BAR_HEIGHT@']]) {
  const match = header.match(new RegExp(`\\b${constant}\\s*=\\s*(\\d+)\\s*;`));
  if (!match) throw new Error(`${screenSizeHeader} does not define ${constant}`);
  sizes[mark] = match[1];
}
const withScreenSize = (text) => text.replace(/@(SCREEN_WIDTH|SCREEN_HEIGHT|MENU_BAR_HEIGHT)@/g, (mark) => sizes[mark]);

// The site's files by name; the page comes last, as it names the others.
const files = new Map();
for (const name of ['manifest.webmanifest', 'icon-32.png', 'icon-192.png', 'icon-512.png']) {
  files.set(name, readFileSync(join(pageDir, name)));
}

// The program's glue script, its WebAssembly and the page's script must come
// from one build, whatever caches stand between the host and the player:
// each is served under a name that carries its content's hash
// (tavilo-0123456789abcdef.wasm), so that a page can only ever ask for the
// files of its own build. The page names them in quotes.
//
// The Japanese, Korean and Chinese glyphs (platform/gdi/cjk/cjk_glyphs.bin)
// are a file of their own, which the program fetches only when the player's
// language needs them; page.js names it in quotes, so it is named first.
const glyphs = readFileSync(glyphsFile);
const glyphsName = `cjk-${sha256(glyphs).slice(0, 16)}.bin`;
files.set(glyphsName, glyphs);

// The page's texts (page/texts.json, a record a language, English first):
// English's are written into page.js, every other language's go to a file
// of their own (texts-ja-0123456789abcdef.json) that only a page in that
// language fetches. Each language has exactly English's texts, each with as
// many % as English's, or the site is not made.
const texts = JSON.parse(readFileSync(join(pageDir, 'texts.json'), 'utf8'));
const { en: english, ...translated } = texts;
if (!english) throw new Error('texts.json has no English texts');
const holes = (text) => text.split('%').length - 1;
const textFiles = {};
for (const [language, record] of Object.entries(translated)) {
  if (!/^[a-z]{2,3}(-[A-Za-z]{2,4})?$/.test(language)) throw new Error(`texts.json: "${language}" is not a language tag`);
  const keys = Object.keys(english);
  const wrong = Object.keys(record).filter((key) => !keys.includes(key));
  if (wrong.length > 0) throw new Error(`texts.json: ${language} has texts English has not: ${wrong.join(', ')}`);
  for (const key of keys) {
    if (typeof record[key] !== 'string' || record[key] === '') throw new Error(`texts.json: ${language} lacks "${key}"`);
    if (holes(record[key]) !== holes(english[key])) throw new Error(`texts.json: ${language} "${key}" has another number of %`);
  }
  const bytes = Buffer.from(JSON.stringify(record));
  const name = `texts-${language}-${sha256(bytes).slice(0, 16)}.json`;
  files.set(name, bytes);
  textFiles[language] = name;
}
const withTexts = (script) => {
  for (const mark of ['@ENGLISH_TEXTS@', '@TEXT_FILES@']) {
    if (!script.includes(mark)) throw new Error(`page.js has no ${mark}`);
  }
  return script.replace('@ENGLISH_TEXTS@', () => JSON.stringify(english))
    .replace('@TEXT_FILES@', () => JSON.stringify(textFiles));
};

let page = withScreenSize(readFileSync(join(pageDir, 'index.html'), 'utf8'));
for (const [dir, name] of [[programDir, 'tavilo.wasm'], [programDir, 'tavilo.js'], [pageDir, 'page.js']]) {
  let bytes = readFileSync(join(dir, name));
  if (name === 'page.js') {
    const script = withTexts(withScreenSize(readFileSync(join(dir, name), 'utf8')));
    if (!script.includes("'cjk_glyphs.bin'")) {
      throw new Error('page.js does not name cjk_glyphs.bin');
    }
    bytes = Buffer.from(compact(script.replace("'cjk_glyphs.bin'", `'${glyphsName}'`)));
  }
  const named = name.replace(/\.[a-z]+$/, (extension) => `-${sha256(bytes).slice(0, 16)}${extension}`);
  const quoted = new RegExp(`(["'])${name.replace(/\./g, '\\.')}\\1`, 'g');
  if (!quoted.test(page)) {
    throw new Error(`index.html does not name ${name}`);
  }
  page = page.replace(quoted, `$1${named}$1`);
  files.set(named, bytes);
}
// The page's own style and script lose their comments and indentation too.
page = page
  .replace(/(<style>)([\s\S]*?)(<\/style>)/, (all, open, css, close) =>
    open + css.replace(/\/\*[\s\S]*?\*\//g, '').replace(/\n\s*/g, '\n') + close)
  .replace(/(<script>)([\s\S]*?)(<\/script>)/, (all, open, script, close) => open + compact(script) + close);
files.set('index.html', Buffer.from(page));

// The worker keeps every file, the page as the site's address ('./'), each
// with the SHA-256 it must have; the build is named from all of them. The
// glyphs and a language's texts it keeps once the page first asks for them
// ('lazy'), so that a player offline has their language once they have used
// it here, and a visit in English fetches none of them.
const lazy = new Set([glyphsName, ...Object.values(textFiles)]);
const kept = [...files].map(([name, bytes]) => [name === 'index.html' ? './' : name, sha256(bytes)]
  .concat(lazy.has(name) ? ['lazy'] : []));
const worker = compact(readFileSync(join(pageDir, 'sw.js'), 'utf8')
  .replace('@BUILD@', sha256(JSON.stringify(kept)).slice(0, 16))
  .replace('@FILES@', `[\n${kept.map((entry) => `  ${JSON.stringify(entry)},\n`).join('')}]`));

// Files of earlier builds go, so that the folder is exactly what to serve.
mkdirSync(siteDir, { recursive: true });
for (const entry of readdirSync(siteDir, { withFileTypes: true })) {
  if (entry.isFile() && !files.has(entry.name) && entry.name !== 'sw.js') {
    rmSync(join(siteDir, entry.name));
  }
}
for (const [name, bytes] of files) {
  writeFileSync(join(siteDir, name), bytes);
}
writeFileSync(join(siteDir, 'sw.js'), worker);
