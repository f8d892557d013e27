// A district's lesson against fresh hubs on 127.0.0.1: CLASSES classes of
// PUPILS each, every pupil logged in beforehand and handing in once, at a
// moment spread evenly at random over MINUTES (the same moments for the same
// seed), with VIEWERS walls open on each class. One process on a temporary
// data folder (SQLite), or PROCESSES processes on one --database; the
// client sends each request to the next process in turn, over a pool of
// keep-alive connections per process as a reverse proxy keeps them. After
// its hand-in each pupil asks for its state every 2 s, as the page does.
//
// Measured, and appended as one JSON line to --results FILE (district_table.mjs
// prints those as a Markdown table):
// - hand-ins per second acknowledged (201s over the time from the first sent
//   to the last acknowledged) and graded (to the last graded);
// - acknowledged: from sending a hand-in to its 201; graded: from sending to
//   the first sign it was graded (a wall's message or a poll); p50 and p99;
// - the wall's delay: each viewer's arrival of each graded message after
//   that first sign, and how many it never heard;
// - every answer other than the expected one, by status, and connection faults;
// - the 1-minute load average sampled through the run; the CPU the hubs
//   (their graders included) and the database server (--database-pid) used.
//
// Bounded: the run gives up MINUTES + 10 minutes after the first hand-in.
//   node bench/hub/district_load.mjs HUB [--database URL] [--processes N] [--jobs N]
//     [--classes N] [--pupils N] [--viewers N] [--minutes N] [--seed N] [--sockets N]
//     [--database-pid PID] [--label TEXT] [--results FILE]
import { createHash } from 'node:crypto';
import { appendFileSync } from 'node:fs';
import { loadavg } from 'node:os';
import { setTimeout as sleep } from 'node:timers/promises';
import {
  Client, PASSWORD, endHeard, firstWallEnd, hubTarget, makeClass, openWalls, pupilScripts, settled,
  spread, startHubs, treeCpuSeconds,
} from './hub_client.mjs';

const POLL_MS = 2000; // the page's
const GRACE_MS = 10 * 60000;
const WALL_WAIT_MS = 10000;
const LOAD_SAMPLE_MS = 5000;
const SETUP_CONCURRENCY = 16;

function parseArguments(argv) {
  const options = { hub: argv[0], database: null, processes: 1, jobs: 2, classes: 100, pupils: 40, viewers: 4,
    minutes: 5, seed: 1, sockets: 64, databasePid: null, label: null, results: null };
  const numbers = { '--processes': 'processes', '--jobs': 'jobs', '--classes': 'classes', '--pupils': 'pupils',
    '--viewers': 'viewers', '--minutes': 'minutes', '--seed': 'seed', '--sockets': 'sockets',
    '--database-pid': 'databasePid' };
  const texts = { '--database': 'database', '--label': 'label', '--results': 'results' };
  for (let i = 1; i < argv.length; i += 2) {
    const value = argv[i + 1];
    if (texts[argv[i]] && value) {
      options[texts[argv[i]]] = value;
    } else if (numbers[argv[i]] && Number(value) >= 0 && Number.isFinite(Number(value))) {
      options[numbers[argv[i]]] = Number(value);
    } else {
      throw new Error(`bad option: ${argv[i]} ${value}`);
    }
  }
  if (!options.hub) throw new Error('usage: district_load.mjs HUB [--database URL] [--processes N] ...');
  if (!options.database && options.processes !== 1) throw new Error('several processes need --database');
  options.label ??= `${options.database ? 'PostgreSQL' : 'SQLite'}, ${options.processes} process` +
    (options.processes > 1 ? 'es' : '');
  return options;
}

// Pupil `index`'s moment in [0, spanMs), the same for the same seed: a hash
// of both read as a fraction.
const moment = (seed, index, spanMs) =>
  (createHash('sha256').update(`${seed}:${index}`).digest().readUInt32BE(0) / 2 ** 32) * spanMs;

// Runs `work` on each item, at most `limit` at once.
async function eachLimited(items, limit, work) {
  let next = 0;
  const lane = async () => { while (next < items.length) await work(items[next++]); };
  await Promise.all(Array.from({ length: limit }, lane));
}

// The classes, their walls and every pupil logged in.
async function setUp(options, hub, targets) {
  const teacher = new Client(targets);
  await teacher.expect(200, 'POST', '/api/teacher/login', { password: PASSWORD });
  const classes = [];
  await eachLimited(Array.from({ length: options.classes }, (_, i) => i), SETUP_CONCURRENCY, async (i) => {
    classes[i] = await makeClass(teacher, `区${String(i + 1).padStart(3, '0')}班`, options.pupils);
  });
  for (const room of classes) room.walls = await openWalls(hub.ports, room.classId, teacher.cookie, options.viewers);
  const pupils = classes.flatMap((room) => room.pupils.map((pupil) => ({ room, pupil, client: new Client(targets) })));
  await eachLimited(pupils, SETUP_CONCURRENCY, ({ room, pupil, client }) => client.expect(200, 'POST',
    '/api/pupil/login', { join_code: room.joinCode, number: pupil.number, code: pupil.code }));
  return { walls: classes.flatMap((room) => room.walls), pupils };
}

// Tallies an answer that is not `expected`, by method and status.
function tally(errors, method, status, expected) {
  if (status === expected) return;
  const key = `${method} ${status}`;
  errors[key] = (errors[key] ?? 0) + 1;
}

async function request(client, errors, method, target, body, expected) {
  try {
    const reply = await client.request(method, target, body);
    tally(errors, method, reply.status, expected);
    return reply;
  } catch {
    tally(errors, method, 'connection fault', expected);
    return { status: 0, json: null };
  }
}

// One pupil's lesson: waits for its moment, hands in, then polls as the page does.
async function lesson({ room, client }, script, at, limit, errors) {
  await sleep(at - performance.now());
  const sent = performance.now();
  const reply = await request(client, errors, 'POST', `/api/assignments/${room.assignment}/handins`, { script }, 201);
  const acknowledged = performance.now();
  if (reply.status !== 201) return { room, sent, acknowledged };
  const id = reply.json.handin_id;
  for (;;) {
    await sleep(POLL_MS);
    const { status, json } = await request(client, errors, 'GET', `/api/handins/${id}`, undefined, 200);
    if (status === 200 && settled(json.state)) return { room, sent, acknowledged, id, polled: performance.now(), state: json.state };
    if (performance.now() > limit) return { room, sent, acknowledged, id, polled: Infinity, state: json?.state };
  }
}

function sampleLoad(samples) {
  const timer = setInterval(() => samples.push(loadavg()[0]), LOAD_SAMPLE_MS);
  samples.push(loadavg()[0]);
  return () => clearInterval(timer);
}

// Until each hand-in's class's viewers all heard it end, or `until`.
async function waitForWalls(taken, until) {
  const heardAll = () => taken.every((r) => r.room.walls.every(({ heard }) => Number.isFinite(endHeard(heard, r.id))));
  while (!heardAll() && performance.now() < until) await sleep(100);
}

// Sets each hand-in's first sign of its grading; each of its class's
// viewers' delay after that, Infinity for a viewer that never heard it.
function wallDelays(taken) {
  const delays = [];
  for (const r of taken) {
    r.ended = Math.min(r.polled, firstWallEnd(r.room.walls, r.id));
    for (const { heard } of r.room.walls) delays.push(endHeard(heard, r.id) - r.ended);
  }
  return delays;
}

function summarise(options, results, t0, loads) {
  const taken = results.filter((r) => r.id !== undefined);
  const graded = taken.filter((r) => settled(r.state));
  const delays = wallDelays(taken);
  const firstSent = Math.min(...results.map((r) => r.sent));
  const lastSent = Math.max(...results.map((r) => r.sent));
  const lastAcknowledged = Math.max(...taken.map((r) => r.acknowledged));
  const lastGraded = Math.max(...graded.map((r) => r.ended));
  const seconds = (to) => (to - firstSent) / 1000;
  return {
    label: options.label,
    processes: options.processes,
    jobs: options.jobs,
    handins: results.length,
    minutes: options.minutes,
    offered: options.minutes > 0 ? results.length / (options.minutes * 60) : Infinity,
    acknowledged: taken.length,
    acknowledgedPerSecond: taken.length / seconds(lastAcknowledged),
    graded: graded.length,
    failed: taken.filter((r) => r.state === 'failed').length,
    gradedPerSecond: graded.length / seconds(lastGraded),
    drainSeconds: (lastGraded - lastSent) / 1000,
    acknowledgement: spread(results.map((r) => r.acknowledged - r.sent)),
    grading: spread(taken.map((r) => r.ended - r.sent)),
    wall: spread(delays),
    wallMissed: delays.filter((d) => !Number.isFinite(d)).length,
    wallMessages: delays.length,
    loadStart: loads[0],
    loadMean: loads.reduce((a, b) => a + b, 0) / loads.length,
    loadMax: Math.max(...loads),
    runSeconds: (performance.now() - t0) / 1000,
  };
}

async function main(options) {
  const perAddress = Math.ceil((options.classes * options.viewers) / options.processes) + options.sockets + 16;
  const hub = await startHubs(options.hub, { database: options.database, processes: options.processes,
    jobs: options.jobs, perAddress: Math.max(512, perAddress) });
  const targets = hub.ports.map((port) => hubTarget(port, options.sockets));
  let walls = [];
  try {
    const setup = await setUp(options, hub, targets);
    walls = setup.walls;
    const scripts = pupilScripts();
    const errors = {};
    const loads = [];
    const stopSampling = sampleLoad(loads);
    const hubCpu = hub.cpu();
    const databaseCpu = treeCpuSeconds(options.databasePid);
    const t0 = performance.now() + 1000;
    const limit = t0 + options.minutes * 60000 + GRACE_MS;
    const results = await Promise.all(setup.pupils.map((pupil, i) =>
      lesson(pupil, scripts[i % scripts.length], t0 + moment(options.seed, i, options.minutes * 60000), limit, errors)));
    await waitForWalls(results.filter((r) => r.id !== undefined), performance.now() + WALL_WAIT_MS);
    stopSampling();
    return { ...summarise(options, results, t0, loads), errors, hubCpuSeconds: hub.cpu() - hubCpu,
      databaseCpuSeconds: treeCpuSeconds(options.databasePid) - databaseCpu };
  } finally {
    for (const { socket } of walls) socket.terminate();
    for (const { agent } of targets) agent.destroy();
    await hub.stop();
  }
}

const options = parseArguments(process.argv.slice(2));
console.log(`district: ${options.classes} classes × ${options.pupils} pupils over ${options.minutes} min, ` +
  `${options.classes * options.viewers} wall viewers; ${options.label}, --jobs ${options.jobs}`);
const summary = await main(options);
console.log(JSON.stringify(summary));
if (options.results) appendFileSync(options.results, `${JSON.stringify(summary)}\n`);
