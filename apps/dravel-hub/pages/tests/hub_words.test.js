// The words every hub page shows: states, deadlines, the hand-in button,
// scores, the teacher's deadline box, the hub's refusals.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { copiesText, deadlineSeconds, deadlineText, errorText, handInChoice, scoreText, stateWord }
  from '../hub_words.js';

const at = (...fields) => new Date(...fields).getTime() / 1000; // local time, as the pages show it
const NOW = at(2026, 11, 10, 14, 30);

test('a state reads as its Chinese word; none is 未交', () => {
  const rows = [[null, '未交'], [undefined, '未交'], ['queued', '已收到'], ['grading', '评分中'],
    ['graded', '已评分'], ['failed', '失败'], ['exploded', '未知']];
  for (const [state, word] of rows) assert.equal(stateWord(state), word, String(state));
});

test('a deadline reads as open until its very second, then passed', () => {
  const rows = [
    [null, '不限时间'],
    [at(2026, 11, 10, 16, 5), '截止：12月10日 16:05'],
    [NOW + 1, '截止：12月10日 14:30'],
    [NOW, '已截止（12月10日 14:30）'],
    [at(2027, 0, 3, 9, 0), '截止：2027年1月3日 09:00'],
  ];
  for (const [deadline, text] of rows) assert.equal(deadlineText(deadline, NOW), text, String(deadline));
});

test('the hand-in button allows what the hub would take', () => {
  const later = NOW + 3600;
  const earlier = NOW - 3600;
  const rows = [
    [{ handed_in: false, resubmit: false, deadline: later }, true, '交作业'],
    [{ handed_in: false, resubmit: false, deadline: earlier }, true, '交作业（迟交）'],
    [{ handed_in: true, resubmit: true, deadline: later }, true, '重新提交'],
    [{ handed_in: true, resubmit: true, deadline: null }, true, '重新提交'],
    [{ handed_in: true, resubmit: false, deadline: later }, false, '已交'],
    [{ handed_in: true, resubmit: true, deadline: earlier }, false, '已交'],
    [{ handed_in: true, resubmit: true, deadline: NOW }, false, '已交'],
  ];
  for (const [assignment, allowed, label] of rows) {
    const choice = handInChoice(assignment, NOW);
    assert.deepEqual([choice.allowed, choice.label], [allowed, label], JSON.stringify(assignment));
    assert.equal(choice.why === '', allowed, 'a refusal says why');
  }
});

test('a score of 0 shows; none shows nothing', () => {
  const rows = [[null, ''], [undefined, ''], [NaN, ''], [0, '0 分'], [100, '100 分'], [87.25, '87.3 分'], [59.94, '59.9 分']];
  for (const [score, text] of rows) assert.equal(scoreText(score), text, String(score));
});

test('the deadline box reads as local Unix seconds; empty is none, half filled is unreadable', () => {
  assert.equal(deadlineSeconds(''), null);
  assert.equal(deadlineSeconds('2026-12-10T14:30'), NOW);
  for (const bad of ['2026-12-10', '2026-12-10T14', 'tomorrow', '2026-12-10T14:30:00Z']) {
    assert.ok(Number.isNaN(deadlineSeconds(bad)), bad);
  }
});

test('a refusal shows the hub\'s own sentence, else one for its status', () => {
  const rows = [
    [400, { error: '程序里有 GBK 无法表示的字符' }, '程序里有 GBK 无法表示的字符'],
    [409, { error: '' }, '这份作业不允许重新提交。'],
    [409, { error: 42 }, '这份作业不允许重新提交。'],
    [409, null, '这份作业不允许重新提交。'],
    [0, null, '连接不上班级服务器，请检查网络后再试。'],
    [429, {}, '尝试次数太多，请稍等一会儿再试。'],
    [502, null, '服务器出错（502），请稍后再试。'],
  ];
  for (const [status, body, text] of rows) assert.equal(errorText(status, body), text, `${status}`);
});

test('a look-alike group shows from 1; 0 and no hand-in are none', () => {
  const rows = [[null, ''], [0, ''], [1, '第 1 组'], [12, '第 12 组'], [-1, ''], [1.5, '']];
  for (const [copies, text] of rows) assert.equal(copiesText(copies), text, JSON.stringify(copies));
});
