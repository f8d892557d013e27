// The school administrator's part of the teacher's page: every teacher with
// how many classes they have, and a form handing a class to another
// teacher. Shown only to an administrator; the hub refuses anyone else.
import { $, element, say } from './dom.js';
import { hubJson } from './hub_api.js';

// The options of the hand-over form: each class named with its teacher, and
// every teacher. Plain data, so node tests it.
export function moveChoices(teachers, classes) {
  const names = new Map(teachers.map((teacher) => [teacher.id, teacher.name]));
  return {
    classes: classes.map((shown) => ({ value: String(shown.id), text: `${shown.name}（${names.get(shown.teacher_id) ?? '?'}）` })),
    teachers: teachers.map((teacher) => ({ value: String(teacher.id), text: teacher.name })),
  };
}

const options = (choices) => choices.map(({ value, text }) => element('option', { value, textContent: text }));

export class School {
  // `desk`: the teacher's page's state; `moved()`: what follows a hand-over.
  constructor(desk, moved) {
    this.desk = desk;
    this.line = $('move-class').querySelector('.message');
    $('move-class').addEventListener('submit', async (event) => {
      event.preventDefault();
      const button = $('move-class').querySelector('button');
      button.disabled = true;
      try {
        await this.move(moved);
      } finally {
        button.disabled = false;
      }
    });
  }

  async load() {
    const [teachers, classes] = await Promise.all([hubJson('/api/admin/teachers'), hubJson('/api/admin/classes')]);
    $('teacher-list').replaceChildren(...teachers.map((teacher) => element('li', {},
      teacher.name,
      teacher.admin ? element('span', { className: 'admin', textContent: '管理员' }) : null,
      element('span', { className: 'count', textContent: `${teacher.classes} 个班级` }))));
    const choices = moveChoices(teachers, classes);
    $('move-which').replaceChildren(...options(choices.classes));
    $('move-to').replaceChildren(...options(choices.teachers));
    $('school').hidden = false;
  }

  async move(moved) {
    const which = $('move-which').selectedOptions[0];
    const to = $('move-to').selectedOptions[0];
    if (!which || !to) return say(this.line, '请选择班级和老师。');
    try {
      await hubJson(`/api/admin/classes/${which.value}/teacher`, { method: 'POST', json: { teacher_id: Number(to.value) } });
      say(this.line, `已把${which.textContent}交给${to.textContent}。`, 'done');
      await Promise.all([this.load(), moved()]);
    } catch (error) {
      this.desk.failed(error, this.line);
    }
  }
}
