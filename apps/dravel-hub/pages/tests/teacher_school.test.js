// The administrator's hand-over form: each class named with its teacher,
// a class whose teacher is not listed still offered.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { moveChoices } from '../teacher_school.js';

test('each class is offered under its teacher\'s name, every teacher as a receiver', () => {
  const teachers = [{ id: 1, name: '老师' }, { id: 2, name: '<b>王</b>' }];
  const classes = [{ id: 7, name: '三年级二班', teacher_id: 2 }, { id: 9, name: '四班', teacher_id: 5 }];
  assert.deepEqual(moveChoices(teachers, classes), {
    classes: [{ value: '7', text: '三年级二班（<b>王</b>）' }, { value: '9', text: '四班（?）' }],
    teachers: [{ value: '1', text: '老师' }, { value: '2', text: '<b>王</b>' }],
  });
});
