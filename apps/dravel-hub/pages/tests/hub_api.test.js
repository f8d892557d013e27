// The pages' calls to the hub with the network replaced: what a plain web
// server, a lost connection or a refusal turns into.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { HubError, hubJson, isHub } from '../hub_api.js';

// fetch answers `status` with `body`, or fails as a network error when status is null.
function answering(status, body = '') {
  const asked = [];
  globalThis.fetch = async (path, options) => {
    asked.push({ path, ...options });
    if (status === null) throw new TypeError('Failed to fetch');
    return new Response(body, { status });
  };
  return asked;
}

test('an answer is its JSON, or a HubError with the sentence to show', async () => {
  const cases = [
    [200, '{"id":3}', { id: 3 }],
    [201, '', null],
    [400, '{"error":"程序里有 GBK 无法表示的字符"}', [400, '程序里有 GBK 无法表示的字符']],
    [404, '<html>Not Found</html>', [404, '找不到要找的内容（可能已被删除）。']],
    [200, '<html>a plain server</html>', [200, '服务器出错（502），请稍后再试。']],
    [null, '', [0, '连接不上班级服务器，请检查网络后再试。']],
  ];
  for (const [status, body, expected] of cases) {
    answering(status, body);
    const what = `${status} ${body}`;
    if (!Array.isArray(expected)) {
      assert.deepEqual(await hubJson('/api/x'), expected, what);
      continue;
    }
    await assert.rejects(hubJson('/api/x'), (error) => {
      assert.ok(error instanceof HubError, what);
      assert.deepEqual([error.status, error.message], expected, what);
      return true;
    });
  }
});

test('a request sends its JSON with the session cookie', async () => {
  const asked = answering(200, '{}');
  await hubJson('/api/pupil/login', { method: 'POST', json: { join_code: 'K7Q2M', number: '01', code: '猫' } });
  assert.equal(asked[0].credentials, 'same-origin');
  assert.equal(asked[0].headers['Content-Type'], 'application/json');
  assert.deepEqual(JSON.parse(asked[0].body), { join_code: 'K7Q2M', number: '01', code: '猫' });
});

test('only a hub that names itself shows the class panel; a page from disk asks nothing', async () => {
  const cases = [
    ['http:', 200, '{"name":"dravel-hub","version":"1"}', true],
    ['http:', 200, '{"name":"something-else"}', false],
    ['https:', 404, '', false],
    ['http:', 200, '<!DOCTYPE html>', false],
    ['http:', null, '', false],
    ['file:', 200, '{"name":"dravel-hub"}', false],
  ];
  for (const [protocol, status, body, hub] of cases) {
    globalThis.location = { protocol };
    const asked = answering(status, body);
    assert.equal(await isHub(), hub, `${protocol} ${status} ${body}`);
    if (protocol === 'file:') assert.equal(asked.length, 0);
  }
});
