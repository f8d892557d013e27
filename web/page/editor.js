// The script editor: CodeMirror with the desktop editor's colours, line
// numbers, undo and redo, find and replace, zoom, the marks of a run (the
// line being run, the failing line and its body item) and the checker's
// findings (checker.js). Tab moves the focus on, as in the rest of the page:
// the language reads no tab, and an indent would make a line fail.
import { Compartment, EditorState, Facet, StateEffect, StateField, RangeSetBuilder } from '@codemirror/state';
import {
  Decoration, EditorView, ViewPlugin, drawSelection, highlightActiveLineGutter, highlightSpecialChars,
  keymap, lineNumbers,
} from '@codemirror/view';
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';
import { highlightSelectionMatches, openSearchPanel, search, searchKeymap } from '@codemirror/search';

// The desktop's words for CodeMirror's own.
const phrases = {
  Find: '查找', Replace: '替换', next: '下一个', previous: '上一个', all: '全部',
  'match case': '区分大小写', regexp: '正则表达式', 'by word': '整词', replace: '替换',
  'replace all': '全部替换', close: '关闭', 'current match': '当前匹配', 'on line': '在行',
  'replaced $ matches': '已替换 $ 处', 'replaced match on line $': '已替换第 $ 行的匹配',
  'Go to line': '转到行', go: '转到', Diagnostics: '问题', 'No diagnostics': '没有问题',
};

// ---- Colours: mainwindow/script_highlighter.cpp's, on the editor's dark cyan ----

const COMMENT_START = ' //';
const BRACKETS = new Set(['【', '】', '|']);

const marks = {
  keyword: Decoration.mark({ class: 'cm-dravel-keyword' }),
  number: Decoration.mark({ class: 'cm-dravel-number' }),
  comment: Decoration.mark({ class: 'cm-dravel-comment' }),
  bracket: Decoration.mark({ class: 'cm-dravel-bracket' }),
};

// The keywords and aliases come from the module's command rows.
const setKeywords = StateEffect.define();
const keywordsField = StateField.define({
  create: () => new Set(),
  update: (value, transaction) => {
    for (const effect of transaction.effects) if (effect.is(setKeywords)) return effect.value;
    return value;
  },
});

// Which words are numbers is the module's to say (the run's own reading,
// dravel_number): `read(words)` resolves to a flag for each. The answers are
// kept for the page's life (a bounded number of them); a word not yet
// answered is coloured once its answer comes.
const numberReader = Facet.define({ combine: (values) => values[0] ?? null });
const numbersArrived = StateEffect.define();
const numberWords = new Map(); // word -> whether it is a number
const askedWords = new Set();
const KNOWN_WORDS = 20000;

function askNumbers(view, words) {
  const read = view.state.facet(numberReader);
  const asked = words.filter((word) => !askedWords.has(word));
  if (read === null || asked.length === 0) return;
  asked.forEach((word) => askedWords.add(word));
  read(asked).then((answers) => {
    if (numberWords.size + asked.length > KNOWN_WORDS) numberWords.clear();
    asked.forEach((word, i) => {
      numberWords.set(word, answers[i]);
      askedWords.delete(word);
    });
    view.dispatch({ effects: numbersArrived.of(null) });
  }, () => asked.forEach((word) => askedWords.delete(word))); // asked again when next shown
}

// No script line a learner writes is longer; colouring a huge one would cost
// more than it shows.
const LONGEST_COLOURED_LINE = 4096;

function colourLine(builder, line, keywords, unknown) {
  const text = line.text;
  if (text.length > LONGEST_COLOURED_LINE) return;
  if (text.startsWith(COMMENT_START)) {
    builder.add(line.from, line.to, marks.comment);
    return;
  }
  let begin = 0;
  for (let i = 0; i <= text.length; ++i) {
    const atEnd = i === text.length;
    if (!atEnd && text[i] !== ' ' && !BRACKETS.has(text[i])) continue;
    if (i > begin) {
      const word = text.slice(begin, i);
      if (keywords.has(word)) builder.add(line.from + begin, line.from + i, marks.keyword);
      else if (numberWords.get(word)) builder.add(line.from + begin, line.from + i, marks.number);
      else if (!numberWords.has(word)) unknown.add(word);
    }
    if (!atEnd && BRACKETS.has(text[i])) builder.add(line.from + i, line.from + i + 1, marks.bracket);
    begin = i + 1;
  }
}

function colours(view) {
  const builder = new RangeSetBuilder();
  const keywords = view.state.field(keywordsField);
  const unknown = new Set();
  for (const { from, to } of view.visibleRanges) {
    for (let at = from; at <= to;) {
      const line = view.state.doc.lineAt(at);
      colourLine(builder, line, keywords, unknown);
      at = line.to + 1;
    }
  }
  askNumbers(view, [...unknown]);
  return builder.finish();
}

const colouring = ViewPlugin.fromClass(class {
  constructor(view) {
    this.decorations = colours(view);
  }
  update(update) {
    const keywordsChanged = update.startState.field(keywordsField) !== update.state.field(keywordsField);
    const numbersChanged = update.transactions.some((t) => t.effects.some((effect) => effect.is(numbersArrived)));
    if (update.docChanged || update.viewportChanged || keywordsChanged || numbersChanged) {
      this.decorations = colours(update.view);
    }
  }
}, { decorations: (plugin) => plugin.decorations });

// ---- A run's marks ----

// {line, from, to, failing}: the line (1-based) and its body item's columns
// (from < 0: none); null clears.
const setRunMark = StateEffect.define();

const runMarkField = StateField.define({
  create: () => Decoration.none,
  update(value, transaction) {
    value = value.map(transaction.changes);
    for (const effect of transaction.effects) {
      if (!effect.is(setRunMark)) continue;
      value = effect.value === null ? Decoration.none : runMarks(transaction.state.doc, effect.value);
    }
    return value;
  },
  provide: (field) => EditorView.decorations.from(field),
});

function runMarks(doc, { line, from, to, failing }) {
  if (line < 1 || line > doc.lines) return Decoration.none;
  const at = doc.line(line);
  const ranges = [Decoration.line({ class: failing ? 'cm-dravel-failing' : 'cm-dravel-running' }).range(at.from)];
  if (from >= 0 && to > from && at.from + to <= at.to) {
    ranges.push(Decoration.mark({ class: 'cm-dravel-item' }).range(at.from + from, at.from + to));
  }
  return Decoration.set(ranges);
}

// ---- Zoom: Ctrl+wheel, Ctrl+= / Ctrl++, Ctrl+-, Ctrl+0 ----

const BASE_FONT_SIZE = 14;
const zoomCompartment = new Compartment();
// Grown with the page's text on a small screen (screen.js's --grow).
const fontSizeTheme = (size) => EditorView.theme({
  '.cm-content, .cm-gutters': { fontSize: `calc(${size}px * var(--grow, 1))` },
});

// ---- The look ----

const look = EditorView.theme({
  '&': { height: '100%', backgroundColor: '#008080', color: '#fff' },
  '.cm-scroller': { fontFamily: '"AR PL UMing CN", "AR PL UMing", SimSun, "Songti SC", serif', lineHeight: '1.25' },
  '.cm-content': { caretColor: '#fff' },
  '&.cm-focused .cm-cursor': { borderLeftColor: '#fff' },
  '.cm-selectionBackground, &.cm-focused > .cm-scroller > .cm-selectionLayer .cm-selectionBackground': {
    backgroundColor: '#fff',
  },
  '&.cm-focused .cm-content ::selection': { color: '#008080' },
  '.cm-gutters': { backgroundColor: 'rgb(0, 96, 96)', color: 'rgb(190, 220, 220)', border: 'none' },
  '.cm-activeLineGutter': { backgroundColor: 'rgb(0, 80, 80)' },
  '.cm-dravel-keyword': { color: 'rgb(255, 255, 190)', fontWeight: 'bold' },
  '.cm-dravel-number': { color: 'rgb(235, 255, 235)' },
  '.cm-dravel-comment': { color: 'rgb(230, 255, 255)', fontStyle: 'italic' },
  '.cm-dravel-bracket': { color: '#fff', fontWeight: 'bold' },
  '.cm-dravel-failing': { backgroundColor: 'rgb(150, 30, 30)' },
  '.cm-dravel-running': { backgroundColor: 'rgb(30, 60, 150)' },
  '.cm-dravel-item': { backgroundColor: 'rgb(230, 160, 0)', color: '#000' },
  '.cm-searchMatch': { backgroundColor: 'rgba(255, 225, 90, 0.5)' },
  '.cm-searchMatch-selected': { backgroundColor: 'rgb(255, 225, 90)', color: '#000' },
  '.cm-lintRange-error': {
    backgroundImage: 'none', textDecoration: 'underline wavy rgb(255, 80, 80)', textDecorationSkipInk: 'none',
  },
  '.cm-panels': { backgroundColor: '#efefef', color: '#000' },
  '.cm-tooltip': { backgroundColor: '#ffffe1', color: '#000', border: '1px solid #888' },
}, { dark: true });

export class ScriptEditor {
  // `host`: the element the editor fills; `extensions`: the checker's and the
  // page's keys; `onChange()`: after each edit; `readNumbers(words)`: the
  // module's answer whether each word is a number.
  constructor(host, text, extensions, onChange, readNumbers) {
    this.fontSize = BASE_FONT_SIZE;
    this.keywords = new Set();
    this.extensions = [
      EditorState.phrases.of(phrases),
      lineNumbers(), highlightActiveLineGutter(), highlightSpecialChars(), history(), drawSelection(),
      search({ top: false }), highlightSelectionMatches(),
      keywordsField, numberReader.of(readNumbers), colouring, runMarkField, look, zoomCompartment.of(fontSizeTheme(this.fontSize)),
      EditorView.lineWrapping,
      EditorView.contentAttributes.of({ 'aria-label': '命令输入', spellcheck: 'false' }),
      keymap.of([
        { key: 'Mod-h', run: openSearchPanel, preventDefault: true },
        { key: 'Mod-=', run: () => this.zoom(1) }, { key: 'Mod-+', run: () => this.zoom(1) },
        { key: 'Mod--', run: () => this.zoom(-1) }, { key: 'Mod-0', run: () => this.zoom(0) },
        ...searchKeymap, ...historyKeymap, ...defaultKeymap,
      ]),
      extensions,
      EditorView.updateListener.of((update) => {
        if (update.docChanged) onChange();
      }),
    ];
    this.view = new EditorView({ parent: host, state: EditorState.create({ doc: text, extensions: this.extensions }) });
    host.addEventListener('wheel', (event) => {
      if (!event.ctrlKey) return;
      event.preventDefault();
      this.zoom(event.deltaY < 0 ? 1 : -1);
    }, { passive: false });
    // Scripts and the page's test read and set the text as they did the text box's.
    Object.defineProperty(host, 'value', { get: () => this.text(), set: (value) => this.setText(value) });
  }

  text() {
    return this.view.state.doc.toString();
  }

  // A whole new text (a file, an example, a new script): no undo back into the old one.
  setText(text) {
    this.view.setState(EditorState.create({ doc: text, extensions: this.extensions }));
    this.view.dispatch({
      effects: [setKeywords.of(this.keywords), zoomCompartment.reconfigure(fontSizeTheme(this.fontSize))],
    });
  }

  setKeywords(words) {
    this.keywords = new Set(words);
    this.view.dispatch({ effects: setKeywords.of(this.keywords) });
  }

  // 1: larger, -1: smaller, 0: as it was.
  zoom(step) {
    this.fontSize = step === 0 ? BASE_FONT_SIZE : Math.min(48, Math.max(8, this.fontSize + 2 * step));
    this.view.dispatch({ effects: zoomCompartment.reconfigure(fontSizeTheme(this.fontSize)) });
    return true;
  }

  // Marks line `line` (1-based) and its body item's columns [from, to) (from
  // < 0: none); a failing line also gets the caret (at its item) and the focus.
  mark({ line, from = -1, to = -1, failing }) {
    const doc = this.view.state.doc;
    if (line < 1 || line > doc.lines) return;
    const at = doc.line(line);
    const caret = Math.min(at.from + Math.max(from, 0), at.to);
    const effects = [setRunMark.of({ line, from, to, failing }), EditorView.scrollIntoView(caret, { y: 'nearest' })];
    this.view.dispatch(failing ? { effects, selection: { anchor: caret } } : { effects });
    if (failing) this.view.focus();
  }

  clearMarks() {
    this.view.dispatch({ effects: setRunMark.of(null) });
  }

  // The caret at the start of line `line`, shown, with the focus.
  goToLine(line) {
    const doc = this.view.state.doc;
    if (line < 1 || line > doc.lines) return false;
    const at = doc.line(line).from;
    this.view.dispatch({ selection: { anchor: at }, effects: EditorView.scrollIntoView(at, { y: 'center' }) });
    this.view.focus();
    return true;
  }

  selectAll() {
    this.view.dispatch({ selection: { anchor: 0, head: this.view.state.doc.length } });
    this.view.focus();
  }
}
