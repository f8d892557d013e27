// The page's side of its texts beside GBK: line ends and the run count box.
// Every GBK byte is the module's to read and write (web/src/page_codec.cpp,
// asked through worker.js), so a file opened and saved on the page keeps
// every byte the desktop keeps.

export const toLf = (text) => text.replace(/\r\n?/g, '\n');

// The run count box's value as the desktop box reads it back.
export function leadingInteger(text) {
  const match = /^\s*([+-]?)(\d*)/.exec(text);
  const magnitude = match[2] === '' ? 0 : Number(match[2].slice(0, 12));
  const value = match[1] === '-' ? -magnitude : magnitude;
  return Math.max(-2147483648, Math.min(2147483647, value)) || 0;
}
