// The wall's tiles, one per pupil, as plain data: made from the latest
// hand-ins the hub lists, then kept up to date by the wall's messages. No
// DOM, so node tests it; wall.js draws what this says.

const byNumber = (a, b) => String(a.number).localeCompare(String(b.number), 'zh-CN', { numeric: true }) ||
  a.pupil_id - b.pupil_id;

export const pictureOf = (handinId) => `/api/handins/${handinId}/picture.png`;

// The tiles of `rows` (GET /api/assignments/ID/handins) in 学号 order; a
// pupil without a hand-in has handin_id null.
export function tilesFromHandins(rows) {
  return rows.map((row) => ({
    pupil_id: row.pupil_id, number: row.number, name: row.name, handin_id: row.handin_id ?? null,
    state: row.handin_id == null ? null : row.state, score: row.score ?? null,
    picture: row.handin_id == null ? null : pictureOf(row.handin_id),
  })).sort(byNumber);
}

// The tiles after `message` (one graded hand-in) when it belongs to the
// assignment shown: the pupil's tile takes it unless it already shows a
// later hand-in (a resubmission graded first); a pupil not yet listed gets
// a tile. Returns the same array when nothing changes.
export function tilesAfter(tiles, message, assignmentId) {
  if (message == null || message.assignment_id !== assignmentId) return tiles;
  const at = tiles.findIndex((tile) => tile.pupil_id === message.pupil_id);
  if (at >= 0 && tiles[at].handin_id != null && tiles[at].handin_id > message.handin_id) return tiles;
  const tile = {
    pupil_id: message.pupil_id, number: message.number, name: message.name, handin_id: message.handin_id,
    state: message.state, score: message.score ?? null, picture: message.picture ?? pictureOf(message.handin_id),
  };
  if (at < 0) return [...tiles, tile].sort(byNumber);
  return tiles.map((old, index) => (index === at ? tile : old));
}

// Who has not handed in yet, in 学号 order.
export const notHandedIn = (tiles) => tiles.filter((tile) => tile.handin_id == null);

// A tile's caption: the 学号 alone on an anonymous wall.
export const tileCaption = (tile, anonymous) => (anonymous ? String(tile.number) : `${tile.number} ${tile.name}`);

// The class a wall's address (/wall/ID) shows, or null.
export function wallClass(pathname) {
  const match = /^\/wall\/(\d+)\/?$/.exec(pathname);
  return match === null ? null : Number(match[1]);
}

// The assignment to show: the one the address asks for when the class has
// it, else the newest (highest id); null when there are none.
export function chosenAssignment(assignments, asked) {
  if (assignments.length === 0) return null;
  const wanted = assignments.find((assignment) => String(assignment.id) === asked);
  return wanted ?? assignments.reduce((newest, assignment) => (assignment.id > newest.id ? assignment : newest));
}

// Milliseconds before the wall's next try to reconnect: 1 s doubling, at
// most 8 s, so the projector catches up soon after the network returns.
export const reconnectDelay = (failures) => Math.min(1000 * 2 ** failures, 8000);

// How to lay `count` tiles of width:height `ratio` plus a caption
// `captionHeight` high into width x height with the largest pictures:
// {columns (at least one), size: each picture's width}.
export function gridLayout(count, width, height, ratio, captionHeight, gap = 12) {
  let best = { columns: 1, size: 0 };
  for (let columns = 1; columns <= Math.max(count, 1); ++columns) {
    const rows = Math.ceil(count / columns);
    const byWidth = (width - gap * (columns - 1)) / columns;
    const byHeight = ((height - gap * (rows - 1)) / rows - captionHeight) * ratio;
    const size = Math.min(byWidth, byHeight);
    if (size > best.size) best = { columns, size };
  }
  return best;
}
