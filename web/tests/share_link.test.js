// Share links read back: the script, or a refusal that replaces nothing.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { deflateRaw } from 'pako';

import { toBase64Url } from '../page/keep.js';
import { LONGEST_ADDRESS, LONGEST_SCRIPT_BYTES } from '../page/limits.js';
import { sharedScript } from '../page/share_link.js';
import { texts } from '../page/texts.js';

const page = 'https://example.org/dravel/';
const link = (bytes) => page + '#code=' + toBase64Url(deflateRaw(bytes));
const utf8 = (text) => new TextEncoder().encode(text);
const good = link(utf8('前进 100\n右转 90'));

const cases = [
  ['no hash', page, null],
  ['another hash', page + '#top', null],
  ['a script', good, { text: '前进 100\n右转 90' }],
  ['an empty script', link(new Uint8Array(0)), { text: '' }],
  ['a script at the cap', link(new Uint8Array(LONGEST_SCRIPT_BYTES).fill(0x41)),
    { text: 'A'.repeat(LONGEST_SCRIPT_BYTES) }],
  ['a script one byte past the cap', link(new Uint8Array(LONGEST_SCRIPT_BYTES + 1).fill(0x41)),
    { refused: texts.sharedScriptTooLong }],
  ['a small link that inflates far past the cap', link(new Uint8Array(64 << 20)),
    { refused: texts.sharedScriptTooLong }],
  ['an address longer than browsers carry', good + 'A'.repeat(LONGEST_ADDRESS), { refused: texts.sharedScriptTooLong }],
  ['a link cut short', good.slice(0, -6), { refused: texts.sharedScriptBroken }],
  ['not base64url', page + '#code=%%%', { refused: texts.sharedScriptBroken }],
  ['not deflate', page + '#code=' + toBase64Url(utf8('plain text')), { refused: texts.sharedScriptBroken }],
  ['bytes that are not UTF-8', link(new Uint8Array([0xc7, 0xb0, 0xbd, 0xf8])), { refused: texts.sharedScriptBroken }],
];

for (const [name, address, expected] of cases) {
  test(name, () => assert.deepEqual(sharedScript(address), expected));
}
