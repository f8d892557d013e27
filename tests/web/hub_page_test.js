#!/usr/bin/env node
// The class hub's pages under headless Chromium against a real dravel-hub:
// the teacher sets up a class through the API; a pupil logs in on the page,
// hands in the editor's script and sees it graded; the teacher's page lists
// the hand-in with its score; the wall shows every pupil's graded drawing.
// A school administrator added by `teacher add --admin` logs in by name and
// hands the class to another teacher. Every page loads under the hub's
// Content-Security-Policy without an error, and names are shown as text.
// Writes docs/hub-teacher.png, docs/hub-wall.png, docs/hub-admin.png and
// docs/web-class-panel.png.
//
//   node tests/web/hub_page_test.js WEB_FOLDER DRAVEL_HUB DOCS_FOLDER
//
// The hub runs on 127.0.0.1 with its data in a temporary folder and is
// stopped at the end, whatever happens.
'use strict';

const { execFileSync, spawn, spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const readline = require('readline');

const devtools = require('./devtools');

const [webFolder, hubProgram, docsFolder] = process.argv.slice(2).map((arg) => path.resolve(arg));
if (!docsFolder) {
  console.error('usage: hub_page_test.js WEB_FOLDER DRAVEL_HUB DOCS_FOLDER');
  process.exit(2);
}
// Past this the test gives up (a hub or a browser that hangs), stopping both.
const MOST_MS = 240000;
const PASSWORD = 'teacher-password-1';
const STAR = '重复 5 【前进 160|左转 144】';
// The pupils and what each hands in; the first through the page, the rest
// through the API. A name with markup must show as its letters; 06 hands in
// 02's square, so the two are a group of copies (a text fewer than a quarter
// of the class share).
const SQUARE = '重复 4 【前进 150|右转 90】';
const PUPILS = [
  { number: '01', name: '王小明', script: STAR },
  { number: '02', name: '李华', script: SQUARE },
  { number: '03', name: '张伟', script: '画圆 90' },
  { number: '04', name: '<b>赵</b>六', script: '重复 3 【前进 180|左转 120】' },
  { number: '05', name: '陈静', script: '重复 6 【前进 90|左转 60】' },
  { number: '06', name: '周杰', script: SQUARE },
  { number: '07', name: '孙丽', script: '重复 12 【前进 110|后退 110|左转 30】' },
  { number: '08', name: '吴强', script: '重复 8 【画圆 50|左转 45】' },
  { number: '09', name: '郑敏', script: '重复 5 【前进 120|左转 72】' },
  { number: '10', name: '刘洋', script: null },
];

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'dravel-hub-page-test-'));
const failures = [];
function check(what, ok, detail = '') {
  if (!ok) failures.push(what + (detail ? `\n    ${detail}` : ''));
}

// ---- The hub ----

let hub = null;
const data = path.join(scratch, 'data');

function startHub() {
  const init = spawnSync(hubProgram, ['init', '--data', data], { input: PASSWORD + '\n', encoding: 'utf8' });
  if (init.status !== 0) throw new Error(`dravel-hub init: ${init.stderr}`);
  hub = spawn(hubProgram, ['serve', '--data', data, '--port', '0', '--bind', '127.0.0.1', '--jobs', '2',
    '--web', webFolder], { stdio: ['ignore', 'pipe', 'pipe'] });
  let said = '';
  hub.stderr.on('data', (text) => { said = (said + text).slice(-4000); });
  hub.log = () => said;
  return new Promise((resolve, reject) => {
    hub.once('exit', (code) => reject(new Error(`dravel-hub serve ended (${code}): ${said}`)));
    readline.createInterface({ input: hub.stdout }).once('line', (line) => {
      const match = /^listening 127\.0\.0\.1:(\d+)$/.exec(line);
      if (match === null) reject(new Error(`dravel-hub serve said ${JSON.stringify(line)}`));
      else resolve(`http://127.0.0.1:${match[1]}`);
    });
  });
}

async function stopHub() {
  if (hub === null || hub.exitCode !== null || hub.signalCode !== null) return;
  const exited = new Promise((resolve) => hub.once('exit', resolve));
  hub.kill('SIGTERM');
  const killer = setTimeout(() => hub.kill('SIGKILL'), 10000);
  await exited;
  clearTimeout(killer);
}

// One person's calls to the hub's API, keeping their session's cookie.
function caller(base) {
  let cookie = '';
  return async (method, route, body, type = 'application/json') => {
    const headers = cookie ? { Cookie: cookie } : {};
    if (body !== undefined) headers['Content-Type'] = type;
    const response = await fetch(base + route, {
      method, headers, body: body === undefined || typeof body === 'string' ? body : JSON.stringify(body),
    });
    const set = response.headers.get('set-cookie');
    if (set) cookie = set.split(';')[0];
    const text = await response.text();
    if (!response.ok) throw new Error(`${method} ${route}: ${response.status} ${text}`);
    return text === '' ? null : JSON.parse(text);
  };
}

// The class, its roster and an assignment whose reference is the star.
async function setUpClass(base) {
  const teacher = caller(base);
  await teacher('POST', '/api/teacher/login', { password: PASSWORD });
  const { id: classId, join_code: joinCode } = await teacher('POST', '/api/classes', { name: '三年级二班' });
  const roster = PUPILS.map(({ number, name }) => `${number},"${name}"`).join('\n');
  const { pupils } = await teacher('POST', `/api/classes/${classId}/roster`, roster, 'text/csv; charset=utf-8');
  const { id: assignmentId } = await teacher('POST', `/api/classes/${classId}/assignments`,
    { title: '画一个五角星', references: [STAR] });
  const codes = new Map(pupils.map((pupil) => [pupil.number, pupil.code]));
  return { teacher, classId, joinCode, assignmentId, codes };
}

// The other pupils' hand-ins, as their own browsers would send them.
async function othersHandIn(base, setUp) {
  for (const pupil of PUPILS.slice(1).filter((shown) => shown.script !== null)) {
    const call = caller(base);
    await call('POST', '/api/pupil/login', { join_code: setUp.joinCode, number: pupil.number,
      code: setUp.codes.get(pupil.number) });
    await call('POST', `/api/assignments/${setUp.assignmentId}/handins`, { script: pupil.script });
  }
}

// ---- The browser ----

const browser = devtools.launch(path.join(scratch, 'profile'));
const { page, evaluate, click, pressKey } = browser;
const sleep = devtools.sleep;

async function waitFor(what, expression, timeoutMs = 60000) {
  const end = Date.now() + timeoutMs;
  while (!(await evaluate(expression))) {
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(50);
  }
}

async function load(url, width, height) {
  await page('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false });
  const loaded = browser.nextEvent('Page.loadEventFired');
  await page('Page.navigate', { url });
  await loaded;
}

async function screenshot(name) {
  const shot = await page('Page.captureScreenshot', { format: 'png' });
  fs.writeFileSync(path.join(docsFolder, name), Buffer.from(shot.data, 'base64'));
}

// Sets an input's value as typing would.
const typeInto = (selector, value) => evaluate(`(() => {
  const box = document.querySelector(${JSON.stringify(selector)});
  box.value = ${JSON.stringify(value)};
  box.dispatchEvent(new Event('input', { bubbles: true }));
})()`);

async function pupilHandsIn(base, setUp) {
  await load(base + '/', 1366, 768);
  await waitFor('the 班级 button', `document.getElementById('class-button')?.textContent === '班级'`);
  await waitFor('the page to be ready', `!document.getElementById('run').disabled`);
  // The script typed and run first: the panel then draws the class once, so
  // the click below cannot land on a list about to be replaced.
  await evaluate(`document.querySelector('.cm-content').focus()`);
  await pressKey('a', 2);
  await page('Input.insertText', { text: PUPILS[0].script });
  await click('#run');
  await waitFor('the run to end', `!document.getElementById('run').disabled &&
    /程序调试完毕/.test(document.getElementById('hint').value)`);
  await click('#class-button');
  await waitFor('the login form', `document.querySelectorAll('#class-panel .class-login input').length >= 3`);
  const [joinCode, number, code] = ['#class-panel .field:nth-of-type(1) input', '#class-panel .field:nth-of-type(2) input',
    '#class-panel .field:nth-of-type(3) input'];
  await typeInto(joinCode, setUp.joinCode.toLowerCase());
  await typeInto(number, PUPILS[0].number);
  await typeInto(code, setUp.codes.get(PUPILS[0].number));
  await click('#class-panel .class-login button[type=submit]');
  await waitFor('the class after logging in', `document.querySelector('#class-panel .who')?.textContent.includes('王小明')`);
  await waitFor('the assignment', `document.querySelector('#class-panel .assignment .hand-in button')?.textContent === '交作业'`);
  await click('#class-panel .assignment .hand-in button');
  await waitFor('the hand-in to be taken', `/已收到|评分中|已评分/.test(
    document.querySelector('#class-panel .assignment .state')?.textContent ?? '')`);
  await waitFor('the hand-in to be graded', `(() => {
    const state = document.querySelector('#class-panel .assignment .state')?.textContent ?? '';
    return state.includes('已评分') && / \\d+(\\.\\d)? 分/.test(state);
  })()`, 120000);
  const state = await evaluate(`document.querySelector('#class-panel .assignment .state').textContent`);
  check('the star handed in scores full marks', / 100 分/.test(state), state);
  await waitFor('the overlay', `document.querySelector('#class-panel img.overlay')?.complete &&
    document.querySelector('#class-panel img.overlay').naturalWidth > 0`);
  await screenshot('web-class-panel.png');
}

// Every hand-in graded, as the teacher's API lists them.
async function allGraded(setUp) {
  const end = Date.now() + 120000;
  for (;;) {
    const rows = await setUp.teacher('GET', `/api/assignments/${setUp.assignmentId}/handins`);
    const handedIn = rows.filter((row) => row.handin_id !== null);
    if (handedIn.length === PUPILS.filter((pupil) => pupil.script !== null).length &&
        handedIn.every((row) => row.state === 'graded')) return rows;
    if (Date.now() > end) throw new Error(`not all graded: ${JSON.stringify(rows)}`);
    await sleep(200);
  }
}

async function teacherPage(base, rows) {
  await load(base + '/teacher', 1366, 768);
  await waitFor('the login form', `!document.getElementById('login').hidden`);
  await typeInto('#password', PASSWORD);
  await click('#login button[type=submit]');
  await waitFor('the hand-ins table', `document.querySelectorAll('#handins tbody tr').length === ${PUPILS.length}`);
  const table = await evaluate(`[...document.querySelectorAll('#handins tbody tr')].map((row) =>
    [...row.cells].slice(0, 6).map((cell) => cell.textContent))`);
  for (const row of rows) {
    const shown = table.find((cells) => cells[0] === row.number);
    const expected = row.handin_id === null ? [row.number, row.name, '未交', '', '', '']
      : [row.number, row.name, '已评分', `${Math.round(row.score * 10) / 10} 分`, '',
        row.copies > 0 ? `第 ${row.copies} 组` : ''];
    check(`the teacher's row for ${row.number}`, JSON.stringify(shown) === JSON.stringify(expected),
      `shown ${JSON.stringify(shown)}, expected ${JSON.stringify(expected)}`);
  }
  const copies = ['02', '06'].map((number) => table.find((cells) => cells[0] === number)?.[5]);
  check('the two squares show as one group of copies', copies[0] !== '' && copies[0] === copies[1],
    JSON.stringify(copies));
  check('a name with markup is shown as text', await evaluate(`document.querySelector('#handins b') === null`));
  check('the join code shows', await evaluate(`document.getElementById('join-code').textContent.length === 6`));
  await waitFor('the pictures', `[...document.querySelectorAll('#handins img')].every((img) => img.complete &&
    img.naturalWidth > 0)`);
  await screenshot('hub-teacher.png');
  await click('#tab-roster');
  const roster = await evaluate(`[...document.querySelectorAll('#roster tbody tr')].map((row) => row.cells[0].textContent)`);
  check('the roster pane lists the class as the hub has it', roster.join() === PUPILS.map((pupil) => pupil.number).join(),
    roster.join());
  await readsDvg();
}

// A GBK .dvg file read into a reference box by the page's own worker, which
// the teacher's page borrows for the one GBK codec.
async function readsDvg() {
  const file = path.join(scratch, '五角星.dvg');
  fs.writeFileSync(file, execFileSync('python3', ['-c',
    'import sys; sys.stdout.buffer.write(sys.argv[1].encode("gbk"))', STAR.replace(/\n/g, '\r\n')]));
  await click('#tab-new');
  const { root } = await page('DOM.getDocument', {});
  const { nodeId } = await page('DOM.querySelector', { nodeId: root.nodeId, selector: '#dvg-files' });
  await page('DOM.setFileInputFiles', { files: [file], nodeId });
  await waitFor('the .dvg file read', `document.querySelector('#references textarea')?.value !== ''`);
  check('a .dvg file reads as its GBK text', await evaluate(`document.querySelector('#references textarea').value`) === STAR);
}

async function wall(base, setUp, rows) {
  await load(`${base}/wall/${setUp.classId}`, 1920, 1080);
  const drawn = rows.filter((row) => row.handin_id !== null).length;
  await waitFor('every drawing on the wall', `(() => {
    const pictures = [...document.querySelectorAll('#grid .tile img')];
    return pictures.length === ${drawn} && pictures.every((img) => img.complete && img.naturalWidth > 0);
  })()`);
  const captions = await evaluate(`[...document.querySelectorAll('#grid .caption')].map((c) => c.textContent)`);
  check('the wall shows the pupil who handed in on the page', captions.includes('01 王小明'), captions.join(' | '));
  check('the wall names who has not handed in',
    await evaluate(`document.getElementById('waiting').textContent.includes('10 刘洋')`));
  check('the wall shows the class', await evaluate(`document.getElementById('class-name').textContent === '三年级二班'`));
  const fits = await evaluate(`(() => {
    const grid = document.getElementById('grid');
    const widths = [...grid.querySelectorAll('.picture')].map((picture) => picture.getBoundingClientRect().width);
    return { overflows: grid.scrollHeight > grid.clientHeight, narrowest: Math.min(...widths) };
  })()`);
  check('the wall fits every tile, large, without scrolling', !fits.overflows && fits.narrowest > 300,
    JSON.stringify(fits));
  await screenshot('hub-wall.png');
}

// Two more teachers beside the first, added while the hub serves: the
// administrator logs in by name, sees every teacher and hands the class over.
async function administrator() {
  for (const [name, admin] of [['王老师', false], ['教务处', true]]) {
    const added = spawnSync(hubProgram, ['teacher', 'add', ...(admin ? ['--admin'] : []), '--data', data, name],
      { input: PASSWORD + '\n', encoding: 'utf8' });
    if (added.status !== 0) throw new Error(`dravel-hub teacher add: ${added.stderr}`);
  }
  await click('#logout');
  await waitFor('the login form', `!document.getElementById('login').hidden`);
  await typeInto('#teacher-name', '教务处');
  await typeInto('#password', PASSWORD);
  await click('#login button[type=submit]');
  await waitFor('the school section', `document.querySelectorAll('#teacher-list li').length === 3`);
  check('the administrator is named at the top', await evaluate(`document.getElementById('who').textContent`) === '教务处');
  await evaluate(`(() => {
    document.getElementById('move-to').value = [...document.querySelectorAll('#move-to option')]
      .find((option) => option.textContent === '王老师').value;
  })()`);
  await click('#move-class button[type=submit]');
  await waitFor('the hand-over', `document.querySelector('#move-class .message').classList.contains('done')`);
  await waitFor('the counts after it', `/王老师.*1 个班级/.test(document.getElementById('teacher-list').textContent)`);
  const listed = await evaluate(`[...document.querySelectorAll('#teacher-list li')].map((item) => item.textContent)`);
  check('every teacher listed with their classes', JSON.stringify(listed) ===
    JSON.stringify(['老师0 个班级', '王老师1 个班级', '教务处管理员0 个班级']), JSON.stringify(listed));
  await screenshot('hub-admin.png');
}

const SESSION_PROBES = ['/api/pupil/me', '/api/classes', '/api/teacher/me'];

// The errors the pages meet: exceptions, console errors, refusals of the
// policy and failed loads.
function watchErrors() {
  const errors = [];
  browser.listeners.push((message) => {
    if (message.method === 'Runtime.exceptionThrown') {
      errors.push(message.params.exceptionDetails.exception?.description ?? message.params.exceptionDetails.text);
    } else if (message.method === 'Runtime.consoleAPICalled' && message.params.type === 'error') {
      errors.push(message.params.args.map((arg) => arg.value ?? arg.description).join(' '));
    } else if (message.method === 'Log.entryAdded' && message.params.entry.level === 'error') {
      const { text, url = '' } = message.params.entry;
      // Each page asks first whether its session holds; before the login it does not.
      if (/status of 401/.test(text) && SESSION_PROBES.some((probe) => url.endsWith(probe))) return;
      errors.push(`${text} ${url}`);
    }
  });
  return errors;
}

async function main() {
  const base = await startHub();
  const setUp = await setUpClass(base);
  await browser.attach();
  await page('Page.enable');
  await page('Runtime.enable');
  await page('Log.enable');
  const errors = watchErrors();
  await pupilHandsIn(base, setUp);
  await othersHandIn(base, setUp);
  const rows = await allGraded(setUp);
  await teacherPage(base, rows);
  await wall(base, setUp, rows);
  await load(base + '/teacher', 1366, 768);
  await waitFor('the desk', `!document.getElementById('desk').hidden`);
  await administrator();
  check('no errors in the pages', errors.length === 0, errors.join('\n    '));
}

const giveUp = setTimeout(() => {
  failures.push(`gave up after ${MOST_MS / 1000} s`);
  finish();
}, MOST_MS);

let finished = false;
async function finish() {
  if (finished) return;
  finished = true;
  clearTimeout(giveUp);
  await browser.close();
  await stopHub();
  browser.removeProfile(scratch);
  if (failures.length > 0) {
    console.error('FAILED:\n  ' + failures.join('\n  '));
    if (hub !== null) console.error('dravel-hub said:\n' + hub.log().split('\n').slice(-20).join('\n'));
    process.exit(1);
  }
  console.log('hub page test passed');
}

process.on('exit', () => hub?.kill('SIGKILL'));
main().catch((error) => failures.push(String(error.stack || error))).finally(finish);
