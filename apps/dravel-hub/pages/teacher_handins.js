// The teacher's 作业与成绩 pane: the class's assignments to choose from and,
// for the one chosen, every pupil's latest hand-in (state, score, late mark,
// look-alike group, picture and overlay), who has not handed in, and the
// links to its report and its wall; its references can be changed
// (teacher_change_references.js). Refreshed by hand and every 15 s while
// shown.
import { $, element, onClick, say } from './dom.js';
import { hubJson } from './hub_api.js';
import { copiesText, deadlineText, scoreText, stateWord } from './hub_words.js';
import { ChangeReferences } from './teacher_change_references.js';

const REFRESH_MS = 15000;

export class Handins {
  // `desk`: the teacher's page's state (its chosen class, failed()).
  constructor(desk) {
    this.desk = desk;
    this.chosenClass = null;
    this.assignments = [];
    this.line = $('class-message');
    $('assignment-choice').addEventListener('change', () => this.showHandins().catch((error) => this.failed(error)));
    onClick($('refresh-handins'), () => this.showHandins().catch((error) => this.failed(error)));
    const changes = new ChangeReferences(desk, () => this.showHandins().catch((error) => this.failed(error)));
    $('change-references').addEventListener('click', () => changes.show(this.assignment()));
    setInterval(() => {
      if (this.assignment() && !$('pane-handins').hidden && !document.hidden) this.showHandins().catch(() => {});
    }, REFRESH_MS);
  }

  failed(error) {
    this.desk.failed(error, this.line);
  }

  assignment() {
    return this.assignments.find((shown) => String(shown.id) === $('assignment-choice').value) ?? null;
  }

  // The class's assignments, choosing `assignmentId` (else the one chosen
  // before, else the newest).
  async load(chosenClass, assignmentId) {
    const keep = chosenClass === this.chosenClass ? $('assignment-choice').value : '';
    this.chosenClass = chosenClass;
    try {
      this.assignments = await hubJson(`/api/classes/${chosenClass.id}/assignments`);
    } catch (error) {
      this.assignments = [];
      this.failed(error);
    }
    const choice = $('assignment-choice');
    choice.replaceChildren(...[...this.assignments].reverse().map((shown) =>
      element('option', { value: String(shown.id), textContent: shown.title })));
    const wanted = String(assignmentId ?? keep);
    if (this.assignments.some((shown) => String(shown.id) === wanted)) choice.value = wanted;
    await this.showHandins().catch((error) => this.failed(error));
  }

  async showHandins() {
    const assignment = this.assignment();
    for (const id of ['assignment-choice', 'refresh-handins', 'change-references', 'report-link',
      'assignment-wall-link']) {
      $(id).hidden = assignment === null;
    }
    const body = $('handins').querySelector('tbody');
    if (assignment === null) {
      $('assignment-facts').textContent = '这个班级还没有作业，请在“布置作业”里布置。';
      $('waiting').textContent = '';
      body.replaceChildren();
      return;
    }
    $('assignment-facts').textContent = [deadlineText(assignment.deadline),
      assignment.resubmit ? '可重新提交' : '只能交一次', assignment.show_score ? '学生看得到分数' : '学生看不到分数'].join(' · ');
    $('report-link').href = `/api/assignments/${assignment.id}/report.html`;
    $('assignment-wall-link').href = `/wall/${this.chosenClass.id}?assignment=${assignment.id}`;
    const rows = await hubJson(`/api/assignments/${assignment.id}/handins`);
    if (assignment !== this.assignment()) return; // another chosen meanwhile
    body.replaceChildren(...rows.map(handinRow));
    const missing = rows.filter((row) => row.handin_id == null);
    $('waiting').textContent = rows.length === 0 ? '这个班级还没有学生，请在“学生名单”里导入。'
      : missing.length === 0 ? `全班 ${rows.length} 人都交了。`
        : `还没交（${missing.length}/${rows.length} 人）：` + missing.map((row) => `${row.number} ${row.name}`).join('、');
    say(this.line, '');
  }
}

function handinRow(row) {
  const cell = (text, className = '') => element('td', { textContent: text, className });
  if (row.handin_id == null) {
    return element('tr', { className: 'missing' }, cell(row.number), cell(row.name), cell(stateWord(null), 'state'),
      cell(''), cell(''), cell(''), cell(''));
  }
  const picture = `/api/handins/${row.handin_id}/picture.png`;
  const work = element('td', { className: 'work' },
    element('a', { href: picture, target: '_blank' },
      element('img', { src: picture, alt: `${row.name}的作品`, loading: 'lazy', width: 128, height: 73 })),
    element('a', { href: `/api/handins/${row.handin_id}/overlay.png`, target: '_blank', textContent: '对照图' }));
  return element('tr', { className: row.state },
    cell(row.number), cell(row.name), cell(stateWord(row.state), 'state'), cell(scoreText(row.score)),
    cell(row.late ? '迟交' : '', row.late ? 'late' : ''), cell(copiesText(row.copies), copiesText(row.copies) === '' ? '' : 'copies'),
    work);
}
