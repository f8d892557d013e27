// The main window's own texts: captions, messages and dialog settings, as the
// GBK bytes the program shows or writes. Widgets get them through FromGbk
// (qt_text.h).
#pragma once

#include "runtime/system_text.h"

namespace dravel::texts {

inline const Text kWindowCaption = SystemText("Dravel");
inline const Text kPageScript = SystemText("命令输入");
inline const Text kPageHelp = SystemText("帮助");
inline const Text kPageSettings = SystemText("属性设置");
inline const Text kLinkCaption = SystemText("欢迎访问 Ombra社区");
inline const Text kRunCountLabel = SystemText("执行次数：");
inline const Text kRunCountInitial = SystemText("1");
inline const Text kHintInitial = SystemText("提示信息：\r\n");

inline const Text kRunCaption = SystemText("&A调试");
inline const Text kClearCaption = SystemText("&B清屏");
inline const Text kStopCaption = SystemText("&C停止");
inline const Text kSelectAllCaption = SystemText("&D全选");
inline const Text kOpenCaption = SystemText("打开源码");
inline const Text kNewCaption = SystemText("新建源码");
inline const Text kSaveCaption = SystemText("保存源码");
inline const Text kCompileCaption = SystemText("编译源码");

inline const Text kMessageBoxCaption = SystemText("信息：");
inline const Text kSavePrompt = SystemText("源码已更改，请问是否保存？");
inline const Text kConvertFromUtf8 = SystemText(
    "这个文件是 UTF-8 编码的，不是 Dravel 使用的 GBK 编码。\n"
    "要把它转换成 GBK 吗？选“是”转换（转换后请保存）；选“否”按 GBK 原样打开。");

inline const Text kNewDone = SystemText("新建Dravel源码成功！\r\n");
inline const Text kOpenPrefix = SystemText("打开 ");
inline const Text kSavePrefix = SystemText("保存 ");
inline const Text kCompilePrefix = SystemText("编译Dravel源码到 ");
inline const Text kSucceeded = SystemText(" 成功！");
inline const Text kFailed = SystemText(" 失败！");
inline const Text kLineBreak = SystemText("\r\n");
inline const Text kLinePrefix = SystemText("第");
inline const Text kUnsavableLine = SystemText("行含有无法保存的字符！\r\n");

inline const Text kSourceFilter = SystemText("Dravel源码（*.DVG）|*.dvg");
inline const Text kSourceExt = SystemText("dvg");
inline const Text kProgramFilter = SystemText("Dravel程序（*.DV）|*.dv");
inline const Text kProgramExt = SystemText("dv");

}  // namespace dravel::texts
