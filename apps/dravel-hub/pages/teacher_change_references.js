// The change of an assignment's reference scripts, in a dialog over the
// hand-ins: the hub grades every hand-in again against the new ones.
import { $, say } from './dom.js';
import { hubJson } from './hub_api.js';
import { ReferenceList } from './teacher_references.js';

export class ChangeReferences {
  // `desk`: the teacher's page's state; `changed()`: what follows a change.
  constructor(desk, changed) {
    this.desk = desk;
    this.changed = changed;
    this.box = $('references-dialog');
    this.line = this.box.querySelector('.message');
    this.assignment = null;
    this.references = new ReferenceList($('changed-references'), (text, kind) => say(this.line, text, kind));
    $('change-add-reference').addEventListener('click', () => this.references.add().focus());
    $('change-read-dvg').addEventListener('click', () => $('change-dvg-files').click());
    $('change-dvg-files').addEventListener('change', (event) => {
      const files = [...event.target.files];
      event.target.value = '';
      this.references.read(files);
    });
    $('change-cancel').addEventListener('click', () => this.box.close());
    this.box.querySelector('form').addEventListener('submit', (event) => {
      event.preventDefault();
      this.save();
    });
  }

  // The dialog for `assignment`, its boxes holding the references the hub
  // listed with it (none when it lists none).
  show(assignment) {
    this.assignment = assignment;
    $('references-title').textContent = assignment.title;
    const scripts = Array.isArray(assignment.references) ?
      assignment.references.filter((script) => typeof script === 'string') : [];
    this.references.fill(scripts);
    say(this.line, scripts.length === 0 ? '请重新填写全部参考程序（原来的没有列出）。' : '', 'done');
    this.box.showModal();
  }

  async save() {
    const references = this.references.scripts();
    if (references.length === 0) return say(this.line, '请至少写一个参考程序。');
    const button = this.box.querySelector('[type=submit]');
    button.disabled = true;
    try {
      await hubJson(`/api/assignments/${this.assignment.id}/references`, { method: 'PUT', json: { references } });
      this.assignment.references = references;
      this.box.close();
      await this.changed();
      say($('class-message'), `“${this.assignment.title}”的参考程序已更新，正在重新评分。`, 'done');
    } catch (error) {
      this.desk.failed(error, this.line);
    } finally {
      button.disabled = false;
    }
  }
}
