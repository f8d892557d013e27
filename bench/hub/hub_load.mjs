// A class handing in at once against a fresh hub on 127.0.0.1, with the
// wall open on many screens. Each run starts its own hub (a temporary data
// folder, port 0), makes a class of PUPILS with one assignment (the star of
// tests/data/star), opens VIEWERS walls with the teacher's cookie, logs
// every pupil in, and then has them all hand in at the same moment (the
// star class's scripts in turn). Each pupil then asks for its hand-in's
// state every POLL_MS, as the page does every two seconds but closer, so
// the moment grading ended is seen to within that.
//
// Printed per run and, over several runs, their median:
// - acknowledged: from sending a hand-in to its 201 (p50, p99, max);
// - graded: from sending a hand-in to the first sign the hub gives that it
//   is graded: a poll answering graded or failed, or its message on any
//   wall, whichever comes first (p50, p99); "all graded" is the last of
//   them from the moment all were sent;
// - wall delay: for each viewer and each graded hand-in, the message's
//   arrival at that viewer after that first sign (p50, p99, max). The time
//   between the hub storing the outcome and that first sign is not in it:
//   at most a poll interval, less where a wall heard first.
// - how many viewers heard every message (each hand-in's queued and graded).
//
// Everything goes to 127.0.0.1 only; each run is bounded in time and stops
// its hub with SIGTERM.
//   node bench/hub/hub_load.mjs HUB [--runs N] [--jobs N] [--pupils N] [--viewers N]
//                               [--connections-per-address N]
import { loadavg } from 'node:os';
import { setTimeout as sleep } from 'node:timers/promises';
import {
  Client, PASSWORD, endHeard, firstWallEnd, makeClass, ms, openWalls, pupilScripts, settled, spread, startHubs,
} from './hub_client.mjs';

const POLL_MS = 100;
const RUN_LIMIT_MS = 120000;
// After the last grading, how long the walls may take to hear it before a
// viewer counts as having missed a message.
const WALL_WAIT_MS = 10000;

function parseArguments(argv) {
  const options = { hub: argv[0], runs: 3, jobs: 2, pupils: 40, viewers: 200, perAddress: null };
  const names = { '--runs': 'runs', '--jobs': 'jobs', '--pupils': 'pupils', '--viewers': 'viewers',
    '--connections-per-address': 'perAddress' };
  for (let i = 1; i < argv.length; i += 2) {
    const key = names[argv[i]];
    const value = Number(argv[i + 1]);
    if (!key || !Number.isInteger(value) || value < 1) throw new Error(`bad option: ${argv[i]} ${argv[i + 1]}`);
    options[key] = value;
  }
  if (!options.hub) throw new Error('usage: hub_load.mjs HUB [--runs N] [--jobs N] [--pupils N] [--viewers N]');
  return options;
}

async function handIn(client, setup, script, started, limit) {
  await started;
  const sent = performance.now();
  const reply = await client.request('POST', `/api/assignments/${setup.assignment}/handins`, { script });
  const acknowledged = performance.now();
  if (reply.status !== 201) return { sent, acknowledged, refused: `${reply.status} ${JSON.stringify(reply.json)}` };
  const id = reply.json.handin_id;
  for (;;) {
    const { json } = await client.request('GET', `/api/handins/${id}`);
    if (settled(json.state)) return { sent, acknowledged, id, polled: performance.now(), state: json.state };
    if (performance.now() > limit) return { sent, acknowledged, id, polled: Infinity, state: json.state };
    await sleep(POLL_MS);
  }
}

async function waitForWalls(walls, ids, until) {
  const heardAll = () => walls.every(({ heard }) =>
    ids.every((id) => heard.has(`${id} graded`) || heard.has(`${id} failed`)));
  while (!heardAll() && performance.now() < until) await sleep(50);
}

async function oneRun(options) {
  const hub = await startHubs(options.hub, { jobs: options.jobs, perAddress: options.perAddress });
  const [port] = hub.ports;
  const teacher = Client.own(port);
  const clients = [teacher];
  let walls = [];
  try {
    await teacher.expect(200, 'POST', '/api/teacher/login', { password: PASSWORD });
    const setup = await makeClass(teacher, '压力测试班', options.pupils);
    walls = await openWalls(hub.ports, setup.classId, teacher.cookie, options.viewers);
    const scripts = pupilScripts();
    for (const pupil of setup.pupils) {
      const client = Client.own(port);
      await client.expect(200, 'POST', '/api/pupil/login', { join_code: setup.joinCode, number: pupil.number, code: pupil.code });
      clients.push(client);
    }
    const load = loadavg()[0];
    let go;
    const started = new Promise((resolve) => { go = resolve; });
    const limit = performance.now() + RUN_LIMIT_MS;
    const runs = clients.slice(1).map((client, i) => handIn(client, setup, scripts[i % scripts.length], started, limit));
    const t0 = performance.now();
    go();
    const results = await Promise.all(runs);
    const taken = results.filter((r) => r.id !== undefined);
    const lastPoll = Math.max(...taken.map((r) => r.polled));
    await waitForWalls(walls, taken.map((r) => r.id), Math.min(lastPoll, limit) + WALL_WAIT_MS);
    for (const r of taken) r.ended = Math.min(r.polled, firstWallEnd(walls, r.id));
    const delays = [];
    for (const { heard } of walls) {
      for (const r of taken) {
        delays.push(endHeard(heard, r.id) - r.ended);
      }
    }
    const complete = walls.filter(({ heard }) => taken.every((r) => heard.has(`${r.id} queued`) &&
      (heard.has(`${r.id} graded`) || heard.has(`${r.id} failed`)))).length;
    for (const r of results.filter((r) => r.refused)) console.log(`  refused: ${r.refused}`);
    return {
      load,
      acknowledged: spread(results.map((r) => r.acknowledged - r.sent)),
      graded: spread(taken.map((r) => r.ended - r.sent)),
      allGraded: Math.max(...taken.map((r) => r.ended)) - t0,
      refused: results.length - taken.length,
      failed: taken.filter((r) => r.state !== 'graded').length,
      wall: spread(delays),
      wallMissed: delays.filter((d) => !Number.isFinite(d)).length,
      complete,
    };
  } finally {
    for (const { socket } of walls) socket.terminate();
    for (const client of clients) client.close();
    await hub.stop();
  }
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor((values.length - 1) / 2)];

function describe(r, options) {
  return [
    `load ${r.load.toFixed(2)} (1-minute average as the hand-ins were sent)`,
    `acknowledged (201): p50 ${ms(r.acknowledged.p50)}  p99 ${ms(r.acknowledged.p99)}  max ${ms(r.acknowledged.max)}`,
    `graded, from each hand-in: p50 ${ms(r.graded.p50)}  p99 ${ms(r.graded.p99)}; all ${options.pupils} graded after ${ms(r.allGraded)}`,
    `refused ${r.refused}, failed ${r.failed}`,
    `wall, after the grading was first seen: p50 ${ms(r.wall.p50)}  p99 ${ms(r.wall.p99)}  max ${ms(r.wall.max)}` +
      (r.wallMissed ? `  (${r.wallMissed} messages never heard)` : ''),
    `viewers that heard every message: ${r.complete} of ${options.viewers}`,
  ];
}

const options = parseArguments(process.argv.slice(2));
console.log(`hub: ${options.pupils} pupils handing in at once, ${options.viewers} wall viewers, --jobs ${options.jobs}, ` +
  `${options.pupils + options.viewers + 1} connections from 127.0.0.1` +
  (options.perAddress ? ` (--connections-per-address ${options.perAddress})` : ' (the hub\'s default cap per address)'));
const results = [];
for (let run = 1; run <= options.runs; ++run) {
  const r = await oneRun(options);
  results.push(r);
  console.log(`run ${run}:`);
  for (const line of describe(r, options)) console.log(`  ${line}`);
  await sleep(1000);
}
if (options.runs > 1) {
  const pick = (get) => median(results.map(get));
  const middle = {
    load: pick((r) => r.load),
    acknowledged: { p50: pick((r) => r.acknowledged.p50), p99: pick((r) => r.acknowledged.p99), max: pick((r) => r.acknowledged.max) },
    graded: { p50: pick((r) => r.graded.p50), p99: pick((r) => r.graded.p99) },
    allGraded: pick((r) => r.allGraded),
    refused: pick((r) => r.refused),
    failed: pick((r) => r.failed),
    wall: { p50: pick((r) => r.wall.p50), p99: pick((r) => r.wall.p99), max: pick((r) => r.wall.max) },
    wallMissed: pick((r) => r.wallMissed),
    complete: pick((r) => r.complete),
  };
  console.log(`median of ${options.runs} runs, each figure apart:`);
  for (const line of describe(middle, options)) console.log(`  ${line}`);
}
