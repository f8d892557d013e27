// The page's keys, in one table: the key handler (main.js) binds the rows it
// owns by their action names, the Alt rows give the buttons their access keys,
// and F1's list and the guide (web/guide.mjs) show every row, so the words
// cannot drift from what the keys do. The editor's rows are the editor's
// (editor.js and CodeMirror's own keymaps); the table only names them.
//
// A row: `keys` as shown (and, for the handler, as KeyboardEvent.key with
// "Ctrl+" for the control key), `does` in the learner's words, and either
// `actions` (one name a key, for the handler), `buttons` (the access keys'
// button ids) or neither (the editor's or the browser's).
export const KEYS = [
  { keys: ['F1'], does: '命令参考', actions: ['reference'] },
  { keys: ['F2'], does: '打开示例', actions: ['examples'] },
  { keys: ['Alt+A'], does: '调试（运行脚本）', buttons: ['run'] },
  { keys: ['Alt+B'], does: '清屏', buttons: ['clear'] },
  { keys: ['Alt+C'], does: '停止', buttons: ['stop'] },
  { keys: ['Alt+D'], does: '全选', buttons: ['select-all'] },
  { keys: ['F8'], does: '暂停或继续', actions: ['pause'] },
  { keys: ['F10'], does: '单步：再执行一条命令', actions: ['step'] },
  { keys: ['F6', 'F7'], does: '更慢 / 更快', actions: ['slower', 'faster'] },
  { keys: ['Ctrl+R'], does: '重置：清屏，海龟回家、朝上、落笔', actions: ['reset'] },
  { keys: ['Ctrl+N'], does: '新建源码（有的浏览器自己占用这个键，请点“新建源码”）', actions: ['new'] },
  { keys: ['Ctrl+O'], does: '打开源码', actions: ['open'] },
  { keys: ['Ctrl+S'], does: '保存源码', actions: ['save'] },
  { keys: ['Ctrl+Z', 'Ctrl+Y'], does: '撤销 / 重做' },
  { keys: ['Ctrl+F', 'Ctrl+H'], does: '查找 / 替换' },
  { keys: ['Ctrl+=', 'Ctrl+-', 'Ctrl+0'], does: '放大 / 缩小 / 还原脚本文字' },
  { keys: ['F3', 'Shift+F3'], does: '查找下一个 / 上一个' },
  { keys: ['Ctrl+.'], does: '修正光标所在行的问题' },
  { keys: ['Ctrl+Shift+M'], does: '列出所有问题' },
  { keys: ['Esc'], does: '关闭对话框、查找栏，退出全屏' },
];

// A row's keys as F1 and the guide show them.
export const keyLabel = (row) => row.keys.join(' / ');

// The handler's map: "F8" or "Ctrl+r" -> action name.
export function keyActions() {
  const actions = new Map();
  for (const row of KEYS) {
    row.actions?.forEach((action, i) => actions.set(row.keys[i].replace(/[A-Z]$/, (c) => c.toLowerCase()), action));
  }
  return actions;
}

// Each Alt row's button takes its letter as its access key.
export function setAccessKeys(byId) {
  for (const row of KEYS) {
    row.buttons?.forEach((id, i) => {
      byId(id).accessKey = row.keys[i].slice(-1).toLowerCase();
    });
  }
}
