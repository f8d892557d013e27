// The 班级 panel, shown only where the page's own server is a class hub
// (GET /api/hub answers): a pupil logs in with the class's join code, 学号
// and personal code, sees the class's assignments, hands in the editor's
// script (as text: the hub stores it as GBK, and the module says first which
// character GBK cannot hold), and watches the hand-in's state until it is
// graded. Without a hub nothing of it exists, and the page is as it was.
import { HubError, hubJson, isHub } from '../../apps/dravel-hub/pages/hub_api.js';
import { deadlineText, handInChoice, isSettled, scoreText, stateWord } from '../../apps/dravel-hub/pages/hub_words.js';
import { ask } from './files.js';
import { texts } from './texts.js';

const POLL_MS = 2000;
const MOST_POLLS = 150; // five minutes; then the pupil asks again with 刷新
const JOIN_CODE_KEY = 'dravel-hub-join-code';

function element(tag, properties = {}, ...children) {
  const made = Object.assign(document.createElement(tag), properties);
  made.append(...children.filter((child) => child != null));
  return made;
}

function field(label, properties) {
  const input = element('input', { type: 'text', autocomplete: 'off', spellcheck: false, ...properties });
  return { input, row: element('label', { className: 'field' }, element('span', { textContent: label }), input) };
}

export class ClassPanel {
  // `page`: the page's state (its editor and ask(type, fields) of the module).
  constructor(page) {
    this.page = page;
    this.assignments = [];
    this.handins = new Map(); // assignment id -> {handin_id, state, score, late, last_message, polls}
    this.box = element('dialog', { id: 'class-panel' });
    this.message = element('p', { className: 'class-message', role: 'alert' });
    this.body = element('div', { className: 'body' });
    const close = element('button', { type: 'button', className: 'close', textContent: texts.close });
    close.addEventListener('click', () => this.box.close());
    this.box.append(element('header', {}, element('h2', { textContent: texts.classTitle }), close), this.body,
      this.message);
    document.body.append(this.box);
    this.button = element('button', { type: 'button', id: 'class-button', textContent: texts.classButton });
    this.button.addEventListener('click', () => this.toggle());
    document.getElementById('toolbar').append(this.button);
  }

  say(text, kind = 'error') {
    this.message.textContent = text;
    this.message.className = 'class-message' + (text ? ' ' + kind : '');
  }

  toggle() {
    if (this.box.open) {
      this.box.close();
      return;
    }
    this.box.show();
    this.showClass();
  }

  // The class's view when the pupil's session holds, else the login.
  async showClass() {
    try {
      const me = await hubJson('/api/pupil/me');
      // The newest first: the one the teacher just set.
      this.assignments = (await hubJson('/api/pupil/assignments')).sort((a, b) => b.id - a.id);
      this.drawClass(me);
    } catch (error) {
      this.failed(error);
    }
  }

  // A 401 is a session that ended: the login again.
  failed(error) {
    if (error instanceof HubError && error.status === 401) {
      this.handins.clear();
      this.drawLogin();
    } else {
      this.say(error.message);
    }
  }

  drawLogin(message = '') {
    const joinCode = field(texts.classJoinCode, { value: localStorage.getItem(JOIN_CODE_KEY) ?? '',
      autocapitalize: 'characters', maxLength: 32 });
    const number = field(texts.classNumber, { maxLength: 32 });
    const code = field(texts.classCode, { type: 'password', maxLength: 32 });
    const show = element('input', { type: 'checkbox' });
    show.addEventListener('change', () => { code.input.type = show.checked ? 'text' : 'password'; });
    code.row.append(element('label', { className: 'show' }, show, texts.classShowCode));
    const login = element('button', { type: 'submit', className: 'primary', textContent: texts.classLogin });
    const form = element('form', { className: 'class-login' }, joinCode.row, number.row, code.row,
      element('p', { className: 'help', textContent: texts.classLoginHelp }), login);
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      this.logIn(joinCode.input.value.trim().toUpperCase(), number.input.value.trim(), code.input.value.trim(), login);
    });
    this.body.replaceChildren(form);
    this.say(message);
    (joinCode.input.value === '' ? joinCode.input : number.input).focus();
  }

  async logIn(joinCode, number, code, button) {
    if (joinCode === '' || number === '' || code === '') return this.say(texts.classLoginMissing);
    button.disabled = true;
    try {
      await hubJson('/api/pupil/login', { method: 'POST', json: { join_code: joinCode, number, code } });
      localStorage.setItem(JOIN_CODE_KEY, joinCode);
      this.say('');
      await this.showClass();
    } catch (error) {
      const said = { 401: texts.classLoginWrong, 403: texts.classLoginClosed }[error.status];
      this.say(said ?? error.message);
    } finally {
      button.disabled = false;
    }
  }

  async logOut() {
    await hubJson('/api/pupil/logout', { method: 'POST' }).catch(() => {});
    this.handins.clear();
    this.drawLogin();
  }

  drawClass(me) {
    const logOut = element('button', { type: 'button', textContent: texts.classLogout });
    logOut.addEventListener('click', () => this.logOut());
    const refresh = element('button', { type: 'button', textContent: texts.classRefresh });
    refresh.addEventListener('click', () => this.showClass());
    this.list = element('ul', { className: 'assignments' });
    this.body.replaceChildren(element('div', { className: 'who' },
      element('span', { textContent: texts.classWho(me.name, me.number, me.class) }), refresh, logOut), this.list);
    this.drawAssignments();
  }

  drawAssignments() {
    if (this.assignments.length === 0) {
      this.list.replaceChildren(element('li', { className: 'none', textContent: texts.classNone }));
      return;
    }
    this.list.replaceChildren(...this.assignments.map((assignment) => this.assignmentItem(assignment)));
  }

  assignmentItem(assignment) {
    const handin = this.handins.get(assignment.id);
    const state = handin ? stateWord(handin.state) : assignment.handed_in ? texts.classHandedIn : texts.classNotHandedIn;
    const score = assignment.show_score ? scoreText(handin?.score ?? assignment.score) : '';
    const choice = handInChoice(assignment);
    const button = element('button', { type: 'button', className: 'primary', textContent: choice.label,
      disabled: !choice.allowed || (handin != null && !isSettled(handin.state)) });
    button.addEventListener('click', () => this.handIn(assignment, button));
    const graded = handin?.state === 'graded' && assignment.show_score;
    return element('li', { className: 'assignment ' + (handin?.state ?? (assignment.handed_in ? 'handed-in' : 'missing')) },
      element('div', { className: 'title', textContent: assignment.title }),
      element('div', { className: 'deadline', textContent: deadlineText(assignment.deadline) }),
      element('div', { className: 'state' }, element('span', { textContent: state }),
        score ? element('strong', { textContent: ' ' + score }) : null, handin?.late ? ' （迟交）' : null),
      handin?.last_message ? element('p', { className: 'said', textContent: handin.last_message }) : null,
      graded ? element('img', { className: 'overlay', alt: texts.classOverlay, title: texts.classOverlay,
        src: `/api/handins/${handin.handin_id}/overlay.png` }) : null,
      element('div', { className: 'hand-in' }, button,
        choice.why ? element('span', { className: 'why', textContent: choice.why }) : null));
  }

  // The editor's script handed in for `assignment`, once the module has
  // found nothing in it GBK cannot hold.
  async handIn(assignment, button) {
    const script = this.page.editor.text();
    if (script.trim() === '') return this.say(texts.classEmptyScript);
    const lost = await this.page.ask('encode', { text: script }).then(({ lost: found }) => found, () => null);
    if (lost !== null) return this.say(texts.classUnsavable(lost.line, lost.character));
    if (assignment.handed_in && (await ask(texts.classHandInAgain, false)) !== 'yes') return;
    button.disabled = true;
    this.say(texts.classSending, 'done');
    try {
      const { handin_id: handinId, state } = await hubJson(`/api/assignments/${assignment.id}/handins`,
        { method: 'POST', json: { script } });
      this.handins.set(assignment.id, { handin_id: handinId, state, score: null, late: false, last_message: '', polls: 0 });
      assignment.handed_in = true;
      this.say(texts.classSent(assignment.title), 'done');
      this.drawAssignments();
      this.poll(assignment.id, handinId);
    } catch (error) {
      button.disabled = false;
      this.failed(error);
    }
  }

  // The hand-in's state every two seconds until it is graded or failed (or
  // replaced by a newer hand-in, or the pupil logged out).
  poll(assignmentId, handinId) {
    setTimeout(async () => {
      const handin = this.handins.get(assignmentId);
      if (handin?.handin_id !== handinId) return;
      try {
        Object.assign(handin, await hubJson(`/api/handins/${handinId}`));
        if (this.message.textContent === texts.classPollLost) this.say('');
      } catch (error) {
        if (error.status === 401) return this.failed(error);
        this.say(error.status === 0 ? texts.classPollLost : error.message);
      }
      if (isSettled(handin.state)) {
        this.say('');
        await this.showClass();
      } else if (++handin.polls >= MOST_POLLS) {
        this.say(texts.classSlow, 'done');
      } else {
        this.drawAssignments();
        this.poll(assignmentId, handinId);
      }
    }, POLL_MS);
  }
}

// The panel, where the page's server is a class hub; nothing elsewhere.
export async function offerClassPanel(page) {
  if (await isHub()) new ClassPanel(page);
}
