// The text font unpacked as the worker gets it, with the browser's
// DecompressionStream and with pako where a browser has none: a font, or a
// rejection, never other bytes.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { gzip } from 'pako';

import { unpackedTextFont } from '../page/text_font.js';

const font = new Uint8Array(5000).map((_, at) => (at < 4 ? [0, 1, 0, 0][at] : at * 7));
const packed = gzip(font);
const cases = [
  ['a packed font', packed, font],
  ['a font the server unpacked already', font, font],
  ['a packed font cut short', packed.subarray(0, packed.length / 2), null],
  ['a gzip header and no more', packed.subarray(0, 10), null],
  ['packed bytes that are no font', gzip(new TextEncoder().encode('<html>offline</html>')), null],
  ['bytes that are no font', new TextEncoder().encode('<html>offline</html>'), null],
  ['nothing', new Uint8Array(0), null],
];

async function withoutDecompressionStream(use) {
  const kept = globalThis.DecompressionStream;
  delete globalThis.DecompressionStream;
  try {
    return await use();
  } finally {
    globalThis.DecompressionStream = kept;
  }
}

for (const [way, within] of [['DecompressionStream', (use) => use()], ['pako', withoutDecompressionStream]]) {
  for (const [name, bytes, expected] of cases) {
    test(`${name}, unpacked by ${way}`, () => within(async () => {
      if (expected === null) await assert.rejects(unpackedTextFont(bytes));
      else assert.deepEqual(await unpackedTextFont(bytes), expected);
    }));
  }
}
