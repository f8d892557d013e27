// The district's set-up checked from outside, through nginx only (started by
// scripts/test-hub-deploy): the page and the teacher's page are served, a
// plain-HTTP request is sent to HTTPS, a teacher logs in (a Secure cookie)
// and makes a class with pupils and an assignment, a foreign Origin is
// refused while the hub's own passes, walls opened through nginx hear every
// pupil's hand-in graded, and each graded message reaches every wall within
// 2 s of the first wall that heard it, whichever process graded it and
// whichever process each wall is on. Prints the figures; exits 1 on a fault.
//   node tests/hub/deploy_check.mjs HTTPS_PORT HTTP_PORT CA_FILE PASSWORD WALLS
import { readFileSync, readdirSync } from 'node:fs';
import https from 'node:https';
import http from 'node:http';
import { createRequire } from 'node:module';
import path from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
// The WebSocket client the hub's benchmark already pins in its lock file.
const WebSocket = createRequire(path.join(here, '../../bench/hub/package.json'))('ws');

const WALL_SPREAD_MS = 2000;
const GRADING_LIMIT_MS = 60000;
const PUPILS = 4;

const [httpsPort, httpPort, caFile, password, wallCount] = process.argv.slice(2);
const ca = readFileSync(caFile);
const origin = `https://127.0.0.1:${httpsPort}`;
const starFolder = path.join(here, '../data/star');
const gbk = new TextDecoder('gbk');
const readScript = (name) => gbk.decode(readFileSync(path.join(starFolder, name)));

function check(condition, what) {
  if (!condition) throw new Error(what);
}

// One browser: its cookie and its own connections to nginx.
class Browser {
  constructor() {
    this.agent = new https.Agent({ keepAlive: true, ca });
    this.cookie = '';
  }

  request(method, target, body, { type = 'application/json', from = origin } = {}) {
    const data = body === undefined ? undefined : type === 'application/json' ? JSON.stringify(body) : body;
    const headers = { origin: from };
    if (data !== undefined) headers['content-type'] = type;
    if (this.cookie) headers.cookie = this.cookie;
    return new Promise((resolve, reject) => {
      const sent = https.request({ host: '127.0.0.1', port: httpsPort, method, path: target, headers,
        agent: this.agent }, (reply) => {
        let text = '';
        reply.setEncoding('utf8');
        reply.on('data', (chunk) => { text += chunk; });
        reply.on('end', () => {
          const set = reply.headers['set-cookie'];
          if (set) this.cookie = set[0].split(';')[0];
          const json = /^[[{]/.test(text) ? JSON.parse(text) : text;
          resolve({ status: reply.statusCode, headers: reply.headers, json });
        });
      });
      sent.on('error', reject);
      sent.end(data);
    });
  }

  async expect(status, method, target, body, options) {
    const reply = await this.request(method, target, body, options);
    check(reply.status === status, `${method} ${target}: ${reply.status} ${JSON.stringify(reply.json)}`);
    return reply;
  }

  close() { this.agent.destroy(); }
}

async function checkPages(browser) {
  for (const page of ['/', '/teacher']) {
    const reply = await browser.expect(200, 'GET', page);
    check(String(reply.headers['content-type']).startsWith('text/html'), `${page} is not HTML`);
  }
  const plain = await new Promise((resolve, reject) => {
    http.get({ host: '127.0.0.1', port: httpPort, path: '/teacher' }, (reply) => {
      reply.resume();
      resolve(reply);
    }).on('error', reject);
  });
  check(plain.statusCode === 301 && plain.headers.location.startsWith('https://'), 'plain HTTP is not sent to HTTPS');
}

async function makeClass(teacher) {
  const login = await teacher.expect(200, 'POST', '/api/teacher/login', { password });
  check(/;\s*Secure/i.test(login.headers['set-cookie'][0]), 'the session cookie is not Secure behind TLS');
  await teacher.expect(403, 'POST', '/api/classes', { name: '外站' }, { from: 'https://evil.example' });
  const made = (await teacher.expect(201, 'POST', '/api/classes', { name: '部署测试班' })).json;
  const roster = Array.from({ length: PUPILS }, (_, i) => `${i + 1},学生${i + 1}`).join('\n');
  const listed = (await teacher.expect(200, 'POST', `/api/classes/${made.id}/roster`, roster,
    { type: 'text/csv' })).json;
  const work = (await teacher.expect(201, 'POST', `/api/classes/${made.id}/assignments`,
    { title: '五角星', references: [readScript('reference.dvg')], resubmit: true, show_score: true })).json;
  return { classId: made.id, joinCode: made.join_code, pupils: listed.pupils, assignment: work.id };
}

// Each wall records when it heard each hand-in end.
async function openWalls(teacher, classId, count) {
  const walls = [];
  for (let i = 0; i < count; ++i) {
    const socket = new WebSocket(`wss://127.0.0.1:${httpsPort}/api/classes/${classId}/wall`,
      { ca, headers: { cookie: teacher.cookie, origin }, perMessageDeflate: false });
    const ended = new Map();
    socket.on('message', (data) => {
      const message = JSON.parse(data.toString());
      if (message.state === 'graded' || message.state === 'failed') {
        if (!ended.has(message.handin_id)) ended.set(message.handin_id, performance.now());
      }
    });
    await new Promise((resolve, reject) => {
      socket.once('open', resolve);
      socket.once('error', (error) => reject(new Error(`a wall would not open: ${error.message}`)));
    });
    walls.push({ socket, ended });
  }
  return walls;
}

async function handIn(setup) {
  const scripts = readdirSync(starFolder).filter((name) => name !== 'reference.dvg').sort().map(readScript)
    .filter((text) => text.trim() !== '');
  const ids = [];
  for (const [i, pupil] of setup.pupils.entries()) {
    const browser = new Browser();
    await browser.expect(200, 'POST', '/api/pupil/login',
      { join_code: setup.joinCode, number: pupil.number, code: pupil.code });
    const reply = await browser.expect(201, 'POST', `/api/assignments/${setup.assignment}/handins`,
      { script: scripts[i % scripts.length] });
    ids.push(reply.json.handin_id);
    browser.close();
  }
  return ids;
}

async function main() {
  const teacher = new Browser();
  let walls = [];
  try {
    await checkPages(teacher);
    const setup = await makeClass(teacher);
    walls = await openWalls(teacher, setup.classId, Number(wallCount));
    const ids = await handIn(setup);
    const limit = performance.now() + GRADING_LIMIT_MS;
    const heardAll = () => walls.every(({ ended }) => ids.every((id) => ended.has(id)));
    while (!heardAll() && performance.now() < limit) await sleep(20);
    check(heardAll(), 'a wall did not hear every grading within a minute');
    let widest = 0;
    for (const id of ids) {
      const arrivals = walls.map(({ ended }) => ended.get(id));
      widest = Math.max(widest, Math.max(...arrivals) - Math.min(...arrivals));
    }
    console.log(`deploy check: ${ids.length} hand-ins graded, heard on ${walls.length} walls; ` +
      `widest gap between walls ${widest.toFixed(0)} ms`);
    check(widest <= WALL_SPREAD_MS, `a wall heard a grading ${widest.toFixed(0)} ms after another`);
  } finally {
    for (const { socket } of walls) socket.terminate();
    teacher.close();
  }
}

main().catch((error) => {
  console.error(`deploy check: ${error.message}`);
  process.exit(1);
});
