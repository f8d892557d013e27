// The checker in the editor: the module's findings (interpreter/script_checker,
// the same as the desktop's) as lint marks with their message and fix, and
// Ctrl+. to apply the fix at the caret, as on the desktop; Ctrl+Shift+M lists
// them all.
import { forEachDiagnostic, lintGutter, linter, openLintPanel } from '@codemirror/lint';
import { keymap } from '@codemirror/view';

import { texts } from './texts.js';
import { Abandoned } from './workers.js';

// No learner's script is longer; checking a pasted book at each key would
// hold the worker a run is waiting for.
const LONGEST_CHECKED_TEXT = 1 << 20;

// The line holding `at` rewritten as the finding offers.
function fixLine(view, at, fixed) {
  const line = view.state.doc.lineAt(at);
  view.dispatch({ changes: { from: line.from, to: line.to, insert: fixed }, userEvent: 'input.fix' });
}

function diagnostic(doc, { line, from, to, message, fixed }) {
  const at = doc.line(line);
  const start = Math.min(at.from + from, at.to);
  return {
    from: start,
    to: Math.max(start, Math.min(at.from + to, at.to)),
    severity: 'error',
    message: fixed === null ? message : `${message}\n${texts.fixHint(fixed)}`,
    fixed,
    actions: fixed === null ? [] : [{ name: texts.fixTo(fixed), apply: (view, fromAt) => fixLine(view, fromAt, fixed) }],
  };
}

// The first fix on the caret's line, the one under the caret first.
function applyFixAtCaret(view) {
  const caret = view.state.selection.main.head;
  const line = view.state.doc.lineAt(caret);
  let best = null;
  forEachDiagnostic(view.state, (found, from, to) => {
    if (found.fixed == null || from < line.from || from > line.to) return;
    if (best === null || (caret >= from && caret <= to)) best = { found, from };
  });
  if (best === null) return false;
  fixLine(view, best.from, best.found.fixed);
  return true;
}

// `ask(type, fields)`: a question to the module (workers.js).
export function checker(ask) {
  return [
    linter(async (view) => {
      const doc = view.state.doc;
      if (doc.length > LONGEST_CHECKED_TEXT) return [];
      try {
        const { findings } = await ask('check', { text: doc.toString() });
        return findings.filter((found) => found.line <= doc.lines).map((found) => diagnostic(doc, found));
      } catch (error) {
        if (error instanceof Abandoned) return [];
        throw error;
      }
    }, { delay: 250 }),
    lintGutter(),
    keymap.of([{ key: 'Mod-.', run: applyFixAtCaret }, { key: 'Mod-Shift-m', run: openLintPanel }]),
  ];
}
