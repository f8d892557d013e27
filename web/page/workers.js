// The page's workers (worker.js): the run worker, which keeps the canvas and
// runs scripts, and a tool worker that answers questions (encoding, the
// checker, pictures) while the run worker is busy with a run. The first run
// worker is started by index.html as the page loads and compiles the module
// itself; every later worker is made from a copy of its script kept in memory
// and given the compiled module, so a stop, which starts a new run worker,
// needs no connection, and a page opened from disk (file://, where nothing
// can be fetched) gets both from file-copy.js through a <script> tag, and
// 写文字's font, when a worker first wants it, from file-font.js.

export class Abandoned extends Error {}

function loadScript(src) {
  return new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = src;
    script.onload = resolve;
    script.onerror = () => reject(new Error(src));
    document.head.append(script);
  });
}

// A plain loop: Uint8Array.from with a mapping function takes seconds over the font's megabytes.
function fromBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let at = 0; at < binary.length; ++at) bytes[at] = binary.charCodeAt(at);
  return bytes;
}

// The text font's packed bytes (base64 in file-font.js), or null when the
// file is missing or broken; the script's copy is let go.
async function diskFont() {
  try {
    await loadScript('file-font.js');
    const font = self.dravelFileFont;
    return typeof font === 'string' ? fromBase64(font) : null;
  } catch {
    return null;
  } finally {
    delete self.dravelFileFont;
  }
}

async function fetched(name) {
  const response = await fetch(name);
  if (!response.ok) throw new Error(`${name}: ${response.status}`);
  return response;
}

// Compiled as it arrives, which also lets the browser keep the compiled code
// for the next load; a server that does not call it application/wasm gets
// it compiled from its bytes.
async function compiledModule() {
  try {
    return await WebAssembly.compileStreaming(fetched('dravel-web.wasm'));
  } catch {
    return WebAssembly.compile(await (await fetched('dravel-web.wasm')).arrayBuffer());
  }
}

// The worker's script and the compiled module: from index.html, which asks
// for them first, or asked again here.
async function workerFiles() {
  if (location.protocol === 'file:') {
    await loadScript('file-copy.js');
    const { worker, wasm } = self.dravelFileCopy;
    return { source: worker, module: await WebAssembly.compile(fromBase64(wasm)) };
  }
  const early = self.dravelEarly ?? {};
  const [source, module] = await Promise.all([
    (early.source ?? Promise.reject()).catch(() => fetched('worker.js').then((r) => r.text())),
    (early.module ?? Promise.reject()).then((compiled) => compiled ?? Promise.reject()).catch(compiledModule),
  ]);
  return { source, module };
}

// The buffers given back to the run worker that it has not taken yet, at most.
const SPARES_ON_THE_WAY = 8;

export class Workers {
  // `onMessage(message)`: what the run worker says; `onFailure(what)`: a
  // worker that could not start or broke.
  constructor(onMessage, onFailure) {
    this.onMessage = onMessage;
    this.onFailure = onFailure;
    this.run = null;
    this.sparesGiven = 0; // buffers given back to the run worker, and taken by it
    this.sparesTaken = 0;
    this.tool = null;
    this.busy = false; // a run was handed to the run worker and has not ended
    this.broken = false;
    this.settings = new Map(); // type -> the last such message, for every new worker
    this.requests = new Map(); // id -> {owner, resolve, reject}
    this.nextRequest = 1;
    this.diskFont = null; // from file-font.js, once a worker of a page from disk wanted it
    this.started = this.load();
  }

  // The run worker index.html started, given what it said meanwhile, or one
  // started here.
  async load() {
    const { source, module } = await workerFiles();
    this.module = module;
    this.url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
    const early = self.dravelEarly;
    if (early !== undefined && (await early.module) !== null) {
      this.run = this.listen(early.worker);
      for (const event of early.said) (event.type === 'error' ? early.worker.onerror : early.worker.onmessage)(event);
    } else {
      early?.worker.terminate();
      this.run = this.spawn();
    }
  }

  spawn() {
    const worker = this.listen(new Worker(this.url));
    worker.postMessage({ type: 'init', wasm: this.module, page: location.href });
    for (const message of this.settings.values()) worker.postMessage(message);
    return worker;
  }

  listen(worker) {
    worker.onmessage = ({ data }) => {
      if (data.type === 'answer') this.answer(data);
      else if (data.type === 'font-wanted') this.giveFont(worker);
      else if (worker === this.run) this.onMessage(data);
    };
    worker.onerror = (event) => {
      event.preventDefault();
      if (worker === this.run) {
        this.broken = true;
        this.onFailure(event.message || 'worker.js');
      }
    };
    return worker;
  }

  // The text font for a worker of a page opened from disk: loaded once, at
  // the first worker's asking, and a copy of it given to each.
  async giveFont(worker) {
    this.diskFont ??= diskFont();
    const bytes = (await this.diskFont)?.slice() ?? null;
    worker.postMessage({ type: 'font', bytes }, bytes ? [bytes.buffer] : []);
  }

  // A setting (the speed, the canvas's settings, the background picture) for
  // both workers and for each made later: the tool worker saves the picture
  // on the same background, and a worker that takes over after a stop keeps
  // them.
  set(message) {
    this.settings.set(message.type, message);
    this.run?.postMessage(message);
    this.tool?.postMessage(message);
  }

  // To the run worker; before there is one, dropped (a new worker is sent
  // the settings when it starts).
  post(message, transfer = []) {
    this.run?.postMessage(message, transfer);
  }

  // Buffers of frames the page has done with, for the run worker to copy its
  // next frames into; they go with it, so nothing here may use them after.
  // A run inside one long command (a huge circle) takes its messages only
  // after it, so at most SPARES_ON_THE_WAY wait untaken; the rest are let go,
  // rather than piling up a frame's size each, thirty a second.
  giveBack(buffers) {
    if (this.run === null || this.sparesGiven - this.sparesTaken + buffers.length > SPARES_ON_THE_WAY) return;
    this.sparesGiven += buffers.length;
    this.run.postMessage({ type: 'spare', buffers }, buffers);
  }

  // How many the run worker has taken, as its latest frame says.
  sparesTakenSoFar(count) {
    this.sparesTaken = count;
  }

  // A new run worker in place of the old, which ends at once: it draws and
  // says nothing more. Questions it had not answered are abandoned.
  replace() {
    this.abandon(this.run);
    this.run.terminate();
    this.run = this.spawn();
    this.sparesGiven = 0;
    this.sparesTaken = 0;
    this.broken = false;
    this.busy = false;
  }

  // Asks the run worker when it is idle, else the tool worker; resolves to
  // the answer's fields, or rejects with Abandoned when a stop ended it.
  async ask(type, fields = {}, transfer = []) {
    await this.started;
    let owner = this.run;
    if (this.busy || this.broken) owner = this.tool ??= this.spawn();
    const id = this.nextRequest++;
    return new Promise((resolve, reject) => {
      this.requests.set(id, { owner, resolve, reject });
      owner.postMessage({ type, id, ...fields }, transfer);
    });
  }

  answer(message) {
    const request = this.requests.get(message.id);
    if (request === undefined) return;
    this.requests.delete(message.id);
    request.resolve(message);
  }

  abandon(owner) {
    for (const [id, request] of this.requests) {
      if (request.owner !== owner) continue;
      this.requests.delete(id);
      request.reject(new Abandoned('stopped'));
    }
  }
}
