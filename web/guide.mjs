// Writes the user guide the page's link opens (OUT/guide): one Chinese page
// in GBK, made at build time from what the desktop's guide is made of (its
// head and chapters in resources/guide/ with the screenshots they show,
// the command rows, the page's keys and the examples) so that the page build
// always has it, online, offline and from disk. The command rows, the
// pictures and the GBK come from the page's own module, run here under node.
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

import { exampleOf } from './page/example_text.js';
import { KEYS, keyLabel } from './page/keys.js';

const escape = (text) => text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);

// Room for a command's picture, as F1 gives it (learning.js).
const REFERENCE_PICTURE = { width: 366, height: 210 };


// The page's module with only what the guide asks of it: no run canvas, and
// the text font (`font`, its bytes) given at once, so its pictures' text is
// set without a fetch. Under node the module deflates its PNGs with node's
// zlib itself.
async function startModule(moduleDir, font) {
  const answers = [];
  const DravelWeb = createRequire(import.meta.url)(path.join(moduleDir, 'dravel-web.js'));
  const module = await DravelWeb({
    wasmBinary: fs.readFileSync(path.join(moduleDir, 'dravel-web.wasm')),
    onCommand: ([keyword, alias, syntax, meaning, example]) => answers.push({ keyword, alias, syntax, meaning, example }),
    onPng: (bytes, ratio) => answers.push({ bytes, ratio }),
    textFont: new Uint8Array(font),
  });
  const withText = (text, call) => {
    const bytes = new TextEncoder().encode(text);
    const at = module._malloc(Math.max(bytes.length, 1));
    module.HEAPU8.set(bytes, at);
    try {
      return call(at, bytes.length);
    } finally {
      module._free(at);
    }
  };
  const collect = (call) => {
    answers.length = 0;
    call();
    return answers.splice(0);
  };
  return {
    commands: () => collect(() => module._dravel_commands()),
    // A GBK file's bytes as text, through the one codec.
    decode: (bytes) => {
      const at = module._malloc(Math.max(bytes.length, 1));
      module.HEAPU8.set(bytes, at);
      try {
        const size = module._dravel_decode(at, bytes.length, 0);
        return new TextDecoder().decode(module.HEAPU8.subarray(module._dravel_result(), module._dravel_result() + size));
      } finally {
        module._free(at);
      }
    },
    picture: (script) => collect(() => withText(script, (at, size) => module._dravel_picture_png(at, size)))[0]?.bytes,
    // A command row's picture as F1 shows it (its scene, cropped) and the
    // width to show it at; null for a row that draws nothing.
    commandPicture: (index) => {
      const [picture] = collect(() => module._dravel_command_picture(index, REFERENCE_PICTURE.width,
                                                                     REFERENCE_PICTURE.height, 1));
      if (picture === undefined) return null;
      const width = new DataView(picture.bytes.buffer).getUint32(16); // the PNG header's
      return { bytes: picture.bytes, shownWidth: Math.round(width * picture.ratio) };
    },
    // The page in GBK through the one codec; what GBK cannot hold (the
    // minus sign of 画正多边形's help) becomes an HTML character reference.
    html: (page) => {
      const encode = (text) => {
        const size = withText(text, (at, length) => module._dravel_encode(at, length, 0));
        if (module._dravel_lost_at() >= 0) return null;
        return module.HEAPU8.slice(module._dravel_result(), module._dravel_result() + size);
      };
      const whole = encode(page);
      if (whole) return whole;
      return encode([...page]
        .map((c) => (c.charCodeAt(0) < 0x80 || encode(c) ? c : `&#x${c.codePointAt(0).toString(16)};`)).join(''));
    },
  };
}

function referenceSection(module, pictures) {
  let html = '<section id="reference">\n<h2>命令参考</h2>\n' +
    '<p>每行一条命令；关键字和英文别名一样用，参数之间用一个半角空格隔开。</p>\n';
  module.commands().forEach((row, index) => {
    html += `<h3>${escape(row.keyword)}（${escape(row.alias)}）</h3><p><code>${escape(row.syntax)}</code><br>` +
      `${escape(row.meaning)}</p><p>例如：<code>${escape(row.example)}</code></p>\n`;
    const picture = module.commandPicture(index);
    if (picture === null) return;
    const name = `pictures/command-${index}.png`;
    pictures.set(name, picture.bytes);
    html += `<p><img src="${name}" width="${picture.shownWidth}" alt=""></p>\n`;
  });
  return html + '</section>\n';
}

function keysSection() {
  const rows = KEYS.map((row) => `<tr><td><b>${escape(keyLabel(row))}</b></td><td>${escape(row.does)}</td></tr>`);
  return `<section id="keys">\n<h2>网页版的按键</h2>\n<table cellspacing="4">\n${rows.join('\n')}\n</table>\n</section>\n`;
}

// `examples`: [{name, text (LF line ends), teaches}], as the page lists them.
function examplesSection(module, examples, pictures) {
  let html = '<section id="examples">\n<h2>示例</h2>\n<p>在网页上按 F2（或点“打开示例”）打开这些示例。</p>\n';
  examples.forEach((example, index) => {
    const picture = `pictures/example-${index}.png`;
    pictures.set(picture, module.picture(example.text));
    html += `<h3>${escape(example.name)}</h3>\n<p>${escape(example.teaches)}</p>\n` +
      `<p><img src="${picture}" alt="${escape(example.name)}"></p>\n<pre>${escape(example.text)}</pre>\n`;
  });
  return html + '</section>\n';
}

// Writes `out`/guide/index.html and its pictures from head.html and
// chapters.html in `guideDir`; the chapters' screenshots are docs/NAME.png for their
// pictures/NAME.png.
export async function writeGuide({ moduleDir, out, font, guideDir, docsDir, exampleFiles }) {
  const module = await startModule(moduleDir, font);
  const examples = exampleFiles.map(({ name, bytes }) =>
    exampleOf(name, module.decode(bytes).replace(/\r\n?/g, '\n')));
  const chapters = fs.readFileSync(path.join(guideDir, 'chapters.html'), 'utf8');
  const pictures = new Map();
  for (const [, name] of chapters.matchAll(/src="pictures\/([^"]+\.png)"/g)) {
    pictures.set(`pictures/${name}`, fs.readFileSync(path.join(docsDir, name)));
  }
  const head = fs.readFileSync(path.join(guideDir, 'head.html'), 'utf8');
  const page = head + chapters + referenceSection(module, pictures) + keysSection() +
    examplesSection(module, examples, pictures) + '</body>\n</html>\n';
  const guide = path.join(out, 'guide');
  fs.rmSync(guide, { recursive: true, force: true });
  fs.mkdirSync(path.join(guide, 'pictures'), { recursive: true });
  fs.writeFileSync(path.join(guide, 'index.html'), module.html(page));
  for (const [name, bytes] of pictures) {
    if (bytes === undefined) throw new Error(`guide: no picture for ${name}`);
    fs.writeFileSync(path.join(guide, name), bytes);
  }
}
