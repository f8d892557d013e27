// The page's side of its texts beside GBK: line ends.
// Every GBK byte is the module's to read and write (web/src/page_codec.cpp,
// asked through worker.js), so a file opened and saved on the page keeps
// every byte the desktop keeps.

export const toLf = (text) => text.replace(/\r\n?/g, '\n');

