// What the hub's load benchmarks share: hubs started on 127.0.0.1 (port 0,
// a temporary data folder or a given database), HTTP clients holding a
// session cookie, a class made with its roster and the star assignment,
// walls that note when they heard each hand-in in each state, and the
// percentiles. Only 127.0.0.1 is ever spoken to.
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import http from 'node:http';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import WebSocket from 'ws';

export const PASSWORD = 'bench-password-1';

const starFolder = path.join(path.dirname(fileURLToPath(import.meta.url)), '../../tests/data/star');
const gbk = new TextDecoder('gbk');
const readScript = (name) => gbk.decode(readFileSync(path.join(starFolder, name)));

export const referenceScript = () => readScript('reference.dvg');
// The star class's pupils' scripts, handed in in turn.
export const pupilScripts = () => readdirSync(starFolder).filter((name) => name !== 'reference.dvg')
  .map(readScript).filter((text) => text.trim() !== '');

// A hub process's address with the keep-alive connections its clients share.
export const hubTarget = (port, sockets) => ({ port, agent: new http.Agent({ keepAlive: true, maxSockets: sockets }) });

// Holds one session cookie; each request goes to the next of `targets` in
// turn, so a stateless hub's processes share one client's requests.
export class Client {
  constructor(targets) {
    this.targets = targets;
    this.next = 0;
    this.cookie = '';
  }

  // One keep-alive connection of its own, as one browser tab holds.
  static own(port) {
    const client = new Client([hubTarget(port, 1)]);
    client.owned = true;
    return client;
  }

  // The reply's status and JSON; throws on a connection fault.
  request(method, target, body, type = 'application/json') {
    const { port, agent } = this.targets[this.next++ % this.targets.length];
    const data = body === undefined ? undefined : type === 'application/json' ? JSON.stringify(body) : body;
    const headers = { origin: `http://127.0.0.1:${port}` };
    if (data !== undefined) headers['content-type'] = type;
    if (this.cookie) headers.cookie = this.cookie;
    return new Promise((resolve, reject) => {
      const request = http.request({ host: '127.0.0.1', port, method, path: target, headers, agent }, (reply) => {
        let text = '';
        reply.setEncoding('utf8');
        reply.on('data', (chunk) => { text += chunk; });
        reply.on('end', () => {
          const set = reply.headers['set-cookie'];
          if (set) this.cookie = set[0].split(';')[0];
          resolve({ status: reply.statusCode, json: text.startsWith('{') || text.startsWith('[') ? JSON.parse(text) : text });
        });
      });
      request.on('error', reject);
      request.end(data);
    });
  }

  async expect(status, method, target, body, type) {
    const reply = await this.request(method, target, body, type);
    if (reply.status !== status) throw new Error(`${method} ${target}: ${reply.status} ${JSON.stringify(reply.json)}`);
    return reply.json;
  }

  close() {
    if (this.owned) for (const { agent } of this.targets) agent.destroy();
  }
}

function runToEnd(hub, args, input) {
  const child = spawn(hub, args, { stdio: ['pipe', 'ignore', 'inherit'] });
  child.stdin.end(input);
  return new Promise((resolve) => child.on('exit', (status) => resolve(status)));
}

// /proc/PID/stat's fields from the third (state) on; null when PID is gone.
function statFields(pid) {
  try {
    return readFileSync(`/proc/${pid}/stat`, 'utf8').replace(/^.*\) /s, '').split(' ');
  } catch {
    return null;
  }
}

// The CPU seconds of a process and of its children, living or waited for
// (a hub's graders; a database server's backends); NaN without a process.
export function treeCpuSeconds(pid) {
  // utime, stime, cutime, cstime: fields 14-17, so 11-14 here; ticks of 1/100 s.
  const own = (fields) => fields.slice(11, 15).map(Number).reduce((a, b) => a + b, 0) / 100;
  const top = pid ? statFields(pid) : null;
  if (!top) return NaN;
  let seconds = own(top);
  for (const entry of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    const fields = statFields(entry);
    if (fields && Number(fields[1]) === pid) seconds += own(fields);
  }
  return seconds;
}

function startServe(hub, args) {
  const child = spawn(hub, args, { stdio: ['ignore', 'pipe', 'inherit'] });
  const exited = new Promise((resolve) => child.on('exit', resolve));
  const port = new Promise((resolve, reject) => {
    let seen = '';
    child.stdout.on('data', (chunk) => {
      seen += chunk;
      const line = /^listening 127\.0\.0\.1:(\d+)\n/.exec(seen);
      if (line) resolve(Number(line[1]));
    });
    exited.then(() => reject(new Error('dravel-hub serve ended before listening')));
  });
  child.stdout.resume();
  return { child, exited, port };
}

// `processes` hubs serving one store: a fresh data folder (SQLite) unless
// `database` names a server database, made once with `init`. Resolves to
// their ports, the CPU they used so far and how to stop them all.
export async function startHubs(hub, { database, processes = 1, jobs = 2, perAddress = null }) {
  const data = database ? null : mkdtempSync(path.join(tmpdir(), 'dravel-hub-bench-'));
  const store = database ? ['--database', database] : ['--data', data];
  const initStatus = await runToEnd(hub, ['init', ...store], `${PASSWORD}\n`);
  if (initStatus !== 0) throw new Error(`dravel-hub init failed (${initStatus})`);
  const serveArguments = ['serve', ...store, '--bind', '127.0.0.1', '--port', '0', '--jobs', String(jobs)];
  if (perAddress) serveArguments.push('--connections-per-address', String(perAddress));
  const serves = Array.from({ length: processes }, () => startServe(hub, serveArguments));
  const stopAll = async () => {
    for (const { child } of serves) child.kill('SIGTERM');
    await Promise.all(serves.map(({ exited }) => exited));
    if (data) rmSync(data, { recursive: true, force: true });
  };
  try {
    const ports = await Promise.all(serves.map(({ port }) => port));
    return {
      ports,
      cpu: () => serves.reduce((sum, { child }) => sum + treeCpuSeconds(child.pid), 0),
      stop: stopAll,
    };
  } catch (error) {
    await stopAll();
    throw error;
  }
}

// A class of `pupilCount` with the star as its assignment, made by `teacher`.
export async function makeClass(teacher, name, pupilCount) {
  const made = await teacher.expect(201, 'POST', '/api/classes', { name });
  const roster = Array.from({ length: pupilCount }, (_, i) => `${String(i + 1).padStart(4, '0')},学生${i + 1}`).join('\n');
  const listed = await teacher.expect(200, 'POST', `/api/classes/${made.id}/roster`, roster, 'text/csv');
  const work = await teacher.expect(201, 'POST', `/api/classes/${made.id}/assignments`,
    { title: '五角星', references: [referenceScript()], resubmit: true, show_score: true });
  return { classId: made.id, joinCode: made.join_code, pupils: listed.pupils, assignment: work.id };
}

// Opens `count` walls of the class on the given ports in turn; each records
// when it heard each hand-in in each state, under "id state".
export async function openWalls(ports, classId, cookie, count) {
  const walls = Array.from({ length: count }, (_, i) => {
    const url = `ws://127.0.0.1:${ports[i % ports.length]}/api/classes/${classId}/wall`;
    const socket = new WebSocket(url, { headers: { cookie }, perMessageDeflate: false });
    const heard = new Map();
    socket.on('message', (data) => {
      const message = JSON.parse(data.toString());
      heard.set(`${message.handin_id} ${message.state}`, performance.now());
    });
    return { socket, heard };
  });
  await Promise.all(walls.map(({ socket }) => new Promise((resolve, reject) => {
    socket.once('open', resolve);
    socket.once('error', (error) => reject(new Error(`a wall would not open: ${error.message}`)));
  })));
  return walls;
}

export const settled = (state) => state === 'graded' || state === 'failed';

// When `heard` (one wall's) got `handin`'s end; Infinity when it did not.
export const endHeard = (heard, handin) =>
  Math.min(heard.get(`${handin} graded`) ?? Infinity, heard.get(`${handin} failed`) ?? Infinity);

// The first moment any of `walls` heard `handin` end.
export const firstWallEnd = (walls, handin) => Math.min(...walls.map(({ heard }) => endHeard(heard, handin)));

// Nearest rank over the finite values: p50, p99 and max.
export function spread(values) {
  const sorted = values.filter(Number.isFinite).sort((a, b) => a - b);
  const at = (p) => (sorted.length ? sorted[Math.max(0, Math.ceil(sorted.length * p) - 1)] : NaN);
  return { p50: at(0.5), p99: at(0.99), max: sorted.at(-1) ?? NaN };
}

export const ms = (value) => (Number.isFinite(value) ? `${value.toFixed(value < 10 ? 1 : 0)} ms` : 'never');
