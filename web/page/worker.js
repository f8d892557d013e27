// The page's worker: the WebAssembly module's canvas and runs, and the
// module's answers to the page (the GBK codec, the checker, the command rows,
// pictures, the PNG). Every GBK byte is the module's to read and write: what
// the module says comes in UTF-8. The page stops a run by ending this worker and
// starting another (given the last snapshot), so a stopped run can never draw
// or say anything more. The build puts the module's glue (DravelWeb) in
// front of this file; the page hands every worker the compiled module in its
// first message, so no worker fetches anything at start (and file:// works);
// only the text font is fetched, when the first text is set.
import { deflate } from 'pako';

import { unpackedTextFont } from './text_font.js';

const utf8 = new TextDecoder('utf-8', { ignoreBOM: true });
// 写文字's font, fetched when the module sets its first text and never at
// load (dravel-text.ttf, gzip-compressed by the build); the service worker
// keeps it once fetched. A page opened from disk, where a worker's fetch is
// refused, hands it over instead (from file-font.js, which it loads then).
// Null, and the page told once, when it cannot be had (offline before it was
// ever fetched, a disk copy without file-font.js, broken bytes).
const FONT_FILE = 'dravel-text.ttf.gz';
let fontRefusalSaid = false;
// The page's address, which a worker made from a blob cannot resolve against.
let pageAddress = self.location.href;
// Resolves the page's answer to 'font-wanted': the packed bytes, or null.
let fontGiven = null;

async function packedTextFont() {
  if (new URL(pageAddress).protocol === 'file:') {
    const given = new Promise((resolve) => { fontGiven = resolve; });
    postMessage({ type: 'font-wanted' });
    const bytes = await given;
    if (bytes === null) throw new Error('file-font.js');
    return bytes;
  }
  const response = await fetch(new URL(FONT_FILE, pageAddress));
  if (!response.ok) throw new Error(`${FONT_FILE}: ${response.status}`);
  return new Uint8Array(await response.arrayBuffer());
}

async function fetchTextFont() {
  try {
    return await unpackedTextFont(await packedTextFont());
  } catch (error) {
    if (!fontRefusalSaid) postMessage({ type: 'no-font', reason: String(error) });
    fontRefusalSaid = true;
    return null;
  }
}

// The layers hold 0xFFRRGGBB words, little-endian bytes B G R A; the page's
// canvas wants R G B A.
function toRgba(pixels) {
  for (let i = 0; i < pixels.length; i += 4) {
    const blue = pixels[i];
    pixels[i] = pixels[i + 2];
    pixels[i + 2] = blue;
    pixels[i + 3] = 255;
  }
  return pixels;
}

// Buffers the page has finished with (shown frames, replaced snapshots), given
// back so that the next frames are copied into them: a fresh buffer of a
// frame's size costs more to allocate and first write than the copy itself.
const spareBuffers = [];
const SPARE_BUFFERS = 8;
let sparesTaken = 0; // every frame tells the page, which gives back no more than it can take

function keepSpare(buffers) {
  for (const buffer of buffers) {
    if (spareBuffers.length < SPARE_BUFFERS && buffer.byteLength > 0) spareBuffers.push(buffer);
  }
}

// A buffer holding a copy of `bytes` (a view into the module's memory).
function bufferOf(bytes) {
  const at = spareBuffers.findIndex((buffer) => buffer.byteLength === bytes.length);
  const buffer = at >= 0 ? spareBuffers.splice(at, 1)[0] : new ArrayBuffer(bytes.length);
  new Uint8Array(buffer).set(bytes);
  return buffer;
}

// Copies `bytes` into the module for as long as `use` (which may be async) runs.
async function withBytes(module, bytes, use) {
  const at = module._malloc(Math.max(bytes.length, 1));
  module.HEAPU8.set(bytes, at);
  try {
    return await use(at, bytes.length);
  } finally {
    module._free(at);
  }
}

const withText = (module, text, use) => withBytes(module, new TextEncoder().encode(text), use);

// A background picture's file, decoded by the browser into the canvas's
// 0xFFRRGGBB words (little-endian bytes B G R A), alpha dropped as the
// desktop drops it; null when the browser cannot read it as a picture.
async function decodedPicture(bytes) {
  let pixels, width, height;
  try {
    const bitmap = await createImageBitmap(new Blob([bytes]),
                                           { premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
    ({ width, height } = bitmap);
    const context = new OffscreenCanvas(width, height).getContext('2d');
    context.drawImage(bitmap, 0, 0);
    bitmap.close();
    pixels = context.getImageData(0, 0, width, height).data;
  } catch {
    return null; // not a picture, or too large for the browser
  }
  for (let i = 0; i < pixels.length; i += 4) {
    const red = pixels[i];
    pixels[i] = pixels[i + 2];
    pixels[i + 2] = red;
    pixels[i + 3] = 255;
  }
  return { pixels, width, height };
}

// Whether the canvas shows the picture: not when the browser could not read
// it or the module had not the memory for it.
async function setBackground(module, { bytes, mode }) {
  const picture = bytes ? await decodedPicture(bytes) : { pixels: new Uint8Array(0), width: 0, height: 0 };
  if (picture === null) return false;
  const at = picture.pixels.length > 0 ? module._malloc(picture.pixels.length) : 0;
  if (picture.pixels.length > 0 && at === 0) return false;
  try {
    module.HEAPU8.set(picture.pixels, at);
    return module._dravel_background_picture(at, picture.width, picture.height, mode) !== 0 || !bytes;
  } finally {
    if (at !== 0) module._free(at);
  }
}

// What a call of the module answers through its callbacks, collected.
let answers = [];

// Compiled here when the page has not the module yet (the first worker, which
// index.html starts at once), and handed to the page; null to the page when it
// cannot be had.
async function compiledHere() {
  try {
    // A server that does not call it application/wasm gets it compiled from its bytes.
    const wasm = await WebAssembly.compileStreaming(fetch('dravel-web.wasm'))
      .catch(async () => WebAssembly.compile(await (await fetch('dravel-web.wasm')).arrayBuffer()));
    postMessage({ type: 'module', wasm });
    return wasm;
  } catch (error) {
    postMessage({ type: 'module', wasm: null });
    throw error;
  }
}

async function startModule(given) {
  const wasm = given ?? (await compiledHere());
  return DravelWeb({
    instantiateWasm: (imports, done) => {
      WebAssembly.instantiate(wasm, imports).then((instance) => done(instance, wasm));
      return {};
    },
    onHint: (replace, head, tail, dropped, marker, leftOut, headFull) => postMessage({
      type: 'hint', replace, head: utf8.decode(head), tail: utf8.decode(tail), dropped,
      marker: utf8.decode(marker), leftOut, headFull,
    }),
    onRunCount: (bytes) => postMessage({ type: 'count', text: utf8.decode(bytes) }),
    onFailing: (line, item, from, to) => postMessage({ type: 'failing', line, item, from, to }),
    onExecuting: (line, item, from, to) => postMessage({ type: 'executing', line, item, from, to }),
    onBeep: () => postMessage({ type: 'beep' }),
    onFrame: (rgba, width, height, snapshot, turtle) => {
      const [pixels, kept] = [bufferOf(rgba), bufferOf(snapshot)];
      postMessage({ type: 'frame', width, height, pixels, snapshot: kept, turtle, sparesTaken }, [pixels, kept]);
    },
    onFinding: (line, from, to, message, fixed) => answers.push({ line, from, to, message, fixed }),
    onCommand: ([keyword, alias, syntax, meaning, example]) =>
      answers.push({ keyword, alias, syntax, meaning, example }),
    onPicture: (pixels, width, height, ratio) => answers.push({ pixels: toRgba(pixels).buffer, width, height, ratio }),
    onPng: (bytes) => answers.push(bytes),
    deflate: (bytes) => deflate(bytes, { level: 6, strategy: 3 }), // zlib's Z_RLE, as the desktop
    fetchTextFont,
  }).then((module) => {
    postMessage({ type: 'ready' });
    module._dravel_start();
    return module;
  });
}

// The answers of one call of the module.
async function collect(call) {
  answers = [];
  await call();
  const collected = answers;
  answers = [];
  return collected;
}

const result = (module, size) => module.HEAPU8.slice(module._dravel_result(), module._dravel_result() + size);

// The bytes a save (or, when `compile`, a compile) writes of `text`: GBK with
// CR LF and '?' for what GBK cannot hold; `lost` names the first such
// character and its line, or is null.
async function encoded(module, text, compile) {
  const page = new TextEncoder().encode(text);
  const size = await withBytes(module, page, (at, length) => module._dravel_encode(at, length, compile ? 1 : 0));
  const bytes = result(module, size);
  const at = module._dravel_lost_at();
  if (at < 0) return { bytes, lost: null, transfer: [bytes.buffer] };
  const character = String.fromCodePoint(utf8.decode(page.subarray(at, at + 4)).codePointAt(0));
  const line = 1 + page.subarray(0, at).reduce((lines, byte) => lines + (byte === 0x0a ? 1 : 0), 0);
  return { bytes, lost: { character, line }, transfer: [bytes.buffer] };
}

// A file's bytes as the page's text: `text`, read as GBK, and `asUtf8`, read
// as UTF-8 when they look like it, else null (line ends as the file has them).
async function decoded(module, bytes) {
  const text = (asUtf8) => withBytes(module, bytes, (at, size) =>
    utf8.decode(result(module, module._dravel_decode(at, size, asUtf8 ? 1 : 0))));
  const looksUtf8 = await withBytes(module, bytes, (at, size) => module._dravel_looks_like_utf8(at, size));
  return { text: await text(false), asUtf8: looksUtf8 ? await text(true) : null };
}

// Each text read as the run reads a number: {whole: the run reads all of
// it as its number (the editor colours it), integer: the run count box's reading}.
function numbers(module, texts) {
  const answer = module._malloc(8);
  try {
    return texts.map((text) => {
      const bytes = new TextEncoder().encode(text);
      const at = module._malloc(Math.max(bytes.length, 1));
      module.HEAPU8.set(bytes, at);
      module._dravel_number(at, bytes.length, answer);
      module._free(at);
      const [whole, integer] = new Int32Array(module.HEAPU8.buffer, answer, 2);
      return { whole: whole !== 0, integer };
    });
  } finally {
    module._free(answer);
  }
}

// The system's fixed texts, {name: text}.
function messages(module) {
  const size = module._dravel_messages();
  const at = module._dravel_rules_result();
  const fields = utf8.decode(module.HEAPU8.subarray(at, at + size)).split('\0');
  const named = {};
  for (let i = 0; i + 1 < fields.length; i += 2) named[fields[i]] = fields[i + 1];
  return named;
}

// Asked of the module and answered to the request's id.
const questions = {
  numbers: (module, { texts }) => ({ numbers: numbers(module, texts) }),
  messages: (module) => ({ messages: messages(module) }),
  encode: (module, { text, compile = false }) => encoded(module, text, compile),
  decode: (module, { bytes }) => decoded(module, bytes),
  check: async (module, { text }) => ({
    findings: await collect(() => withText(module, text, (at, size) => module._dravel_check(at, size))),
  }),
  commands: async (module) => ({ commands: await collect(() => module._dravel_commands()) }),
  messageLine: (module, { text }) =>
    withText(module, text, (at, size) => ({ line: module._dravel_message_line(at, size) })),
  // No picture, or no PNG, when the module had not the memory for it.
  picture: async (module, { text }) => {
    const [picture] = await collect(() => withText(module, text, (at, size) =>
      module.ccall('dravel_picture', null, ['number', 'number'], [at, size], { async: true })));
    return picture ? { picture, transfer: [picture.pixels] } : { picture: null };
  },
  // F1's picture of a command row, cropped, with the scale to show it at
  // within width x height; none for a row that draws nothing.
  commandPicture: async (module, { index, width, height }) => {
    const [picture] = await collect(() => module.ccall('dravel_command_picture', null,
      ['number', 'number', 'number', 'number'], [index, width, height, 0], { async: true }));
    return picture ? { picture, transfer: [picture.pixels] } : { picture: null };
  },
  // The canvas as the page last showed it, when the page sends it.
  png: async (module, { snapshot }) => {
    if (snapshot) await withBytes(module, new Uint8Array(snapshot), (at, size) => module._dravel_restore(at, size));
    return { png: (await collect(() => module._dravel_png()))[0] ?? null };
  },
};

// One message at a time: a run finishes before the next message is read. The
// speed, pause, step and continue are the exception: they reach a run while
// it waits between commands.
let ready = null;
let queue = Promise.resolve();
const pacing = {
  speed: (module, message) => module._dravel_set_interval(message.interval),
  pause: (module) => module._dravel_pause(),
  continue: (module) => module._dravel_continue(),
  step: (module) => module._dravel_step(),
  // The turtle's animation, timed by the page.
  tick: (module) => module._dravel_next_frame(),
};

onmessage = (event) => {
  const message = event.data;
  if (message.type === 'init') {
    pageAddress = message.page ?? pageAddress;
    ready = startModule(message.wasm);
  } else if (message.type === 'font') {
    fontGiven?.(message.bytes); // the run that asked waits for it
  } else if (message.type === 'spare') {
    sparesTaken += message.buffers.length;
    keepSpare(message.buffers);
  } else if (message.type in pacing) {
    ready.then((module) => pacing[message.type](module, message));
  } else {
    queue = queue.then(() => ready).then((module) => handle(module, message));
  }
};

async function handle(module, message) {
  if (message.type in questions) {
    const { transfer = [], ...answer } = await questions[message.type](module, message);
    postMessage({ type: 'answer', id: message.id, ...answer }, transfer);
    return;
  }
  switch (message.type) {
    case 'run':
      await withBytes(module, message.script, (script, scriptSize) =>
        withBytes(module, message.count, (count, countSize) =>
          module.ccall('dravel_run', null, ['number', 'number', 'number', 'number'],
                       [script, scriptSize, count, countSize], { async: true })));
      postMessage({ type: 'done' });
      break;
    case 'clear':
      module._dravel_clear();
      break;
    case 'reset':
      module._dravel_reset();
      break;
    case 'settings':
      module._dravel_settings(message.edgeMode, message.penColour, message.backgroundColour,
                              message.penWidth);
      module._dravel_turtle_image(message.imageSet, message.frameInterval > 0 ? 1 : 0);
      break;
    case 'background':
      postMessage({ type: 'background', shown: await setBackground(module, message) });
      break;
    case 'restore':
      await withBytes(module, new Uint8Array(message.snapshot), (at, size) => module._dravel_restore(at, size));
      postMessage({ type: 'restored' });
      break;
  }
}
