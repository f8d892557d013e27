// The hint box as the worker's changes and the page's own lines make it.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { Hint } from '../page/hint.js';

const change = (fields) => ({ replace: false, head: '', tail: '', dropped: 0, marker: '', leftOut: 0,
                              headFull: true, ...fields });
const marker = (lines) => `……中间略去 ${lines} 行……\r\n`;

// Each case: what arrives in order (a change, or a string the page says itself), and the box's text.
const cases = [
  ['the module\'s lines only', [change({ replace: true, head: 'a\r\n', headFull: false }),
    change({ head: 'b\r\n', headFull: false })], 'a\nb\n'],
  ['the page\'s line goes to the head while it has room',
    [change({ replace: true, head: 'a\r\n', headFull: false }), 'own\r\n', change({ head: 'b\r\n', headFull: false })],
    'a\nown\nb\n'],
  ['dropped lines are the module\'s, and the page\'s older line goes with them, counted',
    [change({ replace: true, head: 'h\r\n', tail: 't1\r\n' }), 'own\r\n',
      change({ tail: 't2\r\nt3\r\n', dropped: 2, marker: marker(2), leftOut: 2 })],
    'h\n……中间略去 3 行……\nt3\n'],
  ['the page\'s line after the dropped ones stays',
    [change({ replace: true, head: 'h\r\n', tail: 't1\r\n' }), 'own\r\n',
      change({ tail: 't2\r\n', dropped: 1, marker: marker(1), leftOut: 1 })],
    'h\n……中间略去 1 行……\nown\nt2\n'],
  ['the first line goes before what the page said already', ['own\r\n', { lead: 'first\r\n' }], 'first\nown\n'],
  ['a drop within one piece', [change({ replace: true, head: 'h\r\n', tail: 'x\r\ny\r\nz\r\n' }),
    change({ dropped: 2, marker: marker(2), leftOut: 2 })], 'h\n……中间略去 2 行……\nz\n'],
  ['a new run starts afresh', [change({ replace: true, head: 'h\r\n', tail: 't\r\n' }), 'own\r\n',
    change({ dropped: 1, marker: marker(2), leftOut: 1 }), change({ replace: true, head: 'new\r\n', headFull: false })],
    'new\n'],
];

for (const [name, arrivals, shown] of cases) {
  test(name, () => {
    const hint = new Hint({ value: '', scrollTop: 0, scrollHeight: 0 }, () => {});
    for (const arrival of arrivals) {
      if (typeof arrival === 'string') hint.append(arrival);
      else hint.follow(arrival);
    }
    assert.equal(hint.text(), shown);
  });
}
