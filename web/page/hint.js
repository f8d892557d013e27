// The hint box: bounded however much a run says, brought up to date at most
// once per display frame, and a click on a message that names a line.
import { texts } from './texts.js';
import { toLf } from './gbk_text.js';

// The first lines stay, past them only the last lines, behind one line that
// counts those left out. Smaller bounds than the desktop's MiB: a browser lays
// a text box out whole, and a MiB of text there takes seconds, a stop's
// message included.
const HINT_HEAD = 1 << 16;
const HINT_TAIL = 1 << 16;

function countLines(text, end) {
  let lines = 0;
  for (let at = text.indexOf('\n'); at >= 0 && at < end; at = text.indexOf('\n', at + 1)) ++lines;
  return lines;
}

export class Hint {
  // `box` is the textarea; `schedule` asks for show() at the next frame.
  constructor(box, schedule) {
    this.box = box;
    this.schedule = schedule;
    this.head = '';
    this.tail = '';
    this.headFull = false;
    this.leftOut = 0;
    this.arrived = []; // said since the last take, joined once per display frame
    this.shown = true;
    // Laying out a long hint takes a while: a run that keeps talking gets the
    // box brought up to date less often, so it spends at most a tenth of its
    // time there. show(true) (the end of a run, a stop) does it at once.
    this.shownAt = 0;
    this.showCost = 0;
  }

  replace(text) {
    this.head = '';
    this.tail = '';
    this.headFull = false;
    this.leftOut = 0;
    this.arrived = [];
    this.append(text);
  }

  // Kept as the worker says it (CR LF); the box gets LF when it is shown.
  append(text) {
    this.arrived.push(text);
    this.shown = false;
    this.schedule();
  }

  take() {
    if (this.arrived.length === 0) return;
    const text = this.arrived.join('');
    this.arrived = [];
    if (this.headFull) {
      this.tail += text;
    } else {
      this.head += text;
      if (this.head.length > HINT_HEAD) {
        const cut = this.head.lastIndexOf('\n', HINT_HEAD - 1) + 1 || HINT_HEAD;
        this.tail = this.head.slice(cut);
        this.head = this.head.slice(0, cut);
        this.headFull = true;
      }
    }
    if (this.tail.length > 2 * HINT_TAIL) {
      const cut = this.tail.indexOf('\n', this.tail.length - HINT_TAIL) + 1;
      if (cut > 0) {
        this.leftOut += countLines(this.tail, cut);
        this.tail = this.tail.slice(cut);
      }
    }
  }

  text() {
    this.take();
    return toLf(this.head + (this.leftOut > 0 ? texts.leftOut(this.leftOut) : '') + this.tail);
  }

  show(now = false) {
    this.take();
    if (this.shown) return;
    if (!now && performance.now() - this.shownAt < 10 * this.showCost) {
      this.schedule();
      return;
    }
    const start = performance.now();
    this.shown = true;
    this.box.value = this.text();
    this.box.scrollTop = this.box.scrollHeight; // lays the text out now, within the measure
    this.shownAt = performance.now();
    this.showCost = this.shownAt - start;
  }

  // The message under the caret of a click, or null when text was selected.
  clickedLine() {
    const box = this.box;
    if (box.selectionStart !== box.selectionEnd) return null;
    const start = box.value.lastIndexOf('\n', box.selectionStart - 1) + 1;
    const end = box.value.indexOf('\n', start);
    return { index: countLines(box.value, start), text: box.value.slice(start, end < 0 ? undefined : end) };
  }

  // The number (0-based) of the box's last line holding text: the message just shown.
  lastMessageIndex() {
    this.show(true);
    const lines = this.box.value.split('\n');
    let index = lines.length - 1;
    while (index > 0 && lines[index] === '') --index;
    return index;
  }
}
