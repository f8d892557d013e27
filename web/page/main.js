// The page of the web edition: the window's controls in HTML, runs in a
// worker (worker.js: the interpreter and canvas in WebAssembly). The page
// keeps the editor, the hint box, the files, what the browser keeps and the
// keys; the module reads and writes every GBK byte, checks and draws.
import { BackgroundPicture } from './background.js';
import { checker } from './checker.js';
import { ScriptEditor } from './editor.js';
import { SourceFiles, baseName, download } from './files.js';
import { leadingInteger } from './gbk_text.js';
import { Hint } from './hint.js';
import { keyActions, setAccessKeys } from './keys.js';
import { CommandReference, ExampleChooser } from './learning.js';
import { RecentMenu } from './recent_scripts.js';
import { fitToWindow, showFullScreen } from './screen.js';
import { carriesSharedScript, openShared, scriptChanged, share } from './share_link.js';
import {
  SETTING_BOXES, frameInterval, keepSettingBoxes, restoreSettingBoxes, settingsMessage, speedMessage,
} from './settings.js';
import { StatusLine } from './status_line.js';
import { TabScript } from './tab_script.js';
import { texts } from './texts.js';
import { markUnsaved } from './unsaved_mark.js';
import { Abandoned, Workers } from './workers.js';

const $ = (id) => document.getElementById(id);
const canvas = $('canvas');
const canvasContext = canvas.getContext('2d');
const countBox = $('count');
const runButton = $('run');

// ---- Showing: frames and hint texts come faster than the screen shows them ----

let pendingFrame = null;
let showScheduled = false;

function scheduleShow() {
  if (showScheduled) return;
  showScheduled = true;
  requestAnimationFrame(() => showNow());
}

function showNow(now = false) {
  showScheduled = false;
  if (pendingFrame !== null) {
    const frame = pendingFrame;
    pendingFrame = null;
    if (canvas.width !== frame.width || canvas.height !== frame.height) {
      canvas.width = frame.width;
      canvas.height = frame.height;
    }
    canvasContext.putImageData(new ImageData(new Uint8ClampedArray(frame.pixels), frame.width, frame.height), 0, 0);
  }
  hint.show(now);
}

const hint = new Hint($('hint'), scheduleShow);

// ---- The page's state ----

const page = {
  hint,
  editor: null,
  name: '', // the script's file name
  changed: false, // the source-changed flag
  running: false,
  paused: false,
  ran: false, // a run has started since the page opened
  stepping: false, // held by F10 rather than F8
  status: null, // the status line under the canvas
  ready: false,
  // Frames from a worker started again after a stop are shown once it has
  // the stopped run's snapshot (or when asked to draw): before that they
  // would show a blank canvas.
  framesWanted: true,
  lastSnapshot: null,
  failing: null, // the failing line's mark, kept for a click on its message
  hintMarks: new Map(), // hint line index -> the failing mark its message came from
  tab: null, // TabScript
  ask: (type, fields) => workers.ask(type, fields),
  setSource(name, changed) {
    this.name = name;
    this.changed = changed;
    markUnsaved(name, changed);
    keepEditor();
  },
};

// ---- The settings page: sent on each change, kept, and sent to every new worker ----

let background = null;

function sendSettings() {
  workers.set(speedMessage());
  workers.set(settingsMessage());
  workers.set(background.message());
  animate();
}

// The turtle's animation: the window's frame timer, here ticking the run
// worker, which shows the next frame (also while a run waits).
let animation = 0;

function animate() {
  clearInterval(animation);
  const interval = frameInterval();
  animation = interval > 0 ? setInterval(() => workers.post({ type: 'tick' }), interval) : 0;
}

async function choosePicture(file) {
  const kept = await background.choose(file);
  keepSettingBoxes();
  page.framesWanted = true;
  workers.set(background.message());
  showPictureName();
  if (!kept) hint.append(texts.pictureNotKept(file.name));
}

function showPictureName() {
  $('picture-name').textContent = background.name;
}

// ---- The worker ----

function handleMessage(message) {
  switch (message.type) {
    case 'ready':
      if (!page.ready) {
        page.ready = true;
        if (!page.running && page.editor !== null) runButton.disabled = false; // else once the editor is there
      }
      break;
    case 'frame':
      if (!page.framesWanted) break;
      page.lastSnapshot = message.snapshot;
      page.status.showTurtle(message.turtle);
      pendingFrame = message;
      scheduleShow();
      break;
    case 'restored':
      // From here the worker's frames show what the stopped run left (the
      // turtle's animation goes on).
      page.framesWanted = true;
      break;
    case 'hint':
      hint.follow(message);
      break;
    case 'count':
      countBox.value = message.text;
      break;
    case 'failing':
      showNow(true);
      page.failing = { line: message.line, from: message.from, to: message.to, failing: true };
      page.hintMarks.set(hint.lastMessageIndex(), page.failing);
      showPage('script');
      page.editor.mark(page.failing);
      break;
    case 'executing':
      page.editor.mark({ line: message.line, from: message.from, to: message.to, failing: false });
      break;
    case 'beep':
      beep();
      break;
    case 'background':
      // A picture the browser cannot read, or the module has no memory for,
      // is said once and forgotten.
      if (!message.shown && background.message().bytes !== null) {
        hint.append(texts.pictureUnreadable(background.name));
        background.forget();
        keepSettingBoxes();
        workers.set(background.message());
        showPictureName();
      }
      break;
    case 'done':
      showNow(true);
      endRun();
      break;
  }
}

function workerFailed(what) {
  hint.append(texts.workerFailed(what));
  if (page.running) endRun();
  if (!page.ready) {
    page.ready = true;
    if (page.editor !== null) runButton.disabled = false;
  }
}

const workers = new Workers(handleMessage, workerFailed);

function replaceWorker() {
  workers.replace();
  page.framesWanted = false;
  page.paused = false;
  showPauseState();
  if (page.lastSnapshot !== null) workers.post({ type: 'restore', snapshot: page.lastSnapshot });
}

// A run takes what GBK cannot hold as '?', as the desktop's run does.
const encodeForRun = async (text) => (await page.ask('encode', { text })).bytes;

// ---- Runs ----

async function startRun() {
  if (page.running || runButton.disabled) return;
  page.running = true;
  page.ran = true;
  page.status.showRun(page);
  runButton.disabled = true;
  page.editor.clearMarks();
  page.hintMarks.clear();
  if (workers.broken) replaceWorker();
  const owner = workers.run;
  let script, count;
  try {
    [script, count] = await Promise.all([encodeForRun(page.editor.text()), encodeForRun(countBox.value)]);
  } catch (error) {
    // A stop while encoding has ended the run already.
    if (owner === workers.run) {
      endRun();
      hint.append(texts.workerFailed(error.message));
    }
    return;
  }
  if (owner !== workers.run || !page.running) return;
  page.framesWanted = true;
  workers.busy = true;
  workers.post({ type: 'run', script, count }, [script.buffer, count.buffer]);
}

// The run button's run is not paused, whatever the last one left.
function runFromButton() {
  if (page.paused) setPaused(false);
  startRun();
}

function endRun() {
  page.running = false;
  page.status.showRun(page);
  workers.busy = false;
  runButton.disabled = false;
  page.editor.clearMarks();
  if (page.failing !== null) page.editor.mark(page.failing);
  page.failing = null;
}

// The worker is ended at once: it draws nothing and says nothing more. A new
// one takes over the canvas as the last frame left it.
function stopRun() {
  if (!page.running) return false;
  showNow();
  replaceWorker();
  hint.append(texts.runStopped);
  hint.show(true);
  endRun();
  return true;
}

function clearCanvas() {
  if (workers.run === null) return; // nothing drawn yet
  stopRun();
  page.framesWanted = true;
  workers.post({ type: 'clear' });
}

// 重置 (Ctrl+R) and an example's start, as the window's: what the last run
// left (the pen up, a heading, a drawing) is no part of the next lesson.
function resetCanvas() {
  stopRun();
  page.framesWanted = true;
  workers.post({ type: 'reset' });
}

// ---- Pause, step and speed: the desktop's F8, F10, F6 and F7 ----

function showPauseState() {
  $('pause').textContent = page.paused ? texts.continue : texts.pause;
}

function setPaused(paused) {
  page.paused = paused;
  page.stepping = false;
  workers.post({ type: paused ? 'pause' : 'continue' });
  showPauseState();
  page.status.showRun(page);
}

const togglePause = () => setPaused(!page.paused);

// One more command of a run; with no run, a run that waits before its first.
function step() {
  if (page.running) {
    workers.post({ type: 'step' });
    page.paused = true;
    page.stepping = true;
    showPauseState();
    page.status.showRun(page);
    return;
  }
  workers.post({ type: 'continue' });
  setPaused(true);
  page.stepping = true;
  startRun();
}

// F6 slower, F7 faster: the next choice of the speed box.
function changeSpeed(by) {
  const box = $('speed');
  box.selectedIndex = Math.min(box.options.length - 1, Math.max(0, box.selectedIndex + by));
  box.dispatchEvent(new Event('change'));
}

// ---- The editor and what is kept ----

let keepTimer = 0;

let notKeptSaid = false;

// A script the browser will not keep is said once, until it keeps one again.
function keepEditor() {
  clearTimeout(keepTimer);
  keepTimer = 0;
  const kept = page.tab.keep({ text: page.editor.text(), name: page.name, changed: page.changed });
  if (!kept && !notKeptSaid) hint.append(texts.notKept);
  notKeptSaid = !kept;
}

// Kept a moment after the typing stops, and when the page goes.
function editorChanged() {
  page.changed = true;
  markUnsaved(page.name, true);
  scriptChanged();
  clearTimeout(keepTimer);
  keepTimer = setTimeout(keepEditor, 300);
}

function showPage(name) {
  for (const tab of document.querySelectorAll('#tab-bar [role=tab]')) {
    const selected = tab.id === 'tab-' + name;
    tab.setAttribute('aria-selected', String(selected));
    $(tab.getAttribute('aria-controls')).hidden = !selected;
  }
}

function selectAll() {
  showPage('script');
  page.editor.selectAll();
}

// A click on a message: the failing line's as its mark, else the line a
// numbered message names.
async function jumpFromHint() {
  const clicked = hint.clickedLine();
  if (clicked === null) return;
  const mark = page.hintMarks.get(clicked.index);
  if (mark !== undefined) {
    showPage('script');
    page.editor.mark(mark);
    return;
  }
  try {
    const { line } = await workers.ask('messageLine', { text: clicked.text });
    if (line > 0) {
      showPage('script');
      page.editor.goToLine(line);
    }
  } catch (error) {
    if (!(error instanceof Abandoned)) throw error;
  }
}

// ---- Saving the picture ----

// The drawing without the turtles, as dravel-render -o writes it. A run
// holds its worker; the tool worker is given the canvas as last shown.
async function savePicture() {
  const fields = workers.busy && page.lastSnapshot !== null ? { snapshot: page.lastSnapshot.slice(0) } : {};
  const { png } = await workers.ask('png', fields);
  const name = baseName(page.name || 'dravel') + '.png';
  if (!png) {
    hint.append(texts.pictureNotSaved(name));
    return;
  }
  download(png, name, 'image/png');
  hint.append(texts.pictureSaved(name));
}

// ---- Little things ----

let audio = null;

function beep() {
  try {
    audio ??= new AudioContext();
    const tone = audio.createOscillator();
    const volume = audio.createGain();
    tone.frequency.value = 880;
    volume.gain.value = 0.1;
    tone.connect(volume).connect(audio.destination);
    tone.start();
    tone.stop(audio.currentTime + 0.12);
  } catch {
    // No sound available: the run goes on.
  }
}

// ---- Wiring ----

const unlessAbandoned = (command) => (...args) => command(...args).catch((error) => {
  if (!(error instanceof Abandoned)) throw error;
});

function bindControls(files, examples, reference) {
  // The run count box takes digits and '-' only, and reads back as a number.
  countBox.addEventListener('beforeinput', (event) => {
    if (event.data && /[^0-9-]/.test(event.data)) event.preventDefault();
  });
  countBox.addEventListener('blur', () => {
    const value = leadingInteger(countBox.value);
    countBox.value = value === 0 ? '' : String(value);
    keepSettingBoxes();
  });
  $('hint').addEventListener('click', () => jumpFromHint());
  for (const tab of document.querySelectorAll('#tab-bar [role=tab]')) {
    tab.addEventListener('click', () => showPage(tab.id.slice('tab-'.length)));
  }
  for (const id of SETTING_BOXES) {
    $(id).addEventListener('change', () => {
      keepSettingBoxes();
      // The speed reaches a run in progress too, at its next command.
      if (id === 'speed') {
        workers.set(speedMessage());
        return;
      }
      page.framesWanted = true;
      workers.set(id === 'picture-mode' ? background.message() : settingsMessage());
      if (id === 'frame-interval') animate();
    });
  }
  const click = (id, action) => $(id).addEventListener('click', action);
  click('run', runFromButton);
  click('stop', stopRun);
  click('clear', clearCanvas);
  click('select-all', selectAll);
  click('new', unlessAbandoned(() => files.newScript()));
  click('open', unlessAbandoned(() => files.open()));
  click('save', unlessAbandoned(() => files.save()));
  click('compile', unlessAbandoned(() => files.compile()));
  click('pause', togglePause);
  click('step', step);
  click('examples-button', () => examples.show());
  click('reference-button', () => reference.then((shown) => shown.show()));
  click('share', unlessAbandoned(() => share(page, files)));
  click('save-picture', unlessAbandoned(savePicture));
  click('full-screen', () => showFullScreen(canvas));
  click('reset', resetCanvas);
  $('reference-link').addEventListener('click', (event) => {
    event.preventDefault();
    reference.then((shown) => shown.show());
  });
  click('choose-picture', () => $('picture-file').click());
  $('picture-file').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) choosePicture(file);
  });
  $('open-file').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) unlessAbandoned((chosen) => files.openFile(chosen))(file);
  });
  window.addEventListener('hashchange', unlessAbandoned(() => openShared(page, files)));
  // A .dvg opened with the installed app (the manifest's file handler).
  window.launchQueue?.setConsumer(async ({ files: [handle] }) => {
    if (handle !== undefined && (await files.savePrompt())) await files.openFile(await handle.getFile());
  });
  window.addEventListener('pagehide', () => {
    if (keepTimer !== 0) keepEditor();
  });
}

// The page's keys come from keys.js's table, which F1 lists.
function bindKeys(files, examples, reference) {
  const actions = {
    reference: () => reference.then((shown) => shown.show()),
    examples: () => examples.show(),
    slower: () => changeSpeed(1),
    faster: () => changeSpeed(-1),
    pause: togglePause,
    step,
    reset: resetCanvas,
    save: unlessAbandoned(() => files.save()),
    open: unlessAbandoned(() => files.open()),
    new: unlessAbandoned(() => files.newScript()),
  };
  const byKey = keyActions();
  setAccessKeys($);
  document.addEventListener('keydown', (event) => {
    if (event.altKey || event.shiftKey || event.metaKey) return;
    const action = actions[byKey.get((event.ctrlKey ? 'Ctrl+' : '') + event.key)];
    if (action === undefined) return;
    event.preventDefault();
    action();
  });
}

async function start() {
  page.tab = await TabScript.open();
  // A new tab opened from a share link starts from the link's script alone.
  const kept = page.tab.own || !carriesSharedScript() ? page.tab.script : { text: '' };
  restoreSettingBoxes();
  page.status = new StatusLine($('status-line'), $('speed'));
  background = new BackgroundPicture($('picture-mode'));
  showPictureName();
  page.editor = new ScriptEditor($('editor'), kept?.text ?? $('example-script').content.textContent,
                                 checker((type, fields) => workers.ask(type, fields)), editorChanged);
  if (page.ready && !page.running) runButton.disabled = false;
  page.name = kept?.name ?? '';
  page.changed = Boolean(kept?.changed);
  markUnsaved(page.name, page.changed);
  const files = new SourceFiles(page);
  new RecentMenu(unlessAbandoned((entry) => files.openRecent(entry)));
  const examples = new ExampleChooser((type, fields) => workers.ask(type, fields),
                                      unlessAbandoned(async (name, text) => {
                                        if (await files.openExample(name, text)) resetCanvas();
                                      }));
  // Without a module (said in the hint box) the reference has no rows.
  const commands = workers.ask('commands').then(({ commands: rows }) => {
    page.editor.setKeywords(rows.flatMap((row) => [row.keyword, row.alias]));
    return rows;
  }, () => []);
  const reference = commands.then((rows) => new CommandReference(rows, (type, fields) => workers.ask(type, fields)));
  bindControls(files, examples, reference);
  bindKeys(files, examples, reference);
  fitToWindow($('layout'));
  hint.replace(texts.hintInitial);
  keepEditor(); // a new tab's copy is its own from here
  if (location.protocol === 'file:') hint.append(texts.fromDisk);
  else navigator.serviceWorker?.register('sw.js').catch(() => {});
  hint.show();
  workers.started.then(sendSettings, (error) => workerFailed(error.message));
  unlessAbandoned(() => openShared(page, files))();
}

start();
