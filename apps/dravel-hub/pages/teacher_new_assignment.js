// The teacher's 布置作业 pane: a title, one or more reference scripts (typed,
// pasted or read from .dvg files), a deadline, whether pupils may hand in
// again and see their score; sent as one new assignment.
import { $, element, say } from './dom.js';
import { dvgText } from './dvg_text.js';
import { hubJson } from './hub_api.js';
import { deadlineSeconds } from './hub_words.js';

const LARGEST_DVG_BYTES = 1 << 20;

export class NewAssignment {
  // `desk`: the teacher's page's state; `made(id)`: what follows a new assignment.
  constructor(desk, made) {
    this.desk = desk;
    this.made = made;
    this.form = $('pane-new');
    this.line = this.form.querySelector('.message');
    this.addReference();
    $('add-reference').addEventListener('click', () => this.addReference().focus());
    $('read-dvg').addEventListener('click', () => $('dvg-files').click());
    $('dvg-files').addEventListener('change', (event) => {
      const files = [...event.target.files];
      event.target.value = '';
      this.readFiles(files);
    });
    this.form.addEventListener('submit', (event) => {
      event.preventDefault();
      this.send();
    });
  }

  boxes() {
    return [...$('references').querySelectorAll('textarea')];
  }

  // A new reference box (with its 删除 button) holding `text`.
  addReference(text = '', name = '') {
    const box = element('textarea', { rows: 5, spellcheck: false, value: text,
      placeholder: '在这里输入或粘贴参考程序，例如：重复 5 【前进 100|左转 144】' });
    const remove = element('button', { type: 'button', textContent: '删除' });
    const item = element('div', { className: 'reference' },
      element('div', { className: 'reference-head' }, element('span', { className: 'name', textContent: name }), remove), box);
    remove.addEventListener('click', () => {
      item.remove();
      if (this.boxes().length === 0) this.addReference();
    });
    $('references').append(item);
    return box;
  }

  async readFiles(files) {
    for (const file of files) {
      if (file.size > LARGEST_DVG_BYTES) {
        say(this.line, `“${file.name}”太大，不像是 .dvg 程序文件。`);
        continue;
      }
      try {
        const text = await dvgText(new Uint8Array(await file.arrayBuffer()));
        const empty = this.boxes().find((box) => box.value.trim() === '');
        if (empty) {
          empty.value = text;
          empty.parentElement.querySelector('.name').textContent = file.name;
        } else {
          this.addReference(text, file.name);
        }
        say(this.line, `读入了“${file.name}”。`, 'done');
      } catch {
        say(this.line, `无法读入“${file.name}”。请用 Dravel 打开它，再把程序复制粘贴到这里。`);
      }
    }
  }

  async send() {
    const title = $('assignment-title').value.trim();
    const references = this.boxes().map((box) => box.value).filter((text) => text.trim() !== '');
    const deadlineBox = $('assignment-deadline');
    const deadline = deadlineBox.validity.badInput ? NaN : deadlineSeconds(deadlineBox.value);
    if (title === '') return say(this.line, '请填写作业标题。');
    if (references.length === 0) return say(this.line, '请至少写一个参考程序。');
    if (Number.isNaN(deadline)) return say(this.line, '截止时间没有填完整（要有日期和时间）。');
    const assignment = { title, references, resubmit: $('assignment-resubmit').checked,
      show_score: $('assignment-show-score').checked };
    if (deadline !== null) assignment.deadline = deadline;
    const button = this.form.querySelector('[type=submit]');
    button.disabled = true;
    try {
      const { id } = await hubJson(`/api/classes/${this.desk.chosen.id}/assignments`, { method: 'POST', json: assignment });
      this.form.reset();
      $('references').replaceChildren();
      this.addReference();
      say(this.line, `已布置“${title}”。`, 'done');
      await this.made(id);
    } catch (error) {
      this.desk.failed(error, this.line);
    } finally {
      button.disabled = false;
    }
  }
}
