// The page's side of GBK: decoding what a file holds (every byte kept, so a
// file saves as it was opened) and telling UTF-8 files apart. Encoding is the
// module's (the worker's), so what is saved and run is what the desktop would
// save and run.

export const toLf = (text) => text.replace(/\r\n?/g, '\n');

// Undecodable bytes stay in the text as private-use characters U+F780..U+F7FF
// (the worker's encoder turns them back into their bytes).
const KEPT_BYTE_FIRST = 0xf780;

export function decodeGbk(bytes) {
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
export function looksLikeUtf8(bytes) {
  if (bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf) return true;
  if (!bytes.some((byte) => byte >= 0x80)) return false;
  try {
    new TextDecoder('utf-8', { fatal: true }).decode(bytes);
    return true;
  } catch {
    return false;
  }
}

// The run count box's value as the desktop box reads it back.
export function leadingInteger(text) {
  const match = /^\s*([+-]?)(\d*)/.exec(text);
  const magnitude = match[2] === '' ? 0 : Number(match[2].slice(0, 12));
  const value = match[1] === '-' ? -magnitude : magnitude;
  return Math.max(-2147483648, Math.min(2147483647, value)) || 0;
}
