// Puts the page together in OUT from its sources and the module CMake built
// (MODULE/dravel-web.js and .wasm, and the text font MODULE/dravel-text.ttf,
// written gzip-compressed with its licence beside it): the page's script bundled with the
// editor (app.js), the worker with the module's glue in front (worker.js),
// the examples, the copies a page opened from disk loads through <script>
// tags (file-copy.js, and file-font.js at its first text), the user guide
// (guide.mjs), the service worker with the list of every file it keeps, and
// the static files. Run by scripts/build-web.
//
//   node web/build.mjs MODULE OUT
import { createHash } from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

import * as esbuild from 'esbuild';

import { writeGuide } from './guide.mjs';

const web = path.dirname(fileURLToPath(import.meta.url));
const [moduleDir, out] = process.argv.slice(2).map((dir) => path.resolve(dir));
if (!out) {
  console.error('usage: node web/build.mjs MODULE OUT');
  process.exit(2);
}
fs.mkdirSync(out, { recursive: true });

// The example scripts as the desktop's chooser lists them: by file name.
const examplesDir = path.join(web, '../resources/examples');
const exampleFiles = () => fs.readdirSync(examplesDir).filter((name) => name.endsWith('.dvg')).sort();
const examplesModule = {
  name: 'dravel-examples',
  setup(build) {
    build.onResolve({ filter: /^dravel:examples$/ }, () => ({ path: 'examples', namespace: 'dravel' }));
    build.onLoad({ filter: /.*/, namespace: 'dravel' }, () => {
      const files = exampleFiles();
      const examples = files.map((name) => ({
        name: name.slice(0, -'.dvg'.length),
        gbk: fs.readFileSync(path.join(examplesDir, name)).toString('base64'),
      }));
      return { contents: `export default ${JSON.stringify(examples)};`, loader: 'js',
               watchFiles: files.map((name) => path.join(examplesDir, name)) };
    });
  },
};

const bundle = async (entry, plugins = []) => {
  const result = await esbuild.build({
    entryPoints: [path.join(web, entry)], bundle: true, format: 'iife', minify: true,
    target: ['chrome100', 'firefox100', 'safari15'], write: false, plugins, legalComments: 'none',
  });
  return result.outputFiles[0].text;
};

const write = (name, contents) => fs.writeFileSync(path.join(out, name), contents);

write('app.js', await bundle('page/main.js', [examplesModule]));
const worker = fs.readFileSync(path.join(moduleDir, 'dravel-web.js'), 'utf8') + '\n' +
  (await bundle('page/worker.js'));
write('worker.js', worker);
const wasm = fs.readFileSync(path.join(moduleDir, 'dravel-web.wasm'));
write('dravel-web.wasm', wasm);
write('file-copy.js', '// The worker and the module for a page opened from disk, where neither can be fetched.\n' +
  `self.dravelFileCopy = { worker: ${JSON.stringify(worker)}, wasm: '${wasm.toString('base64')}' };\n`);
// The text font, fetched by the worker only when a script writes text, and
// its disk copy, which the page loads then instead where nothing can be fetched.
const font = fs.readFileSync(path.join(moduleDir, 'dravel-text.ttf'));
const packedFont = zlib.gzipSync(font, { level: 9 });
write('dravel-text.ttf.gz', packedFont);
write('file-font.js', '// The text font (gzip) for a page opened from disk, where it cannot be fetched.\n' +
  `self.dravelFileFont = '${packedFont.toString('base64')}';\n`);
fs.copyFileSync(path.join(moduleDir, 'dravel-text-LICENSE.txt'), path.join(out, 'dravel-text-LICENSE.txt'));
for (const name of ['index.html', 'style.css', 'manifest.webmanifest', 'icon-192.png', 'icon-512.png']) {
  fs.copyFileSync(path.join(web, name), path.join(out, name));
}

// The user guide the page's link opens, from the same chapters, command rows
// and examples as the desktop's.
await writeGuide({
  moduleDir, out, font, guideDir: path.join(web, '../resources/guide'),
  docsDir: path.join(web, '../docs'),
  exampleFiles: exampleFiles().map((name) => ({
    name: name.slice(0, -'.dvg'.length), bytes: fs.readFileSync(path.join(examplesDir, name)),
  })),
});

// The service worker keeps every file the page may need offline (not the
// disk copies, which only file:// uses); its cache is named after their bytes,
// so a new build replaces the old cache.
const kept = ['./', 'index.html', 'style.css', 'app.js', 'worker.js', 'dravel-web.wasm',
  'manifest.webmanifest', 'icon-192.png', 'icon-512.png'];
const guide = path.join(out, 'guide');
kept.push(...fs.readdirSync(guide, { recursive: true })
  .filter((name) => fs.statSync(path.join(guide, name)).isFile()).sort()
  .map((name) => 'guide/' + name.split(path.sep).join('/')));
const keptWhenFetched = ['dravel-text.ttf.gz'];
const hash = createHash('sha256');
for (const name of [...kept.slice(1), ...keptWhenFetched]) hash.update(fs.readFileSync(path.join(out, name)));
write('sw.js', `const PAGE_FILES = ${JSON.stringify(kept)};\n` +
  `const KEPT_WHEN_FETCHED = ${JSON.stringify(keptWhenFetched)};\n` +
  `const PAGE_CACHE = 'dravel-${hash.digest('hex').slice(0, 16)}';\n` +
  fs.readFileSync(path.join(web, 'page/service_worker.js'), 'utf8'));
