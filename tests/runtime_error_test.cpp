#include "runtime/runtime_error.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <new>

#include "runtime/gbk_codec.h"

namespace dravel {
namespace {

TEST(RuntimeErrorText, BuildsTheDialogTextByteForByte) {
  EXPECT_EQ(RuntimeErrorText(1),
            "\xd4\xcb\xd0\xd0\xca\xb1\xb3\xf6\xb4\xed!\r\n\r\n"
            "\xb4\xed\xce\xf3\xb4\xfa\xc2\xeb\xa3\xba"
            "1\r\n\r\n"
            "\xb4\xed\xce\xf3\xd0\xc5\xcf\xa2\xa3\xba"
            "\xca\xfd\xd7\xe9\xb3\xc9\xd4\xb1\xd2\xfd\xd3\xc3\xcf\xc2\xb1\xea\xb3\xac\xb3\xf6"
            "\xb6\xa8\xd2\xe5\xb7\xb6\xce\xa7\r\n");
}

TEST(RuntimeErrorText, LeavesOutTheLinesItHasNothingFor) {
  struct Case {
    int code;
    std::string message;
    std::string expected;
  } cases[] = {
      {0, Utf8ToGbk("指定窗口尚未载入"), "运行时出错!\r\n\r\n错误信息：指定窗口尚未载入\r\n"},
      {0, "", "运行时出错!\r\n\r\n"},
      {99, "", "运行时出错!\r\n\r\n错误代码：99\r\n\r\n"},
      {-3, "", "运行时出错!\r\n\r\n错误代码：-3\r\n\r\n"},
      {4, "", "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(GbkToUtf8(RuntimeErrorText(c.code, c.message)), c.expected);
  }
  EXPECT_EQ(GbkToUtf8(std::string(kWindowNotYetLoaded)), "指定窗口尚未载入");
  EXPECT_EQ(GbkToUtf8(std::string(kWindowNotLoadedForAccess)), "未载入欲访问窗口组件所在的窗口");
  EXPECT_EQ(GbkToUtf8(std::string(kStartWindowLoadFailed)), "载入启动窗口失败");
  EXPECT_EQ(GbkToUtf8(std::string(kRuntimeErrorCaption)), "错误");
}

TEST(RuntimeErrorMessage, HoldsTheElevenMessages) {
  const char* expected[] = {
      "数组成员引用下标超出定义范围",
      "未得到所需要的数值型数据",
      "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
      "数组成员引用下标必须大于等于1",
      "数据或数组类型不匹配",
      "调用DLL命令后发现堆栈错误",
      "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
      "被比较数据只能使用等于或不等于命令比较",
      "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
      "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
      "所提供参数的数据类型不符合要求",
  };
  for (int code = 1; code <= 11; ++code) {
    EXPECT_EQ(GbkToUtf8(RuntimeErrorMessage(code)), expected[code - 1]) << code;
  }
  EXPECT_EQ(RuntimeErrorMessage(0), "");
  EXPECT_EQ(RuntimeErrorMessage(12), "");
}

TEST(ReportRuntimeErrorDeathTest, ShowsTheTextRunsTheEndRoutineAndExitsWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SetRuntimeErrorHook([](std::string_view text) {
          std::fprintf(stderr, "hook:%s|", GbkToUtf8(text).c_str());
        });
        SetEndCallback([] { std::fputs("end|", stderr); });
        ReportRuntimeError(kErrorIndexBelowOne);
      },
      testing::ExitedWithCode(255),
      "hook:运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n\\|"
      "end\\|");
}

TEST(ReportRuntimeErrorDeathTest, WritesToStandardErrorWithoutAHook) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ReportRuntimeError(1), testing::ExitedWithCode(255),
              "错误代码：1\n\n错误信息：数组成员引用下标超出定义范围");
}

TEST(ExitProgramDeathTest, RunsTheEndRoutineOnceEvenWhenItExitsAgain) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SetEndCallback([] {
          std::fputs("end|", stderr);
          ExitProgram(7);
        });
        ExitProgram(3);
      },
      testing::ExitedWithCode(7), "^end\\|$");
}

TEST(InitRuntimeDeathTest, AFailedAllocationReportsItsSize) {
#ifdef DRAVEL_SANITIZED
  GTEST_SKIP() << "a sanitizer's allocator aborts before the new-handler runs";
#endif
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        InitRuntime();
        void* volatile block = ::operator new (std::size_t{1} << 46);
        std::fprintf(stderr, "allocated %p", block);
      },
      testing::ExitedWithCode(255), "分配 70368744177664 字节内存失败!");
}

}  // namespace
}  // namespace dravel
