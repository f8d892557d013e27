// New, open, save and compile, as the desktop does them: the save prompt,
// GBK with CR LF (read and written by the module's codec), one message per
// result. Files come from the browser's file chooser and go out as
// downloads. Whatever replaces the editor's text sends the text it held to
// the recent scripts first.
import { texts, CRLF } from './texts.js';
import { toLf } from './gbk_text.js';
import { LONGEST_SCRIPT_BYTES } from './limits.js';
import { remember, shownTime } from './recent_scripts.js';

export function download(bytes, name, type = 'application/octet-stream') {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

export const baseName = (name) => (name.lastIndexOf('.') > 0 ? name.slice(0, name.lastIndexOf('.')) : name);

// Yes, No, Cancel (or Yes, No) in the page's own message box.
export function ask(question, withCancel) {
  const box = document.getElementById('message-box');
  box.querySelector('.message').textContent = question;
  box.querySelector('[value=cancel]').hidden = !withCancel;
  box.returnValue = 'cancel';
  return new Promise((resolve) => {
    box.addEventListener('close', () => resolve(box.returnValue || 'cancel'), { once: true });
    box.showModal();
  });
}

export class SourceFiles {
  // `page`: its editor, hint box, ask(type, fields) of the module, the file's
  // name, the changed flag and setSource(name, changed).
  constructor(page) {
    this.page = page;
  }

  report(prefix, name, ok, lineBreak = true) {
    this.page.hint.append(prefix + name + (ok ? texts.succeeded : texts.failed) + (ok && !lineBreak ? '' : CRLF));
  }

  // The editor's text as GBK with CR LF line ends (as a program when
  // `compile`), or null after saying which line GBK cannot hold and that
  // `prefix` `name` failed: a character GBK cannot hold is written as '?'
  // only when the user says so.
  async editorBytes(prefix, name, compile = false) {
    const { bytes, lost } = await this.page.ask('encode', { text: this.page.editor.text(), compile });
    if (lost === null) return bytes;
    const verb = compile ? texts.compile : texts.save;
    if ((await ask(texts.unsavableCharacter(lost.character, verb), false)) === 'yes') return bytes;
    this.page.hint.append(texts.unsavableAt(lost.line));
    this.report(prefix, name, false);
    return null;
  }

  async save(lineBreak = true) {
    const name = this.page.name || texts.untitled + '.dvg';
    const bytes = await this.editorBytes(texts.savePrefix, name);
    if (bytes === null) return false;
    download(bytes, name);
    this.report(texts.savePrefix, name, true, lineBreak);
    this.page.setSource(name, false);
    return true;
  }

  async compile() {
    const name = baseName(this.page.name || texts.untitled) + '.dv';
    const program = await this.editorBytes(texts.compilePrefix, name, true);
    if (program === null) return;
    download(program, name);
    this.report(texts.compilePrefix, name, true);
  }

  // True when the caller may go on: nothing changed, saved, or the user said No.
  async savePrompt() {
    if (!this.page.changed) return true;
    const answer = await ask(texts.savePrompt, true);
    if (answer === 'yes') return this.save(false);
    return answer === 'no';
  }

  // The editor's text replaced: the text it held goes to the recent scripts.
  replace(text, name, changed) {
    const held = this.page.editor.text();
    if (held !== text) remember({ text: held, name: this.page.name });
    this.page.editor.setText(text);
    this.page.setSource(name, changed);
  }

  async newScript() {
    if (!(await this.savePrompt())) return;
    this.replace('', '', false);
    this.page.hint.append(texts.newDone);
  }

  async open() {
    if (!(await this.savePrompt())) return;
    document.getElementById('open-file').click();
  }

  // A file past the cap is refused before it is read, replacing nothing.
  async openFile(file) {
    if (file.size > LONGEST_SCRIPT_BYTES) {
      this.page.hint.append(texts.fileTooLarge(file.name, file.size));
      this.report(texts.openPrefix, file.name, false);
      return;
    }
    let bytes = new Uint8Array(await file.arrayBuffer());
    const zero = bytes.indexOf(0);
    if (zero >= 0) bytes = bytes.subarray(0, zero);
    const { text, asUtf8 } = await this.page.ask('decode', { bytes });
    const convert = asUtf8 !== null && (await ask(texts.convertFromUtf8, false)) === 'yes';
    // Converted text is not yet what the file holds; what GBK cannot hold is
    // said now, as a save would say it.
    this.replace(toLf(convert ? asUtf8 : text), file.name, convert);
    this.report(texts.openPrefix, file.name, true);
    if (convert) {
      const { lost } = await this.page.ask('encode', { text: this.page.editor.text() });
      if (lost !== null) this.page.hint.append(texts.unsavableAt(lost.line));
    }
  }

  // An example opens as a file would, without a file name (the desktop's chooser).
  // Whether it opened: the page then starts the example afresh.
  async openExample(name, text) {
    if (!(await this.savePrompt())) return false;
    this.replace(text, '', false);
    this.report(texts.openPrefix, name, true);
    return true;
  }

  // A recent script comes back as typed work not yet saved.
  async openRecent(entry) {
    if (!(await this.savePrompt())) return;
    this.replace(entry.text, entry.name, true);
    this.page.hint.append(texts.recentOpened(shownTime(entry.time)));
  }
}

// 保存图片: the drawing without the turtles, as dravel-render -o writes it. A
// run holds its worker; the tool worker is given the canvas as last shown.
export async function savePicture(page) {
  const fields = page.workers.busy && page.lastSnapshot !== null ? { snapshot: page.lastSnapshot.slice(0) } : {};
  const { png } = await page.ask('png', fields);
  const name = baseName(page.name || 'dravel') + '.png';
  if (!png) {
    page.hint.append(texts.pictureNotSaved(name));
    return;
  }
  download(png, name, 'image/png');
  page.hint.append(texts.pictureSaved(name));
}
