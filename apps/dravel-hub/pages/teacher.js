// The teacher's page at /teacher: login (a name, or none for the hub's first
// teacher), the classes (new, joining open or closed, the join code large),
// and the chosen class's links (cards, wall, gradebook, export, purge). Its
// three panes are their own modules: the hand-ins (teacher_handins.js), a new
// assignment (teacher_new_assignment.js) and the roster (teacher_roster.js);
// a school administrator also gets teacher_school.js. Everything comes from
// the hub's API.
import { $, element, onClick, say } from './dom.js';
import { HubError, hubJson } from './hub_api.js';
import { Handins } from './teacher_handins.js';
import { NewAssignment } from './teacher_new_assignment.js';
import { Roster } from './teacher_roster.js';
import { School } from './teacher_school.js';

const desk = {
  classes: [],
  chosen: null, // the class shown
  handins: null,
  roster: null,
  school: null,
  showTab: null,
  // A refusal of 401 means the session ended: back to the login.
  failed(error, line) {
    if (error instanceof HubError && error.status === 401) showLogin('登录已失效，请重新登录。');
    else say(line, error.message);
  },
};

function showLogin(message = '') {
  $('desk').hidden = true;
  $('logout').hidden = true;
  $('who').textContent = '';
  $('school').hidden = true;
  $('login').hidden = false;
  say($('login').querySelector('.message'), message);
  $('password').focus();
}

async function showDesk() {
  const me = await hubJson('/api/teacher/me');
  $('login').hidden = true;
  $('desk').hidden = false;
  $('logout').hidden = false;
  $('who').textContent = me.name;
  await loadClasses();
  if (me.admin) await desk.school.load();
}

async function loadClasses(choose = desk.chosen?.id) {
  desk.classes = await hubJson('/api/classes');
  const list = $('class-list');
  list.replaceChildren(...desk.classes.map((shown) => {
    const button = element('button', { type: 'button', textContent: shown.name });
    button.addEventListener('click', () => chooseClass(shown.id));
    return element('li', { className: shown.id === choose ? 'chosen' : '' }, button);
  }));
  if (desk.classes.length === 0) list.append(element('li', { className: 'none', textContent: '还没有班级，先在下面新建一个。' }));
  const chosen = desk.classes.find((shown) => shown.id === choose) ?? desk.classes[0];
  if (chosen) await chooseClass(chosen.id);
  else $('class').hidden = true;
}

const classUrl = (what) => `/api/classes/${desk.chosen.id}/${what}`;

async function chooseClass(id) {
  desk.chosen = desk.classes.find((shown) => shown.id === id);
  [...$('class-list').children].forEach((item, index) =>
    item.classList.toggle('chosen', desk.classes[index]?.id === id));
  $('class').hidden = false;
  $('class-title').textContent = desk.chosen.name;
  $('join-code').textContent = desk.chosen.join_code;
  showJoin();
  $('cards-link').href = classUrl('cards');
  $('wall-link').href = `/wall/${id}`;
  $('gradebook-csv').href = classUrl('gradebook.csv');
  $('gradebook-gbk').href = classUrl('gradebook.csv?encoding=gbk');
  $('gradebook-xlsx').href = classUrl('gradebook.xlsx');
  $('export-link').href = classUrl('export');
  say($('class-message'), '');
  await Promise.all([desk.handins.load(desk.chosen), desk.roster.load()]);
}

function showJoin() {
  const open = desk.chosen.join_open;
  $('join-state').textContent = open ? '学生可以登录' : '已关闭登录';
  $('join-state').className = open ? 'open' : 'closed';
  $('join-toggle').textContent = open ? '关闭登录' : '开放登录';
}

function bind() {
  $('login').addEventListener('submit', async (event) => {
    event.preventDefault();
    const button = $('login').querySelector('button');
    button.disabled = true;
    try {
      const name = $('teacher-name').value.trim();
      const login = name === '' ? { password: $('password').value } : { name, password: $('password').value };
      await hubJson('/api/teacher/login', { method: 'POST', json: login });
      $('password').value = '';
      await showDesk();
    } catch (error) {
      say($('login').querySelector('.message'), error.status === 401 ? '名字或密码不对，请再试一次。' : error.message);
    } finally {
      button.disabled = false;
    }
  });
  onClick($('logout'), async () => {
    await hubJson('/api/teacher/logout', { method: 'POST' }).catch(() => {});
    showLogin('已退出登录。');
  });
  $('new-class').addEventListener('submit', async (event) => {
    event.preventDefault();
    const line = $('new-class').querySelector('.message');
    const name = $('class-name').value.trim();
    if (name === '') return say(line, '请填写班级名称。');
    try {
      const { id } = await hubJson('/api/classes', { method: 'POST', json: { name } });
      $('class-name').value = '';
      say(line, '');
      await loadClasses(id);
    } catch (error) {
      desk.failed(error, line);
    }
  });
  onClick($('join-toggle'), async () => {
    const open = !desk.chosen.join_open;
    try {
      await hubJson(classUrl('join'), { method: 'POST', json: { open } });
      desk.chosen.join_open = open;
      showJoin();
    } catch (error) {
      desk.failed(error, $('class-message'));
    }
  });
  onClick($('purge'), purge);
  bindTabs();
}

async function purge() {
  const sure = window.confirm(`要清除“${desk.chosen.name}”全部学生的名单和作业吗？\n\n` +
    '清除后无法恢复。请先点“导出全部资料（.zip）”保存一份，再清除。');
  if (!sure) return;
  try {
    await hubJson(classUrl('pupils'), { method: 'DELETE' });
    say($('class-message'), '学生资料已清除。', 'done');
    await Promise.all([desk.handins.load(desk.chosen), desk.roster.load()]);
  } catch (error) {
    desk.failed(error, $('class-message'));
  }
}

function bindTabs() {
  const tabs = [...$('class-tabs').querySelectorAll('[role=tab]')];
  desk.showTab = (chosen) => {
    for (const tab of tabs) {
      tab.setAttribute('aria-selected', String(tab === chosen));
      $(tab.getAttribute('aria-controls')).hidden = tab !== chosen;
    }
  };
  for (const tab of tabs) tab.addEventListener('click', () => desk.showTab(tab));
}

async function start() {
  desk.handins = new Handins(desk);
  new NewAssignment(desk, async (id) => {
    desk.showTab($('tab-handins'));
    await desk.handins.load(desk.chosen, id);
  });
  desk.roster = new Roster(desk, () => desk.handins.load(desk.chosen));
  // A class handed to or from this teacher comes or goes from their list.
  desk.school = new School(desk, () => loadClasses());
  bind();
  try {
    await showDesk();
  } catch (error) {
    if (error instanceof HubError && error.status === 401) showLogin();
    else showLogin(error.message);
  }
}

start();
