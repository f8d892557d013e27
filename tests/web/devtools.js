// Headless Chromium driven over --remote-debugging-pipe (no npm): the page's
// test and its benchmark share this.
//
//   const browser = launch(profileDir);   // CHROMIUM names the browser (default: chromium)
//   await browser.attach();                // to the first page
//   await browser.evaluate('1 + 1');
//   await browser.close();
'use strict';

const fs = require('fs');

const { spawn } = require('child_process');

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function launch(profileDir) {
  const browser = spawn(process.env.CHROMIUM || 'chromium', [
    '--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--user-data-dir=' + profileDir, '--remote-debugging-pipe', 'about:blank',
  ], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
  let browserLog = '';
  browser.stderr.on('data', (data) => { browserLog = (browserLog + data).slice(-4000); });

  let nextId = 1;
  const pending = new Map();
  // Called with every event; callers may push and remove their own.
  const listeners = [];
  let received = Buffer.alloc(0);
  browser.stdio[4].on('data', (data) => {
    received = Buffer.concat([received, data]);
    for (let end; (end = received.indexOf(0)) >= 0; received = received.subarray(end + 1)) {
      const message = JSON.parse(received.subarray(0, end).toString('utf8'));
      if (message.id !== undefined) {
        const call = pending.get(message.id);
        pending.delete(message.id);
        if (message.error) call.reject(new Error(`${call.method}: ${message.error.message}`));
        else call.resolve(message.result);
      } else {
        for (const listener of [...listeners]) listener(message);
      }
    }
  });

  function send(method, params = {}, sessionId) {
    const id = nextId++;
    browser.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
    return new Promise((resolve, reject) => pending.set(id, { method, resolve, reject }));
  }

  function nextEvent(method, match = () => true, timeoutMs = 30000) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        listeners.splice(listeners.indexOf(listener), 1);
        reject(new Error(`no ${method} within ${timeoutMs} ms`));
      }, timeoutMs);
      const listener = (message) => {
        if (message.method !== method || !match(message.params)) return;
        clearTimeout(timer);
        listeners.splice(listeners.indexOf(listener), 1);
        resolve(message.params);
      };
      listeners.push(listener);
    });
  }

  let session;
  const page = (method, params) => send(method, params, session);

  // Attaches to the page `targetId`, or the browser's first; `page` and the rest go to it.
  async function attach(targetId) {
    if (targetId === undefined) {
      const { targetInfos } = await send('Target.getTargets');
      targetId = targetInfos.find((info) => info.type === 'page').targetId;
    }
    ({ sessionId: session } = await send('Target.attachToTarget', { targetId, flatten: true }));
    return session;
  }

  // The session `page` and the rest go to, to come back to after a visit elsewhere.
  const current = () => session;
  const use = (sessionId) => {
    session = sessionId;
  };

  async function evaluate(expression) {
    const { result, exceptionDetails } = await page('Runtime.evaluate',
      { expression, awaitPromise: true, returnByValue: true });
    if (exceptionDetails) {
      throw new Error(`in the page: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
    }
    return result.value;
  }

  async function waitFor(what, expression, timeoutMs = 30000) {
    const end = Date.now() + timeoutMs;
    while (!(await evaluate(expression))) {
      if (Date.now() > end) {
        const hint = await evaluate(`document.getElementById('hint').value.slice(-300)`);
        throw new Error(`timed out waiting for ${what}; the hint box ends ${JSON.stringify(hint)}`);
      }
      await sleep(20);
    }
  }

  // A real click at the middle of the element.
  async function click(selector) {
    const box = await evaluate(`(() => {
      const r = document.querySelector(${JSON.stringify(selector)}).getBoundingClientRect();
      return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
    })()`);
    for (const type of ['mousePressed', 'mouseReleased']) {
      await page('Input.dispatchMouseEvent', { type, ...box, button: 'left', clickCount: 1 });
    }
  }

  // A key without modifiers (F2, Escape) or with them (2: Ctrl, 8: Shift).
  async function pressKey(key, modifiers = 0) {
    const codes = { Escape: 27, F1: 112, F2: 113, F6: 117, F7: 118, F8: 119, F10: 121, '.': 190 };
    const event = { key, code: key === '.' ? 'Period' : key.length === 1 ? 'Key' + key.toUpperCase() : key, modifiers,
                    windowsVirtualKeyCode: codes[key] ?? key.toUpperCase().charCodeAt(0) };
    await page('Input.dispatchKeyEvent', { type: 'rawKeyDown', ...event });
    await page('Input.dispatchKeyEvent', { type: 'keyUp', ...event });
  }

  // Alt+letter, as a learner presses a button's access key.
  async function accessKey(letter) {
    const key = { key: letter, code: 'Key' + letter.toUpperCase(), modifiers: 1, unmodifiedText: letter,
                  windowsVirtualKeyCode: letter.toUpperCase().charCodeAt(0) };
    await page('Input.dispatchKeyEvent', { type: 'keyDown', ...key });
    await page('Input.dispatchKeyEvent', { type: 'keyUp', ...key });
  }

  // Chromium's helper processes may still write into the profile a moment after
  // the browser has gone: a folder left behind in the temporary directory is
  // no failure.
  function removeProfile(folder) {
    try {
      fs.rmSync(folder, { recursive: true, force: true, maxRetries: 10, retryDelay: 200 });
    } catch (error) {
      console.error(`left ${folder} behind: ${error.code}`);
    }
  }

  async function close() {
    if (browser.exitCode !== null || browser.signalCode !== null) return;
    const exited = new Promise((resolve) => browser.once('exit', resolve));
    browser.kill();
    await exited;
  }

  return {
    send, nextEvent, listeners, attach, current, use, page, evaluate, waitFor, click, pressKey, accessKey, close,
    removeProfile,
    pid: () => browser.pid,
    log: () => browserLog,
  };
}

// Serves `folder` on a free localhost port, as a plain static server would;
// resolves to {url, served, close()}: `served` the paths asked for, in order,
// close ending every connection at once.
function serve(folder) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.png': 'image/png',
                  '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json' };
  const sockets = new Set();
  const served = [];
  const server = require('http').createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/\/$/, '/index.html');
    served.push(name);
    const file = require('path').join(folder, name);
    if (!file.startsWith(folder) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[require('path').extname(file)] ?? 'application/octet-stream' });
    response.end(request.method === 'HEAD' ? undefined : fs.readFileSync(file));
  });
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({
    url: `http://127.0.0.1:${server.address().port}/`,
    served,
    close: () => new Promise((closed) => {
      server.close(closed);
      for (const socket of sockets) socket.destroy();
    }),
  })));
}

module.exports = { launch, serve, sleep };
