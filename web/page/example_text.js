// What an example script teaches: its first line's comment, as the desktop's
// chooser shows it. F2 (learning.js) and the guide (web/guide.mjs) both read
// the examples through this.
const COMMENT_START = ' //';

// `text` with LF line ends: {name, text, teaches}.
export function exampleOf(name, text) {
  const end = text.indexOf('\n');
  const first = end < 0 ? text : text.slice(0, end);
  return { name, text, teaches: first.startsWith(COMMENT_START) ? first.slice(COMMENT_START.length) : '' };
}
