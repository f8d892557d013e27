// The hint box: bounded however much a run says, brought up to date at most
// once per display frame, and a click on a message that names a line.
import { toLf } from './gbk_text.js';

// A line ends at CR LF, a lone CR or a lone LF, as the module counts lines.
const LINE_BREAK = /\r\n|\r|\n/g;

function countLines(text, end) {
  let lines = 0;
  for (let at = text.indexOf('\n'); at >= 0 && at < end; at = text.indexOf('\n', at + 1)) ++lines;
  return lines;
}

const linesIn = (text) => (text.match(LINE_BREAK) ?? []).length;

// The tail as pieces, the module's and the page's own, so that the module's
// count of lines to drop counts its own lines only: the page's lines older
// than the last one dropped go with them, and are counted as left out too.
// Gives the lines of the page's own that went.
function dropModuleLines(pieces, lines) {
  let ownDropped = 0;
  while (lines > 0 && pieces.length > 0) {
    const piece = pieces[0];
    const count = linesIn(piece.text);
    if (piece.own) {
      ownDropped += count;
      pieces.shift();
    } else if (count <= lines) {
      lines -= count;
      pieces.shift();
    } else {
      LINE_BREAK.lastIndex = 0;
      for (let line = 0; line < lines; ++line) LINE_BREAK.exec(piece.text);
      piece.text = piece.text.slice(LINE_BREAK.lastIndex);
      LINE_BREAK.lastIndex = 0;
      lines = 0;
    }
  }
  return ownDropped;
}

// A run's hint is kept bounded by its worker (the module's BoundedHint: the
// first lines, the last lines, a line counting those left out between), which
// says what changed; the box follows. What the page says itself goes after.
export class Hint {
  // `box` is the textarea; `schedule` asks for show() at the next frame.
  constructor(box, schedule) {
    this.box = box;
    this.schedule = schedule;
    this.head = '';
    this.tail = []; // {text, own}: the module's text and the page's own
    this.headFull = false;
    this.marker = ''; // the line counting the lines left out, when some were
    this.leftOut = 0; // the module's count in it
    this.ownLeftOut = 0; // the page's own lines left out
    this.arrived = []; // changes since the last take, made once per display frame
    this.shown = true;
    // Laying out a long hint takes a while: a run that keeps talking gets the
    // box brought up to date less often, so it spends at most a tenth of its
    // time there. show(true) (the end of a run, a stop) does it at once.
    this.shownAt = 0;
    this.showCost = 0;
  }

  // A change as the worker says it: `replace` starts afresh, `head` and
  // `tail` are text for each, then `dropped` lines go from the tail's front;
  // `marker` (the line counting the lines left out) and `headFull` are the
  // hint's own.
  follow(change) {
    this.arrived.push(change);
    this.shown = false;
    this.schedule();
  }

  replace(text) {
    this.arrived = [];
    this.follow({ replace: true, head: text, tail: '', dropped: 0, marker: '', leftOut: 0, headFull: false });
  }

  // Before whatever the page said so far: the box's first line, which comes
  // from the module after the page may have said something.
  lead(text) {
    this.follow({ lead: text });
  }

  // Kept as said (CR LF); the box gets LF when it is shown.
  append(text) {
    this.follow({ own: text });
  }

  take() {
    for (const change of this.arrived) {
      if (change.lead !== undefined) {
        this.head = change.lead + this.head;
        continue;
      }
      if (change.own !== undefined) {
        if (this.headFull) this.addToTail(change.own, true);
        else this.head += change.own;
        continue;
      }
      if (change.replace) {
        this.head = '';
        this.tail = [];
        this.ownLeftOut = 0;
      }
      this.head += change.head;
      this.addToTail(change.tail, false);
      this.ownLeftOut += dropModuleLines(this.tail, change.dropped);
      this.marker = change.marker;
      this.leftOut = change.leftOut;
      this.headFull = change.headFull;
    }
    this.arrived = [];
  }

  addToTail(text, own) {
    if (text === '') return;
    const last = this.tail[this.tail.length - 1];
    if (last?.own === own) last.text += text;
    else this.tail.push({ text, own });
  }

  // The marker counts the page's own lines left out with the module's.
  text() {
    this.take();
    const marker = this.ownLeftOut > 0 && this.marker !== ''
      ? this.marker.replace(String(this.leftOut), String(this.leftOut + this.ownLeftOut)) : this.marker;
    return toLf(this.head + marker + this.tail.map((piece) => piece.text).join(''));
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
