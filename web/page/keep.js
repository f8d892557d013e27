// What the page keeps in the browser (localStorage): the script as it is
// typed, its file name and changed flag, the settings and the background
// picture's file (while it is small: see background.js); and share links,
// which carry a script in the address:
//
//   #code=BASE64URL
//
// BASE64URL is the script's UTF-8 bytes (LF line ends), compressed as raw
// deflate (RFC 1951, no zlib header) and written in base64url (RFC 4648 §5)
// without padding. Later versions must go on reading this form.

const SCRIPT_KEY = 'dravel.script';
const SETTINGS_KEY = 'dravel.settings';
const PICTURE_KEY = 'dravel.picture';
const SHARE_PREFIX = '#code=';

function read(key) {
  try {
    return JSON.parse(localStorage.getItem(key));
  } catch {
    return null; // storage refused (a private window's limits) or not ours
  }
}

// False when the browser refused (full, or storage turned off).
function write(key, value) {
  try {
    localStorage.setItem(key, JSON.stringify(value));
    return true;
  } catch {
    return false;
  }
}

// {text, name, changed}, or null on a first visit. Keeping gives false when
// the browser refused it.
export const keptScript = () => read(SCRIPT_KEY);
export const keepScript = (script) => write(SCRIPT_KEY, script);
// {id: value} of the settings page's boxes, or null.
export const keptSettings = () => read(SETTINGS_KEY);
export const keepSettings = (settings) => write(SETTINGS_KEY, settings);

async function streamBytes(bytes, transform) {
  const stream = new Blob([bytes]).stream().pipeThrough(transform);
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

const toBase64Url = (bytes) => {
  let binary = '';
  for (let at = 0; at < bytes.length; at += 0x8000) {
    binary += String.fromCharCode.apply(null, bytes.subarray(at, at + 0x8000));
  }
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
};

const fromBase64Url = (text) =>
  Uint8Array.from(atob(text.replace(/-/g, '+').replace(/_/g, '/')), (c) => c.charCodeAt(0));

// The background picture's file, {name, bytes}, or null. Keeping gives false
// when the browser refused it; null forgets it.
export function keptPicture() {
  const kept = read(PICTURE_KEY);
  try {
    return kept && { name: String(kept.name), bytes: fromBase64Url(kept.bytes) };
  } catch {
    return null;
  }
}
export function keepPicture(picture) {
  if (picture !== null && write(PICTURE_KEY, { name: picture.name, bytes: toBase64Url(picture.bytes) })) return true;
  try {
    localStorage.removeItem(PICTURE_KEY); // no older picture comes back instead
  } catch {}
  return picture === null;
}

// The page's address carrying `text`.
export async function shareLink(text) {
  const packed = await streamBytes(new TextEncoder().encode(text), new CompressionStream('deflate-raw'));
  return location.href.replace(/#.*$/, '') + SHARE_PREFIX + toBase64Url(packed);
}

// The script the address carries: its text, null when it carries none, or
// undefined when the link is broken.
export async function sharedScript(hash = location.hash) {
  if (!hash.startsWith(SHARE_PREFIX)) return null;
  try {
    const bytes = await streamBytes(fromBase64Url(hash.slice(SHARE_PREFIX.length)),
                                    new DecompressionStream('deflate-raw'));
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    return undefined;
  }
}
