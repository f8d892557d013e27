// The editor's script kept in the browser as it is typed (tab_script.js):
// a moment after the typing stops, at once when the script is replaced, and
// when the page goes; a script the browser will not keep is said once, until
// it keeps one again.
import { scriptChanged } from './share_link.js';
import { texts } from './texts.js';
import { markUnsaved } from './unsaved_mark.js';

export class EditorKeeping {
  // `page`: the page's state (main.js).
  constructor(page) {
    this.page = page;
    this.timer = 0;
    this.notKeptSaid = false;
    window.addEventListener('pagehide', () => {
      if (this.timer !== 0) this.keep();
    });
  }

  keep() {
    const page = this.page;
    clearTimeout(this.timer);
    this.timer = 0;
    const kept = page.tab.keep({ text: page.editor.text(), name: page.name, changed: page.changed });
    if (!kept && !this.notKeptSaid) page.hint.append(texts.notKept);
    this.notKeptSaid = !kept;
  }

  // After each edit: the script is changed, and kept once the typing stops.
  changed() {
    const page = this.page;
    page.changed = true;
    markUnsaved(page.name, true);
    scriptChanged();
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.keep(), 300);
  }
}
