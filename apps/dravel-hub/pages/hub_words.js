// The hub's words as every page shows them: a hand-in's state, a deadline,
// a score, an error the hub answered. No DOM, so the pupils' page (its 班级
// panel), the teacher's page and the wall say the same thing, and node tests
// it. Times are the browser's local time.

const STATE_WORDS = { queued: '已收到', grading: '评分中', graded: '已评分', failed: '失败' };

// A hand-in's state in Chinese; none (null) is a pupil who has not handed in.
export function stateWord(state) {
  if (state == null) return '未交';
  return STATE_WORDS[state] ?? '未知';
}

// Graded or failed: polling can stop.
export const isSettled = (state) => state === 'graded' || state === 'failed';

const twoDigits = (number) => String(number).padStart(2, '0');

// Unix seconds as "12月10日 16:05" (the year too when it is not this year's).
export function shownTime(seconds, nowSeconds = Date.now() / 1000) {
  const time = new Date(seconds * 1000);
  const year = time.getFullYear() === new Date(nowSeconds * 1000).getFullYear() ? '' : `${time.getFullYear()}年`;
  return `${year}${time.getMonth() + 1}月${time.getDate()}日 ${twoDigits(time.getHours())}:${twoDigits(time.getMinutes())}`;
}

// An assignment's deadline for a pupil: none, still open, or passed.
export function deadlineText(deadline, nowSeconds = Date.now() / 1000) {
  if (deadline == null) return '不限时间';
  const shown = shownTime(deadline, nowSeconds);
  return nowSeconds < deadline ? `截止：${shown}` : `已截止（${shown}）`;
}

export const isPast = (deadline, nowSeconds = Date.now() / 1000) => deadline != null && nowSeconds >= deadline;

// What the pupil's 交作业 button may do for `assignment` ({handed_in,
// resubmit, deadline}): {allowed, label, why}. The hub decides in the end
// (409); this only spares a pupil a refused click.
export function handInChoice(assignment, nowSeconds = Date.now() / 1000) {
  const past = isPast(assignment.deadline, nowSeconds);
  if (!assignment.handed_in) return { allowed: true, label: past ? '交作业（迟交）' : '交作业', why: '' };
  if (!assignment.resubmit) return { allowed: false, label: '已交', why: '这份作业只能交一次。' };
  if (past) return { allowed: false, label: '已交', why: '已经过了截止时间，不能再重新提交。' };
  return { allowed: true, label: '重新提交', why: '' };
}

// A score as shown: none is empty; others to one decimal at most.
export function scoreText(score) {
  if (score == null || !Number.isFinite(score)) return '';
  return `${Math.round(score * 10) / 10} 分`;
}

// The value of an <input type="datetime-local"> ("2026-12-10T16:00") as
// Unix seconds; '' is no deadline (null); anything else unreadable is NaN.
export function deadlineSeconds(value) {
  if (value === '') return null;
  const parts = /^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2})$/.exec(value);
  if (parts === null) return NaN;
  const [year, month, day, hours, minutes] = parts.slice(1).map(Number);
  return new Date(year, month - 1, day, hours, minutes).getTime() / 1000;
}

const FALLBACK = {
  0: '连接不上班级服务器，请检查网络后再试。',
  400: '提交的内容有误。',
  401: '登录已失效，请重新登录。',
  403: '没有权限。',
  404: '找不到要找的内容（可能已被删除）。',
  409: '这份作业不允许重新提交。',
  413: '内容太大，服务器不接收。',
  429: '尝试次数太多，请稍等一会儿再试。',
};

// The sentence to show for a refused request: the hub's own `error` when it
// gave one, else a word for the status (0: no answer at all).
export function errorText(status, body) {
  if (body != null && typeof body.error === 'string' && body.error.trim() !== '') return body.error;
  return FALLBACK[status] ?? `服务器出错（${status}），请稍后再试。`;
}

// A hand-in's group of look-alike hand-ins as the teacher's table shows it:
// the hub numbers each group from 1, and 0 (or null, no hand-in) is none.
export function copiesText(copies) {
  return Number.isInteger(copies) && copies > 0 ? `第 ${copies} 组` : '';
}
