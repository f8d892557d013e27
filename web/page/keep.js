// What the page keeps in the browser (localStorage): the settings and the
// background picture's file (while it is small: see background.js), and the
// ways in for what else is kept (each tab's script: tab_script.js; the recent
// scripts: recent_scripts.js).

const SETTINGS_KEY = 'dravel.settings';
const PICTURE_KEY = 'dravel.picture';

export function read(key) {
  try {
    return JSON.parse(localStorage.getItem(key));
  } catch {
    return null; // storage refused (a private window's limits) or not ours
  }
}

// False when the browser refused (full, or storage turned off).
export function write(key, value) {
  try {
    localStorage.setItem(key, JSON.stringify(value));
    return true;
  } catch {
    return false;
  }
}

export function remove(key) {
  try {
    localStorage.removeItem(key);
  } catch {
    // Storage turned off: nothing was kept.
  }
}

// The keys kept, [] when storage is turned off.
export function keys() {
  try {
    return Array.from({ length: localStorage.length }, (_, i) => localStorage.key(i));
  } catch {
    return [];
  }
}

// {id: value} of the settings page's boxes, or null.
export const keptSettings = () => read(SETTINGS_KEY);
export const keepSettings = (settings) => write(SETTINGS_KEY, settings);

export const toBase64Url = (bytes) => {
  let binary = '';
  for (let at = 0; at < bytes.length; at += 0x8000) {
    binary += String.fromCharCode.apply(null, bytes.subarray(at, at + 0x8000));
  }
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
};

// Throws on what is not base64url.
export function fromBase64Url(text) {
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

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
  remove(PICTURE_KEY); // no older picture comes back instead
  return picture === null;
}
