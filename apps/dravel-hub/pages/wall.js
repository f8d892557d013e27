// The wall at /wall/CLASS_ID (?assignment=ID, ?anonymous=1): every pupil's
// latest picture for the class's newest or chosen assignment, who has not
// handed in, and the address pupils open, for the projector. Kept up to date
// by the hub's wall socket, which it opens again whenever it drops (until the
// hub says the class is not this teacher's); the tiles' data is wall_grid.js's.
import { $, element } from './dom.js';
import { HubError, hubJson } from './hub_api.js';
import { stateWord } from './hub_words.js';
import { chosenAssignment, gridLayout, notHandedIn, reconnectDelay, tileCaption, tilesAfter,
  tilesFromHandins, wallClass } from './wall_grid.js';

const CAPTION_HEIGHT = 36;

const query = new URLSearchParams(location.search);
const wall = {
  classId: wallClass(location.pathname),
  asked: query.get('assignment'),
  anonymous: query.get('anonymous') === '1',
  assignment: null,
  tiles: [],
  shown: new Map(), // pupil_id -> {tile, node}
  failures: 0,
};

function showProblem(text) {
  $('connection').hidden = text === '';
  $('connection').textContent = text;
}

// The tiles drawn again; a tile whose hand-in is unchanged keeps its node,
// so its picture does not flicker.
function draw(fresh = null) {
  const handedIn = wall.tiles.filter((tile) => tile.handin_id != null);
  const nodes = handedIn.map((tile) => {
    const kept = wall.shown.get(tile.pupil_id);
    const node = kept?.tile === tile ? kept.node : tileNode(tile);
    node.classList.toggle('fresh', tile.pupil_id === fresh);
    wall.shown.set(tile.pupil_id, { tile, node });
    return node;
  });
  const missing = notHandedIn(wall.tiles);
  $('count').textContent = `已交 ${handedIn.length} / ${wall.tiles.length} 人`;
  $('waiting').textContent = missing.length === 0 ? '' :
    `还没交（${missing.length} 人）：` + missing.map((tile) => tileCaption(tile, wall.anonymous)).join('、');
  $('grid').replaceChildren(...nodes);
  fit();
}

function tileNode(tile) {
  const picture = element('div', { className: 'picture' });
  if (tile.state === 'graded') picture.append(element('img', { src: tile.picture, alt: '' }));
  else picture.append(element('span', { className: 'state', textContent: stateWord(tile.state) }));
  return element('div', { className: 'tile ' + (tile.state ?? 'missing') }, picture,
    element('div', { className: 'caption', textContent: tileCaption(tile, wall.anonymous) }));
}

// A picture's width over its height, as wall.css shapes the tiles (the
// canvas's size); 1 with no tile to ask.
function pictureRatio(grid) {
  const picture = grid.querySelector('.picture');
  if (picture === null) return 1;
  const [width, height = 1] = getComputedStyle(picture).aspectRatio.split('/').map(Number);
  return width / height || 1;
}

function fit() {
  const grid = $('grid');
  const style = getComputedStyle(grid);
  const width = grid.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
  const height = grid.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
  const { columns, size } = gridLayout(grid.children.length, width, height, pictureRatio(grid),
    CAPTION_HEIGHT);
  grid.style.gridTemplateColumns = `repeat(${columns}, ${Math.floor(size)}px)`;
}

// The class's name, its assignment to show and the latest hand-ins.
async function load() {
  const [classes, assignments] = await Promise.all([
    hubJson('/api/classes'), hubJson(`/api/classes/${wall.classId}/assignments`)]);
  $('class-name').textContent = classes.find((shown) => shown.id === wall.classId)?.name ?? '';
  wall.assignment = chosenAssignment(assignments, wall.asked);
  if (wall.assignment === null) {
    $('assignment-title').textContent = '还没有作业';
    wall.tiles = [];
  } else {
    $('assignment-title').textContent = wall.assignment.title;
    wall.tiles = tilesFromHandins(await hubJson(`/api/assignments/${wall.assignment.id}/handins`));
  }
  wall.shown.clear();
  draw();
}

function received(data) {
  let message;
  try {
    message = JSON.parse(data);
  } catch {
    return;
  }
  // A new assignment's first hand-in moves a wall that shows the newest.
  if (wall.assignment === null || (wall.asked === null && message.assignment_id > wall.assignment.id)) {
    load().catch(failed);
    return;
  }
  const tiles = tilesAfter(wall.tiles, message, wall.assignment.id);
  if (tiles === wall.tiles) return;
  wall.tiles = tiles;
  draw(message.pupil_id);
}

function connect() {
  const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
  const socket = new WebSocket(`${scheme}//${location.host}/api/classes/${wall.classId}/wall`);
  let opened = false;
  socket.addEventListener('open', () => {
    opened = true;
    showProblem('');
    // What was graded while the socket was down.
    if (wall.failures > 0) load().catch(failed);
    wall.failures = 0;
  });
  socket.addEventListener('message', (event) => received(event.data));
  socket.addEventListener('close', () => {
    if (opened || wall.failures > 0) showProblem('与班级服务器的连接断了，正在重新连接…');
    setTimeout(reconnect, reconnectDelay(wall.failures++));
  });
}

// A wall refused again may have lost its class (handed to another teacher, or
// the login ended): when the hub says so, the wall shows nothing of the class
// and stops asking.
async function reconnect() {
  if (wall.failures > 1) {
    try {
      await hubJson(`/api/classes/${wall.classId}/assignments`);
    } catch (error) {
      if (error instanceof HubError && (error.status === 401 || error.status === 404)) {
        wall.tiles = [];
        draw();
        failed(error);
        return;
      }
    }
  }
  connect();
}

function failed(error) {
  if (error instanceof HubError && error.status === 401) {
    showProblem('请先在这台电脑上打开老师页面（/teacher）登录，再刷新投影墙。');
  } else {
    showProblem(error.message);
  }
}

async function start() {
  $('address').textContent = location.origin;
  if (wall.classId === null) {
    showProblem('投影墙的地址应该是 /wall/班级编号，请从老师页面打开。');
    return;
  }
  // The grid's room changes with the window, the list of who has not handed
  // in and the connection's notice.
  new ResizeObserver(fit).observe($('grid'));
  try {
    await load();
  } catch (error) {
    failed(error);
  }
  connect();
}

start();
