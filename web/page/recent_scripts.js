// The recent scripts: the last ten texts the editor held before something
// replaced them (a share link, an example, 新建, an open, another reopened
// here) and the scripts of tabs closed long ago, each with its time, kept in
// localStorage for every tab; the menu "最近的脚本" opens one again. While
// the browser keeps nothing (storage turned off, or full), the page keeps
// them itself until it closes.
import { read, write } from './keep.js';
import { texts } from './texts.js';

const RECENT_KEY = 'dravel.recent';
const RECENT_COUNT = 10;
const SHOWN_LINE = 40; // characters of an entry's first line

let notKept = []; // remembered while the browser would keep none of them

const newestFirst = (a, b) => b.time - a.time;

// [{text, name, time}], newest first.
export function recentScripts() {
  const kept = read(RECENT_KEY);
  const all = [...notKept, ...(Array.isArray(kept) ? kept : [])].sort(newestFirst);
  return all.filter((entry, i) => all.findIndex((other) => other.text === entry.text) === i).slice(0, RECENT_COUNT);
}

// Takes `text` into the list (a blank one is nothing to keep); the same text
// again moves up.
export function remember({ text, name = '' }, time = Date.now()) {
  if (text.trim() === '') return;
  const list = [{ text, name, time }, ...recentScripts().filter((entry) => entry.text !== text)]
    .sort(newestFirst).slice(0, RECENT_COUNT);
  notKept = [];
  // A storage near full keeps the newest that fit.
  for (let count = list.length; count > 0; --count) {
    if (write(RECENT_KEY, list.slice(0, count))) return;
  }
  notKept = list;
}

// Drops the oldest kept entry, for a tab's own script that would not fit;
// false when there is none left.
export function makeRoom() {
  const kept = read(RECENT_KEY);
  if (!Array.isArray(kept) || kept.length === 0) return false;
  write(RECENT_KEY, kept.sort(newestFirst).slice(0, -1));
  return true;
}

const twoDigits = (n) => String(n).padStart(2, '0');

export function shownTime(time) {
  const at = new Date(time);
  return `${at.getMonth() + 1}月${at.getDate()}日 ${twoDigits(at.getHours())}:${twoDigits(at.getMinutes())}`;
}

function firstLine(text) {
  const line = text.split('\n').find((one) => one.trim() !== '') ?? '';
  return line.length > SHOWN_LINE ? line.slice(0, SHOWN_LINE) + '…' : line;
}

function element(tag, properties = {}, ...children) {
  const made = Object.assign(document.createElement(tag), properties);
  made.append(...children);
  return made;
}

// The menu entry (a button in the page's toolbar) and its list.
export class RecentMenu {
  // `open(entry)`: what choosing an entry does.
  constructor(open) {
    this.open = open;
    this.button = element('button', { type: 'button', id: 'recent-button', textContent: texts.recentTitle });
    this.button.addEventListener('click', () => this.show());
    document.getElementById('toolbar').append(this.button);
    const close = element('button', { type: 'button', className: 'close', textContent: texts.close });
    this.list = element('div', { className: 'body' });
    this.box = element('dialog', { id: 'recent-scripts', className: 'learning' },
                       element('header', {}, element('h2', { textContent: texts.recentTitle }), close), this.list);
    close.addEventListener('click', () => this.box.close());
    document.body.append(this.box);
  }

  show() {
    const entries = recentScripts();
    this.list.replaceChildren(...entries.map((entry) => {
      const choice = element('button', { type: 'button', className: 'recent-script', title: entry.text.slice(0, 400) },
                             element('span', { className: 'time', textContent: shownTime(entry.time) }),
                             element('span', { className: 'first-line', textContent: firstLine(entry.text) }),
                             element('span', { className: 'name', textContent: entry.name }));
      choice.addEventListener('click', () => {
        this.box.close();
        this.open(entry);
      });
      return choice;
    }));
    if (entries.length === 0) this.list.append(element('p', { textContent: texts.recentNone }));
    this.box.showModal();
  }
}
