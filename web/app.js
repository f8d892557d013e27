// The page of the web edition: the window's controls in HTML, runs in a worker
// (worker.js, the interpreter and canvas in WebAssembly). The page keeps the
// editor's text, the hint box and the file commands; the worker does every
// GBK encoding, so what is saved and run is exactly what the desktop would
// save and run.
'use strict';

const CRLF = '\r\n';
const texts = {
  hintInitial: '提示信息：' + CRLF,
  runStopped: '已停止调试程序！' + CRLF,
  newDone: '新建Dravel源码成功！' + CRLF,
  openPrefix: '打开 ',
  savePrefix: '保存 ',
  compilePrefix: '编译Dravel源码到 ',
  succeeded: ' 成功！',
  failed: ' 失败！',
  savePrompt: '源码已更改，请问是否保存？',
  convertFromUtf8:
    '这个文件是 UTF-8 编码的，不是 Dravel 使用的 GBK 编码。\n' +
    '要把它转换成 GBK 吗？选“是”转换（转换后请保存）；选“否”按 GBK 原样打开。',
  unsavableLine: (line) => `第${line}行含有无法保存的字符！` + CRLF,
  leftOut: (lines) => `……中间略去 ${lines} 行……` + CRLF,
  guideMissing: (address) => `找不到使用说明：${address}` + CRLF,
  workerFailed: (what) => `网页版出错：${what}` + CRLF,
  untitled: '未命名',
};

const $ = (id) => document.getElementById(id);
const canvas = $('canvas');
const canvasContext = canvas.getContext('2d');
const editor = $('editor');
const hintBox = $('hint');
const countBox = $('count');
const runButton = $('run');
const messageBox = $('message-box');

// ---- Text helpers ----

const toLf = (text) => text.replace(/\r\n?/g, '\n');

// Undecodable bytes stay in the text as private-use characters U+F780..U+F7FF
// (the worker's encoder turns them back into their bytes), so a file with a
// stray byte is saved as it was opened.
const KEPT_BYTE_FIRST = 0xf780;

function decodeGbk(bytes) {
  const text = new TextDecoder('gbk').decode(bytes);
  if (!text.includes('\ufffd')) return text;
  const strict = new TextDecoder('gbk', { fatal: true });
  const tryDecode = (part) => {
    try {
      return strict.decode(part);
    } catch {
      return null;
    }
  };
  const out = [];
  for (let at = 0; at < bytes.length; ) {
    const byte = bytes[at];
    if (byte < 0x80) {
      out.push(String.fromCharCode(byte));
      ++at;
      continue;
    }
    const trail = bytes[at + 1];
    const pair = trail >= 0x40 && trail <= 0xfe && trail !== 0x7f
      ? tryDecode(bytes.subarray(at, at + 2)) : null;
    if (pair !== null) {
      out.push(pair);
      at += 2;
      continue;
    }
    out.push(tryDecode(bytes.subarray(at, at + 1)) ?? String.fromCharCode(KEPT_BYTE_FIRST + byte - 0x80));
    ++at;
  }
  return out.join('');
}

// A UTF-8 byte order mark, or well-formed UTF-8 with a character of more than
// one byte (pure ASCII reads the same either way).
function looksLikeUtf8(bytes) {
  if (bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf) return true;
  if (!bytes.some((byte) => byte >= 0x80)) return false;
  try {
    new TextDecoder('utf-8', { fatal: true }).decode(bytes);
    return true;
  } catch {
    return false;
  }
}

// What a compile writes: every "停止", then every "stop", deleted wherever it
// stands (the stop commands only mean something while debugging).
const withoutStopKeywords = (text) => text.replaceAll('停止', '').replaceAll('stop', '');

// The run count box's value as the desktop box reads it back.
function leadingInteger(text) {
  const match = /^\s*([+-]?)(\d*)/.exec(text);
  const magnitude = match[2] === '' ? 0 : Number(match[2].slice(0, 12));
  const value = match[1] === '-' ? -magnitude : magnitude;
  return Math.max(-2147483648, Math.min(2147483647, value)) || 0;
}

// ---- The hint box ----

// Bounded however much a run says: the first lines stay, past them only the
// last lines, behind one line that counts those left out. Smaller bounds than
// the desktop's MiB: a browser lays a text box out whole, and a MiB of text
// there takes seconds, a stop's message included.
const HINT_HEAD = 1 << 16;
const HINT_TAIL = 1 << 16;

const hint = {
  head: '',
  tail: '',
  headFull: false,
  leftOut: 0,
  arrived: [], // said since the last take, joined once per display frame
  shown: true,

  replace(text) {
    this.head = '';
    this.tail = '';
    this.headFull = false;
    this.leftOut = 0;
    this.arrived = [];
    this.append(text);
  },

  // Kept as the worker says it (CR LF); the box gets LF when it is shown.
  append(text) {
    this.arrived.push(text);
    this.shown = false;
    scheduleShow();
  },

  take() {
    if (this.arrived.length === 0) return;
    const text = this.arrived.join('');
    this.arrived = [];
    if (this.headFull) {
      this.tail += text;
    } else {
      this.head += text;
      if (this.head.length > HINT_HEAD) {
        const cut = this.head.lastIndexOf('\n', HINT_HEAD - 1) + 1 || HINT_HEAD;
        this.tail = this.head.slice(cut);
        this.head = this.head.slice(0, cut);
        this.headFull = true;
      }
    }
    if (this.tail.length > 2 * HINT_TAIL) {
      const cut = this.tail.indexOf('\n', this.tail.length - HINT_TAIL) + 1;
      if (cut > 0) {
        this.leftOut += countLines(this.tail, cut);
        this.tail = this.tail.slice(cut);
      }
    }
  },

  text() {
    this.take();
    return toLf(this.head + (this.leftOut > 0 ? texts.leftOut(this.leftOut) : '') + this.tail);
  },

  // Laying out a long hint takes a while: a run that keeps talking gets the box
  // brought up to date less often, so it spends at most a tenth of its time
  // there. `now` (the end of a run, a stop) brings it up to date at once.
  shownAt: 0,
  showCost: 0,

  show(now = false) {
    this.take();
    if (this.shown) return;
    if (!now && performance.now() - this.shownAt < 10 * this.showCost) {
      scheduleShow();
      return;
    }
    const start = performance.now();
    this.shown = true;
    hintBox.value = this.text();
    hintBox.scrollTop = hintBox.scrollHeight; // lays the text out now, within the measure
    this.shownAt = performance.now();
    this.showCost = this.shownAt - start;
  },
};

function countLines(text, end) {
  let lines = 0;
  for (let at = text.indexOf('\n'); at >= 0 && at < end; at = text.indexOf('\n', at + 1)) ++lines;
  return lines;
}

// ---- The canvas ----

let pendingFrame = null;
let showScheduled = false;

// Frames and hint texts come faster than the screen shows them; only the
// latest is put up, once per display frame.
function scheduleShow() {
  if (showScheduled) return;
  showScheduled = true;
  requestAnimationFrame(() => showNow());
}

function showNow(now = false) {
  showScheduled = false;
  if (pendingFrame !== null) {
    const frame = pendingFrame;
    pendingFrame = null;
    if (canvas.width !== frame.width || canvas.height !== frame.height) {
      canvas.width = frame.width;
      canvas.height = frame.height;
    }
    const pixels = new Uint8ClampedArray(frame.pixels);
    canvasContext.putImageData(new ImageData(pixels, frame.width, frame.height), 0, 0);
  }
  hint.show(now);
}

// ---- The worker ----

let worker = null;
let workerReady = false;
let workerBroken = false;
let running = false;
let workerBusy = false; // a run was handed to the worker and has not ended
// Frames from a worker that was started again after a stop would only repeat
// what the canvas already shows; nothing is drawn until it is asked to.
let framesWanted = true;
let lastSnapshot = null;
let nextRequest = 1;
const requests = new Map(); // id -> {owner, resolve, reject}

// Workers are made from copies of their files kept in memory, so that a stop,
// which starts a new worker, still works once the connection has gone. When a
// copy cannot be made, the workers load from the server.
const WORKER_FILES = {
  'worker.js': 'text/javascript',
  'dravel-web.js': 'text/javascript',
  'dravel-web.wasm': 'application/wasm',
};
let workerUrl = 'worker.js';

async function keepWorkerFiles() {
  const copies = {};
  try {
    for (const [name, type] of Object.entries(WORKER_FILES)) {
      const response = await fetch(name);
      if (!response.ok) return;
      copies[name] = URL.createObjectURL(new Blob([await response.arrayBuffer()], { type }));
    }
  } catch {
    return;
  }
  // The worker asks for its files by their names; it is given the copies.
  const start = `'use strict';
const copies = ${JSON.stringify(copies)};
const base = ${JSON.stringify(new URL('.', location.href).href)};
const local = (url) => copies[String(url).replace(/[?#].*/, '').split('/').pop()] ??
  new URL(String(url), base).href;
const importFromServer = self.importScripts.bind(self);
const fetchFromServer = self.fetch.bind(self);
self.importScripts = (...urls) => importFromServer(...urls.map(local));
self.fetch = (input, init) =>
  fetchFromServer(typeof input === 'string' || input instanceof URL ? local(input) : input, init);
importScripts('worker.js');
`;
  workerUrl = URL.createObjectURL(new Blob([start], { type: 'text/javascript' }));
}

function startWorker() {
  const started = new Worker(workerUrl);
  started.onmessage = (event) => {
    if (started === worker) handleMessage(event.data);
    else if (started === codecWorker) handleEncoded(event.data);
  };
  started.onerror = (event) => {
    event.preventDefault();
    if (started === worker) workerFailed(event.message || 'worker.js');
  };
  return started;
}

// ---- The settings page: sent on each change and to every new worker ----

// #rrggbb to the canvas's 0x00BBGGRR.
function storedColour(value) {
  const rgb = parseInt(value.slice(1), 16);
  return ((rgb & 0xff) << 16) | (rgb & 0xff00) | ((rgb >> 16) & 0xff);
}

function settingsMessage() {
  const width = Math.min(50, Math.max(1, parseInt($('pen-width').value, 10) || 1));
  return {
    type: 'settings',
    edgeMode: Number($('edge-mode').value),
    penColour: storedColour($('pen-colour').value),
    backgroundColour: storedColour($('background-colour').value),
    penWidth: width,
  };
}

const speedMessage = () => ({ type: 'speed', interval: Number($('speed').value) });

// Both go to a new worker before anything else.
function sendSettings(to) {
  to.postMessage(speedMessage());
  to.postMessage(settingsMessage());
}

for (const id of ['pen-colour', 'background-colour', 'pen-width', 'edge-mode']) {
  $(id).addEventListener('change', () => {
    if (worker === null) return;
    framesWanted = true;
    worker.postMessage(settingsMessage());
  });
}
// The speed reaches a run in progress too, at its next command.
$('speed').addEventListener('change', () => {
  if (worker !== null) worker.postMessage(speedMessage());
});

function replaceWorker() {
  abandonRequests(worker);
  worker.terminate();
  worker = startWorker();
  workerBroken = false;
  workerBusy = false;
  framesWanted = false;
  if (lastSnapshot !== null) worker.postMessage({ type: 'restore', snapshot: lastSnapshot });
  sendSettings(worker);
}

function workerFailed(what) {
  workerBroken = true;
  hint.append(texts.workerFailed(what));
  if (running) endRun();
  if (!workerReady) {
    workerReady = true;
    runButton.disabled = false;
  }
}

function handleMessage(message) {
  switch (message.type) {
    case 'ready':
      if (!workerReady) {
        workerReady = true;
        if (!running) runButton.disabled = false;
      }
      break;
    case 'frame':
      if (!framesWanted) break;
      lastSnapshot = message.snapshot;
      pendingFrame = message;
      scheduleShow();
      break;
    case 'hint':
      if (message.replace) hint.replace(message.text);
      else hint.append(message.text);
      break;
    case 'count':
      countBox.value = message.text;
      break;
    case 'failing':
      showNow(true);
      selectScriptLine(message.line);
      break;
    case 'beep':
      beep();
      break;
    case 'done':
      showNow(true);
      endRun();
      break;
    case 'encoded':
      handleEncoded(message);
      break;
  }
}

// Encoding goes to the run's worker when it is idle; while it runs, to a
// second worker kept for this (a run may hold its worker until it ends).
let codecWorker = null;

function encoderFor() {
  if (!workerBusy && !workerBroken) return worker;
  if (codecWorker === null) codecWorker = startWorker();
  return codecWorker;
}

async function encode(text) {
  await workerStarted;
  const owner = encoderFor();
  const id = nextRequest++;
  return new Promise((resolve, reject) => {
    requests.set(id, { owner, resolve, reject });
    owner.postMessage({ type: 'encode', id, text });
  });
}

function handleEncoded(message) {
  const request = requests.get(message.id);
  if (request === undefined) return;
  requests.delete(message.id);
  request.resolve(message);
}

class Abandoned extends Error {}

function abandonRequests(owner) {
  for (const [id, request] of requests) {
    if (request.owner !== owner) continue;
    requests.delete(id);
    request.reject(new Abandoned('stopped'));
  }
}

// A file command whose encoding went with a stopped worker is dropped.
const unlessAbandoned = (command) => (...args) => command(...args).catch((error) => {
  if (!(error instanceof Abandoned)) throw error;
});

// A run takes what GBK cannot hold as '?', as the desktop's run does; the
// characters on the line the encoder names are tried one by one.
async function encodeForRun(text) {
  for (;;) {
    const encoded = await encode(text);
    if (encoded.bytes !== null) return encoded.bytes;
    const lines = text.split('\n');
    const line = lines[encoded.line - 1];
    const characters = [...line];
    const tried = await Promise.all(
      characters.map((c) => (c.charCodeAt(0) < 0x80 ? null : encode(c))));
    lines[encoded.line - 1] = characters
      .map((c, i) => (tried[i] !== null && tried[i].bytes === null ? '?' : c)).join('');
    const replaced = lines.join('\n');
    if (replaced === text) throw new Error(`line ${encoded.line} cannot be encoded`);
    text = replaced;
  }
}

// ---- Runs ----

async function startRun() {
  if (running || runButton.disabled) return;
  running = true;
  runButton.disabled = true;
  if (workerBroken) replaceWorker();
  const owner = worker;
  let script, count;
  try {
    [script, count] = await Promise.all([encodeForRun(editor.value), encodeForRun(countBox.value)]);
  } catch (error) {
    // A stop while encoding has ended the run already.
    if (owner === worker) {
      endRun();
      hint.append(texts.workerFailed(error.message));
    }
    return;
  }
  if (owner !== worker || !running) return;
  framesWanted = true;
  workerBusy = true;
  worker.postMessage({ type: 'run', script, count }, [script.buffer, count.buffer]);
}

function endRun() {
  running = false;
  workerBusy = false;
  runButton.disabled = false;
}

// The worker is ended at once: it draws nothing and says nothing more. A new
// one takes over the canvas as the last frame left it.
function stopRun() {
  if (!running) return false;
  showNow();
  replaceWorker();
  hint.append(texts.runStopped);
  hint.show(true);
  endRun();
  return true;
}

function clearCanvas() {
  if (worker === null) return; // nothing drawn yet
  stopRun();
  framesWanted = true;
  worker.postMessage({ type: 'clear' });
}

// ---- The editor ----

let sourceChanged = false;
let sourceName = '';

function setEditorText(text) {
  editor.value = text;
  editor.setSelectionRange(0, 0);
  editor.scrollTop = 0;
}

function showPage(name) {
  for (const tab of document.querySelectorAll('#tab-bar [role=tab]')) {
    const selected = tab.id === 'tab-' + name;
    tab.setAttribute('aria-selected', String(selected));
    $(tab.getAttribute('aria-controls')).hidden = !selected;
  }
}

// The failing line, or a line a hint message names: selected, the caret there.
function selectScriptLine(line) {
  const text = editor.value;
  let start = 0;
  for (let n = 1; n < line; ++n) {
    start = text.indexOf('\n', start) + 1;
    if (start === 0) return;
  }
  let end = text.indexOf('\n', start);
  if (end < 0) end = text.length;
  showPage('script');
  editor.focus();
  // Collapsed first, so the browser scrolls the line into view.
  editor.setSelectionRange(start, start);
  editor.blur();
  editor.focus();
  editor.setSelectionRange(start, end);
}

function selectAll() {
  showPage('script');
  editor.focus();
  editor.select();
}

// ---- Files ----

// Yes, No, Cancel (or Yes, No) in the page's own message box.
function ask(question, withCancel) {
  messageBox.querySelector('.message').textContent = question;
  messageBox.querySelector('[value=cancel]').hidden = !withCancel;
  messageBox.returnValue = 'cancel';
  return new Promise((resolve) => {
    messageBox.addEventListener('close', () => resolve(messageBox.returnValue || 'cancel'),
                                { once: true });
    messageBox.showModal();
  });
}

function report(prefix, name, ok, lineBreak = true) {
  hint.append(prefix + name + (ok ? texts.succeeded : texts.failed) + (ok && !lineBreak ? '' : CRLF));
}

function download(bytes, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

const baseName = (name) => (name.lastIndexOf('.') > 0 ? name.slice(0, name.lastIndexOf('.')) : name);

// The editor's text as GBK with CR LF line ends, or null after saying which
// line GBK cannot hold and that `prefix` `name` failed.
async function editorBytes(prefix, name) {
  const encoded = await encode(editor.value);
  if (encoded.bytes !== null) return encoded.bytes;
  hint.append(texts.unsavableLine(encoded.line));
  report(prefix, name, false);
  return null;
}

async function saveScript(lineBreak) {
  const name = sourceName || texts.untitled + '.dvg';
  const bytes = await editorBytes(texts.savePrefix, name);
  if (bytes === null) return false;
  download(bytes, name);
  report(texts.savePrefix, name, true, lineBreak);
  sourceName = name;
  sourceChanged = false;
  return true;
}

async function compileScript() {
  const name = baseName(sourceName || texts.untitled) + '.dv';
  const bytes = await editorBytes(texts.compilePrefix, name);
  if (bytes === null) return;
  // Removed from the text rather than the bytes, so a match starts on a character.
  const program = await encode(withoutStopKeywords(editor.value));
  download(program.bytes, name);
  report(texts.compilePrefix, name, true);
}

// True when the caller may go on: nothing changed, saved, or the user said No.
async function savePrompt() {
  if (!sourceChanged) return true;
  const answer = await ask(texts.savePrompt, true);
  if (answer === 'yes') return saveScript(false);
  return answer === 'no';
}

async function newScript() {
  if (!(await savePrompt())) return;
  setEditorText('');
  hint.append(texts.newDone);
  sourceChanged = false;
  sourceName = '';
}

async function openScript() {
  if (!(await savePrompt())) return;
  $('open-file').click();
}

async function openFile(file) {
  let bytes = new Uint8Array(await file.arrayBuffer());
  const zero = bytes.indexOf(0);
  if (zero >= 0) bytes = bytes.subarray(0, zero);
  const convert = looksLikeUtf8(bytes) && (await ask(texts.convertFromUtf8, false)) === 'yes';
  setEditorText(toLf(convert ? new TextDecoder('utf-8').decode(bytes) : decodeGbk(bytes)));
  sourceName = file.name;
  report(texts.openPrefix, file.name, true);
  // Converted text is not yet what the file holds; what GBK cannot hold is
  // said now, as a save would say it.
  sourceChanged = convert;
  if (convert) {
    const encoded = await encode(editor.value);
    if (encoded.bytes === null) hint.append(texts.unsavableLine(encoded.line));
  }
}

// ---- Little things ----

let audio = null;

function beep() {
  try {
    audio ??= new AudioContext();
    const tone = audio.createOscillator();
    const volume = audio.createGain();
    tone.frequency.value = 880;
    volume.gain.value = 0.1;
    tone.connect(volume).connect(audio.destination);
    tone.start();
    tone.stop(audio.currentTime + 0.12);
  } catch {
    // No sound available: the run goes on.
  }
}

// The guide is a file beside the page when the build put it there; one that
// is missing is said in the hint box rather than opening an error page.
async function openGuide(event) {
  event.preventDefault();
  const address = event.currentTarget.getAttribute('href');
  let found = false;
  try {
    found = (await fetch(address.replace(/#.*/, ''), { method: 'HEAD' })).ok;
  } catch {
    // Not served: said below.
  }
  if (found) window.open(address, '_blank');
  else hint.append(texts.guideMissing(address));
}

// The run count box takes digits and '-' only, and reads back as a number.
countBox.addEventListener('beforeinput', (event) => {
  if (event.data && /[^0-9-]/.test(event.data)) event.preventDefault();
});
countBox.addEventListener('blur', () => {
  const value = leadingInteger(countBox.value);
  countBox.value = value === 0 ? '' : String(value);
});

// A click on a message that names a line ("第3行…", "已被第3行…") goes there.
hintBox.addEventListener('click', () => {
  if (hintBox.selectionStart !== hintBox.selectionEnd) return;
  const text = hintBox.value;
  const start = text.lastIndexOf('\n', hintBox.selectionStart - 1) + 1;
  const match = /^(?:已被)?第(\d+)行/.exec(text.slice(start, start + 32));
  if (match) selectScriptLine(Number(match[1]));
});

editor.addEventListener('input', () => {
  sourceChanged = true;
});

for (const tab of document.querySelectorAll('#tab-bar [role=tab]')) {
  tab.addEventListener('click', () => showPage(tab.id.slice('tab-'.length)));
}

runButton.addEventListener('click', startRun);
$('stop').addEventListener('click', stopRun);
$('clear').addEventListener('click', clearCanvas);
$('select-all').addEventListener('click', selectAll);
$('new').addEventListener('click', unlessAbandoned(newScript));
$('open').addEventListener('click', unlessAbandoned(openScript));
$('save').addEventListener('click', unlessAbandoned(() => saveScript(true)));
$('compile').addEventListener('click', unlessAbandoned(compileScript));
$('open-file').addEventListener('change', (event) => {
  const file = event.target.files[0];
  event.target.value = '';
  if (file) unlessAbandoned(openFile)(file);
});
$('guide-link').addEventListener('click', openGuide);
$('reference-link').addEventListener('click', openGuide);

document.addEventListener('keydown', (event) => {
  const plain = !event.altKey && !event.shiftKey && !event.metaKey;
  if (plain && event.ctrlKey && (event.key === 's' || event.key === 'o')) {
    event.preventDefault();
    unlessAbandoned(event.key === 's' ? () => saveScript(true) : openScript)();
  } else if (plain && !event.ctrlKey && event.key === 'F1') {
    event.preventDefault();
    $('reference-link').click();
  }
});

window.addEventListener('beforeunload', (event) => {
  if (sourceChanged) event.preventDefault();
});

hint.replace(texts.hintInitial);
hint.show();
const workerStarted = keepWorkerFiles().then(() => {
  worker = startWorker();
  sendSettings(worker); // a reload may have kept other values in the boxes
});
