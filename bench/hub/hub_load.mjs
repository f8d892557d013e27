// A class handing in at once against a running hub on loopback: the teacher
// makes a class of PUPILS with one assignment, VIEWERS walls are opened, then
// every pupil logs in and hands in at the same moment. Prints the time each
// hand-in took to be acknowledged (201) and to be graded, and when each wall
// viewer heard of the last grading.
//   node --experimental-websocket bench/hub/hub_load.mjs BASE_URL PASSWORD [PUPILS [VIEWERS]]
import { setTimeout as sleep } from 'node:timers/promises';

const [base, password, pupilCount = '40', viewerCount = '200'] = process.argv.slice(2);
const pupils = Number(pupilCount);
const viewers = Number(viewerCount);
const deadlineMs = 120000;
const reference = '前进 100\r\n右转 90\r\n前进 100\r\n';

function cookieOf(reply) {
  const set = reply.headers.get('set-cookie') || '';
  return set.split(';')[0];
}

async function call(method, path, body, cookie, type = 'application/json') {
  const headers = { 'content-type': type, origin: base };
  if (cookie) headers.cookie = cookie;
  const data = body === undefined ? undefined : type === 'application/json' ? JSON.stringify(body) : body;
  const reply = await fetch(base + path, { method, headers, body: data });
  const text = await reply.text();
  if (reply.status >= 400) throw new Error(`${method} ${path}: ${reply.status} ${text}`);
  return { reply, json: text && reply.headers.get('content-type')?.includes('json') ? JSON.parse(text) : text };
}

function percentile(sorted, p) {
  return sorted[Math.min(sorted.length - 1, Math.floor((sorted.length - 1) * p))];
}

function summary(name, values) {
  const sorted = [...values].sort((a, b) => a - b);
  console.log(`${name}: n ${sorted.length}  p50 ${percentile(sorted, 0.5).toFixed(0)} ms  ` +
    `p99 ${percentile(sorted, 0.99).toFixed(0)} ms  max ${sorted[sorted.length - 1].toFixed(0)} ms`);
}

async function makeClass() {
  const teacher = cookieOf((await call('POST', '/api/teacher/login', { password })).reply);
  const made = (await call('POST', '/api/classes', { name: '压力测试班' }, teacher)).json;
  const roster = Array.from({ length: pupils }, (_, i) => `${String(i + 1).padStart(4, '0')},学生${i + 1}`).join('\n');
  const listed = (await call('POST', `/api/classes/${made.id}/roster`, roster, teacher, 'text/csv')).json;
  const work = (await call('POST', `/api/classes/${made.id}/assignments`,
    { title: '正方形', references: [reference], resubmit: true, show_score: true }, teacher)).json;
  return { teacher, classId: made.id, joinCode: made.join_code, pupils: listed.pupils, assignment: work.id };
}

function openWalls(setup, heard) {
  const url = base.replace(/^http/, 'ws') + `/api/classes/${setup.classId}/wall`;
  const sockets = [];
  for (let i = 0; i < viewers; ++i) {
    const socket = new WebSocket(url, { headers: { cookie: setup.teacher, origin: base } });
    heard.push([]);
    socket.onmessage = () => heard[i].push(performance.now());
    sockets.push(socket);
  }
  return Promise.all(sockets.map((s) => new Promise((resolve, reject) => {
    s.onopen = resolve;
    s.onerror = () => reject(new Error('a wall would not open'));
  }))).then(() => sockets);
}

async function handIn(setup, pupil, started) {
  const login = await call('POST', '/api/pupil/login',
    { join_code: setup.joinCode, number: pupil.number, code: pupil.code });
  const cookie = cookieOf(login.reply);
  await started;
  const sent = performance.now();
  const made = (await call('POST', `/api/assignments/${setup.assignment}/handins`,
    { script: reference }, cookie)).json;
  const acknowledged = performance.now() - sent;
  for (;;) {
    const state = (await call('GET', `/api/handins/${made.handin_id}`, undefined, cookie)).json;
    if (state.state === 'graded' || state.state === 'failed') {
      return { acknowledged, graded: performance.now() - sent, failed: state.state === 'failed' };
    }
    if (performance.now() - sent > deadlineMs) throw new Error('a hand-in was never graded');
    await sleep(100);
  }
}

const setup = await makeClass();
const heard = [];
const sockets = await openWalls(setup, heard);
let go;
const started = new Promise((resolve) => { go = resolve; });
const runs = setup.pupils.map((p) => handIn(setup, p, started));
await sleep(500);
const t0 = performance.now();
go();
const results = await Promise.all(runs);
await sleep(2500);
summary('acknowledged', results.map((r) => r.acknowledged));
summary('graded', results.map((r) => r.graded));
console.log(`failed: ${results.filter((r) => r.failed).length}`);
console.log(`all graded after ${(Math.max(...results.map((r) => r.graded))).toFixed(0)} ms`);
const complete = heard.filter((h) => h.length >= pupils).length;
summary('wall: last grading heard, from the start', heard.map((h) => (h.length ? Math.max(...h) - t0 : Infinity)));
console.log(`walls that heard every grading: ${complete} of ${viewers}`);
sockets.forEach((s) => s.close());
