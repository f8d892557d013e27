#!/usr/bin/env node
// The page against dravel-render for scripts/bench --peers: one heavy script (five million
// passes of a star's two commands) run in turn by dravel-render writing its PNG and by the page
// under headless Chromium (from the click on 调试 to the run's closing message), median of 3
// each, wall time and CPU time (the process's; the page's worker thread's, read from /proc, so
// a machine loaded by other work weighs less on the ratio); then the page's load to ready (the
// run button enabled), median of 5: cold (a new browser profile: no cache, no service worker,
// no compiled code kept) and warm (a reload, the service worker answering).
//
//   node bench/peers/page_vs_render.js DRAVEL-RENDER PAGE-FOLDER
//   (RUNS and LOADS in the environment change the counts of runs and loads)
'use strict';

const { execFileSync, spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const devtools = require('../../tests/web/devtools');

const [render, folder] = process.argv.slice(2);
if (!folder) {
  console.error('usage: page_vs_render.js DRAVEL-RENDER PAGE-FOLDER');
  process.exit(2);
}
const HEAVY = '重复 5000000 【前进 100|右转 144】';
const RUNS = Number(process.env.RUNS ?? 3);
const LOADS = Number(process.env.LOADS ?? 5);
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];

// CPU ms of every thread of `root` and its descendants whose name matches `pattern`.
function threadCpuMs(root, pattern) {
  const children = new Map();
  for (const pid of fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const parent = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
      children.set(parent, [...(children.get(parent) ?? []), Number(pid)]);
    } catch {} // gone meanwhile
  }
  const ticksPerSecond = Number(execFileSync('getconf', ['CLK_TCK'], { encoding: 'utf8' }));
  let ticks = 0;
  for (const todo = [root]; todo.length > 0;) {
    const pid = todo.pop();
    todo.push(...(children.get(pid) ?? []));
    let tasks = [];
    try {
      tasks = fs.readdirSync(`/proc/${pid}/task`);
    } catch {
      continue;
    }
    for (const task of tasks) {
      try {
        const stat = fs.readFileSync(`/proc/${pid}/task/${task}/stat`, 'utf8');
        if (!pattern.test(stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')')))) continue;
        const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
        ticks += Number(fields[11]) + Number(fields[12]); // utime, stime
      } catch {}
    }
  }
  return ticks * 1000 / ticksPerSecond;
}

// dravel-render on the script, writing its PNG: {wall, cpu} in ms.
function renderRun(script, work) {
  const timed = spawnSync('/usr/bin/time', ['-f', '%e %U %S', render, '--timeout', '600', '-o', path.join(work, 'heavy.png'), script],
                          { encoding: 'utf8', stdio: ['ignore', 'ignore', 'pipe'] });
  if (timed.status !== 0) throw new Error(`${render}: ${timed.stderr}`);
  const [wall, user, system] = timed.stderr.trim().split('\n').pop().split(' ').map(Number);
  return { wall: wall * 1000, cpu: (user + system) * 1000 };
}

// Installed in every document before its scripts: the time the run button is first enabled.
const READY_PROBE = `document.addEventListener('DOMContentLoaded', () => {
  const run = document.getElementById('run');
  const seen = () => { if (!run.disabled && window.readyAt === undefined) window.readyAt = performance.now(); };
  new MutationObserver(seen).observe(run, { attributes: true, attributeFilter: ['disabled'] });
  seen();
});`;

// Resolves with the ms from the next click on 调试 to the end of its run.
const TIME_NEXT_RUN = `window.runTime = new Promise((resolve) => {
  const run = document.getElementById('run');
  const hint = document.getElementById('hint');
  let clickedAt = null;
  addEventListener('click', (event) => {
    if (event.target.closest('#run') !== null) clickedAt = performance.now();
  }, { capture: true, once: true });
  const observer = new MutationObserver(() => {
    if (clickedAt === null || run.disabled || !/程序调试完毕/.test(hint.value)) return;
    observer.disconnect();
    resolve(performance.now() - clickedAt);
  });
  observer.observe(run, { attributes: true, attributeFilter: ['disabled'] });
}), undefined`;

// A browser with a fresh profile on the page: {browser, profile, readyAt}.
async function openPage(url) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'dravel-page-peers-'));
  const browser = devtools.launch(profile);
  await browser.attach();
  await browser.page('Page.enable');
  await browser.page('Emulation.setDeviceMetricsOverride',
    { width: 1366, height: 768, deviceScaleFactor: 1, mobile: false });
  await browser.page('Page.addScriptToEvaluateOnNewDocument', { source: READY_PROBE });
  return { browser, profile, readyAt: await navigate(browser, url) };
}

async function navigate(browser, url) {
  const loaded = browser.nextEvent('Page.loadEventFired');
  await browser.page('Page.navigate', { url });
  await loaded;
  await browser.waitFor('the page to be ready', 'window.readyAt !== undefined');
  return browser.evaluate('window.readyAt');
}

async function closePage({ browser, profile }) {
  await browser.close();
  browser.removeProfile(profile);
}

// The heavy script in the page: {wall, cpu} in ms, cpu the worker threads'.
async function pageRun(browser) {
  await browser.evaluate(TIME_NEXT_RUN);
  const before = threadCpuMs(browser.pid(), /DedicatedWorker/);
  await browser.click('#run');
  const wall = await browser.evaluate('window.runTime');
  return { wall, cpu: threadCpuMs(browser.pid(), /DedicatedWorker/) - before };
}

async function main() {
  const server = await devtools.serve(path.resolve(folder));
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'dravel-page-peers-'));
  try {
    const script = path.join(work, 'heavy.dvg');
    fs.writeFileSync(script, execFileSync('iconv', ['-f', 'UTF-8', '-t', 'GBK'], { input: HEAVY }));
    const opened = await openPage(server.url);
    const page = [];
    const native = [];
    try {
      await opened.browser.evaluate(`document.getElementById('editor').value = ${JSON.stringify(HEAVY)}`);
      for (let i = 0; i < RUNS; ++i) {
        native.push(renderRun(script, work));
        page.push(await pageRun(opened.browser));
      }
    } finally {
      await closePage(opened);
    }
    const cold = [];
    const warm = [];
    for (let i = 0; i < LOADS; ++i) {
      const fresh = await openPage(server.url);
      try {
        cold.push(fresh.readyAt);
        await fresh.browser.waitFor('the service worker', 'navigator.serviceWorker.controller !== null');
        warm.push(await navigate(fresh.browser, server.url));
      } finally {
        await closePage(fresh);
      }
    }
    const figure = (runs, what) => median(runs.map((run) => run[what]));
    console.log('| heavy script (10 million commands) | dravel-render + PNG | the page | page / dravel-render |');
    console.log('|---|---|---|---|');
    for (const what of ['wall', 'cpu']) {
      const [ours, theirs] = [figure(page, what), figure(native, what)];
      console.log(`| ${what === 'wall' ? 'wall time' : "CPU time (the page: its workers' threads)"} | ` +
                  `${theirs.toFixed(0)} ms | ${ours.toFixed(0)} ms | ×${(ours / theirs).toFixed(2)} |`);
    }
    console.log(`page load to ready: cold ${median(cold).toFixed(0)} ms, warm ${median(warm).toFixed(0)} ms ` +
                `(median of ${LOADS}; load average ${os.loadavg()[0].toFixed(1)})`);
  } finally {
    await server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(String(error.stack || error));
  process.exitCode = 1;
});
