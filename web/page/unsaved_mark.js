// The lasting mark of a script not yet saved: in the page's title and on
// 保存源码, from the first change until a save.
import { texts } from './texts.js';

const PAGE_TITLE = document.title;

export function markUnsaved(name, changed) {
  const shown = name || texts.untitled;
  document.title = changed ? `*${shown}${texts.unsaved} - ${PAGE_TITLE}` : name ? `${name} - ${PAGE_TITLE}` : PAGE_TITLE;
  const save = document.getElementById('save');
  save.classList.toggle('unsaved', changed);
  save.title = changed ? texts.unsavedMark : '';
}
