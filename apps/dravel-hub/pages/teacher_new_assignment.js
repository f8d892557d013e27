// The teacher's 布置作业 pane: a title, one or more reference scripts (typed,
// pasted or read from .dvg files), a deadline, whether pupils may hand in
// again and see their score; sent as one new assignment.
import { $, say } from './dom.js';
import { hubJson } from './hub_api.js';
import { deadlineSeconds } from './hub_words.js';
import { ReferenceList } from './teacher_references.js';

export class NewAssignment {
  // `desk`: the teacher's page's state; `made(id)`: what follows a new assignment.
  constructor(desk, made) {
    this.desk = desk;
    this.made = made;
    this.form = $('pane-new');
    this.line = this.form.querySelector('.message');
    this.references = new ReferenceList($('references'), (text, kind) => say(this.line, text, kind));
    $('add-reference').addEventListener('click', () => this.references.add().focus());
    $('read-dvg').addEventListener('click', () => $('dvg-files').click());
    $('dvg-files').addEventListener('change', (event) => {
      const files = [...event.target.files];
      event.target.value = '';
      this.references.read(files);
    });
    this.form.addEventListener('submit', (event) => {
      event.preventDefault();
      this.send();
    });
  }

  async send() {
    const title = $('assignment-title').value.trim();
    const references = this.references.scripts();
    const deadlineBox = $('assignment-deadline');
    const deadline = deadlineBox.validity.badInput ? NaN : deadlineSeconds(deadlineBox.value);
    if (title === '') return say(this.line, '请填写作业标题。');
    if (references.length === 0) return say(this.line, '请至少写一个参考程序。');
    if (Number.isNaN(deadline)) return say(this.line, '截止时间没有填完整（要有日期和时间）。');
    if (deadline !== null && deadline <= Date.now() / 1000) return say(this.line, '截止时间已经过了，请重新选择。');
    const assignment = { title, references, resubmit: $('assignment-resubmit').checked,
      show_score: $('assignment-show-score').checked };
    if (deadline !== null) assignment.deadline = deadline;
    const button = this.form.querySelector('[type=submit]');
    button.disabled = true;
    try {
      const { id } = await hubJson(`/api/classes/${this.desk.chosen.id}/assignments`, { method: 'POST', json: assignment });
      this.form.reset();
      this.references.fill([]);
      say(this.line, `已布置“${title}”。`, 'done');
      await this.made(id);
    } catch (error) {
      this.desk.failed(error, this.line);
    } finally {
      button.disabled = false;
    }
  }
}
