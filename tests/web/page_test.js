#!/usr/bin/env node
// The web page under headless Chromium, driven over the DevTools pipe: the
// start-up run draws the native program's pixels and says its hint text, an
// example and 重置 start afresh, files come and go as the desktop reads and
// writes them, a stop stops; the checker marks and fixes, the examples and the
// reference open, a step steps, the status line follows the run and the
// turtle, the script outlives a reload, each tab keeps its own, a share link
// carries it, nothing typed is lost (recent scripts, caps on links and files,
// every GBK byte kept, characters GBK cannot hold asked about, the unsaved
// mark), the guide opens online, offline and from disk, the page reloads
// offline and runs from disk, fits a small screen with readable text, and
// saves dravel-render's PNG; a browser that cannot run it says so, and no
// 班级 panel shows where no class hub serves it.
//
//   node tests/web/page_test.js FOLDER DRAVEL_RENDER SCREENSHOT.png
//
// FOLDER is the built page (build-web/web), which the test serves itself.
// CHROMIUM names the browser (default: chromium).
'use strict';

const { execFileSync, spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');

const [pageFolder, renderProgram, screenshotPath] = process.argv.slice(2).map((arg) => path.resolve(arg));
if (!screenshotPath) {
  console.error('usage: page_test.js FOLDER DRAVEL_RENDER SCREENSHOT.png');
  process.exit(2);
}
const sourceDir = path.resolve(__dirname, '../..');
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'dravel-page-test-'));

const devtools = require('./devtools');
const { sleep } = devtools;
const browser = devtools.launch(path.join(scratch, 'profile'));
const { send, nextEvent, listeners, page, evaluate, waitFor, click, pressKey, accessKey } = browser;
const examplesDir = path.join(sourceDir, 'resources/examples');
const exampleNamed = (name) => fs.readdirSync(examplesDir).sort().find((file) => file.includes(name));

// ---- Checks ----

const failures = [];
function check(what, ok, detail = '') {
  if (!ok) failures.push(what + (detail ? `\n    ${detail}` : ''));
}
function checkEqual(what, actual, expected) {
  check(what, actual === expected,
        `got ${JSON.stringify(actual)}\n    expected ${JSON.stringify(expected)}`);
}

const sourceBytes = (file) => fs.readFileSync(path.join(sourceDir, file));
const gbk = (bytes) => new TextDecoder('gbk').decode(bytes);
const gbkBytes = (text) => execFileSync('python3',
  ['-c', 'import sys; sys.stdout.buffer.write(sys.argv[1].encode("gbk"))', text]);

// The canvas's RGBA, base64, and a hash to wait on.
const canvasPixels = `(() => {
  const c = document.getElementById('canvas');
  const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  let binary = '';
  for (let at = 0; at < data.length; at += 0x8000) {
    binary += String.fromCharCode.apply(null, data.subarray(at, at + 0x8000));
  }
  return { width: c.width, height: c.height, rgba: btoa(binary) };
})()`;
const canvasHashFunction = `function canvasHash() {
  const c = document.getElementById('canvas');
  const words = new Uint32Array(c.getContext('2d').getImageData(0, 0, c.width, c.height).data.buffer);
  let hash = 2166136261;
  for (let i = 0; i < words.length; ++i) hash = Math.imul(hash ^ words[i], 16777619);
  return hash >>> 0;
}`;

// A PNG file's size and RGB bytes.
function pngRgb(png) {
  const rgb = execFileSync('python3', ['-c', `
import sys
sys.path.insert(0, ${JSON.stringify(path.join(sourceDir, 'tests/tools'))})
import png_rgb_digest as p
header, palette, idat = None, None, b""
for kind, body in p.chunks(open(sys.argv[1], "rb").read()):
    if kind == b"IHDR": header = p.struct.unpack(">IIBBBBB", body)
    elif kind == b"PLTE": palette = body
    elif kind == b"IDAT": idat += body
width, height, _, colour, _, _, _ = header
rows = p.unfilter(p.zlib.decompress(idat), width, height, 3 if colour == 2 else 1)
sys.stdout.buffer.write(p.struct.pack(">II", width, height))
for row in rows:
    sys.stdout.buffer.write(row if colour == 2 else b"".join(palette[3 * i:3 * i + 3] for i in row))
`, png], { maxBuffer: 1 << 24 });
  return { width: rgb.readUInt32BE(0), height: rgb.readUInt32BE(4), rgb: rgb.subarray(8) };
}

// The native program's picture of `scriptFile`, its RGB bytes, its hint and
// its PNG without the turtles, as saved.
function renderNative(scriptFile) {
  const png = path.join(scratch, 'native.png');
  const saved = path.join(scratch, 'saved.png');
  execFileSync(renderProgram, ['-o', saved, scriptFile]);
  const hint = execFileSync(renderProgram, ['--turtle', '-o', png, scriptFile], { encoding: 'utf8' });
  return { ...pngRgb(png), hint, png: fs.readFileSync(saved) };
}

function comparePixels(what, canvas, native) {
  if (canvas.width !== native.width || canvas.height !== native.height) {
    check(what, false, `canvas ${canvas.width}x${canvas.height}, native ${native.width}x${native.height}`);
    return;
  }
  const rgba = Buffer.from(canvas.rgba, 'base64');
  const differing = [];
  let count = 0;
  for (let i = 0; i < canvas.width * canvas.height; ++i) {
    const a = rgba.subarray(4 * i, 4 * i + 4);
    const b = native.rgb.subarray(3 * i, 3 * i + 3);
    if (a[0] === b[0] && a[1] === b[1] && a[2] === b[2] && a[3] === 255) continue;
    if (++count <= 5) {
      differing.push(`(${i % canvas.width},${Math.floor(i / canvas.width)}) ` +
                     `page ${[...a]} native ${[...b]}`);
    }
  }
  check(what, count === 0, `${count} pixels differ, first: ${differing.join('; ')}`);
}

// ---- Shared steps ----

const editorText = `document.getElementById('editor').value`;
const hintText = `document.getElementById('hint').value`;
const runEnded = `!document.getElementById('run').disabled && /程序调试完毕/.test(${hintText})`;
const setEditor = (text, count = '1') => evaluate(`document.getElementById('editor').value = ${JSON.stringify(text)};
  document.getElementById('count').value = ${JSON.stringify(count)}`);
// Typed as a learner types, so the page keeps it.
async function typeScript(text, kept = true) {
  await evaluate(`document.querySelector('.cm-content').focus()`); // its middle may be out of view
  await pressKey('a', 2);
  await page('Input.insertText', { text });
  if (kept) await waitFor('the typed script to be kept', `${editorText}.trimEnd() === ${JSON.stringify(text)} &&
    JSON.parse(localStorage.getItem('dravel.script.' + sessionStorage.getItem('dravel.tab'))).text === ${editorText}`);
}
// The file input given `file`, as a choice in the browser's file chooser.
async function chooseFile(selector, file) {
  const { root } = await page('DOM.getDocument', {});
  const { nodeId } = await page('DOM.querySelector', { nodeId: root.nodeId, selector });
  await page('DOM.setFileInputFiles', { files: [file], nodeId });
}
const messageShown = `document.getElementById('message-box').querySelector('.message').textContent`;
async function answer(value) {
  await waitFor('the question', dialogOpen('message-box'));
  await click(`#message-box button[value=${value}]`);
  await waitFor('the question to close', `!${dialogOpen('message-box')}`);
}
const dialogOpen = (id) => `document.getElementById('${id}')?.open === true`;
const statusLine = `[...document.querySelectorAll('#status-line span')].map((part) => part.textContent).join('|')`;
const corner = `(() => { const d = document.getElementById('canvas').getContext('2d')
  .getImageData(0, 0, 1, 1).data; return [d[0], d[1], d[2]].join(','); })()`;

async function ready(what) {
  await evaluate(canvasHashFunction);
  await waitFor(what, `!document.getElementById('run').disabled`);
}

async function load(url) {
  const loaded = nextEvent('Page.loadEventFired');
  await page('Page.navigate', { url });
  await loaded;
  await ready(`${url} to be ready`);
}

async function reload(what) {
  const loaded = nextEvent('Page.loadEventFired');
  await page('Page.reload', {});
  await loaded;
  await ready(what);
}

async function runToEnd(what) {
  await click('#run');
  await waitFor(what, runEnded);
}

// Both events are listened for before the click: a small download can end in
// the same message batch as it begins.
async function downloaded(button, afterClick = async () => {}) {
  const begun = nextEvent('Browser.downloadWillBegin');
  const completed = nextEvent('Browser.downloadProgress', (p) => p.state === 'completed');
  await click(button);
  await afterClick();
  const { guid, suggestedFilename } = await begun;
  checkEqual('the download that ended is the one that began', (await completed).guid, guid);
  return { name: suggestedFilename, bytes: fs.readFileSync(path.join(scratch, 'downloads', guid)) };
}

const setSetting = (id, value) => evaluate(`(() => { const box = document.getElementById('${id}');
  box.value = '${value}'; box.dispatchEvent(new Event('change')); })()`);

// Installed before the page's scripts: the passes each frame of a run's
// worker shows (a worker's frames count once it has said something, which
// only a run's worker does).
const workerWatch = `(() => {
  const Original = window.Worker;
  window.passesPerFrame = [];
  window.Worker = class extends Original {
    constructor(...args) {
      super(...args);
      let passes = null;
      this.addEventListener('message', ({ data }) => {
        if (data.type === 'hint') passes = (passes ?? 0) + ((data.head + data.tail).match(/执行命令完毕/g) || []).length;
        if (data.type === 'frame' && passes !== null) {
          passesPerFrame.push(passes);
          passes = 0;
        }
      });
    }
  };
})()`;

// ---- The scenarios, in one browser ----

async function startUp(exampleText, native) {
  const startUp = await evaluate(`({
    editor: ${editorText},
    help: document.getElementById('help').value,
    hint: ${hintText},
    count: document.getElementById('count').value,
    buttons: [...document.querySelectorAll('#window > button')]
      .map((b) => b.textContent + (b.accessKey ? '/' + b.accessKey : '')).join(' '),
  })`);
  checkEqual('the editor starts with the example script', startUp.editor, exampleText);
  checkEqual('the help page holds the help text', startUp.help,
             gbk(sourceBytes('resources/texts/help_text.txt')).replace(/\r\n/g, '\n'));
  checkEqual('the hint box starts as the desktop', startUp.hint, '提示信息：\n');
  checkEqual('the run count starts at 1', startUp.count, '1');
  checkEqual('the buttons and their access keys', startUp.buttons,
             'A调试/a B清屏/b C停止/c D全选/d 打开源码 新建源码 保存源码 编译源码');
  await click('#tab-help');
  check('a click on a tab shows its page',
        await evaluate(`!document.getElementById('page-help').hidden && document.getElementById('page-script').hidden`));
  await click('#tab-script');
  await waitFor('the status line before any run',
                `${statusLine} === '就绪|速度：最快|位置：(0, 0)|方向：0°|笔：落下'`);

  // The start-up run: the native program's pixels and hint text, and its PNG.
  await runToEnd('the start-up run to end');
  comparePixels('the start-up run draws the native pixels', await evaluate(canvasPixels), native);
  checkEqual('the start-up run says what the native run says', await evaluate(hintText),
             native.hint.replace(/\r\n/g, '\n'));
  const picture = await downloaded('#save-picture');
  checkEqual('the picture is named after the script', picture.name, 'dravel.png');
  check('the saved picture is the PNG dravel-render -o writes', picture.bytes.equals(native.png),
        `${picture.bytes.length} bytes, dravel-render's ${native.png.length}`);
}

// The pixels that are not the background (the top-left pixel's colour): the
// same in the page and in dravel-render's picture, and in the page all of
// `colour` (R,G,B) when given.
function compareInk(what, canvas, native, colour = null) {
  const rgba = Buffer.from(canvas.rgba, 'base64');
  const pageInk = (i) => rgba.subarray(4 * i, 4 * i + 3).compare(rgba.subarray(0, 3)) !== 0;
  const nativeInk = (i) => native.rgb.subarray(3 * i, 3 * i + 3).compare(native.rgb.subarray(0, 3)) !== 0;
  let ink = 0, differing = 0, otherColour = 0;
  for (let i = 0; i < canvas.width * canvas.height; ++i) {
    ink += pageInk(i);
    differing += pageInk(i) !== nativeInk(i);
    otherColour += colour !== null && pageInk(i) && rgba.subarray(4 * i, 4 * i + 3).join() !== colour;
  }
  check(what, ink > 0 && differing === 0 && otherColour === 0,
        `${ink} pixels inked, ${differing} where dravel-render's picture differs, ${otherColour} not ${colour}`);
}

// 写文字 in the page: the font is fetched when a script first writes text and
// not before, and the text has dravel-render's pixels, in the pen's colour.
async function texts(server) {
  const font = () => server.served.filter((name) => name.startsWith('/dravel-text')).join(' ');
  checkEqual('the text font is not fetched before a script writes text', font(), '');
  const script = path.join(sourceDir, 'tests/data/render/texts.dvg');
  const native = renderNative(script);
  await setEditor(gbk(fs.readFileSync(script)).replace(/\r\n/g, '\n'));
  await click('#clear');
  await runToEnd('the script that writes text to end');
  comparePixels('写文字 draws dravel-render\'s pixels', await evaluate(canvasPixels), native);
  checkEqual('the text font is fetched once, when the first text is set', font(), '/dravel-text.ttf.gz');
  for (const [colour, rgb] of [['#ff0000', '255,0,0'], ['#3366cc', '51,102,204']]) {
    await setSetting('pen-colour', colour);
    await click('#clear');
    await runToEnd(`the text in ${colour} to end`);
    compareInk(`写文字 in ${colour} covers dravel-render's pixels`, await evaluate(canvasPixels), native, rgb);
  }
  await setSetting('pen-colour', '#00ff00');
  await click('#clear');
}

// Opens an example from F2 as a learner does, telling a save prompt no.
async function chooseExample(name) {
  const index = fs.readdirSync(examplesDir).sort().indexOf(name);
  const opened = `/打开 ${name.slice(0, -4)} 成功！\\n$/.test(${hintText})`;
  await pressKey('F2');
  await waitFor('the examples', dialogOpen('examples'));
  const choice = `#examples button.example:nth-child(${index + 1})`;
  await evaluate(`document.querySelector('${choice}').scrollIntoView({ block: 'center' })`);
  await click(choice);
  await waitFor(`${name} to open or to ask`, `${dialogOpen('message-box')} || ${opened}`);
  if (await evaluate(dialogOpen('message-box'))) await click('#message-box button[value=no]');
  await waitFor(`${name} to open`, opened);
}

// An example, and 重置 (the key and the button), start a lesson afresh as the
// window's do: after a run that left the pen up and the turtle turned, the
// example draws dravel-render's picture of it.
async function lesson() {
  const square = exampleNamed('正方形');
  const squareText = gbk(fs.readFileSync(path.join(examplesDir, square))).replace(/\r\n/g, '\n');
  const native = renderNative(path.join(examplesDir, square));
  const starts = [
    ['an example chosen with F2', () => chooseExample(square)],
    ['Ctrl+R', async () => {
      await pressKey('r', 2);
      await setEditor(squareText);
    }],
    ['the 重置 button', async () => {
      await click('#reset');
      await setEditor(squareText);
    }],
  ];
  for (const [what, start] of starts) {
    await setEditor('抬笔\n右转 37\n前进 40');
    await runToEnd(`the run before ${what}`);
    await start();
    await runToEnd(`the example after ${what}`);
    comparePixels(`after ${what} the example draws dravel-render's picture`, await evaluate(canvasPixels), native);
  }
}

// The status line follows the run (F8, F10), the speed (F6) and the turtle
// the worker draws; after the 太阳 example it says why nothing more is drawn.
async function status() {
  await setSetting('speed', '250');
  await setEditor('前进 10\n右转 90\n前进 20');
  await click('#run');
  for (const [key, shown] of [['F8', '已暂停|速度：中'], ['F10', '单步|速度：中'], ['F6', '单步|速度：慢']]) {
    await pressKey(key);
    await waitFor(`the status line after ${key}`, `${statusLine}.startsWith(${JSON.stringify(shown)})`);
  }
  await pressKey('F8');
  await waitFor('the run to end', runEnded);
  checkEqual('the status line after the run', await evaluate(statusLine), '已停止|速度：慢|位置：(20, 10)|方向：90°|笔：落下');
  await setSetting('speed', '0');
  const sun = exampleNamed('太阳');
  const [x, y, heading, pen] = execFileSync(renderProgram, ['--state', path.join(examplesDir, sun)], { encoding: 'utf8' })
    .match(/^turtle (\S+) (\S+) (\S+) (\S+)/m).slice(1).map(Number);
  await chooseExample(sun);
  await runToEnd('the 太阳 example');
  checkEqual('the status line after the 太阳 example says the pen is up', await evaluate(statusLine),
             `已停止|速度：最快|位置：(${Math.round(x)}, ${Math.round(y)})|方向：${Math.round(heading)}°|` +
             (pen === -1 ? '笔：抬起' : '笔：落下'));
  const shot = await page('Page.captureScreenshot', { format: 'png', clip: await evaluate(`(() => {
    const r = document.getElementById('layout').getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height * 0.7, scale: 1 }; })()`) });
  fs.writeFileSync(path.join(path.dirname(screenshotPath), 'web-status-line.png'), Buffer.from(shot.data, 'base64'));
}

// The guide link opens the guide's page, its pictures shown, in a new tab.
async function guideOpens(where) {
  const home = browser.current();
  const before = new Set((await send('Target.getTargets')).targetInfos.map((info) => info.targetId));
  await click('#guide-link');
  let guide;
  for (let tries = 0; guide === undefined && tries < 250; ++tries) {
    await sleep(20);
    guide = (await send('Target.getTargets')).targetInfos.find((info) => info.type === 'page' && !before.has(info.targetId));
  }
  check(`the guide link opens a tab ${where}`, guide !== undefined);
  if (guide === undefined) return;
  await browser.attach(guide.targetId);
  try {
    await waitFor(`the guide ${where}`, `document.readyState === 'complete' && document.title === 'Dravel 使用说明'
      && document.images.length > 40 && [...document.images].every((image) => image.complete && image.naturalWidth > 0)`);
  } catch (error) {
    check(`the guide opens with its pictures ${where}`, false, String(error.message));
  }
  await send('Target.closeTarget', { targetId: guide.targetId });
  browser.use(home);
}

// Files: opened bytes come back byte for byte (a stray byte included);
// compiling drops the stop keywords.
async function files(exampleText) {
  const openedBytes = Buffer.concat([sourceBytes('resources/texts/example_script.txt'),
                                     gbkBytes('\r\n写文字 ab'), Buffer.from([0xff, 0x0d, 0x0a])]);
  const openedFile = path.join(scratch, '五角星.dvg');
  fs.writeFileSync(openedFile, openedBytes);
  const { root } = await page('DOM.getDocument');
  const { nodeId } = await page('DOM.querySelector', { nodeId: root.nodeId, selector: '#open-file' });
  await page('DOM.setFileInputFiles', { files: [openedFile], nodeId });
  await waitFor('the file to open', `/打开 五角星.dvg 成功！\\n$/.test(${hintText})`);
  checkEqual('an opened file is decoded from GBK', await evaluate(editorText), exampleText + '\n写文字 ab\uf7ff\n');
  const saved = await downloaded('#save');
  checkEqual('a save keeps the opened name', saved.name, '五角星.dvg');
  check('a save writes the opened bytes back', saved.bytes.equals(openedBytes),
        `${saved.bytes.toString('hex')}\n    expected ${openedBytes.toString('hex')}`);
  await setEditor('前进 10\n停止\n stop 右转 1\n写文字 停stop止');
  const compiled = await downloaded('#compile');
  checkEqual('a compile is named as a program', compiled.name, '五角星.dv');
  const program = gbkBytes('前进 10\r\n\r\n  右转 1\r\n写文字 停止');
  check('a compile removes the stop keywords', compiled.bytes.equals(program),
        `${compiled.bytes.toString('hex')}\n    expected ${program.toString('hex')}`);
  checkEqual('saving and compiling are said in the hint box',
             (await evaluate(hintText)).split('\n').slice(-4).join('|'),
             '打开 五角星.dvg 成功！|保存 五角星.dvg 成功！|编译Dravel源码到 五角星.dv 成功！|');
}

// The checker marks what the desktop's marks, with its messages, in the
// page's columns (a character GBK cannot hold and a kept byte before the mark
// on the third line; the file the desktop reads has the '?' GBK keeps of the
// first, so only the page marks it), and fixes a line from the mark's action
// and from Ctrl+. at the caret.
async function checker() {
  const trap = '重复 4 【前进 100｜右转 90】\n前进  100\n重复 2 【😀\uf7ff｜右转 90】';
  await setEditor(trap);
  await waitFor('the checker\'s marks', `document.querySelectorAll('.cm-lintRange-error').length === 4`);
  const trapFile = path.join(scratch, 'trap.dvg');
  fs.writeFileSync(trapFile, Buffer.concat([gbkBytes('重复 4 【前进 100｜右转 90】\r\n前进  100\r\n重复 2 【'),
                                            Buffer.from([0x3f, 0xff]), gbkBytes('｜右转 90】')]));
  const desktop = spawnSync(renderProgram, ['--check', trapFile], { encoding: 'utf8' }).stdout
    .trim().split('\n').filter((line) => line.startsWith(`${trapFile}:`)) // not the fixes' lines
    .map((line) => line.slice(trapFile.length + 1));
  await click('.cm-content');
  await pressKey('M', 2 | 8);
  await waitFor('the list of findings', `document.querySelectorAll('.cm-panel-lint li').length === 4`);
  const listed = await evaluate(`[...document.querySelectorAll('.cm-panel-lint li')]
    .map((item) => item.querySelector('.cm-diagnosticText').textContent.split('\\n')[0])`);
  const lost = listed.filter((text) => text.startsWith('“😀”无法用 GBK 保存'));
  checkEqual('a character GBK cannot hold is marked once', lost.length, 1);
  checkEqual('the page finds what dravel-render --check finds',
             listed.filter((text) => !lost.includes(text)).join('|'),
             desktop.map((line) => line.replace(/^\d+:\d+: /, '')).join('|'));
  checkEqual('the marks are on the characters found', (await evaluate(
    `[...document.querySelectorAll('.cm-lintRange-error')].map((mark) => mark.textContent)`)).join('|'),
             '｜| |😀|\uf7ff｜右转 90');
  await click('.cm-panel-lint li:first-child .cm-diagnosticAction');
  await click('.cm-line:nth-child(2)');
  await pressKey('.', 2);
  await waitFor('both lines fixed', `${editorText}.startsWith('重复 4 【前进 100|右转 90】\\n前进 100\\n')`);
  await waitFor('their marks to go', `document.querySelectorAll('.cm-lintRange-error').length === 2`);
}

// A stop in the middle of a long run: nothing drawn or said after it, and
// the worker that takes over needs no connection.
async function stop() {
  await page('Network.emulateNetworkConditions',
    { offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
  const cleared = await evaluate(`(() => {
    const star = canvasHash();
    document.getElementById('clear').click();
    return star;
  })()`);
  await waitFor('the canvas to clear', `canvasHash() !== ${cleared}`);
  await setEditor('重复 100000 【前进 1|右转 1】', '1000');
  const empty = await evaluate('canvasHash()');
  await accessKey('a');
  await waitFor('the long run to draw', `canvasHash() !== ${empty}`, 15000);
  const savedDuringRun = await downloaded('#save');
  check('a save during a run writes the script', savedDuringRun.bytes.equals(gbkBytes('重复 100000 【前进 1|右转 1】')));
  await accessKey('c');
  const atStop = await evaluate(`({ canvas: ${canvasPixels}, hint: ${hintText} })`);
  await sleep(1000);
  const later = await evaluate(`({ canvas: ${canvasPixels}, hint: ${hintText},
                                   runEnabled: !document.getElementById('run').disabled })`);
  check('the canvas does not change after a stop', atStop.canvas.rgba === later.canvas.rgba);
  check('the hint ends with the stop message', later.hint.endsWith('\n已停止调试程序！\n'),
        JSON.stringify(later.hint.slice(-80)));
  checkEqual('nothing is said after the stop', later.hint, atStop.hint);
  check('the run was stopped before its end', !later.hint.includes('程序调试完毕'));
  check('the run button is enabled after a stop', later.runEnabled);
  await page('Network.emulateNetworkConditions',
    { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
}

// The next run goes to the new worker and marks where it fails; a click on
// its message goes back there.
async function failingLine(exampleText) {
  await click('#clear');
  await setEditor(exampleText + '\n前近 100');
  await click('#run');
  await waitFor('the failing run to end', `!document.getElementById('run').disabled`);
  const failing = `(() => ({ focused: document.activeElement.closest('#editor') !== null,
    marked: document.querySelector('.cm-dravel-failing')?.textContent }))()`;
  checkEqual('the failing line is marked, the focus in the editor', JSON.stringify(await evaluate(failing)),
             JSON.stringify({ focused: true, marked: '前近 100' }));
  await waitFor('the checker\'s mark', `document.querySelectorAll('.cm-lintRange-error').length === 1`);
  const windowBox = await evaluate(`(() => {
    const r = document.getElementById('layout').getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height, scale: 1 };
  })()`);
  const shot = await page('Page.captureScreenshot', { format: 'png', clip: windowBox });
  fs.writeFileSync(screenshotPath, Buffer.from(shot.data, 'base64'));
  const caretLine = `document.querySelector('.cm-activeLineGutter')?.textContent`;
  await click('.cm-line:first-child');
  await waitFor('the caret on line 1', `${caretLine} === '1'`);
  await evaluate(`(() => { const hint = document.getElementById('hint');
    const at = hint.value.indexOf('第8行'); hint.setSelectionRange(at, at); hint.click(); })()`);
  await waitFor('a click on the message to go back to its line', `${caretLine} === '8'`);
}

// A run that talks without end: the box keeps the first lines and the last
// behind the module's counted marker, and these are the native run's lines.
async function talkative() {
  const passes = 20000; // about 460 KB of pass lines, past the page's bounds
  const scriptFile = path.join(scratch, 'talkative.dvg');
  fs.writeFileSync(scriptFile, gbkBytes('前进 1'));
  const native = execFileSync(renderProgram, ['-n', String(passes), '-o', path.join(scratch, 'talkative.png'),
                                              scriptFile], { encoding: 'utf8' }).replace(/\r\n/g, '\n');
  await setEditor('前进 1', String(passes));
  await click('#run');
  await waitFor('the talkative run to end', runEnded, 20000);
  const shown = await evaluate(hintText);
  const marker = /……中间略去 (\d+) 行……\n/.exec(shown);
  check('a talkative run\'s hint is bounded, with the marker', marker !== null && shown.length < 200000,
        `${shown.length} characters`);
  if (marker === null) return;
  const head = shown.slice(0, marker.index);
  const tail = shown.slice(marker.index + marker[0].length);
  const lines = (text) => text.split('\n').length - 1;
  check('the bounded hint is the native hint\'s first and last lines, the rest counted',
        native.startsWith(head) && native.endsWith(tail) &&
        lines(head) + Number(marker[1]) + lines(tail) === lines(native),
        `${lines(head)} + ${marker[1]} + ${lines(tail)} lines, native ${lines(native)}`);
}

// The settings page's colours reach the worker, and the worker that takes
// over after a stop; the speed holds a run, and a change reaches it.
async function settings() {
  await setSetting('background-colour', '#003366');
  await waitFor('the new background', `${corner} === '0,51,102'`);
  await setEditor('重复 100000 【前进 1|右转 1】', '1000');
  await accessKey('a');
  await sleep(200);
  await accessKey('c');
  await accessKey('b');
  await waitFor('a worker started by a stop to keep the settings', `${corner} === '0,51,102'`);
  // The fastest speed never waits, yet a change to the slowest reaches its run
  // too: within a few frames each frame shows at most one more pass, where the
  // fastest showed many.
  await setEditor('前进 1', '100000000');
  await click('#run');
  await waitFor('frames of many passes at the fastest speed',
                'passesPerFrame.filter((passes) => passes > 1).length >= 3');
  // A pause reaches it too (at the hand-over after a frame), and F8 lets it go on.
  await pressKey('F8');
  await waitFor('the status line to say paused', `${statusLine}.startsWith('已暂停')`);
  await sleep(300);
  const pausedAt = await evaluate('passesPerFrame.reduce((sum, passes) => sum + passes, 0)');
  await sleep(500);
  checkEqual('a pause holds a run at the fastest speed',
             await evaluate('passesPerFrame.reduce((sum, passes) => sum + passes, 0)'), pausedAt);
  await pressKey('F8');
  await waitFor('F8 to let the paused run go on', `passesPerFrame.reduce((sum, passes) => sum + passes, 0) > ${pausedAt}`);
  const framesBefore = await evaluate('passesPerFrame.length');
  await setSetting('speed', '1200');
  const slowFrame = `passesPerFrame.slice(${framesBefore}).findIndex((passes) => passes <= 1)`;
  await waitFor('a frame of at most one pass, and the frame after it, or 30 frames',
                `${slowFrame} >= 0 && passesPerFrame.length > ${framesBefore} + ${slowFrame} + 1 ||
                 passesPerFrame.length >= ${framesBefore} + 30`, 20000);
  const afterSwitch = await evaluate(`passesPerFrame.slice(${framesBefore})`);
  const slowAt = afterSwitch.findIndex((passes) => passes <= 1);
  check('a change from the fastest to the slowest speed slows the run within 30 frames',
        slowAt >= 0 && slowAt < 30 && afterSwitch[slowAt + 1] <= 1,
        `passes per frame after the change: ${afterSwitch.join(' ')}`);
  await accessKey('c');
  await waitFor('the slowed run to stop', `!document.getElementById('run').disabled`);
  // The slowest holds a run, and a change to the fastest ends it.
  await setEditor('前进 10\n右转 90\n前进 10\n右转 90');
  await click('#run');
  await sleep(300);
  check('the slowest speed holds the run', await evaluate(`document.getElementById('run').disabled`));
  await setSetting('speed', '0');
  await waitFor('the run to end at the fastest speed', runEnded, 4000); // the slowest: 4.8 s
}

// F10 starts a run held before its first command and carries out one
// command a press, a body's one item at a time; F8 lets it run to its end.
async function steps() {
  await setEditor('前进 10\n重复 2 【右转 90|前进 20】');
  const marked = `(() => { const line = document.querySelector('.cm-dravel-running');
    return line ? line.textContent + '/' + (line.querySelector('.cm-dravel-item')?.textContent ?? '') : ''; })()`;
  const seen = [];
  for (const expected of ['前进 10/', '重复 2 【右转 90|前进 20】/右转 90', '重复 2 【右转 90|前进 20】/前进 20']) {
    await pressKey('F10');
    await waitFor(`the mark ${expected}`, `${marked} === ${JSON.stringify(expected)}`);
    seen.push(await evaluate(marked));
  }
  check('a step holds the run', await evaluate(`document.getElementById('run').disabled`));
  checkEqual('the pause button offers to continue', await evaluate(`document.getElementById('pause').textContent`),
             '继续(F8)');
  await pressKey('F8');
  await waitFor('F8 to let the run end', runEnded);
  checkEqual('the running mark goes at the end', await evaluate(marked), '');
}

// F2: the examples with their pictures, one opening as a file would; F1:
// the reference from the command rows.
async function learning() {
  await click('.cm-content');
  await page('Input.insertText', { text: ' //' }); // typed: the example asks first
  await pressKey('F2');
  await waitFor('the examples', dialogOpen('examples'));
  const count = fs.readdirSync(path.join(sourceDir, 'resources/examples')).length;
  await waitFor('every example\'s picture', `[...document.querySelectorAll('#examples canvas')].every((c) =>
    c.getContext('2d').getImageData(0, 0, c.width, c.height).data.some((v, i) => i % 4 === 1 && v !== 0))
    && document.querySelectorAll('#examples canvas').length === ${count}`);
  await click('#examples button.example:nth-child(2)');
  await waitFor('the save prompt', dialogOpen('message-box'));
  await click('#message-box button[value=no]');
  const second = fs.readdirSync(path.join(sourceDir, 'resources/examples')).sort()[1];
  await waitFor('the example to open', `/打开 ${second.slice(0, -4)} 成功！\\n$/.test(${hintText})`);
  checkEqual('the example opens with its text', await evaluate(editorText),
             gbk(sourceBytes(`resources/examples/${second}`)).replace(/\r\n/g, '\n'));
  await pressKey('F1');
  await waitFor('the reference', dialogOpen('reference'));
  const rows = await evaluate(`[...document.querySelectorAll('#reference .commands tbody tr')]
    .map((row) => row.cells[0].textContent + '/' + row.cells[1].textContent)`);
  checkEqual('the reference has every command', rows.length, 22);
  checkEqual('the reference starts with the table\'s first row', rows[0], '前进/go');
  const keys = (await evaluate(`[...document.querySelectorAll('#reference .keys kbd')].map((k) => k.textContent).join(' / ')`))
    .split(' / ');
  const missing = ['F1', 'F2', 'F6', 'F7', 'F8', 'F10', 'Alt+A', 'Alt+B', 'Alt+C', 'Alt+D', 'Ctrl+N', 'Ctrl+O', 'Ctrl+S',
    'Ctrl+R', 'Ctrl+.', 'Ctrl+F', 'Ctrl+H', 'Ctrl+Z', 'Ctrl+Y', 'Esc'].filter((key) => !keys.includes(key));
  checkEqual('F1 lists every key of the page', missing.join(' '), '');
  const pictureWidth = await evaluate(`document.querySelector('#reference td canvas').getBoundingClientRect().width`);
  check('the reference\'s pictures are at least 320 pixels wide', pictureWidth >= 320, `${pictureWidth}`);
  // F1 shows what each example draws, as the window's reference does: a turn
  // its turtle turned after a line, 写文字 its text (the turtle hidden).
  await waitFor('the reference\'s pictures', `[...document.querySelectorAll('#reference td canvas')].every((c) =>
    c.getContext('2d').getImageData(0, 0, 1, 1).data[3] === 255)`);
  const drawnShares = await evaluate(`Object.fromEntries(['左转', '写文字'].map((keyword) => {
    const row = [...document.querySelectorAll('#reference .commands tbody tr')].find((r) => r.cells[0].textContent === keyword);
    const c = row.querySelector('canvas');
    const d = new Uint32Array(c.getContext('2d').getImageData(0, 0, c.width, c.height).data.buffer);
    return [keyword, d.filter((pixel) => pixel !== d[0]).length / d.length];
  }))`);
  for (const [keyword, least] of [['左转', 0.02], ['写文字', 0.06]]) {
    check(`${keyword}'s picture in F1 shows what it draws`, drawnShares[keyword] > least,
          `${(drawnShares[keyword] * 100).toFixed(1)} % of it drawn`);
  }
  await pressKey('Escape');
  await waitFor('the reference to close', `!${dialogOpen('reference')}`);
  await guideOpens('online');
}

// The typed script and the settings come back after a reload.
async function kept() {
  await typeScript('前进 50\n右转 45\n前进 50');
  await reload('the page to load again');
  checkEqual('the script is back after a reload', (await evaluate(editorText)).trimEnd(), '前进 50\n右转 45\n前进 50');
  checkEqual('the settings are back after a reload',
             await evaluate(`document.getElementById('background-colour').value`), '#003366');
  await waitFor('the background kept', `${corner} === '0,51,102'`);
}

// ---- Tabs and what a pupil types ----

const pageTarget = async (url) => (await send('Target.getTargets')).targetInfos
  .find((info) => info.type === 'page' && info.url.startsWith(url)).targetId;

async function switchTo(targetId) {
  await browser.attach(targetId);
  await page('Page.enable');
  await page('Runtime.enable');
  await send('Target.activateTarget', { targetId });
  await evaluate(canvasHashFunction);
}

// A new tab at `url`; `beforeScripts` runs in it before the page's own.
async function openTab(url, beforeScripts = '') {
  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  await switchTo(targetId);
  if (beforeScripts) await page('Page.addScriptToEvaluateOnNewDocument', { source: beforeScripts });
  await load(url);
  return targetId;
}

const storageBlocked = `Object.defineProperty(window, 'localStorage',
  { get() { throw new DOMException('refused', 'SecurityError'); } });`;

// Two tabs, two scripts: a reload brings back each tab's own, and a new tab
// starts from the script kept last.
async function tabs(url) {
  const first = await pageTarget(url);
  await typeScript('前进 11');
  const second = await openTab(url);
  checkEqual('a new tab starts from the script kept last', (await evaluate(editorText)).trimEnd(), '前进 11');
  await typeScript('前进 22');
  for (const [tab, expected] of [[first, '前进 11'], [second, '前进 22'], [first, '前进 11']]) {
    await switchTo(tab);
    await reload('the tab to reload');
    checkEqual(`a reload keeps the tab's own script (${expected})`, (await evaluate(editorText)).trimEnd(), expected);
  }
  await send('Target.closeTarget', { targetId: second });
  // A duplicated tab carries its original's id: it takes one of its own.
  await switchTo(first);
  const firstId = await evaluate(`sessionStorage.getItem('dravel.tab')`);
  const duplicate = await openTab(url, `sessionStorage.setItem('dravel.tab', ${JSON.stringify(firstId)})`);
  checkEqual('a duplicated tab starts from its original\'s script', (await evaluate(editorText)).trimEnd(), '前进 11');
  check('a duplicated tab takes an id of its own', (await evaluate(`sessionStorage.getItem('dravel.tab')`)) !== firstId);
  await typeScript('前进 44');
  await send('Target.closeTarget', { targetId: duplicate });
  await switchTo(first);
  await reload('the original to reload');
  checkEqual('a duplicated tab leaves its original\'s script alone', (await evaluate(editorText)).trimEnd(), '前进 11');
  // Closed tabs' scripts past the last five go to the recent scripts.
  await evaluate(`for (let i = 0; i < 7; ++i) localStorage.setItem('dravel.script.closed' + i,
    JSON.stringify({ text: '前进 ' + (60 + i), name: '', changed: true, time: Date.now() - 1000 * (10 - i) }))`);
  await reload('the tab to reload with closed tabs\' scripts');
  const closed = await evaluate(`Object.keys(localStorage).filter((key) => key.startsWith('dravel.script.') &&
    key !== 'dravel.script.' + sessionStorage.getItem('dravel.tab')).length`);
  checkEqual('the scripts of the last five closed tabs are kept', closed, 5);
  check('older closed tabs\' scripts are recent scripts',
        await evaluate(`JSON.parse(localStorage.getItem('dravel.recent')).some((entry) => entry.text === '前进 60')`));
}

const recentLines = `[...document.querySelectorAll('#recent-scripts .first-line')].map((line) => line.textContent)`;

// Whatever replaced the script can be opened again from 最近的脚本, after
// the save prompt.
async function recent() {
  await typeScript('前进 33'); // typed over 前进 11 from tabs()
  await click('#new');
  await answer('no');
  // The dialog's close event comes a task later: typed before it, the new script would empty the editor.
  await waitFor('the new script', `${editorText} === ''`);
  await typeScript('重复 3 【前进 100|右转 120】');
  await pressKey('F2');
  await waitFor('the examples', dialogOpen('examples'));
  await click('#examples button.example:nth-child(1)');
  await answer('no');
  await waitFor('the example to open', `/打开 .* 成功！\\n$/.test(${hintText})`);
  await click('#recent-button');
  await waitFor('the recent scripts', dialogOpen('recent-scripts'));
  checkEqual('the recent scripts, newest first', (await evaluate(recentLines)).slice(0, 2).join('|'),
             '重复 3 【前进 100|右转 120】|前进 33');
  check('each recent script shows its time', /^\d+月\d+日 \d\d:\d\d$/.test(
    await evaluate(`document.querySelector('#recent-scripts .time').textContent`)));
  const shot = await page('Page.captureScreenshot', { format: 'png' });
  fs.writeFileSync(path.join(path.dirname(screenshotPath), 'web-recent-scripts.png'), Buffer.from(shot.data, 'base64'));
  await click('#recent-scripts button.recent-script:nth-child(2)');
  await waitFor('the recent script back', `${editorText} === '前进 33'`);
  check('a reopened script is marked not saved', await evaluate(`document.getElementById('save').classList.contains('unsaved')`));
  await click('#recent-button');
  await waitFor('the recent scripts', dialogOpen('recent-scripts'));
  check('the example it replaced is in the list', (await evaluate(recentLines))[0].startsWith(' //'));
  await pressKey('Escape');
}

// Installed before the page's scripts, so it runs before the page's own
// listener: when the last change of the address reached the page.
const hashWatch = `addEventListener('hashchange', () => { window.hashChangedAt = performance.now(); })`;
// The page's own time with a link: from the hashchange its arrival makes to
// the end of the page's handling of it (a listener added later runs after).
const hashOpened = (code) => `(async () => {
  const handled = new Promise((resolve) => addEventListener('hashchange', () => resolve(performance.now()), { once: true }));
  location.hash = ${JSON.stringify('code=' + code)};
  return (await handled) - hashChangedAt;
})()`;
// Milliseconds from `since` (in the page) until `expression` holds.
const timeUntil = (since, expression) => `(async () => {
  while (!(${expression})) await new Promise((resolve) => setTimeout(resolve, 5));
  return performance.now() - ${since};
})()`;
const base64Url = (bytes) => bytes.toString('base64').replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');

// A share link carries the script in the documented form; once the script
// changes the address drops it, so a reload shows the script as typed. A
// link opened over typed work asks first, storage or none, and what it
// replaces goes to the recent scripts.
async function share(url) {
  await setEditor('前进 77\n右转 90');
  await click('#share');
  await waitFor('the link in the address', `location.hash.startsWith('#code=')`);
  const link = await evaluate('location.href');
  const code = link.slice(link.indexOf('#code=') + 6);
  checkEqual('the link holds the script deflated',
             zlib.inflateRawSync(Buffer.from(code.replace(/-/g, '+').replace(/_/g, '/'), 'base64')).toString('utf8'),
             '前进 77\n右转 90');
  await typeScript('后退 10');
  check('the address drops the link once the script changes', !(await evaluate('location.href')).includes('#code='));
  await reload('the page to reload after sharing');
  checkEqual('a reload after sharing shows the script as typed', (await evaluate(editorText)).trimEnd(), '后退 10');

  const home = await pageTarget(url);
  for (const { storage, reply } of [{ storage: 'kept', reply: 'no' }, { storage: 'kept', reply: 'yes' },
                                    { storage: 'blocked', reply: 'yes' }]) {
    const what = `a link over typed work, storage ${storage}, answered ${reply}`;
    const tab = storage === 'blocked' ? await openTab(url, storageBlocked) : null;
    await typeScript(`后退 ${reply === 'yes' ? 30 : 20}`, storage === 'kept');
    const typed = await evaluate(editorText);
    await evaluate(`location.hash = ${JSON.stringify('code=' + code)}`);
    await waitFor(`${what}: the question`, dialogOpen('message-box'));
    check(`${what}: the question says so`, (await evaluate(messageShown)).includes('最近的脚本'));
    await answer(reply);
    if (reply === 'yes') await waitFor(`${what}: the link's script`, `${editorText} === '前进 77\\n右转 90'`, 5000);
    else checkEqual(`${what}: the editor`, await evaluate(editorText), typed);
    check(`${what}: the address drops the link`, !(await evaluate('location.href')).includes('#code='));
    if (reply === 'yes') {
      await click('#recent-button');
      await waitFor('the recent scripts', dialogOpen('recent-scripts'));
      checkEqual(`${what}: the typed work is the newest recent script`, (await evaluate(recentLines))[0], typed.trimEnd());
      await pressKey('Escape');
    }
    if (tab !== null) {
      await send('Target.closeTarget', { targetId: tab });
      await switchTo(home);
    }
  }
  await reload('the page to reload after opening a link');
  checkEqual('a reload after opening a link shows the work as it is', await evaluate(editorText), '前进 77\n右转 90');
  check('a reload after opening a link asks nothing', !(await evaluate(dialogOpen('message-box'))));
}

// Caps: a link that inflates past a MiB and a file past a MiB are refused at
// once with a message, replacing nothing, and a script at the cap opens; 分享
// offers 保存源码 for a script too long for a link. The page's times are
// printed: its budget is a second on a quiet machine, and the bound here,
// well above it, catches only a cap that does not hold (an uncapped bomb
// takes a minute).
async function caps() {
  const cap = 1 << 20;
  const bound = 5000;
  const bomb = await new Promise((resolve) => { // 1 GiB of one character, deflated
    const deflate = zlib.createDeflateRaw({ level: 9 });
    const chunks = [];
    deflate.on('data', (chunk) => chunks.push(chunk)).on('end', () => resolve(Buffer.concat(chunks)));
    const block = Buffer.alloc(1 << 24, 'a');
    for (let i = 0; i < 64; ++i) deflate.write(block);
    deflate.end();
  });
  // Lines of characters that deflate hardly shrinks, `bytes` in all.
  const random = (bytes) => {
    const picks = require('crypto').randomBytes(bytes);
    const characters = [];
    for (let size = 0, i = 0; ; ++i) {
      const character = i % 31 === 30 ? '\n' : String.fromCharCode(0x4e00 + picks.readUInt16LE(i) % 20000);
      const more = Buffer.byteLength(character);
      if (size + more > bytes) return characters.join('') + 'a'.repeat(bytes - size);
      characters.push(character);
      size += more;
    }
  };
  const atCap = random(cap);
  const refusedLink = /分享链接里的程序太长/;
  const links = [
    { what: 'a link that inflates to 1 GiB', code: base64Url(bomb), said: refusedLink, opens: false },
    { what: 'a link one byte past the cap', code: base64Url(zlib.deflateRawSync(random(cap + 1))), said: refusedLink,
      opens: false },
    { what: 'a broken link', code: 'not-deflate', said: /分享链接已损坏/, opens: false },
    { what: 'a link at the cap', code: base64Url(zlib.deflateRawSync(atCap)), said: /打开分享的程序成功/, opens: true },
  ];
  const atCapFile = path.join(scratch, 'at-cap.dvg');
  const line = gbkBytes('前进 10\r\n');
  const lines = Math.floor(cap / line.length);
  fs.writeFileSync(atCapFile, Buffer.concat([...Array(lines).fill(line), Buffer.alloc(cap - lines * line.length, 0x20)]));
  const overCap = path.join(scratch, 'over-cap.dvg');
  fs.writeFileSync(overCap, Buffer.alloc(cap + 1, 0x20));
  const huge = path.join(scratch, 'huge.dvg');
  fs.closeSync(fs.openSync(huge, 'w'));
  fs.truncateSync(huge, 200 << 20); // sparse: nothing of it is read
  for (const { file, opens } of [{ file: atCapFile, opens: true }, { file: overCap, opens: false },
                                 { file: huge, opens: false }]) {
    const name = path.basename(file);
    await setEditor('前进 1');
    await evaluate(`document.getElementById('open-file').addEventListener('change', () => {
      window.chosenAt = performance.now(); }, { once: true })`);
    await chooseFile('#open-file', file);
    const milliseconds = await evaluate(timeUntil('chosenAt', `/打开 ${name} (成功|失败)！\\n$/.test(${hintText})`));
    console.log(`${name} (${fs.statSync(file).size} bytes): ${milliseconds.toFixed(0)} ms`);
    checkEqual(`${name}: opened or refused`, /成功！\n$/.test(await evaluate(hintText)), opens);
    check(`${name}: at once`, milliseconds < bound, `${milliseconds} ms`);
    checkEqual(`${name}: the editor`, (await evaluate(editorText)).length,
               opens ? lines * '前进 10\n'.length + cap - lines * line.length : '前进 1'.length);
    if (!opens) check(`${name}: the refusal says why`, (await evaluate(hintText)).includes('网页版最多打开 1.0 MB'));
  }
  // The DevTools page domain copies every address the page takes, which a
  // pupil's browser does not: it is off while the page's time is taken.
  await page('Page.disable');
  for (const { what, code, said, opens } of links) {
    await click('#new');
    if (await evaluate(dialogOpen('message-box'))) await answer('no');
    const milliseconds = await evaluate(hashOpened(code));
    await waitFor(`${what}: the message`, `${said}.test(${hintText}.split('\\n').slice(-2).join('\\n'))`);
    const heap = (await page('Runtime.getHeapUsage', {})).usedSize;
    console.log(`${what} (${code.length} characters): ${milliseconds.toFixed(0)} ms, heap ${(heap / 1e6).toFixed(0)} MB`);
    check(`${what}: read at once`, milliseconds < bound, `${milliseconds} ms`);
    check(`${what}: under 200 MB`, heap < 200e6, `${heap} bytes`);
    checkEqual(`${what}: the editor`, (await evaluate(editorText)).length, opens ? atCap.length : 0);
  }
  await page('Page.enable');
  await click('#share');
  await waitFor('a script at the cap to be shared', `location.hash.startsWith('#code=')`);
  await setEditor(atCap + 'b');
  await click('#share');
  await waitFor('the offer to save instead', dialogOpen('message-box'));
  check('分享 offers 保存源码 for a script too long for a link', (await evaluate(messageShown)).includes('保存源码'));
  await answer('no');
}

// Every two-byte GBK sequence, bytes that are none (lone lead bytes, 0x80,
// 0xFF) and CR LF come back byte for byte from an open and a save.
async function everyGbkByte() {
  const lines = [];
  for (let lead = 0x81; lead <= 0xfe; ++lead) {
    const line = [];
    for (let trail = 0x40; trail <= 0xfe; ++trail) if (trail !== 0x7f) line.push(lead, trail);
    lines.push(Buffer.from(line), Buffer.from('\r\n'));
  }
  const bytes = Buffer.concat([...lines, Buffer.from([0x80, 0x20, 0xff, 0x81, 0x0d, 0x0a, 0xa2, 0xe3, 0x0d, 0x0a, 0xfe])]);
  const utf8File = path.join(scratch, 'utf8.dvg');
  fs.writeFileSync(utf8File, Buffer.from('\ufeff前进 10\r\n😀', 'utf8'));
  await chooseFile('#open-file', utf8File);
  await answer('yes');
  await waitFor('the UTF-8 file to open', `/打开 utf8.dvg 成功！\\n第2行含有无法保存的字符！\\n$/.test(${hintText})`);
  checkEqual('a UTF-8 file is converted without its byte order mark', await evaluate(editorText), '前进 10\n😀');
  const file = path.join(scratch, 'every-gbk.dvg');
  fs.writeFileSync(file, bytes);
  await click('#new');
  if (await evaluate(dialogOpen('message-box'))) await answer('no');
  await chooseFile('#open-file', file);
  await waitFor('every GBK byte to open', `/打开 every-gbk.dvg 成功！\\n$/.test(${hintText})`);
  const saved = await downloaded('#save');
  check('every GBK byte comes back from an open and a save', saved.bytes.equals(bytes),
        `${saved.bytes.length} bytes, ${bytes.length} opened; first difference at ${
          saved.bytes.findIndex((byte, i) => byte !== bytes[i])}`);
}

// A character GBK cannot hold is saved as '?' only after asking; the page
// shows the script unsaved until it is saved.
async function unsavable() {
  const marked = `({ title: document.title.includes('未保存'),
    button: document.getElementById('save').classList.contains('unsaved') })`;
  await typeScript('前进 10 😀');
  checkEqual('typed work is marked unsaved', JSON.stringify(await evaluate(marked)), '{"title":true,"button":true}');
  await click('#save');
  await waitFor('the question', dialogOpen('message-box'));
  checkEqual('the save names the character', await evaluate(messageShown),
             '脚本里有 GBK 无法保存的字符“😀”，保存后会变成“?”。仍然保存吗？');
  await answer('no');
  // Said once the answer is taken and the hint box shown at its next frame.
  await waitFor('the refusal', `${hintText}.endsWith('失败！\\n')`);
  const refused = await evaluate(hintText);
  check('No keeps the script unsaved', refused.endsWith('第1行含有无法保存的字符！\n保存 every-gbk.dvg 失败！\n'), refused);
  checkEqual('the mark stays', JSON.stringify(await evaluate(marked)), '{"title":true,"button":true}');
  const withQuestionMark = gbkBytes((await evaluate(editorText)).replace('😀', '?').replace(/\n/g, '\r\n'));
  for (const [button, verb] of [['#compile', '编译'], ['#save', '保存']]) {
    const written = await downloaded(button, async () => {
      await waitFor('the question', dialogOpen('message-box'));
      check(`the ${verb} question`, (await evaluate(messageShown)).endsWith(`${verb}后会变成“?”。仍然${verb}吗？`));
      await answer('yes');
    });
    check(`Yes ${verb}s the character as '?'`, written.bytes.equals(withQuestionMark), written.bytes.toString('hex'));
  }
  checkEqual('a save takes the mark away', JSON.stringify(await evaluate(marked)), '{"title":false,"button":false}');
}

// With the server gone, a reload comes from the service worker and runs.
async function offline(server) {
  await waitFor('the service worker', `navigator.serviceWorker.controller !== null`);
  await server.close();
  await reload('the page to load offline');
  await setEditor('重复 4 【前进 60|右转 90】');
  await runToEnd('a run offline');
  // The font, fetched online once, was kept.
  const texts = path.join(sourceDir, 'tests/data/render/texts.dvg');
  await setEditor(gbk(fs.readFileSync(texts)).replace(/\r\n/g, '\n'));
  await click('#clear');
  await runToEnd('a run offline that writes text');
  compareInk('写文字 offline draws with the kept font', await evaluate(canvasPixels), renderNative(texts));
  await guideOpens('offline');
}

// Opened from disk: the note in the hint box, a run with the native pixels,
// a save, 写文字 with the font's disk copy (file-font.js: loaded at the first
// text, once, though a stop brings a new worker), and without that copy the
// text left out and the hint box saying so.
async function fromDisk(exampleText, native) {
  const withoutFont = path.join(scratch, 'without-font');
  fs.cpSync(pageFolder, withoutFont, { recursive: true, filter: (from) => path.basename(from) !== 'file-font.js' });
  await load('file://' + path.join(withoutFont, 'index.html'));
  await setEditor('写文字 从磁盘');
  await runToEnd('a run from disk without the font');
  check('a text without its font says so', (await evaluate(hintText)).includes('写文字的字体下载不了'));

  await load('file://' + path.join(pageFolder, 'index.html'));
  check('the page from disk says what it cannot do', (await evaluate(hintText)).includes('从磁盘打开的网页'));
  await setEditor(exampleText);
  await runToEnd('the run from disk');
  comparePixels('the run from disk draws the native pixels', await evaluate(canvasPixels), native);
  const saved = await downloaded('#save');
  check('a save from disk writes the script', saved.bytes.equals(sourceBytes('resources/texts/example_script.txt')));
  const fontLoads = `document.querySelectorAll('script[src="file-font.js"]').length`;
  checkEqual('the font\'s disk copy is not loaded before a text', await evaluate(fontLoads), 0);
  await click('#clear');
  await setEditor('写文字 停\n重复 100000 【前进 1|右转 1】', '1000');
  const empty = await evaluate('canvasHash()');
  await accessKey('a');
  await waitFor('the long run from disk to draw', `canvasHash() !== ${empty}`, 15000);
  await accessKey('c');
  const texts = path.join(sourceDir, 'tests/data/render/texts.dvg');
  await setEditor(gbk(fs.readFileSync(texts)).replace(/\r\n/g, '\n'));
  await click('#clear');
  await runToEnd('a run from disk that writes text');
  comparePixels('写文字 from disk draws dravel-render\'s pixels', await evaluate(canvasPixels), renderNative(texts));
  checkEqual('the font\'s disk copy is loaded once', await evaluate(fontLoads), 1);
  await click('#reset'); // the turtle home, shown and its pen down for the checks after
  await guideOpens('from disk');
}

// At a projector's 960 x 540, a netbook's 800 x 600 and a laptop's 1366 x 768
// the whole window shows, the canvas at least half the width, no text under
// 12 screen pixels, and F1 and F2 within the browser's window.
const smallestText = `(() => {
  const scale = document.getElementById('layout').getBoundingClientRect().width / 732;
  const sizes = [...document.querySelectorAll('#layout button, #layout label, #layout .box, #layout a, #layout select, #layout input, #status-line span, .cm-line')]
    .filter((e) => e.getClientRects().length > 0).map((e) => parseFloat(getComputedStyle(e).fontSize) * scale);
  return Math.min(...sizes);
})()`;
const dialogCut = (id) => `(() => { const r = document.getElementById('${id}').getBoundingClientRect();
  return Math.max(0, -r.top, -r.left, r.bottom - innerHeight, r.right - innerWidth); })()`;

async function fit() {
  for (const [width, height] of [[960, 540], [800, 600], [1366, 768]]) {
    await page('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false });
    await sleep(100);
    const shown = await evaluate(`(() => {
      const box = (id) => document.getElementById(id).getBoundingClientRect();
      return { scrolls: document.documentElement.scrollHeight > innerHeight || document.documentElement.scrollWidth > innerWidth,
               hintBottom: box('hint').bottom, canvasWidth: box('canvas').width, text: ${smallestText} };
    })()`);
    check(`no scrolling at ${width} x ${height}`, !shown.scrolls && shown.hintBottom <= height + 0.5,
          JSON.stringify(shown));
    check(`the canvas at least half the width at ${width} x ${height}`, shown.canvasWidth >= width / 2,
          JSON.stringify(shown));
    check(`no text under 12 pixels at ${width} x ${height}`, shown.text >= 11.95, JSON.stringify(shown));
    for (const [key, id] of [['F1', 'reference'], ['F2', 'examples']]) {
      await pressKey(key);
      await waitFor(`${key} at ${width} x ${height}`, dialogOpen(id));
      checkEqual(`${key} is not cut at ${width} x ${height}`, await evaluate(dialogCut(id)), 0);
      await pressKey('Escape');
    }
  }
  await click('#full-screen');
  await waitFor('the canvas in full screen', `document.fullscreenElement === document.getElementById('canvas')`);
  await evaluate('document.exitFullscreen()');
}

// 海龟图像 N shows set N's first frame (the strip in resources/sprites) on the
// turtle at home, and a frame interval animates it without a run and after a
// stop.
async function turtleImages() {
  await click('#clear');
  await setSetting('image-set', '3');
  const strip = pngRgb(path.join(sourceDir, 'resources/sprites/tank.png'));
  const frameWidth = 32;
  const tankAt = `(() => { const c = document.getElementById('canvas');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const strip = Uint8Array.from(atob('${strip.rgb.toString('base64')}'), (c) => c.charCodeAt(0));
    for (let top = c.height / 2 - ${strip.height / 2} - 2; top <= c.height / 2 - ${strip.height / 2} + 2; ++top) {
      for (let left = c.width / 2 - ${frameWidth / 2} - 2; left <= c.width / 2 - ${frameWidth / 2} + 2; ++left) {
        let same = true;
        for (let y = 0; y < ${strip.height} && same; ++y) {
          for (let x = 0; x < ${frameWidth} && same; ++x) {
            const s = 3 * (y * ${strip.width} + x), at = 4 * ((top + y) * c.width + left + x);
            if (strip[s] === 255 && strip[s + 1] === 255 && strip[s + 2] === 255) continue;
            same = d[at] === strip[s] && d[at + 1] === strip[s + 1] && d[at + 2] === strip[s + 2];
          }
        }
        if (same) return true;
      }
    }
    return false; })()`;
  await waitFor('image set 3\'s first frame on the turtle at home', tankAt);
  await setSetting('image-set', '1');
  await setSetting('frame-interval', '100');
  const still = await evaluate('canvasHash()');
  await waitFor('the turtle to animate without a run', `canvasHash() !== ${still}`);
  await setEditor('重复 100000 【前进 1|右转 1】', '1000');
  await click('#run');
  await sleep(300);
  await accessKey('c');
  await waitFor('the run to stop', `!document.getElementById('run').disabled`);
  const stopped = await evaluate('canvasHash()');
  await waitFor('the turtle to animate after a stop', `canvasHash() !== ${stopped}`);
  await click('#clear');
  await setSetting('image-set', '3');
  await setSetting('frame-interval', '0');
  await waitFor('the tank back at its first frame', tankAt);
}

// A background picture laid out in a layout shows under the drawing, is saved
// with it while a run holds the worker, and outlives a reload.
async function backgroundPicture() {
  const [width, height] = [37, 23];
  const tile = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; ++i) {
    tile.set([180 + (i % width) * 2, 200 + Math.floor(i / width) * 2, 255 - (i % width)], 3 * i);
  }
  const file = path.join(scratch, 'tile.png');
  fs.writeFileSync(file, execFileSync('python3', ['-c', `
import struct, sys, zlib
w, h, rgb = ${width}, ${height}, sys.stdin.buffer.read()
chunk = lambda kind, body: struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
rows = b"".join(b"\\0" + rgb[3 * w * y:3 * w * (y + 1)] for y in range(h))
sys.stdout.buffer.write(b"\\x89PNG\\r\\n\\x1a\\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
                        + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))`], { input: tile }));
  await click('#tab-settings');
  const { root } = await page('DOM.getDocument', {});
  const { nodeId } = await page('DOM.querySelector', { nodeId: root.nodeId, selector: '#picture-file' });
  await page('DOM.setFileInputFiles', { files: [file], nodeId });
  await waitFor('the file read', `document.getElementById('picture-name').textContent === 'tile.png'`);
  await setSetting('picture-mode', '2');
  await waitFor('the picture shown', `${corner} === '${[...tile.subarray(0, 3)].join(',')}'`);
  await setEditor('隐藏\n前进 100\n延时 100000');
  await click('#run');
  await waitFor('the line drawn', `(() => { const c = document.getElementById('canvas');
    const d = c.getContext('2d').getImageData(c.width / 2 - 1, c.height / 2 - 50, 3, 1).data;
    return [0, 4, 8].some((at) => d[at] === 0 && d[at + 1] === 255 && d[at + 2] === 0); })()`);
  const canvas = await evaluate(canvasPixels);
  const rgba = Buffer.from(canvas.rgba, 'base64');
  let tiled = 0, pen = 0;
  for (let i = 0; i < canvas.width * canvas.height; ++i) {
    const t = 3 * ((Math.floor(i / canvas.width) % height) * width + (i % canvas.width) % width);
    const [r, g, b] = rgba.subarray(4 * i, 4 * i + 3);
    if (r === tile[t] && g === tile[t + 1] && b === tile[t + 2]) ++tiled;
    else if (r === 0 && g === 255 && b === 0) ++pen;
  }
  check('the tiled picture under the line', tiled + pen === canvas.width * canvas.height && pen >= 100,
        `${tiled} tile pixels, ${pen} pen pixels of ${canvas.width * canvas.height}`);
  const saved = await downloaded('#save-picture');
  fs.writeFileSync(path.join(scratch, 'saved-picture.png'), saved.bytes);
  comparePixels('the picture saved during a run is the canvas', canvas, pngRgb(path.join(scratch, 'saved-picture.png')));
  await accessKey('c');
  await reload('the page to load with its picture');
  await waitFor('the picture kept', `${corner} === '${[...tile.subarray(0, 3)].join(',')}'`);
  await setEditor('重复 5 【前进 150|右转 144】');
  await runToEnd('a star on the picture');
  await click('#tab-settings');
  const windowBox = await evaluate(`(() => { const r = document.getElementById('layout').getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height, scale: 1 }; })()`);
  const shot = await page('Page.captureScreenshot', { format: 'png', clip: windowBox });
  fs.writeFileSync(screenshotPath.replace(/\.png$/, '-picture.png'), Buffer.from(shot.data, 'base64'));
  await setSetting('picture-mode', '-1');
  const colour = await evaluate(`document.getElementById('background-colour').value`);
  await waitFor('no picture', `${corner} === '${[1, 3, 5].map((at) => parseInt(colour.slice(at, at + 2), 16)).join(',')}'`);
}

// A browser that cannot run the page (scripts off, no WebAssembly) shows the
// notice saying what to use instead. Last: the page's errors no longer count.
async function tooOld() {
  const noticeShown = `(() => { const notice = document.getElementById('too-old');
    return getComputedStyle(notice).display !== 'none' && notice.getBoundingClientRect().height > 100 &&
      notice.textContent.includes('Chrome'); })()`;
  const url = 'file://' + path.join(pageFolder, 'index.html');
  const cases = [
    ['scripts off', () => page('Emulation.setScriptExecutionDisabled', { value: true }),
      () => page('Emulation.setScriptExecutionDisabled', { value: false })],
    ['no WebAssembly', async () => (await page('Page.addScriptToEvaluateOnNewDocument',
      { source: 'delete self.WebAssembly;' })).identifier,
    (identifier) => page('Page.removeScriptToEvaluateOnNewDocument', { identifier })],
  ];
  for (const [what, before, after] of cases) {
    const undo = await before();
    const loaded = nextEvent('Page.loadEventFired');
    await page('Page.navigate', { url });
    await loaded;
    check(`the notice for old browsers shows with ${what}`, await evaluate(noticeShown));
    await after(undo);
  }
}

async function main() {
  const started = Date.now();
  const pageErrors = [];
  listeners.push((message) => {
    if (message.method === 'Runtime.exceptionThrown') {
      pageErrors.push(message.params.exceptionDetails.exception?.description ??
                      message.params.exceptionDetails.text);
    } else if (message.method === 'Runtime.consoleAPICalled' && message.params.type === 'error') {
      pageErrors.push(message.params.args.map((arg) => arg.value ?? arg.description).join(' '));
    }
  });
  const server = await devtools.serve(pageFolder);
  await browser.attach();
  await page('Page.enable');
  await page('Runtime.enable');
  // Whatever the page needs later it must have kept: nothing comes from a cache.
  await page('Network.enable');
  await page('Network.setCacheDisabled', { cacheDisabled: true });
  await page('Emulation.setDeviceMetricsOverride', { width: 800, height: 700, deviceScaleFactor: 1, mobile: false });
  await page('Page.addScriptToEvaluateOnNewDocument', { source: workerWatch });
  await page('Page.addScriptToEvaluateOnNewDocument', { source: hashWatch });
  await send('Browser.setDownloadBehavior',
    { behavior: 'allowAndName', downloadPath: path.join(scratch, 'downloads'), eventsEnabled: true });
  await load(server.url);

  const exampleText = gbk(sourceBytes('resources/texts/example_script.txt')).replace(/\r\n/g, '\n');
  const exampleFile = path.join(scratch, 'star.dvg');
  fs.writeFileSync(exampleFile, sourceBytes('resources/texts/example_script.txt'));
  const native = renderNative(exampleFile);
  await startUp(exampleText, native);
  await texts(server);
  await lesson();
  await files(exampleText);
  await checker();
  await stop();
  await failingLine(exampleText);
  await settings();
  await talkative();
  await steps();
  await learning();
  await status();
  await kept();
  await tabs(server.url);
  await recent();
  await share(server.url);
  await caps();
  await everyGbkByte();
  await unsavable();
  // The page's own server is no class hub: no 班级 panel, no notice for old browsers.
  checkEqual('no 班级 button without a hub', await evaluate(`document.getElementById('class-button')`), null);
  checkEqual('no notice for old browsers', await evaluate(`getComputedStyle(document.getElementById('too-old')).display`),
             'none');
  await offline(server);
  await fromDisk(exampleText, native);
  await fit();
  await turtleImages();
  await backgroundPicture();

  checkEqual('no errors in the page', pageErrors.join('\n'), '');
  await tooOld();
  console.log(`page test: ${((Date.now() - started) / 1000).toFixed(1)} s`);
}

main()
  .catch((error) => failures.push(String(error.stack || error)))
  .finally(async () => {
    await browser.close();
    browser.removeProfile(scratch);
    if (failures.length > 0) {
      console.error('FAILED:\n  ' + failures.join('\n  '));
      const said = browser.log().split('\n').filter((line) => line && !/dbus/i.test(line));
      if (said.length > 0) console.error('chromium said:\n' + said.slice(-20).join('\n'));
      process.exit(1);
    }
    console.log('page test passed');
  });
