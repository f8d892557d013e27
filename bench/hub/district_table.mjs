// The district lessons that district_load.mjs appended to FILE, one column
// each, as a Markdown table.
//   node bench/hub/district_table.mjs FILE
import { readFileSync } from 'node:fs';

const runs = readFileSync(process.argv[2], 'utf8').split('\n').filter(Boolean).map((line) => JSON.parse(line));

const fixed = (digits) => (value) => (value === null || !Number.isFinite(value) ? '—' : value.toFixed(digits));
const time = (value) => {
  if (value === null || !Number.isFinite(value)) return '—';
  return value >= 1000 ? `${(value / 1000).toFixed(2)} s` : `${value.toFixed(value < 10 ? 1 : 0)} ms`;
};
const pair = (format, a, b) => `${format(a)} / ${format(b)}`;
const errors = (r) => Object.entries(r.errors).map(([key, n]) => `${key}: ${n}`).join(', ') || 'none';

const rows = [
  ['hand-ins (acknowledged, graded of them, failed)', (r) => `${r.handins} (${r.acknowledged}, ${r.graded}, ${r.failed})`],
  ['offered, per second', (r) => fixed(1)(r.offered)],
  ['acknowledged per second', (r) => fixed(1)(r.acknowledgedPerSecond)],
  ['graded per second', (r) => fixed(1)(r.gradedPerSecond)],
  ['all graded after the last hand-in', (r) => time(r.drainSeconds * 1000)],
  ['acknowledgement p50 / p99', (r) => pair(time, r.acknowledgement.p50, r.acknowledgement.p99)],
  ['grading (sent → graded seen) p50 / p99', (r) => pair(time, r.grading.p50, r.grading.p99)],
  ['wall delay p50 / p99 / max', (r) => `${pair(time, r.wall.p50, r.wall.p99)} / ${time(r.wall.max)}`],
  ['wall messages never heard', (r) => `${r.wallMissed} of ${r.wallMessages}`],
  ['errors by status', errors],
  ['load average (1 min) at start / mean / max', (r) => `${fixed(2)(r.loadStart)} / ${fixed(2)(r.loadMean)} / ${fixed(2)(r.loadMax)}`],
  ['CPU: hubs with graders / database server', (r) => `${fixed(1)(r.hubCpuSeconds)} s / ${fixed(1)(r.databaseCpuSeconds)} s`],
  ['CPU per graded hand-in (hubs + database)', (r) => time(((r.hubCpuSeconds + (r.databaseCpuSeconds ?? 0)) / r.graded) * 1000)],
];

console.log(`| figure | ${runs.map((r) => `${r.label} (--jobs ${r.jobs})`).join(' | ')} |`);
console.log(`|---|${runs.map(() => '---|').join('')}`);
for (const [name, cell] of rows) console.log(`| ${name} | ${runs.map(cell).join(' | ')} |`);
