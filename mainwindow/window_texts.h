// The main window's own texts: captions, messages and dialog settings, each as
// the exact GBK bytes the program shows or writes. Widgets get them through
// FromGbk (qt_text.h); nothing here is ever built from a UTF-8 literal.
#pragma once

namespace dravel::texts {

inline constexpr char kWindowCaption[] = "Dravel";
inline constexpr char kPageScript[] = "\xc3\xfc\xc1\xee\xca\xe4\xc8\xeb";    // 命令输入
inline constexpr char kPageHelp[] = "\xb0\xef\xd6\xfa";                       // 帮助
inline constexpr char kPageSettings[] = "\xca\xf4\xd0\xd4\xc9\xe8\xd6\xc3";  // 属性设置
inline constexpr char kLinkCaption[] =
    "\xbb\xb6\xd3\xad\xb7\xc3\xce\xca Ombra\xc9\xe7\xc7\xf8";  // 欢迎访问 Ombra社区
inline constexpr char kRunCountLabel[] = "\xd6\xb4\xd0\xd0\xb4\xce\xca\xfd\xa3\xba";  // 执行次数：
inline constexpr char kRunCountInitial[] = "1";
inline constexpr char kHintInitial[] = "\xcc\xe1\xca\xbe\xd0\xc5\xcf\xa2\xa3\xba\r\n";  // 提示信息：

inline constexpr char kRunCaption[] = "&A\xb5\xf7\xca\xd4";    // &A调试
inline constexpr char kClearCaption[] = "&B\xc7\xe5\xc6\xc1";  // &B清屏
inline constexpr char kStopCaption[] = "&C\xcd\xa3\xd6\xb9";   // &C停止
inline constexpr char kSelectAllCaption[] = "&D\xc8\xab\xd1\xa1";       // &D全选
inline constexpr char kOpenCaption[] = "\xb4\xf2\xbf\xaa\xd4\xb4\xc2\xeb";     // 打开源码
inline constexpr char kNewCaption[] = "\xd0\xc2\xbd\xa8\xd4\xb4\xc2\xeb";      // 新建源码
inline constexpr char kSaveCaption[] = "\xb1\xa3\xb4\xe6\xd4\xb4\xc2\xeb";     // 保存源码
inline constexpr char kCompileCaption[] = "\xb1\xe0\xd2\xeb\xd4\xb4\xc2\xeb";  // 编译源码

inline constexpr char kMessageBoxCaption[] = "\xd0\xc5\xcf\xa2\xa3\xba";  // 信息：
inline constexpr char kSavePrompt[] =
    "\xd4\xb4\xc2\xeb\xd2\xd1\xb8\xfc\xb8\xc4\xa3\xac"
    "\xc7\xeb\xce\xca\xca\xc7\xb7\xf1\xb1\xa3\xb4\xe6\xa3\xbf";  // 源码已更改，请问是否保存？

inline constexpr char kNewDone[] =
    "\xd0\xc2\xbd\xa8" "Dravel\xd4\xb4\xc2\xeb\xb3\xc9\xb9\xa6\xa3\xa1\r\n";  // 新建Dravel源码成功！
inline constexpr char kOpenPrefix[] = "\xb4\xf2\xbf\xaa ";                // "打开 "
inline constexpr char kSavePrefix[] = "\xb1\xa3\xb4\xe6 ";                // "保存 "
inline constexpr char kCompilePrefix[] =
    "\xb1\xe0\xd2\xeb" "Dravel\xd4\xb4\xc2\xeb\xb5\xbd ";  // "编译Dravel源码到 "
inline constexpr char kSucceeded[] = " \xb3\xc9\xb9\xa6\xa3\xa1";  // " 成功！"
inline constexpr char kFailed[] = " \xca\xa7\xb0\xdc\xa3\xa1";     // " 失败！"
inline constexpr char kLineBreak[] = "\r\n";
inline constexpr char kLinePrefix[] = "\xb5\xda";  // 第
inline constexpr char kUnsavableLine[] =
    "\xd0\xd0\xba\xac\xd3\xd0\xce\xde\xb7\xa8\xb1\xa3\xb4\xe6"
    "\xb5\xc4\xd7\xd6\xb7\xfb\xa3\xa1\r\n";  // 行含有无法保存的字符！
// The hint box's line in place of the lines it left out: "……中间略去 N 行……".
inline constexpr char kLeftOutPrefix[] = "\xa1\xad\xa1\xad\xd6\xd0\xbc\xe4\xc2\xd4\xc8\xa5 ";
inline constexpr char kLeftOutSuffix[] = " \xd0\xd0\xa1\xad\xa1\xad\r\n";

inline constexpr char kSourceFilter[] = "Dravel\xd4\xb4\xc2\xeb\xa3\xa8*.DVG\xa3\xa9|*.dvg";
inline constexpr char kSourceExt[] = "dvg";
inline constexpr char kProgramFilter[] = "Dravel\xb3\xcc\xd0\xf2\xa3\xa8*.DV\xa3\xa9|*.dv";
inline constexpr char kProgramExt[] = "dv";
inline constexpr char kStopKeyword[] = "\xcd\xa3\xd6\xb9";  // 停止
inline constexpr char kStopKeywordEnglish[] = "stop";

}  // namespace dravel::texts
