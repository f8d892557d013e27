// The page's module against the desktop's build over a table of cases: the
// GBK decode (undecodable bytes kept), the UTF-8 decode, the UTF-8 sniffing,
// the save's and the compile's encode (with where the first '?' came from),
// the run's number reading (the editor's colours, the run count box) and the
// system's fixed texts. Run by scripts/test-web:
//
//   node tests/web/page_rules_test.mjs MODULE_DIR NATIVE_PROGRAM
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

const [moduleDir, native] = process.argv.slice(2);
if (!native) {
  console.error('usage: node tests/web/page_rules_test.mjs MODULE_DIR NATIVE_PROGRAM');
  process.exit(2);
}
const DravelWeb = createRequire(import.meta.url)(path.resolve(moduleDir, 'dravel-web.js'));
// Node's fetch reads no files: the module is given its bytes.
const module = await DravelWeb({ wasmBinary: fs.readFileSync(path.resolve(moduleDir, 'dravel-web.wasm')) });

const hex = (bytes) => Buffer.from(bytes).toString('hex');
const utf8 = (text) => Buffer.from(text, 'utf8');

function withBytes(bytes, use) {
  const at = module._malloc(Math.max(bytes.length, 1));
  module.HEAPU8.set(bytes, at);
  try {
    return use(at, bytes.length);
  } finally {
    module._free(at);
  }
}
const result = (size) => module.HEAPU8.slice(module._dravel_result(), module._dravel_result() + size);

// The module's answer, in the native program's words.
const ask = {
  decode: (bytes) => hex(withBytes(bytes, (at, size) => result(module._dravel_decode(at, size, 0)))),
  utf8: (bytes) => hex(withBytes(bytes, (at, size) => result(module._dravel_decode(at, size, 1)))),
  sniff: (bytes) => String(withBytes(bytes, (at, size) => module._dravel_looks_like_utf8(at, size))),
  encode: (bytes) => `${hex(withBytes(bytes, (at, size) => result(module._dravel_encode(at, size, 0))))} ${module._dravel_lost_at()}`,
  compile: (bytes) => `${hex(withBytes(bytes, (at, size) => result(module._dravel_encode(at, size, 1))))} ${module._dravel_lost_at()}`,
  number: (bytes) => {
    const answer = module._malloc(8);
    withBytes(bytes, (at, size) => module._dravel_number(at, size, answer));
    const [whole, integer] = new Int32Array(module.HEAPU8.buffer, answer, 2);
    module._free(answer);
    return `${whole} ${integer}`;
  },
  messages: () => {
    const size = module._dravel_messages();
    return hex(module.HEAPU8.slice(module._dravel_rules_result(), module._dravel_rules_result() + size));
  },
};

const files = [
  [], utf8('前进 100'), Buffer.from('c7b0bdf820313030', 'hex'), Buffer.from('c7b0bdf8\r\nd3d2d7aa\r\n', 'hex'),
  Buffer.from('c7b0bdf8'.slice(0, 6), 'hex'), Buffer.from('80ff', 'hex'), Buffer.from('41c7', 'hex'),
  Buffer.from('81308130', 'hex'), Buffer.from('a1a1a3b1a3b0a3b0', 'hex'), Buffer.from('efbbbfe5898d', 'hex'),
  utf8('abc\r\ndef'), Buffer.from('e5898d80', 'hex'), Buffer.from('00c7b000', 'hex'),
];
const texts = [
  '', '前进 100\n右转 90', '写文字 😀', 'a\nb😀c', 'é€', '停止\n前进 1\nstop', '重复 2 【前进 10|停止】',
  '\r\n', '１００', '\u{10FFFF}',
];
const numbers = [
  '100', '-5', '+3', '1.5', '.5', '5.', '.', '1e3', '1d3', '1E+3', '1e', '1e+', '１００', '－５', '１．５',
  ' 12', '\t7', '12abc', '', '-', '+', 'abc', '2147483647', '2147483648', '-2147483648', '-99999999999999999999',
  '0x10', 'inf', 'nan', '1 2', '٣', '007', '3.9',
];

const cases = [
  ...files.flatMap((bytes) => ['decode', 'utf8', 'sniff'].map((kind) => [kind, Buffer.from(bytes)])),
  ...texts.flatMap((text) => ['encode', 'compile'].map((kind) => [kind, utf8(text)])),
  // What the page opens it saves as it was: each file's decoded text encoded again.
  ...files.map((bytes) => ['encode', Buffer.from(withBytes(bytes, (at, size) => result(module._dravel_decode(at, size, 0))))]),
  ...numbers.map((text) => ['number', utf8(text)]),
  ['messages', Buffer.alloc(0)],
];

const answers = execFileSync(native, {
  input: cases.map(([kind, bytes]) => `${kind} ${hex(bytes)}\n`).join(''), encoding: 'utf8',
}).split('\n');
let failed = 0;
cases.forEach(([kind, bytes], i) => {
  const page = ask[kind](bytes);
  if (page === answers[i]) return;
  ++failed;
  console.log(`DIFFERS (${kind} of ${hex(bytes)}): module ${page}, desktop ${answers[i]}`);
});
console.log(`page rules: ${cases.length} cases, ${failed} different`);
process.exit(failed === 0 ? 0 : 1);
