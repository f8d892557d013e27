#!/usr/bin/env node
// The page's figures of scripts/bench --web: under headless Chromium, each workload w1-w4 put
// into the editor, 清屏 then 调试 clicked, and the time from the click on 调试 to the run's end
// (the button enabled again, the hint closing with 程序调试完毕), median of 7; the page's
// load to ready (the worker's module loaded), median of 7, cold (nothing of the page kept by the
// browser: no cache, no service worker) and warm (a reload, the service worker answering); and
// the size of the page's JavaScript and module as sent and gzip-compressed (build-web/web).
// Times are taken in the page, so the DevTools round trips are not in them.
//
//   node bench/web_page_bench.js URL        (the page served by someone else)
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const devtools = require('../tests/web/devtools');

const url = process.argv[2];
if (!url) {
  console.error('usage: web_page_bench.js URL');
  process.exit(2);
}
const workloads = ['w1_spiral', 'w2_star', 'w3_circles', 'w4_star5'];
const times = 7;
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'dravel-page-bench-'));
const browser = devtools.launch(profile);
const { page, evaluate, waitFor, click } = browser;

// Installed in every document before its scripts: the time the run button is first enabled.
const readyProbe = `document.addEventListener('DOMContentLoaded', () => {
  const run = document.getElementById('run');
  const seen = () => { if (!run.disabled && window.readyAt === undefined) window.readyAt = performance.now(); };
  new MutationObserver(seen).observe(run, { attributes: true, attributeFilter: ['disabled'] });
  seen();
});`;

// Resolves with the ms from the next click on 调试 to the end of its run.
const timeNextRun = `window.runTime = new Promise((resolve, reject) => {
  const run = document.getElementById('run');
  const hint = document.getElementById('hint');
  let clickedAt = null;
  const clicked = (event) => {
    if (event.target.closest('#run') === null) return;
    clickedAt = performance.now();
    window.removeEventListener('click', clicked, true);
  };
  window.addEventListener('click', clicked, true);  // before the page's own listener
  const observer = new MutationObserver(() => {
    if (clickedAt === null || run.disabled || !/程序调试完毕/.test(hint.value)) return;
    observer.disconnect();
    resolve(performance.now() - clickedAt);
  });
  observer.observe(run, { attributes: true, attributeFilter: ['disabled'] });
  setTimeout(() => reject(new Error('no end of the run in 120 s; the hint ends ' +
                                    JSON.stringify(hint.value.slice(-200)))), 120000);
}), undefined`;

// A cold load first forgets everything the browser kept of the page.
async function load(cold) {
  if (cold) {
    await page('Storage.clearDataForOrigin', { origin: new URL(url).origin, storageTypes: 'all' });
    await page('Network.clearBrowserCache');
  }
  const loaded = browser.nextEvent('Page.loadEventFired');
  await page('Page.navigate', { url });
  await loaded;
  await waitFor('the page to be ready', `window.readyAt !== undefined`);
  return evaluate('window.readyAt');
}

async function main() {
  await browser.attach();
  await page('Page.enable');
  await page('Emulation.setDeviceMetricsOverride',
    { width: 800, height: 700, deviceScaleFactor: 1, mobile: false });
  await page('Page.addScriptToEvaluateOnNewDocument', { source: readyProbe });
  await page('Network.enable');
  const cold = [];
  const warm = [];
  for (let i = 0; i < times; ++i) {
    cold.push(await load(true));
    await waitFor('the service worker', 'navigator.serviceWorker.controller !== null');
    warm.push(await load(false));
  }
  await evaluate(`function canvasHash() {
    const c = document.getElementById('canvas');
    const words = new Uint32Array(c.getContext('2d').getImageData(0, 0, c.width, c.height).data.buffer);
    let hash = 2166136261;
    for (let i = 0; i < words.length; ++i) hash = Math.imul(hash ^ words[i], 16777619);
    return hash >>> 0;
  }`);
  // What 清屏 leaves: the first frame may come a little after ready.
  await click('#clear');
  await devtools.sleep(500);
  const blank = await evaluate('canvasHash()');

  console.log('| workload | page (worker) |');
  console.log('|---|---|');
  for (const workload of workloads) {
    const bytes = fs.readFileSync(path.join(__dirname, 'data', workload + '.dvg'));
    const script = new TextDecoder('gbk').decode(bytes).replace(/\r\n/g, '\n');
    await evaluate(`document.getElementById('editor').value = ${JSON.stringify(script)}`);
    const runs = [];
    for (let i = 0; i < times; ++i) {
      await click('#clear');
      await waitFor('the canvas to clear', `canvasHash() === ${blank}`);
      await evaluate(timeNextRun);
      await click('#run');
      runs.push(await evaluate('window.runTime'));
    }
    console.log(`| ${workload} | ${median(runs).toFixed(1)} ms |`);
  }
  console.log(`page load to ready: cold ${median(cold).toFixed(1)} ms, warm ${median(warm).toFixed(1)} ms ` +
              `(median of ${times})`);
  const built = path.join(__dirname, '../build-web/web');
  const size = (names) => {
    const bytes = Buffer.concat(names.map((name) => fs.readFileSync(path.join(built, name))));
    return `${(bytes.length / 1024).toFixed(0)} KB, ${(zlib.gzipSync(bytes, { level: 9 }).length / 1024).toFixed(0)} KB gzip`;
  };
  console.log(`the page's JavaScript (app.js, worker.js): ${size(['app.js', 'worker.js'])}; ` +
              `the module (dravel-web.wasm): ${size(['dravel-web.wasm'])}`);
}

main()
  .catch((error) => {
    console.error(String(error.stack || error));
    process.exitCode = 1;
  })
  .finally(async () => {
    await browser.close();
    browser.removeProfile(profile);
  });
