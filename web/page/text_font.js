// 写文字's font as the worker receives it (dravel-text.ttf, gzip-compressed by
// the build), unpacked: by the browser's DecompressionStream, or by pako
// where the browser has none (Safari before 16.4). What comes back is a font
// or an error, never other bytes: a font the module cannot read would leave
// the text out without a word.
import { ungzip } from 'pako';

// The first four bytes of a TrueType or OpenType font.
const FONT_TAGS = ['00010000', '4f54544f', '74727565'];

const isGzip = (bytes) => bytes[0] === 0x1f && bytes[1] === 0x8b;

async function gunzipped(bytes) {
  if (globalThis.DecompressionStream === undefined) {
    const unpacked = ungzip(bytes); // nothing for bytes cut short
    if (unpacked === undefined) throw new Error('the font file is cut short');
    return unpacked;
  }
  const unpacked = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Uint8Array(await new Response(unpacked).arrayBuffer());
}

// The font in `bytes` (a Uint8Array), which a server that calls .gz files
// gzip-encoded has had the browser unpack already; rejects when they are
// broken or no font.
export async function unpackedTextFont(bytes) {
  const font = isGzip(bytes) ? await gunzipped(bytes) : bytes;
  const tag = Array.from(font.subarray(0, 4), (byte) => byte.toString(16).padStart(2, '0')).join('');
  if (!FONT_TAGS.includes(tag)) throw new Error('the font file holds no font');
  return font;
}
