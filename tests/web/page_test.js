#!/usr/bin/env node
// The web page under headless Chromium, driven over the DevTools pipe: the
// start-up run draws the native program's pixels and says its hint text, files
// come and go as the desktop reads and writes them, and a stop stops.
//
//   node tests/web/page_test.js URL DRAVEL_RENDER SCREENSHOT.png
//
// CHROMIUM names the browser (default: chromium).
'use strict';

const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const [url, renderProgram, screenshotPath] = process.argv.slice(2);
if (!screenshotPath) {
  console.error('usage: page_test.js URL DRAVEL_RENDER SCREENSHOT.png');
  process.exit(2);
}
const sourceDir = path.resolve(__dirname, '../..');
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'dravel-page-test-'));

const devtools = require('./devtools');
const { sleep } = devtools;
const browser = devtools.launch(path.join(scratch, 'profile'));
const { send, nextEvent, listeners, page, evaluate, waitFor, click, accessKey } = browser;

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

// The native program's picture of `scriptFile`, its RGB bytes, and its hint.
function renderNative(scriptFile) {
  const png = path.join(scratch, 'native.png');
  const hint = execFileSync(renderProgram, ['--turtle', '-o', png, scriptFile], { encoding: 'utf8' });
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
  return { width: rgb.readUInt32BE(0), height: rgb.readUInt32BE(4), rgb: rgb.subarray(8), hint };
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

// ---- The run ----

async function main() {
  const started = Date.now();
  const session = await browser.attach();
  const pageErrors = [];
  listeners.push((message) => {
    if (message.sessionId !== session) return;
    if (message.method === 'Runtime.exceptionThrown') {
      pageErrors.push(message.params.exceptionDetails.exception?.description ??
                      message.params.exceptionDetails.text);
    } else if (message.method === 'Runtime.consoleAPICalled' && message.params.type === 'error') {
      pageErrors.push(message.params.args.map((arg) => arg.value ?? arg.description).join(' '));
    }
  });
  await page('Page.enable');
  await page('Runtime.enable');
  // Whatever the page needs later it must have kept: nothing comes from a cache.
  await page('Network.enable');
  await page('Network.setCacheDisabled', { cacheDisabled: true });
  await page('Emulation.setDeviceMetricsOverride',
    { width: 800, height: 700, deviceScaleFactor: 1, mobile: false });
  const downloads = path.join(scratch, 'downloads');
  await send('Browser.setDownloadBehavior',
    { behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true });
  const loaded = nextEvent('Page.loadEventFired');
  await page('Page.navigate', { url });
  await loaded;
  await evaluate(canvasHashFunction);
  await waitFor('the worker to be ready', `!document.getElementById('run').disabled`);

  // Start-up: the window's texts.
  const exampleText = gbk(sourceBytes('resources/texts/example_script.txt')).replace(/\r\n/g, '\n');
  const startUp = await evaluate(`({
    editor: document.getElementById('editor').value,
    help: document.getElementById('help').value,
    hint: document.getElementById('hint').value,
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

  // The start-up run: the native program's pixels and hint text.
  const exampleFile = path.join(scratch, 'star.dvg');
  fs.writeFileSync(exampleFile, sourceBytes('resources/texts/example_script.txt'));
  const native = renderNative(exampleFile);
  await click('#run');
  await waitFor('the start-up run to end',
                `!document.getElementById('run').disabled && /程序调试完毕/.test(document.getElementById('hint').value)`);
  comparePixels('the start-up run draws the native pixels', await evaluate(canvasPixels), native);
  checkEqual('the start-up run says what the native run says',
             await evaluate(`document.getElementById('hint').value`), native.hint.replace(/\r\n/g, '\n'));
  const windowBox = await evaluate(`(() => {
    const r = document.getElementById('window').getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height, scale: 1 };
  })()`);
  const shot = await page('Page.captureScreenshot', { format: 'png', clip: windowBox });
  fs.writeFileSync(screenshotPath, Buffer.from(shot.data, 'base64'));

  // Files: opened bytes come back byte for byte (a stray byte included);
  // compiling drops the stop keywords.
  const openedBytes = Buffer.concat([sourceBytes('resources/texts/example_script.txt'),
                                     gbkBytes('\r\n写文字 ab'), Buffer.from([0xff, 0x0d, 0x0a])]);
  const openedFile = path.join(scratch, '五角星.dvg');
  fs.writeFileSync(openedFile, openedBytes);
  const { root } = await page('DOM.getDocument');
  const { nodeId } = await page('DOM.querySelector', { nodeId: root.nodeId, selector: '#open-file' });
  await page('DOM.setFileInputFiles', { files: [openedFile], nodeId });
  await waitFor('the file to open', `/打开 五角星.dvg 成功！\\n$/.test(document.getElementById('hint').value)`);
  checkEqual('an opened file is decoded from GBK',
             await evaluate(`document.getElementById('editor').value`),
             exampleText + '\n写文字 ab\uf7ff\n');
  // Both events are listened for before the click: a small download can end
  // in the same message batch as it begins.
  async function downloaded(button) {
    const begun = nextEvent('Browser.downloadWillBegin');
    const completed = nextEvent('Browser.downloadProgress', (p) => p.state === 'completed');
    await click(button);
    const { guid, suggestedFilename } = await begun;
    checkEqual('the download that ended is the one that began', (await completed).guid, guid);
    return { name: suggestedFilename, bytes: fs.readFileSync(path.join(downloads, guid)) };
  }
  const saved = await downloaded('#save');
  checkEqual('a save keeps the opened name', saved.name, '五角星.dvg');
  check('a save writes the opened bytes back', saved.bytes.equals(openedBytes),
        `${saved.bytes.toString('hex')}\n    expected ${openedBytes.toString('hex')}`);
  await evaluate(`document.getElementById('editor').value = '前进 10\\n停止\\n stop 右转 1\\n写文字 停stop止'`);
  const compiled = await downloaded('#compile');
  checkEqual('a compile is named as a program', compiled.name, '五角星.dv');
  const program = gbkBytes('前进 10\r\n\r\n  右转 1\r\n写文字 停止');
  check('a compile removes the stop keywords', compiled.bytes.equals(program),
        `${compiled.bytes.toString('hex')}\n    expected ${program.toString('hex')}`);
  checkEqual('saving and compiling are said in the hint box',
             (await evaluate(`document.getElementById('hint').value`)).split('\n').slice(-4).join('|'),
             '打开 五角星.dvg 成功！|保存 五角星.dvg 成功！|编译Dravel源码到 五角星.dv 成功！|');

  // A stop in the middle of a long run: nothing drawn or said after it, and
  // the worker that takes over needs no connection.
  await page('Network.emulateNetworkConditions',
    { offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
  const cleared = await evaluate(`(() => {
    const star = canvasHash();
    document.getElementById('clear').click();
    return star;
  })()`);
  await waitFor('the canvas to clear', `canvasHash() !== ${cleared}`);
  await evaluate(`document.getElementById('editor').value = '重复 100000 【前进 1|右转 1】';
                  document.getElementById('count').value = '1000'`);
  const empty = await evaluate('canvasHash()');
  await accessKey('a');
  await waitFor('the long run to draw', `canvasHash() !== ${empty}`, 15000);
  // A save while the run holds its worker.
  const savedDuringRun = await downloaded('#save');
  check('a save during a run writes the script',
        savedDuringRun.bytes.equals(gbkBytes('重复 100000 【前进 1|右转 1】')));
  await accessKey('c');
  const atStop = await evaluate(`({ canvas: ${canvasPixels}, hint: document.getElementById('hint').value })`);
  await sleep(1000);
  const later = await evaluate(`({ canvas: ${canvasPixels}, hint: document.getElementById('hint').value,
                                   runEnabled: !document.getElementById('run').disabled })`);
  check('the canvas does not change after a stop', atStop.canvas.rgba === later.canvas.rgba);
  check('the hint ends with the stop message', later.hint.endsWith('\n已停止调试程序！\n'),
        JSON.stringify(later.hint.slice(-80)));
  checkEqual('nothing is said after the stop', later.hint, atStop.hint);
  check('the run was stopped before its end', !later.hint.includes('程序调试完毕'));
  check('the run button is enabled after a stop', later.runEnabled);

  // The next run goes to the new worker and shows where it fails.
  await evaluate(`document.getElementById('editor').value = '前进 10\\n前近 10\\n右转 90';
                  document.getElementById('count').value = '1'`);
  await click('#run');
  await waitFor('the run after the stop to end', `!document.getElementById('run').disabled`);
  const failing = await evaluate(`(() => {
    const e = document.getElementById('editor');
    return { focused: document.activeElement === e,
             selected: e.value.slice(e.selectionStart, e.selectionEnd) };
  })()`);
  check('the failing line is selected in the editor',
        failing.focused && failing.selected === '前近 10', JSON.stringify(failing));

  // The settings page's colours reach the worker, and the worker that takes
  // over after a stop.
  const corner = `(() => { const d = document.getElementById('canvas').getContext('2d')
    .getImageData(0, 0, 1, 1).data; return [d[0], d[1], d[2]].join(','); })()`;
  await evaluate(`(() => { const box = document.getElementById('background-colour');
    box.value = '#003366'; box.dispatchEvent(new Event('change')); })()`);
  await waitFor('the new background', `${corner} === '0,51,102'`);
  await evaluate(`document.getElementById('editor').value = '重复 100000 【前进 1|右转 1】';
                  document.getElementById('count').value = '1000'`);
  await accessKey('a');
  await sleep(200);
  await accessKey('c');
  await accessKey('b');
  await sleep(500);
  checkEqual('a worker started by a stop keeps the settings', await evaluate(corner), '0,51,102');

  // The speed holds a run at each command, and a change reaches the run
  // while it waits.
  const setSpeed = (value) => evaluate(`(() => { const box = document.getElementById('speed');
    box.value = '${value}'; box.dispatchEvent(new Event('change')); })()`);
  await setSpeed('1200');
  await evaluate(`document.getElementById('editor').value = '前进 10\\n右转 90\\n前进 10\\n右转 90';
                  document.getElementById('count').value = '1'`);
  await click('#run');
  await sleep(300);
  check('the slowest speed holds the run', await evaluate(`document.getElementById('run').disabled`));
  await setSpeed('0');
  await waitFor('the run to end at the fastest speed', `!document.getElementById('run').disabled &&
    /程序调试完毕/.test(document.getElementById('hint').value)`, 4000);  // the slowest: 4.8 s

  // The fastest speed never waits, yet a change to the slowest reaches its run
  // too: within a few frames each frame shows at most one more pass, where the
  // fastest showed many.
  await evaluate(`(() => {
    window.passesPerFrame = [];
    let passes = 0;
    worker.addEventListener('message', ({ data }) => {
      if (data.type === 'hint') passes += (data.text.match(/执行命令完毕/g) || []).length;
      if (data.type === 'frame') {
        passesPerFrame.push(passes);
        passes = 0;
      }
    });
    document.getElementById('editor').value = '前进 1';
    document.getElementById('count').value = '100000000';
  })()`);
  await click('#run');
  await waitFor('frames of many passes at the fastest speed',
                'passesPerFrame.filter((passes) => passes > 1).length >= 3');
  const framesBefore = await evaluate('passesPerFrame.length');
  await setSpeed('1200');
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
  await setSpeed('0');

  checkEqual('no errors in the page', pageErrors.join('\n'), '');
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
