// The teacher's 学生名单 pane: a roster pasted (学号,姓名 per line) or chosen
// as a .csv or .xlsx file goes to the hub as it is; the pupils it made are
// listed with their personal codes (the printable cards carry them too), as
// is the class's roster whenever the class is chosen.
import { $, element, onClick, say } from './dom.js';
import { hubJson } from './hub_api.js';

const XLSX = 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet';

// The Content-Type a roster file goes with, or null for one the hub does not read.
export function rosterType(fileName) {
  if (/\.xlsx$/i.test(fileName)) return XLSX;
  if (/\.csv$/i.test(fileName)) return 'text/csv';
  return null;
}

export class Roster {
  // `desk`: the teacher's page's state; `imported()`: what follows an import.
  constructor(desk, imported) {
    this.desk = desk;
    this.imported = imported;
    this.line = $('pane-roster').querySelector('.message');
    onClick($('roster-send'), () => {
      const text = $('roster-text').value;
      if (text.trim() === '') return say(this.line, '请先粘贴名单：每行“学号,姓名”。');
      return this.send(text, 'text/csv; charset=utf-8', () => { $('roster-text').value = ''; });
    });
    $('roster-file-button').addEventListener('click', () => $('roster-file').click());
    $('roster-file').addEventListener('change', (event) => {
      const file = event.target.files[0];
      event.target.value = '';
      if (file === undefined) return;
      const type = rosterType(file.name);
      if (type === null) return say(this.line, `“${file.name}”不是 .csv 或 .xlsx 文件。`);
      this.send(file, type);
    });
  }

  // The chosen class's pupils as the hub has them.
  async load() {
    try {
      const { pupils } = await hubJson(`/api/classes/${this.desk.chosen.id}/pupils`);
      this.show(pupils);
    } catch (error) {
      this.show([]);
      this.desk.failed(error, this.line);
    }
  }

  show(pupils) {
    $('roster').querySelector('tbody').replaceChildren(...pupils.map((pupil) => element('tr', {},
      ...[pupil.number, pupil.name, pupil.code].map((text) => element('td', { textContent: text })))));
  }

  async send(body, type, sent = () => {}) {
    say(this.line, '正在导入…', 'done');
    try {
      const { pupils } = await hubJson(`/api/classes/${this.desk.chosen.id}/roster`, { method: 'POST', body, type });
      sent();
      this.show(pupils);
      say(this.line, `导入了 ${pupils.length} 个学生。可以点上面的“打印登录卡片”发给学生。`, 'done');
      await this.imported();
    } catch (error) {
      this.desk.failed(error, this.line);
    }
  }
}
