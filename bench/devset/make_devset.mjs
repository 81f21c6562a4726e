// Extracts the typing development set from the Simplified Chinese manual pages (Debian package
// manpages-zh): runs of 4-16 Han characters between other text (a run that only the source's
// line wrapping splits is one run), deduplicated, and a fixed sample
// of them chosen by a hash of the text, so every run of the script picks the same phrases. The
// pinyin comes from the npm package pinyin-pro (which reads polyphones from context); neither
// the engine's word sources nor its tables are used for it.
//   npm install --prefix /tmp/devset-npm pinyin-pro@3
//   NODE_PATH=/tmp/devset-npm/node_modules node make_devset.mjs > manpages.tsv
// Output lines: "text<TAB>syl la bles", syllables toneless with v for ü.
import { createHash } from 'node:crypto';
import { readdirSync, readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { gunzipSync } from 'node:zlib';

const require = createRequire(import.meta.url);
const { pinyin } = require('pinyin-pro');

const manRoot = '/usr/share/man/zh_CN';
const sampleSize = Number(process.env.DEVSET_SIZE ?? 600);
const hanRun = /[\u4e00-\u9fa5]+/g;
const wrapped = /([\u4e00-\u9fa5])\n([\u4e00-\u9fa5])/g;

function manualPages() {
  const pages = [];
  for (const section of readdirSync(manRoot).sort()) {
    for (const name of readdirSync(join(manRoot, section)).sort()) {
      if (name.endsWith('.gz')) pages.push(join(manRoot, section, name));
    }
  }
  return pages;
}

// The text of a page without its groff requests, escapes and comments.
function plainText(source) {
  return source
    .split('\n')
    .filter((line) => !line.startsWith('.\\"') && !line.startsWith("'\\\""))
    .map((line) => line.replace(/^\.[A-Za-z]+\s*/, '').replace(/\\f[A-Z0-9]|\\f\(..|\\\(..|\\./g, ' '))
    .join('\n')
    .replace(wrapped, '$1$2');
}

const phrases = new Set();
for (const page of manualPages()) {
  const text = plainText(gunzipSync(readFileSync(page)).toString('utf8'));
  for (const [run] of text.matchAll(hanRun)) {
    if (run.length >= 4 && run.length <= 16) phrases.add(run);
  }
}

const digest = (text) => createHash('sha1').update(text).digest('hex');
const sample = [...phrases].sort((a, b) => (digest(a) < digest(b) ? -1 : 1)).slice(0, sampleSize);
for (const text of sample) {
  const syllables = pinyin(text, { toneType: 'none', type: 'array', v: true });
  if (syllables.length !== [...text].length || !syllables.every((s) => /^[a-z]+$/.test(s))) continue;
  console.log(`${text}\t${syllables.join(' ')}`);
}
