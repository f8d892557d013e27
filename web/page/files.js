// New, open, save and compile, as the desktop does them: the save prompt,
// GBK with CR LF (encoded by the module), one message per result. Files come
// from the browser's file chooser and go out as downloads.
import { texts, CRLF } from './texts.js';
import { decodeGbk, looksLikeUtf8, toLf } from './gbk_text.js';

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
  // `page`: its editor, hint box, encode(text), compile(text), the file's name, the
  // changed flag and setSource(name, changed).
  constructor(page) {
    this.page = page;
  }

  report(prefix, name, ok, lineBreak = true) {
    this.page.hint.append(prefix + name + (ok ? texts.succeeded : texts.failed) + (ok && !lineBreak ? '' : CRLF));
  }

  // The editor's text as GBK with CR LF line ends (`encode`: the page's
  // encode or compile), or null after saying which line GBK cannot hold and
  // that `prefix` `name` failed.
  async editorBytes(prefix, name, encode = this.page.encode) {
    const encoded = await encode(this.page.editor.text());
    if (encoded.bytes !== null) return encoded.bytes;
    this.page.hint.append(texts.unsavableLine(encoded.line));
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
    const program = await this.editorBytes(texts.compilePrefix, name, this.page.compile);
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

  async newScript() {
    if (!(await this.savePrompt())) return;
    this.page.editor.setText('');
    this.page.hint.append(texts.newDone);
    this.page.setSource('', false);
  }

  async open() {
    if (!(await this.savePrompt())) return;
    document.getElementById('open-file').click();
  }

  async openFile(file) {
    let bytes = new Uint8Array(await file.arrayBuffer());
    const zero = bytes.indexOf(0);
    if (zero >= 0) bytes = bytes.subarray(0, zero);
    const convert = looksLikeUtf8(bytes) && (await ask(texts.convertFromUtf8, false)) === 'yes';
    this.page.editor.setText(toLf(convert ? new TextDecoder('utf-8').decode(bytes) : decodeGbk(bytes)));
    this.report(texts.openPrefix, file.name, true);
    // Converted text is not yet what the file holds; what GBK cannot hold is
    // said now, as a save would say it.
    this.page.setSource(file.name, convert);
    if (convert) {
      const encoded = await this.page.encode(this.page.editor.text());
      if (encoded.bytes === null) this.page.hint.append(texts.unsavableLine(encoded.line));
    }
  }

  // An example opens as a file would, without a file name (the desktop's chooser).
  // Whether it opened: the page then starts the example afresh.
  async openExample(name, text) {
    if (!(await this.savePrompt())) return false;
    this.page.editor.setText(text);
    this.page.setSource('', false);
    this.report(texts.openPrefix, name, true);
    return true;
  }
}
