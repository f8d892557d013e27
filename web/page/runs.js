// The runs: starting one in the run worker, what it says as it goes (frames,
// hint, marks, the end), pause, step and speed (the desktop's F8, F10, F6 and
// F7), and the stop, 清屏 and 重置, which end a run by replacing its worker.
import { texts } from './texts.js';

const $ = (id) => document.getElementById(id);

export class Runs {
  // `page`: the page's state (main.js).
  constructor(page) {
    this.page = page;
    this.runButton = $('run');
    this.countBox = $('count');
    this.audio = null;
  }

  // What the run worker says.
  handleMessage(message) {
    const page = this.page;
    switch (message.type) {
      case 'ready':
        if (!page.ready) {
          page.ready = true;
          this.allow();
        }
        break;
      case 'frame':
        if (!page.framesWanted) break;
        page.workers.sparesTakenSoFar(message.sparesTaken);
        if (page.lastSnapshot !== null) page.workers.giveBack([page.lastSnapshot]);
        page.lastSnapshot = message.snapshot;
        page.status.showTurtle(message.turtle);
        page.display.frame(message);
        break;
      case 'restored':
        // From here the worker's frames show what the stopped run left (the
        // turtle's animation goes on).
        page.framesWanted = true;
        break;
      case 'hint':
        page.hint.follow(message);
        break;
      case 'count':
        this.countBox.value = message.text;
        break;
      case 'failing':
        page.display.show(true);
        page.failing = { line: message.line, from: message.from, to: message.to, failing: true };
        page.hintMarks.set(page.hint.lastMessageIndex(), page.failing);
        page.pages.show('script');
        page.editor.mark(page.failing);
        break;
      case 'executing':
        page.editor.mark({ line: message.line, from: message.from, to: message.to, failing: false });
        break;
      case 'beep':
        this.beep();
        break;
      case 'background':
        if (!message.shown) page.settings.pictureNotShown();
        break;
      case 'no-font':
        page.hint.append(texts.noTextFont);
        break;
      case 'done':
        page.display.show(true);
        this.end();
        break;
    }
  }

  // A worker that could not start or broke.
  workerFailed(what) {
    const page = this.page;
    page.hint.append(texts.workerFailed(what));
    if (page.running) this.end();
    if (!page.ready) {
      page.ready = true;
      page.textsTaken = true; // none will come
      this.allow();
    }
  }

  // The run button works once the module is there, the editor made and the
  // system's texts taken (or known not to come).
  allow() {
    const page = this.page;
    if (page.ready && page.textsTaken && page.editor !== null && !page.running) this.runButton.disabled = false;
  }

  replaceWorker() {
    const page = this.page;
    page.workers.replace();
    page.framesWanted = false;
    page.paused = false;
    this.showPauseState();
    if (page.lastSnapshot !== null) page.workers.post({ type: 'restore', snapshot: page.lastSnapshot });
  }

  async start() {
    const page = this.page;
    const workers = page.workers;
    if (page.running || this.runButton.disabled) return;
    page.running = true;
    page.ran = true;
    page.status.showRun(page);
    this.runButton.disabled = true;
    page.editor.clearMarks();
    page.hintMarks.clear();
    if (workers.broken) this.replaceWorker();
    const owner = workers.run;
    // A run takes what GBK cannot hold as '?', as the desktop's run does.
    const encodeForRun = async (text) => (await page.ask('encode', { text })).bytes;
    let script, count;
    try {
      [script, count] = await Promise.all([encodeForRun(page.editor.text()), encodeForRun(this.countBox.value)]);
    } catch (error) {
      // A stop while encoding has ended the run already.
      if (owner === workers.run) {
        this.end();
        page.hint.append(texts.workerFailed(error.message));
      }
      return;
    }
    if (owner !== workers.run || !page.running) return;
    page.framesWanted = true;
    workers.busy = true;
    workers.post({ type: 'run', script, count }, [script.buffer, count.buffer]);
  }

  // The run button's run is not paused, whatever the last one left.
  fromButton() {
    if (this.page.paused) this.setPaused(false);
    this.start();
  }

  end() {
    const page = this.page;
    page.running = false;
    page.status.showRun(page);
    page.workers.busy = false;
    this.runButton.disabled = false;
    page.editor.clearMarks();
    if (page.failing !== null) page.editor.mark(page.failing);
    page.failing = null;
  }

  // The worker is ended at once: it draws nothing and says nothing more. A new
  // one takes over the canvas as the last frame left it.
  stop() {
    const page = this.page;
    if (!page.running) return false;
    page.display.show();
    this.replaceWorker();
    page.hint.append(texts.runStopped);
    page.hint.show(true);
    this.end();
    return true;
  }

  clear() {
    const page = this.page;
    if (page.workers.run === null) return; // nothing drawn yet
    this.stop();
    page.framesWanted = true;
    page.workers.post({ type: 'clear' });
  }

  // 重置 (Ctrl+R) and an example's start, as the window's: what the last run
  // left (the pen up, a heading, a drawing) is no part of the next lesson.
  reset() {
    this.stop();
    this.page.framesWanted = true;
    this.page.workers.post({ type: 'reset' });
  }

  showPauseState() {
    $('pause').textContent = this.page.paused ? texts.continue : texts.pause;
  }

  setPaused(paused) {
    const page = this.page;
    page.paused = paused;
    page.stepping = false;
    page.workers.post({ type: paused ? 'pause' : 'continue' });
    this.showPauseState();
    page.status.showRun(page);
  }

  togglePause() {
    this.setPaused(!this.page.paused);
  }

  // One more command of a run; with no run, a run that waits before its first.
  step() {
    const page = this.page;
    if (page.running) {
      page.workers.post({ type: 'step' });
      page.paused = true;
      page.stepping = true;
      this.showPauseState();
      page.status.showRun(page);
      return;
    }
    page.workers.post({ type: 'continue' });
    this.setPaused(true);
    page.stepping = true;
    this.start();
  }

  // F6 slower, F7 faster: the next choice of the speed box.
  changeSpeed(by) {
    const box = $('speed');
    box.selectedIndex = Math.min(box.options.length - 1, Math.max(0, box.selectedIndex + by));
    box.dispatchEvent(new Event('change'));
  }

  beep() {
    try {
      this.audio ??= new AudioContext();
      const tone = this.audio.createOscillator();
      const volume = this.audio.createGain();
      tone.frequency.value = 880;
      volume.gain.value = 0.1;
      tone.connect(volume).connect(this.audio.destination);
      tone.start();
      tone.stop(this.audio.currentTime + 0.12);
    } catch {
      // No sound available: the run goes on.
    }
  }
}
