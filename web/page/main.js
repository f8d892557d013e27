// The page of the web edition, at start-up: the window's controls in HTML,
// runs in a worker (worker.js: the interpreter and canvas in WebAssembly).
// Here the page's state is made and its parts wired to the controls and
// keys: runs (runs.js), files (files.js), sharing (share_link.js), the
// settings (setting_changes.js), the pages and the hint's links
// (pages.js), the learning dialogs (learning.js) and what the browser keeps
// (editor_keeping.js, tab_script.js), and the 班级 panel where a class hub
// serves the page (class_panel.js). The module reads and writes every GBK
// byte, checks, draws and gives the system's texts.
import { checker } from './checker.js';
import { offerClassPanel } from './class_panel.js';
import { Display } from './display.js';
import { EditorKeeping } from './editor_keeping.js';
import { ScriptEditor } from './editor.js';
import { SourceFiles, savePicture } from './files.js';
import { keyActions, setAccessKeys } from './keys.js';
import { CommandReference, ExampleChooser } from './learning.js';
import { Pages } from './pages.js';
import { RecentMenu } from './recent_scripts.js';
import { Runs } from './runs.js';
import { fitToWindow, showFullScreen } from './screen.js';
import { SettingChanges } from './setting_changes.js';
import { keepSettingBoxes, restoreSettingBoxes } from './settings.js';
import { carriesSharedScript, openShared, share } from './share_link.js';
import { StatusLine } from './status_line.js';
import { TabScript } from './tab_script.js';
import { takeSystemTexts, texts } from './texts.js';
import { markUnsaved } from './unsaved_mark.js';
import { Abandoned, Workers } from './workers.js';

// The notice for a browser too old for the page (after this script in
// index.html) stays hidden from the start where the page can run.
if (typeof WebAssembly === 'object') document.documentElement.classList.add('page-runs');

const $ = (id) => document.getElementById(id);
const canvas = $('canvas');
const countBox = $('count');
const display = new Display(canvas, $('hint'), (buffers) => page.workers?.giveBack(buffers));

// ---- The page's state, which its parts share ----

const page = {
  display,
  hint: display.hint,
  editor: null,
  name: '', // the script's file name
  changed: false, // the source-changed flag
  running: false,
  paused: false,
  ran: false, // a run has started since the page opened
  stepping: false, // held by F10 rather than F8
  status: null, // the status line under the canvas
  ready: false,
  textsTaken: false, // the module's fixed texts (texts.js)
  // Frames from a worker started again after a stop are shown once it has
  // the stopped run's snapshot (or when asked to draw): before that they
  // would show a blank canvas.
  framesWanted: true,
  lastSnapshot: null,
  failing: null, // the failing line's mark, kept for a click on its message
  hintMarks: new Map(), // hint line index -> the failing mark its message came from
  tab: null, // TabScript
  workers: null,
  runs: null,
  settings: null, // SettingChanges
  pages: null,
  keeping: null, // EditorKeeping
  ask: (type, fields) => page.workers.ask(type, fields),
  setSource(name, changed) {
    this.name = name;
    this.changed = changed;
    markUnsaved(name, changed);
    this.keeping.keep();
  },
};

page.runs = new Runs(page);
page.workers = new Workers((message) => page.runs.handleMessage(message), (what) => page.runs.workerFailed(what));
page.pages = new Pages(page);
page.keeping = new EditorKeeping(page);

// The module's reading of each text as a number (the run's own rule).
const readNumbers = async (texts) => (await page.ask('numbers', { texts })).numbers;

// ---- Wiring ----

const unlessAbandoned = (command) => (...args) => command(...args).catch((error) => {
  if (!(error instanceof Abandoned)) throw error;
});

function bindControls(files, examples, reference) {
  const runs = page.runs;
  // The run count box takes digits and '-' only, and reads back as the number
  // the module reads in it.
  countBox.addEventListener('beforeinput', (event) => {
    if (event.data && /[^0-9-]/.test(event.data)) event.preventDefault();
  });
  countBox.addEventListener('blur', unlessAbandoned(async () => {
    const typed = countBox.value;
    const [{ integer }] = await readNumbers([typed]);
    if (countBox.value !== typed) return; // changed meanwhile: read at its next blur
    countBox.value = integer === 0 ? '' : String(integer);
    keepSettingBoxes();
  }));
  const click = (id, action) => $(id).addEventListener('click', action);
  click('run', () => runs.fromButton());
  click('stop', () => runs.stop());
  click('clear', () => runs.clear());
  click('select-all', () => page.pages.selectAll());
  click('new', unlessAbandoned(() => files.newScript()));
  click('open', unlessAbandoned(() => files.open()));
  click('save', unlessAbandoned(() => files.save()));
  click('compile', unlessAbandoned(() => files.compile()));
  click('pause', () => runs.togglePause());
  click('step', () => runs.step());
  click('examples-button', () => examples.show());
  click('reference-button', () => reference.then((shown) => shown.show()));
  click('share', unlessAbandoned(() => share(page, files)));
  click('save-picture', unlessAbandoned(() => savePicture(page)));
  click('full-screen', () => showFullScreen(canvas));
  click('reset', () => runs.reset());
  $('reference-link').addEventListener('click', (event) => {
    event.preventDefault();
    reference.then((shown) => shown.show());
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
}

// The page's keys come from keys.js's table, which F1 lists.
function bindKeys(files, examples, reference) {
  const runs = page.runs;
  const actions = {
    reference: () => reference.then((shown) => shown.show()),
    examples: () => examples.show(),
    slower: () => runs.changeSpeed(1),
    faster: () => runs.changeSpeed(-1),
    pause: () => runs.togglePause(),
    step: () => runs.step(),
    reset: () => runs.reset(),
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
  // The worker's frames may come while the tab's lock is awaited.
  page.status = new StatusLine($('status-line'), $('speed'));
  page.tab = await TabScript.open();
  // A new tab opened from a share link starts from the link's script alone.
  const kept = page.tab.own || !carriesSharedScript() ? page.tab.script : { text: '' };
  restoreSettingBoxes();
  page.status.showSpeed();
  page.settings = new SettingChanges(page);
  page.editor = new ScriptEditor($('editor'), kept?.text ?? $('example-script').content.textContent,
                                 checker(page.ask), () => page.keeping.changed(),
                                 async (words) => (await readNumbers(words)).map((number) => number.whole));
  page.runs.allow();
  page.name = kept?.name ?? '';
  page.changed = Boolean(kept?.changed);
  markUnsaved(page.name, page.changed);
  const files = new SourceFiles(page);
  new RecentMenu(unlessAbandoned((entry) => files.openRecent(entry)));
  const examples = new ExampleChooser(page.ask, unlessAbandoned(async (name, text) => {
    if (await files.openExample(name, text)) page.runs.reset();
  }));
  // Without a module (said in the hint box) the reference has no rows.
  const commands = page.ask('commands').then(({ commands: rows }) => {
    page.editor.setKeywords(rows.flatMap((row) => [row.keyword, row.alias]));
    return rows;
  }, () => []);
  const reference = commands.then((rows) => new CommandReference(rows, page.ask));
  bindControls(files, examples, reference);
  bindKeys(files, examples, reference);
  fitToWindow($('layout'));
  // The system's fixed texts are the module's, taken once.
  page.ask('messages').then(({ messages }) => {
    takeSystemTexts(messages);
    if (!page.ran) page.hint.lead(texts.hintInitial);
  }, () => {}).finally(() => {
    page.textsTaken = true;
    page.runs.allow();
  });
  page.keeping.keep(); // a new tab's copy is its own from here
  if (location.protocol === 'file:') page.hint.append(texts.fromDisk);
  // Over plain http:// on a class's network there is no service worker to have.
  else if (window.isSecureContext) navigator.serviceWorker?.register('sw.js').catch(() => {});
  page.hint.show();
  page.workers.started.then(() => page.settings.sendAll(), (error) => page.runs.workerFailed(error.message));
  unlessAbandoned(() => openShared(page, files))();
  offerClassPanel(page);
}

start();
