// The settings page at work: each change sent to the workers (settings.js
// makes the messages and keeps the boxes), the turtle's animation timer, and
// the background picture chosen, kept and, when unreadable, forgotten.
import { BackgroundPicture } from './background.js';
import { SETTING_BOXES, frameInterval, keepSettingBoxes, settingsMessage, speedMessage } from './settings.js';
import { texts } from './texts.js';

const $ = (id) => document.getElementById(id);

export class SettingChanges {
  // `page`: the page's state (main.js).
  constructor(page) {
    this.page = page;
    this.background = new BackgroundPicture($('picture-mode'));
    this.animation = 0;
    this.showPictureName();
    for (const id of SETTING_BOXES) $(id).addEventListener('change', () => this.boxChanged(id));
    $('choose-picture').addEventListener('click', () => $('picture-file').click());
    $('picture-file').addEventListener('change', (event) => {
      const file = event.target.files[0];
      event.target.value = '';
      if (file) this.choosePicture(file);
    });
  }

  // Every setting, to both workers and each made later.
  sendAll() {
    const workers = this.page.workers;
    workers.set(speedMessage());
    workers.set(settingsMessage());
    workers.set(this.background.message());
    this.animate();
  }

  boxChanged(id) {
    const page = this.page;
    keepSettingBoxes();
    // The speed reaches a run in progress too, at its next command.
    if (id === 'speed') {
      page.workers.set(speedMessage());
      return;
    }
    page.framesWanted = true;
    page.workers.set(id === 'picture-mode' ? this.background.message() : settingsMessage());
    if (id === 'frame-interval') this.animate();
  }

  // The turtle's animation: the window's frame timer, here ticking the run
  // worker, which shows the next frame (also while a run waits).
  animate() {
    clearInterval(this.animation);
    const interval = frameInterval();
    this.animation = interval > 0 ? setInterval(() => this.page.workers.post({ type: 'tick' }), interval) : 0;
  }

  async choosePicture(file) {
    const page = this.page;
    const kept = await this.background.choose(file);
    keepSettingBoxes();
    page.framesWanted = true;
    page.workers.set(this.background.message());
    this.showPictureName();
    if (!kept) page.hint.append(texts.pictureNotKept(file.name));
  }

  // A picture the browser cannot read, or the module has no memory for, is
  // said once and forgotten.
  pictureNotShown() {
    if (this.background.message().bytes === null) return;
    this.page.hint.append(texts.pictureUnreadable(this.background.name));
    this.background.forget();
    keepSettingBoxes();
    this.page.workers.set(this.background.message());
    this.showPictureName();
  }

  showPictureName() {
    $('picture-name').textContent = this.background.name;
  }
}
