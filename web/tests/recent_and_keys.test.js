// The recent scripts' order and bound, the key table, the caps' words.
import assert from 'node:assert/strict';
import { beforeEach, test } from 'node:test';

import { KEYS, keyActions } from '../page/keys.js';
import { megabytes } from '../page/limits.js';

// The browser's storage, in memory; `full` refuses every write.
const stored = new Map();
let full = false;
globalThis.localStorage = {
  getItem: (key) => stored.get(key) ?? null,
  setItem: (key, value) => {
    if (full) throw new Error('QuotaExceededError');
    stored.set(key, value);
  },
  removeItem: (key) => stored.delete(key),
  get length() { return stored.size; },
  key: (i) => [...stored.keys()][i],
};
const { recentScripts, remember } = await import('../page/recent_scripts.js');

beforeEach(() => {
  stored.clear();
  full = false;
});

const texts = () => recentScripts().map((entry) => entry.text);

// Each case: the scripts remembered, in order, at times 1, 2, ...; the list then.
const recentCases = [
  ['newest first', ['a', 'b', 'c'], ['c', 'b', 'a']],
  ['a blank script is nothing to keep', ['a', '  \n', 'b'], ['b', 'a']],
  ['the same text again moves up, once', ['a', 'b', 'a'], ['a', 'b']],
  ['ten at most, the oldest going', Array.from({ length: 12 }, (_, i) => `s${i}`),
    Array.from({ length: 10 }, (_, i) => `s${11 - i}`)],
];
for (const [name, remembered, expected] of recentCases) {
  test(name, () => {
    remembered.forEach((text, i) => remember({ text }, i + 1));
    assert.deepEqual(texts(), expected);
  });
}

test('kept by the page while the browser keeps nothing, newest first', () => {
  remember({ text: 'kept' }, 1);
  full = true;
  remember({ text: 'not kept' }, 2);
  assert.deepEqual(texts(), ['not kept', 'kept']);
});

test('every key the handler binds is one key of one row', () => {
  const actions = keyActions();
  assert.equal(actions.get('F8'), 'pause');
  assert.equal(actions.get('Ctrl+r'), 'reset');
  assert.equal(actions.get('F7'), 'faster');
  const named = KEYS.flatMap((row) => row.actions ?? []);
  assert.equal(new Set(named).size, named.length, 'an action named twice');
  assert.equal(actions.size, named.length, 'a key bound twice');
  for (const row of KEYS) {
    for (const list of [row.actions, row.buttons]) {
      if (list) assert.equal(list.length, row.keys.length, row.does);
    }
  }
});

const sizeCases = [[1 << 20, '1.0 MB'], [1536 * 1024, '1.5 MB'], [10 << 20, '10 MB'], [0, '0.0 MB']];
for (const [bytes, shown] of sizeCases) {
  test(`${bytes} bytes read ${shown}`, () => assert.equal(megabytes(bytes), shown));
}
