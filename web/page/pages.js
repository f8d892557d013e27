// The window's pages (命令输入, 帮助, 属性设置) as tabs, and a click on a hint
// message, which leads to its line: the failing line's as its mark, else the
// line a numbered message names (the module reads the message).
import { Abandoned } from './workers.js';

const $ = (id) => document.getElementById(id);

export class Pages {
  // `page`: the page's state (main.js).
  constructor(page) {
    this.page = page;
    for (const tab of document.querySelectorAll('#tab-bar [role=tab]')) {
      tab.addEventListener('click', () => this.show(tab.id.slice('tab-'.length)));
    }
    $('hint').addEventListener('click', () => this.jumpFromHint());
  }

  show(name) {
    for (const tab of document.querySelectorAll('#tab-bar [role=tab]')) {
      const selected = tab.id === 'tab-' + name;
      tab.setAttribute('aria-selected', String(selected));
      $(tab.getAttribute('aria-controls')).hidden = !selected;
    }
  }

  selectAll() {
    this.show('script');
    this.page.editor.selectAll();
  }

  async jumpFromHint() {
    const page = this.page;
    const clicked = page.hint.clickedLine();
    if (clicked === null) return;
    const mark = page.hintMarks.get(clicked.index);
    if (mark !== undefined) {
      this.show('script');
      page.editor.mark(mark);
      return;
    }
    try {
      const { line } = await page.ask('messageLine', { text: clicked.text });
      if (line > 0) {
        this.show('script');
        page.editor.goToLine(line);
      }
    } catch (error) {
      if (!(error instanceof Abandoned)) throw error;
    }
  }
}
