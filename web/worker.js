// The page's worker: loads the WebAssembly module, keeps its canvas and runs
// scripts on it, sending the page what a run shows as it happens. The page
// stops a run by ending this worker and starting another (given the last
// snapshot), so a stopped run can never draw or say anything more.
'use strict';

importScripts('dravel-web.js');

const gbk = new TextDecoder('gbk');
let textCanvas = null;
let textCoverage = null;

// 写文字: the browser sets the text (24 px, no smoothing wanted, so the
// coverage is cut at half) at the turtle's angle, in a canvas as large as
// the text's turned box within the layer; the module colours the covered
// pixels. `box` gets left, top, width, height and the ascent (all 0 when
// nothing of the text is on the layer), then the module takes the coverage.
function paintText(bytes, x, y, escapement, width, height, box) {
  box.fill(0);
  textCoverage = null;
  if (typeof OffscreenCanvas === 'undefined') return;
  if (!textCanvas) textCanvas = new OffscreenCanvas(1, 1);
  const context = textCanvas.getContext('2d', {willReadFrequently: true});
  const text = gbk.decode(bytes);
  context.font = '24px sans-serif';
  context.textBaseline = 'alphabetic';
  const metrics = context.measureText(text);
  // Half a line around the text, for glyphs that reach past its advance.
  const margin = 16, angle = -escapement / 10 * Math.PI / 180;
  const cos = Math.cos(angle), sin = Math.sin(angle);
  const xs = [], ys = [];
  for (const [u, v] of [[-margin, -margin], [metrics.width + margin, -margin],
                        [-margin, 32 + margin], [metrics.width + margin, 32 + margin]]) {
    xs.push(x + u * cos - v * sin);
    ys.push(y + u * sin + v * cos);
  }
  const left = Math.max(0, Math.floor(Math.min(...xs)));
  const top = Math.max(0, Math.floor(Math.min(...ys)));
  const right = Math.min(width, Math.ceil(Math.max(...xs)));
  const bottom = Math.min(height, Math.ceil(Math.max(...ys)));
  if (right <= left || bottom <= top) return;
  textCanvas.width = right - left;
  textCanvas.height = bottom - top;
  context.setTransform(1, 0, 0, 1, 0, 0);
  context.clearRect(0, 0, textCanvas.width, textCanvas.height);
  context.translate(x - left, y - top);
  context.rotate(angle);
  context.font = '24px sans-serif';
  context.textBaseline = 'top';
  context.fillStyle = '#000';
  context.fillText(text, 0, 0);
  const alpha = context.getImageData(0, 0, textCanvas.width, textCanvas.height).data;
  textCoverage = new Uint8Array(textCanvas.width * textCanvas.height);
  for (let i = 0; i < textCoverage.length; ++i) textCoverage[i] = alpha[i * 4 + 3] >= 128 ? 1 : 0;
  box.set([left, top, textCanvas.width, textCanvas.height,
           Math.round(metrics.fontBoundingBoxAscent || 24)]);
}

function takeTextMask(mask) {
  if (textCoverage && textCoverage.length === mask.length) mask.set(textCoverage);
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

const ready = DravelWeb({
  onHint: (replace, bytes) => postMessage({type: 'hint', replace, text: gbk.decode(bytes)}),
  onRunCount: (bytes) => postMessage({type: 'count', text: gbk.decode(bytes)}),
  onFailing: (line, item) => postMessage({type: 'failing', line, item}),
  onBeep: () => postMessage({type: 'beep'}),
  onFrame: (pixels, width, height, snapshot) => {
    const rgba = toRgba(pixels);
    postMessage({type: 'frame', width, height, pixels: rgba.buffer, snapshot: snapshot.buffer},
                [rgba.buffer, snapshot.buffer]);
  },
  paintText,
  takeTextMask,
}).then((module) => {
  postMessage({type: 'ready'});
  module._dravel_start();
  return module;
});

// One message at a time: a run finishes before the next message is read. The
// speed is the exception: it reaches a run while the run waits between commands.
let queue = Promise.resolve();
onmessage = (event) => {
  if (event.data.type === 'speed') {
    ready.then((module) => module._dravel_set_interval(event.data.interval));
    return;
  }
  queue = queue.then(() => ready).then((module) => handle(module, event.data));
};

async function handle(module, message) {
  switch (message.type) {
    case 'run':
      await withBytes(module, message.script, (script, scriptSize) =>
        withBytes(module, message.count, (count, countSize) =>
          module.ccall('dravel_run', null, ['number', 'number', 'number', 'number'],
                       [script, scriptSize, count, countSize], {async: true})));
      postMessage({type: 'done'});
      break;
    case 'clear':
      module._dravel_clear();
      break;
    case 'settings':
      module._dravel_settings(message.edgeMode, message.penColour, message.backgroundColour,
                              message.penWidth);
      break;
    case 'restore':
      await withBytes(module, new Uint8Array(message.snapshot), (at, size) => module._dravel_restore(at, size));
      break;
    case 'encode': {
      const utf8 = new TextEncoder().encode(message.text);
      const size = await withBytes(module, utf8, (at, length) => module._dravel_encode(at, length));
      if (size < 0) {
        postMessage({type: 'encoded', id: message.id, bytes: null, line: -size});
      } else {
        const at = module._dravel_encoded();
        postMessage({type: 'encoded', id: message.id, bytes: module.HEAPU8.slice(at, at + size)});
      }
      break;
    }
  }
}
