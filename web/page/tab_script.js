// Each tab's own script, kept in localStorage under the tab's id, which the
// tab's sessionStorage holds: a reload keeps the tab's work, and two tabs
// never write over each other's. An open tab holds a lock named after its id
// (Web Locks), so a tab duplicated with its sessionStorage finds the id taken
// and takes one of its own. A new tab starts from the script kept last; the
// scripts of the closed tabs beyond the last few go to the recent scripts.
import { keys, read, remove, write } from './keep.js';
import { makeRoom, remember } from './recent_scripts.js';

const TAB_KEY = 'dravel.tab'; // in sessionStorage
const SCRIPT_PREFIX = 'dravel.script.'; // + the tab's id
const SHARED_SCRIPT_KEY = 'dravel.script'; // every tab's one script, before tabs had their own
const LOCK_PREFIX = 'dravel.tab.';
const CLOSED_TABS_KEPT = 5;
// A reload may find its id still held by the page it replaces for a moment.
const RELOAD_WAIT_MS = 1000;

const newId = () => Date.now().toString(36) + Math.random().toString(36).slice(2, 8);

function session(id) {
  try {
    if (id === undefined) return sessionStorage.getItem(TAB_KEY);
    sessionStorage.setItem(TAB_KEY, id);
  } catch {
    // No session storage: every load is a new tab.
  }
  return null;
}

// True once this page holds the tab's lock until it closes; false when
// another open page holds it. Without Web Locks, always true.
async function hold(id) {
  if (navigator.locks === undefined) return true;
  const request = (options) => new Promise((resolve, reject) => {
    navigator.locks.request(LOCK_PREFIX + id, options, (lock) => {
      resolve(lock !== null);
      return lock === null ? undefined : new Promise(() => {});
    }).catch(reject);
  });
  try {
    return (await request({ ifAvailable: true })) || (await request({ signal: AbortSignal.timeout(RELOAD_WAIT_MS) }));
  } catch (error) {
    return error.name !== 'TimeoutError' && error.name !== 'AbortError'; // locks refused here: none to share
  }
}

// Every tab's kept script: [{key, id, script: {text, name, changed, time}}].
function keptScripts() {
  return keys().filter((key) => key?.startsWith(SCRIPT_PREFIX))
    .map((key) => ({ key, id: key.slice(SCRIPT_PREFIX.length), script: read(key) }))
    .filter(({ script }) => typeof script?.text === 'string');
}

const latest = () => keptScripts().sort((a, b) => (b.script.time ?? 0) - (a.script.time ?? 0))[0]?.script ?? null;

// The one script of the page before tabs had their own becomes a closed tab's.
function adoptSharedScript() {
  const script = read(SHARED_SCRIPT_KEY);
  if (typeof script?.text === 'string' && !write(SCRIPT_PREFIX + newId(), { time: 0, ...script })) return;
  remove(SHARED_SCRIPT_KEY);
}

// Closed tabs' scripts past the last few go to the recent scripts.
async function moveClosedTabs(ownId) {
  let open = new Set();
  try {
    open = new Set((await navigator.locks.query()).held.map((lock) => lock.name));
  } catch {
    // Without Web Locks every other tab counts as closed; an open one keeps its script again as it is typed.
  }
  const closed = keptScripts().filter(({ id }) => id !== ownId && !open.has(LOCK_PREFIX + id))
    .sort((a, b) => (b.script.time ?? 0) - (a.script.time ?? 0));
  for (const { key, script } of closed.slice(CLOSED_TABS_KEPT)) {
    remember(script, script.time ?? 0);
    remove(key);
  }
}

export class TabScript {
  // The tab's script: its own as kept (`own`), or, for a new tab, a copy of
  // the one kept last; null when there is none.
  static async open() {
    adoptSharedScript();
    const previous = session(); // this tab's id before this load
    const kept = previous === null ? null : read(SCRIPT_PREFIX + previous);
    const own = previous !== null && (await hold(previous));
    const id = own ? previous : newId();
    if (!own) {
      await hold(id);
      session(id);
    }
    await moveClosedTabs(id);
    // A duplicated tab starts from its original's script, a new one from the script kept last.
    return new TabScript(id, kept ?? latest(), own && kept !== null);
  }

  constructor(id, script, own) {
    this.key = SCRIPT_PREFIX + id;
    this.script = typeof script?.text === 'string' ? script : null;
    this.own = own;
    this.keptText = this.script?.text;
    this.keptTime = this.script?.time ?? 0;
  }

  // Keeps {text, name, changed}; its time is when its text last changed.
  // False when the browser would not keep it, even with the oldest recent
  // scripts given up for it.
  keep(script) {
    if (script.text !== this.keptText) {
      this.keptText = script.text;
      this.keptTime = Date.now();
    }
    const entry = { ...script, time: this.keptTime };
    do {
      if (write(this.key, entry)) return true;
    } while (makeRoom());
    return false;
  }
}
