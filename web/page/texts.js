// The page's texts: the system's own, as the desktop writes them to the hint
// box and asks them (taken from the module once at start-up: SYSTEM_TEXTS),
// and the page's extras, in one place.
import { LONGEST_SCRIPT_BYTES, megabytes } from './limits.js';

export const CRLF = '\r\n';

// The names of the module's fixed texts (web/src/page_messages.h); empty
// until the module has given them.
const SYSTEM_TEXTS = ['hintInitial', 'runStopped', 'newDone', 'openPrefix', 'savePrefix', 'compilePrefix',
  'succeeded', 'failed', 'savePrompt', 'convertFromUtf8', 'linePrefix', 'unsavableLine'];

export const texts = {
  ...Object.fromEntries(SYSTEM_TEXTS.map((name) => [name, ''])),
  unsavableAt: (line) => texts.linePrefix + line + texts.unsavableLine,
  workerFailed: (what) => `网页版出错：${what}` + CRLF,
  noTextFont: '写文字的字体下载不了（没有网络连接？），文字没有画出。' + CRLF,
  untitled: '未命名',
  // The page's extras.
  fixTo: (line) => `修正为：${line}`,
  fixHint: (line) => `按 Ctrl+. 或点“修正”改为：${line}`,
  pause: '暂停(F8)',
  continue: '继续(F8)',
  step: '单步(F10)',
  shareCopied: '分享链接已复制，也在地址栏里。' + CRLF,
  shareNotCopied: '分享链接在地址栏里，请从那里复制。' + CRLF,
  sharedScriptReplaces: '这个链接带来一段程序。要用它替换编辑框里还没有保存的程序吗？' +
    '（被替换的程序可以在“最近的脚本”里找回。）',
  sharedScriptBroken: '这个分享链接已损坏，无法读出程序。' + CRLF,
  // Nothing a pupil types is lost: caps, characters GBK cannot hold, the
  // recent scripts, the mark of a script not yet saved.
  sharedScriptOpened: '打开分享的程序成功！' + CRLF,
  sharedScriptTooLong: `这个分享链接里的程序太长（超过 ${megabytes(LONGEST_SCRIPT_BYTES)}），没有打开。` + CRLF,
  shareTooLong: `这段程序太长，放不进分享链接（最多 ${megabytes(LONGEST_SCRIPT_BYTES)}）。` +
    '要用“保存源码”把它保存成文件吗？',
  fileTooLarge: (name, size) => `源码文件 ${name} 有 ${megabytes(size)}，` +
    `网页版最多打开 ${megabytes(LONGEST_SCRIPT_BYTES)} 的源码。` + CRLF,
  unsavableCharacter: (character, verb) =>
    `脚本里有 GBK 无法保存的字符“${character}”，${verb}后会变成“?”。仍然${verb}吗？`,
  save: '保存',
  compile: '编译',
  unsaved: '（未保存）',
  unsavedMark: '源码已更改，还没有保存',
  recentTitle: '最近的脚本',
  recentNone: '还没有被替换下来的脚本。',
  recentOpened: (time) => `打开最近的脚本（${time}）成功！` + CRLF,
  notKept: '浏览器没有保存这段程序（太大，或者不允许网页保存），请用“保存源码”保存。' + CRLF,
  pictureSaved: (name) => `保存图片 ${name} 成功！` + CRLF,
  pictureNotSaved: (name) => `保存图片 ${name} 失败！` + CRLF,
  pictureNotKept: (name) => `背景图片 ${name} 太大，浏览器不会保存它，下次打开网页时请重新选择。` + CRLF,
  pictureUnreadable: (name) => `背景图片 ${name} 无法显示：不是浏览器能读的图片，或者太大。` + CRLF,
  fromDisk: '从磁盘打开的网页：可以调试、打开和保存，但不能离线缓存，也不能安装成应用；' +
    '要使用这些功能，请通过网址打开。' + CRLF,
  examplesTitle: '打开示例（F2）',
  referenceTitle: '命令参考（F1）',
  referenceColumns: ['命令', '英文', '写法', '作用', '例子'],
  keysTitle: '按键',
  close: '关闭',
  open: '打开',
  // The 班级 panel, where the page's server is a class hub.
  classButton: '班级',
  classTitle: '班级作业',
  classLogin: '登录',
  classLogout: '退出',
  classRefresh: '刷新',
  classJoinCode: '班级码',
  classNumber: '学号',
  classCode: '个人码',
  classShowCode: '显示',
  classLoginHelp: '班级码、学号和个人码在老师发的登录卡片上。',
  classLoginMissing: '请把班级码、学号和个人码都填上。',
  classLoginWrong: '班级码、学号或个人码不对，请对照登录卡片再试一次。',
  classLoginClosed: '老师现在没有开放登录，请等老师说可以了再试。',
  classWho: (name, number, className) => `${name}（学号 ${number}）· ${className}`,
  classNone: '老师还没有布置作业。',
  classHandedIn: '已交',
  classNotHandedIn: '未交',
  classHandInAgain: '要用编辑框里的程序重新提交吗？上一次交的作业会被这一次的替换。',
  classEmptyScript: '编辑框里没有程序，写好以后再交。',
  classUnsavable: (line, character) =>
    `第 ${line} 行的“${character}”不能保存成 GBK 编码，老师那里收不到。请把它改掉再交。`,
  classSending: '正在交作业…',
  classSent: (title) => `“${title}”已交，正在等待评分…`,
  classSlow: '评分用的时间比较长，过一会儿点“刷新”看看结果。',
  classPollLost: '和班级服务器的连接断了，正在重试…',
  classOverlay: '对照图（你的图和参考图叠在一起）',
};

// The module's texts ({name: text}, dravel_messages); a name the page does
// not know is left out.
export function takeSystemTexts(given) {
  for (const name of SYSTEM_TEXTS) if (typeof given[name] === 'string') texts[name] = given[name];
}
