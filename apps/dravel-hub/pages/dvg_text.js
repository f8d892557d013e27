// A .dvg file's text for the teacher's page. .dvg files are GBK; the page's
// own module (the pupils' page's worker, which the hub serves at /worker.js)
// is Dravel's one GBK codec, so the teacher's page asks it rather than
// decoding GBK itself. One worker, started on the first file.

const READ_TIMEOUT_MS = 30000;

let worker = null;
let nextId = 1;
const waiting = new Map(); // id -> {resolve, reject}

function failAll(why) {
  for (const { reject } of waiting.values()) reject(new Error(why));
  waiting.clear();
  worker?.terminate();
  worker = null;
}

function started() {
  if (worker !== null) return worker;
  worker = new Worker('/worker.js');
  worker.addEventListener('message', ({ data }) => {
    if (data.type === 'module' && data.wasm === null) failAll('module');
    if (data.type !== 'answer' || !waiting.has(data.id)) return;
    waiting.get(data.id).resolve(data);
    waiting.delete(data.id);
  });
  worker.addEventListener('error', (event) => {
    event.preventDefault();
    failAll('worker');
  });
  worker.postMessage({ type: 'init', wasm: null });
  return worker;
}

// The text of a .dvg file's `bytes` (a file already in UTF-8 read as such),
// with LF line ends; rejects when the module cannot be had.
export function dvgText(bytes) {
  const id = nextId++;
  const answer = new Promise((resolve, reject) => {
    waiting.set(id, { resolve, reject });
    setTimeout(() => waiting.has(id) && failAll('timeout'), READ_TIMEOUT_MS);
  });
  started().postMessage({ type: 'decode', id, bytes });
  return answer.then(({ text, asUtf8 }) => (asUtf8 ?? text).replace(/\r\n?/g, '\n'));
}
