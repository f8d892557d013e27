// The wall's tiles from the hub's list and its messages, its address, the
// assignment it shows and how its grid fits the projector.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { chosenAssignment, gridLayout, notHandedIn, reconnectDelay, tileCaption, tilesAfter, tilesFromHandins,
  wallClass } from '../wall_grid.js';

const rows = [
  { pupil_id: 3, number: '10', name: '张伟', handin_id: 31, state: 'graded', score: 90 },
  { pupil_id: 1, number: '2', name: '王小明', handin_id: null, state: null, score: null },
  { pupil_id: 2, number: '9', name: '李华', handin_id: 20, state: 'grading', score: null },
];
const graded = (fields) => ({ assignment_id: 7, state: 'graded', score: 80, picture: '/p.png', ...fields });

test('tiles come in 学号 order, read as numbers, with no picture for who has not handed in', () => {
  const tiles = tilesFromHandins(rows);
  assert.deepEqual(tiles.map((tile) => tile.number), ['2', '9', '10']);
  assert.equal(tiles[0].picture, null);
  assert.equal(tiles[2].picture, '/api/handins/31/picture.png');
  assert.deepEqual(notHandedIn(tiles).map((tile) => tile.name), ['王小明']);
});

test('a message changes the one tile it is for, and only with a hand-in as new or newer', () => {
  const tiles = tilesFromHandins(rows);
  const cases = [
    ['another assignment', graded({ assignment_id: 8, pupil_id: 2, number: '9', name: '李华', handin_id: 21 }), false],
    ['an older hand-in graded late', graded({ pupil_id: 3, number: '10', name: '张伟', handin_id: 30 }), false],
    ['a first hand-in', graded({ pupil_id: 1, number: '2', name: '王小明', handin_id: 40 }), true],
    ['a resubmission', graded({ pupil_id: 3, number: '10', name: '张伟', handin_id: 32 }), true],
    ['a hand-in still grading now graded', graded({ pupil_id: 2, number: '9', name: '李华', handin_id: 20 }), true],
    ['a pupil who joined later', graded({ pupil_id: 9, number: '3', name: '新同学', handin_id: 41 }), true],
  ];
  for (const [what, message, changes] of cases) {
    const after = tilesAfter(tiles, message, 7);
    if (!changes) {
      assert.equal(after, tiles, what);
      continue;
    }
    const changed = after.find((tile) => tile.pupil_id === message.pupil_id);
    assert.deepEqual([changed.handin_id, changed.state, changed.picture], [message.handin_id, 'graded', '/p.png'], what);
    assert.ok(after.every((tile) => tile === changed || tiles.includes(tile)), `${what}: the other tiles kept`);
    const numbers = after.map((tile) => Number(tile.number));
    assert.deepEqual(numbers, [...numbers].sort((a, b) => a - b), `${what}: in 学号 order`);
  }
  assert.equal(tilesAfter(tiles, null, 7), tiles);
});

test('an anonymous wall shows 学号 only', () => {
  const [tile] = tilesFromHandins(rows);
  assert.equal(tileCaption(tile, true), '2');
  assert.equal(tileCaption(tile, false), '2 王小明');
});

test('the wall\'s address names its class', () => {
  const cases = [['/wall/12', 12], ['/wall/12/', 12], ['/wall/', null], ['/wall/1x', null], ['/wall/12/3', null],
    ['/walls/12', null]];
  for (const [pathname, id] of cases) assert.equal(wallClass(pathname), id, pathname);
});

test('the wall shows the assignment asked for, else the newest', () => {
  const assignments = [{ id: 4 }, { id: 9 }, { id: 6 }];
  assert.equal(chosenAssignment(assignments, '6').id, 6);
  assert.equal(chosenAssignment(assignments, null).id, 9);
  assert.equal(chosenAssignment(assignments, '5').id, 9);
  assert.equal(chosenAssignment([], '6'), null);
});

test('the grid\'s columns fit a dozen or a full class on the projector with no row cut off', () => {
  const [width, height, ratio, caption, gap] = [1864, 760, 732 / 420, 36, 12];
  const cases = [[1, 1], [12, 4], [45, 9]];
  for (const [count, columns] of cases) {
    const layout = gridLayout(count, width, height, ratio, caption, gap);
    assert.equal(layout.columns, columns, `${count} tiles`);
    const rowsNeeded = Math.ceil(count / columns);
    assert.ok(columns * layout.size + gap * (columns - 1) <= width + 1e-6, `${count} tiles: as wide as the wall at most`);
    assert.ok(rowsNeeded * (layout.size / ratio + caption) + gap * (rowsNeeded - 1) <= height + 1e-6,
      `${count} tiles: every row shown`);
  }
  assert.equal(gridLayout(0, width, height, ratio, caption, gap).columns, 1);
});

test('the wall tries again soon, then every 8 s at most', () => {
  assert.deepEqual([0, 1, 2, 3, 4, 20].map(reconnectDelay), [1000, 2000, 4000, 8000, 8000, 8000]);
});
