// The learner's two windows: F2 chooses among the example scripts, each with
// a picture of what it draws (run by the module, as the desktop's chooser
// shows them), and F1 shows the command reference made from the module's
// command rows, then the page's keys.
import examples from 'dravel:examples';

import { exampleOf } from './example_text.js';
import { toLf } from './gbk_text.js';
import { KEYS, keyLabel } from './keys.js';
import { texts } from './texts.js';
import { Abandoned } from './workers.js';

// F2's pictures: the canvas at a quarter. F1's: room for a crop shown up to
// three times larger, so that a turn or a text reads.
const THUMBNAIL = { width: 183, height: 105 };
const REFERENCE_PICTURE = { width: 366, height: 210 };

function element(tag, properties = {}, ...children) {
  const made = Object.assign(document.createElement(tag), properties);
  made.append(...children);
  return made;
}

// The examples' files in name order, {name, gbk}; the module reads them.
const exampleFiles = examples.map(({ name, gbk }) => ({ name, gbk: Uint8Array.from(atob(gbk), (c) => c.charCodeAt(0)) }));

// A picture the module drew, into `canvas`: a whole canvas scaled to fill
// it, or a crop (F1's) at its ratio in the middle; none leaves it blank.
function showPicture(canvas, picture, cropped = false) {
  if (!picture) return;
  const { pixels, width, height, ratio } = picture;
  const full = element('canvas', { width, height });
  full.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(pixels), width, height), 0, 0);
  const context = canvas.getContext('2d');
  context.imageSmoothingQuality = 'high';
  if (!cropped) {
    context.drawImage(full, 0, 0, canvas.width, canvas.height);
    return;
  }
  const [red, green, blue] = new Uint8Array(pixels, 0, 3); // the background, round the crop
  context.fillStyle = `rgb(${red}, ${green}, ${blue})`;
  context.fillRect(0, 0, canvas.width, canvas.height);
  const [shownWidth, shownHeight] = [width * ratio, height * ratio];
  context.drawImage(full, (canvas.width - shownWidth) / 2, (canvas.height - shownHeight) / 2, shownWidth, shownHeight);
}

function dialog(id, title) {
  const box = element('dialog', { id, className: 'learning' });
  const close = element('button', { type: 'button', className: 'close', textContent: texts.close });
  close.addEventListener('click', () => box.close());
  box.append(element('header', {}, element('h2', { textContent: title }), close), element('div', { className: 'body' }));
  document.body.append(box);
  return box;
}

export class ExampleChooser {
  // `ask(type, fields)`: a question to the module; `open(name, text)`: what a choice does.
  constructor(ask, open) {
    this.ask = ask;
    this.box = dialog('examples', texts.examplesTitle);
    const list = this.box.querySelector('.body');
    this.scripts = null;
    this.choices = exampleFiles.map((example, index) => {
      const picture = element('canvas', { ...THUMBNAIL });
      const teaches = element('span', { className: 'teaches' });
      const choice = element('button', { type: 'button', className: 'example' },
                             picture, element('span', { className: 'name', textContent: example.name }), teaches);
      choice.addEventListener('click', () => {
        this.box.close();
        this.read().then((scripts) => open(example.name, scripts[index].text), (error) => {
          if (!(error instanceof Abandoned)) throw error;
        });
      });
      list.append(choice);
      return { choice, picture, teaches };
    });
    this.drawn = null;
  }

  // The examples' scripts, read by the module once.
  read() {
    this.scripts ??= Promise.all(exampleFiles.map(({ name, gbk }) =>
      this.ask('decode', { bytes: gbk }).then(({ text }) => exampleOf(name, toLf(text))))).catch((error) => {
      this.scripts = null;
      throw error;
    });
    return this.scripts;
  }

  show() {
    this.box.showModal();
    // A stop during the drawing ends the worker asked: the next showing tries again.
    this.drawn ??= this.draw().catch(() => {
      this.drawn = null;
    });
  }

  // One after another, so the first pictures come soon.
  async draw() {
    const scripts = await this.read();
    for (const [index, { teaches }] of scripts.entries()) {
      this.choices[index].choice.title = teaches;
      this.choices[index].teaches.textContent = teaches;
    }
    for (const [index, example] of scripts.entries()) {
      const { picture } = await this.ask('picture', { text: example.text });
      showPicture(this.choices[index].picture, picture);
    }
  }
}

export class CommandReference {
  // `commands`: the module's rows, {keyword, alias, syntax, meaning, example};
  // `ask(type, fields)`: a question to the module, for each example's picture.
  constructor(commands, ask) {
    this.ask = ask;
    this.commands = commands;
    this.box = dialog('reference', texts.referenceTitle);
    const head = element('tr', {}, ...texts.referenceColumns.map((name) => element('th', { textContent: name })));
    this.pictures = commands.map(() => element('canvas', { ...REFERENCE_PICTURE }));
    const rows = commands.map((row, index) => element('tr', {},
      ...[row.keyword, row.alias, row.syntax, row.meaning].map((text) => element('td', { textContent: text })),
      element('td', {}, element('code', { textContent: row.example }), this.pictures[index])));
    const keys = KEYS.map((row) => element('tr', {},
      element('td', {}, element('kbd', { textContent: keyLabel(row) })), element('td', { textContent: row.does })));
    this.box.querySelector('.body').append(
      element('table', { className: 'commands' }, element('thead', {}, head), element('tbody', {}, ...rows)),
      element('h3', { textContent: texts.keysTitle }),
      element('table', { className: 'keys' }, element('tbody', {}, ...keys)));
    this.drawn = null;
  }

  show() {
    this.box.showModal();
    // A stop during the drawing ends the worker asked: the next showing tries again.
    this.drawn ??= this.draw().catch(() => {
      this.drawn = null;
    });
  }

  // The picture each example line draws, as the desktop's reference shows it
  // (in its scene, cropped); a row that draws nothing has none.
  async draw() {
    for (const [index, canvas] of this.pictures.entries()) {
      const { picture } = await this.ask('commandPicture', { index, width: canvas.width, height: canvas.height });
      if (picture) showPicture(canvas, picture, true);
      else canvas.remove();
    }
  }
}
