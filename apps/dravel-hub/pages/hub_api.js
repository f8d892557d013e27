// The hub's JSON API as the pages call it: same-origin fetches with the
// session's cookie, JSON in and out, and every refusal or lost connection
// turned into one HubError carrying the sentence to show. No DOM.
import { errorText } from './hub_words.js';

export class HubError extends Error {
  constructor(status, message) {
    super(message);
    this.status = status; // 0: no answer
  }
}

const REQUEST_TIMEOUT_MS = 20000;

async function answered(path, { method = 'GET', json, body, type, timeoutMs = REQUEST_TIMEOUT_MS }) {
  const stop = new AbortController();
  const timer = setTimeout(() => stop.abort(), timeoutMs);
  const headers = {};
  if (json !== undefined) {
    headers['Content-Type'] = 'application/json';
    body = JSON.stringify(json);
  } else if (type !== undefined) {
    headers['Content-Type'] = type;
  }
  try {
    return await fetch(path, { method, headers, body, credentials: 'same-origin', signal: stop.signal });
  } catch {
    throw new HubError(0, errorText(0, null));
  } finally {
    clearTimeout(timer);
  }
}

// The answer's JSON (null for an empty body); throws HubError when the status
// is not 2xx or the body is not JSON.
export async function hubJson(path, options = {}) {
  const response = await answered(path, options);
  const text = await response.text().catch(() => '');
  let data = null;
  try {
    data = text === '' ? null : JSON.parse(text);
  } catch {
    if (response.ok) throw new HubError(response.status, errorText(502, null));
  }
  if (!response.ok) throw new HubError(response.status, errorText(response.status, data));
  return data;
}

// True when the page's own server is a class hub; false for a plain server,
// a page from disk, no answer within `timeoutMs`. Never throws.
export async function isHub(timeoutMs = 2500) {
  if (!/^https?:$/.test(location.protocol)) return false;
  try {
    const answer = await hubJson('/api/hub', { timeoutMs });
    return answer?.name === 'dravel-hub';
  } catch {
    return false;
  }
}
