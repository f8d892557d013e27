// Share links: the script in the page's address,
//
//   #code=BASE64URL
//
// BASE64URL is the script's UTF-8 bytes (LF line ends), compressed as raw
// deflate (RFC 1951, no zlib header) and written in base64url (RFC 4648 §5)
// without padding. Later versions must go on reading this form.
//
// A link is read as a stream and given up as soon as its script passes the
// page's cap, so a small link that inflates to a gigabyte costs no more than
// one at the cap; a link longer than browsers carry is refused unread.
import { Inflate, deflateRaw } from 'pako';

import { ask } from './files.js';
import { fromBase64Url, toBase64Url } from './keep.js';
import { LONGEST_ADDRESS, LONGEST_SCRIPT_BYTES } from './limits.js';
import { texts } from './texts.js';

const SHARE_PREFIX = '#code=';
const INFLATED_CHUNK = 64 * 1024;

const pageAddress = () => location.href.replace(/#.*$/, '');

class TooLong extends Error {}

// The page's address carrying `text`, or null when it is too long for a link.
export function shareLink(text) {
  const bytes = new TextEncoder().encode(text);
  if (bytes.length > LONGEST_SCRIPT_BYTES) return null;
  const link = pageAddress() + SHARE_PREFIX + toBase64Url(deflateRaw(bytes));
  return link.length > LONGEST_ADDRESS ? null : link;
}

// What `address` carries: null for no script, else {text} or {refused: the
// hint box's message}.
export function sharedScript(address = location.href) {
  const hash = address.indexOf('#');
  if (hash < 0 || !address.startsWith(SHARE_PREFIX, hash)) return null;
  if (address.length > LONGEST_ADDRESS) return { refused: texts.sharedScriptTooLong };
  try {
    const chunks = [];
    let size = 0;
    const inflate = new Inflate({ raw: true, chunkSize: INFLATED_CHUNK });
    inflate.onData = (chunk) => {
      size += chunk.length;
      if (size > LONGEST_SCRIPT_BYTES) throw new TooLong();
      chunks.push(chunk);
    };
    inflate.push(fromBase64Url(address.slice(hash + SHARE_PREFIX.length)), true);
    // The inflater stops when its output fills up just as the input ends; the
    // rest comes without more input, and a link cut short gives none.
    for (let before = -1; !inflate.ended && inflate.err === 0 && size !== before;) {
      before = size;
      inflate.push(new Uint8Array(0), true);
    }
    if (!inflate.ended || inflate.err !== 0) return { refused: texts.sharedScriptBroken };
    const bytes = new Uint8Array(size);
    chunks.reduce((at, chunk) => (bytes.set(chunk, at), at + chunk.length), 0);
    return { text: new TextDecoder('utf-8', { fatal: true }).decode(bytes) };
  } catch (error) {
    return { refused: error instanceof TooLong ? texts.sharedScriptTooLong : texts.sharedScriptBroken };
  }
}

export const carriesSharedScript = () => location.hash.startsWith(SHARE_PREFIX);

let linkShown = false;

// 分享: the link copied, and in the address until the script changes (so a
// reload never offers an older script than the one typed); a script too long
// for a link is offered to 保存源码 instead. `files`: SourceFiles.
export async function share(page, files) {
  const link = shareLink(page.editor.text());
  if (link === null) {
    if ((await ask(texts.shareTooLong, false)) === 'yes') await files.save();
    return;
  }
  history.replaceState(null, '', link);
  linkShown = true;
  try {
    await navigator.clipboard.writeText(link);
    page.hint.append(texts.shareCopied);
  } catch {
    page.hint.append(texts.shareNotCopied);
  }
}

function forgetLink() {
  history.replaceState(null, '', pageAddress());
  linkShown = false;
}

// The script changed since it was shared: the address drops the old link
// (after the keystroke, since a browser takes a while over a long address).
export function scriptChanged() {
  if (!linkShown) return;
  linkShown = false;
  setTimeout(forgetLink);
}

// The script a share link carries replaces the editor's, after asking when
// typed work not yet saved would go (whatever it replaces goes to the recent
// scripts), storage or none. The address loses the link at once, so a reload
// shows the work as it is then, never the link's script again: in a task of
// its own, since a browser takes a while over a long address.
export async function openShared(page, files) {
  const shared = sharedScript();
  if (shared === null) return;
  setTimeout(forgetLink);
  if (shared.refused) {
    page.hint.append(shared.refused);
    return;
  }
  const current = page.editor.text();
  if (shared.text === current) return;
  const typed = page.changed && current.trim() !== '';
  if (typed && (await ask(texts.sharedScriptReplaces, false)) !== 'yes') return;
  files.replace(shared.text, '', true);
  page.hint.append(texts.sharedScriptOpened);
}
