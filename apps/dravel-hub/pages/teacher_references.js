// A list of reference-script boxes (typed, pasted or read from .dvg files),
// each with its 删除 button; the new assignment's form and the change of an
// assignment's references both use one.
import { element } from './dom.js';
import { dvgText } from './dvg_text.js';

const LARGEST_DVG_BYTES = 1 << 20;

export class ReferenceList {
  // `container`: where the boxes go; `say(text, kind)`: the form's message line.
  constructor(container, say) {
    this.container = container;
    this.say = say;
    this.fill([]);
  }

  boxes() {
    return [...this.container.querySelectorAll('textarea')];
  }

  // The scripts written, empty boxes left out.
  scripts() {
    return this.boxes().map((box) => box.value).filter((text) => text.trim() !== '');
  }

  // The boxes replaced by one per script (one empty box for none).
  fill(scripts) {
    this.container.replaceChildren();
    for (const script of scripts) this.add(script);
    if (scripts.length === 0) this.add();
  }

  // A new box holding `text`, headed by `name`.
  add(text = '', name = '') {
    const box = element('textarea', { rows: 5, spellcheck: false, value: text,
      placeholder: '在这里输入或粘贴参考程序，例如：重复 5 【前进 100|左转 144】' });
    const remove = element('button', { type: 'button', textContent: '删除' });
    const item = element('div', { className: 'reference' },
      element('div', { className: 'reference-head' }, element('span', { className: 'name', textContent: name }), remove), box);
    remove.addEventListener('click', () => {
      item.remove();
      if (this.boxes().length === 0) this.add();
    });
    this.container.append(item);
    return box;
  }

  // Each file's script into an empty box, else a new one.
  async read(files) {
    for (const file of files) {
      if (file.size > LARGEST_DVG_BYTES) {
        this.say(`“${file.name}”太大，不像是 .dvg 程序文件。`);
        continue;
      }
      try {
        const text = await dvgText(new Uint8Array(await file.arrayBuffer()));
        const empty = this.boxes().find((box) => box.value.trim() === '');
        if (empty) {
          empty.value = text;
          empty.parentElement.querySelector('.name').textContent = file.name;
        } else {
          this.add(text, file.name);
        }
        this.say(`读入了“${file.name}”。`, 'done');
      } catch {
        this.say(`无法读入“${file.name}”。请用 Dravel 打开它，再把程序复制粘贴到这里。`);
      }
    }
  }
}
