// The window's figures (scripts/bench --window [FLOOD_SECONDS]): for each
// workload, the time from pressing run to the closing message while the
// window keeps painting, and the window's resident memory; then ten million
// moves through the window with its memory sampled, and stops of that run;
// then a flood of pass messages (two thousand million passes of one move) for
// FLOOD_SECONDS (default 600) with the window's memory and its answer time
// sampled, and a stop at the end. Uses the offscreen platform unless
// QT_QPA_PLATFORM says otherwise (xcb under Xvfb).
#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/workloads.h"
#include "interpreter/command_list.h"
#include "interpreter/messages.h"
#include "mainwindow/dialog_service.h"
#include "mainwindow/edit_box.h"
#include "mainwindow/main_window.h"
#include "mainwindow/script_editor.h"
#include "mainwindow/source_files.h"
#include "runtime/gbk_codec.h"

namespace dravel::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kGiveUpSeconds = 60;

class NoDialogs final : public DialogService {
 public:
  bool ShowFileDialog(CommonDialog&) override { return false; }
  BoxAnswer ShowMessageBox(const Text&, int, const Text&) override { return BoxAnswer::kCancel; }
  int ShowChoices(const QString&, const QString&, const QStringList&) override { return -1; }
  bool OpenUrl(const QUrl&) override { return false; }
};

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

long StatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == key) {
      long kb = 0;
      status >> kb;
      return kb;
    }
  }
  return 0;
}

// Presses run and lets the window work (paint, deliver the run's effects)
// until the hint box ends with the closing message. `sample` is called about
// every 100 ms with the seconds since the press.
template <typename Sample>
double RunInWindow(MainWindow& window, const Text& script, Sample sample) {
  window.Editor().SetContent(script);
  window.HintBox().SetContent({});  // the last run's closing message is not this one's
  const Clock::time_point start = Clock::now();
  Clock::time_point next_sample = start;
  window.StartRun();
  while (!window.HintBox().Content().ends_with(messages::kRunDone)) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (Clock::now() >= next_sample) {
      sample(Seconds(start));
      next_sample += std::chrono::milliseconds(100);
    }
    if (Seconds(start) > kGiveUpSeconds) return -1;
  }
  return Seconds(start);
}

void ReportWorkloads(MainWindow& window, const fs::path& workloads) {
  const std::vector<fs::path> scripts = Workloads(workloads);
  std::printf(
      "| workload | run pressed to closing message | window resident memory |\n"
      "|---|---|---|\n");
  for (const fs::path& path : scripts) {
    const double seconds = RunInWindow(window, ReadWorkload(path), [](double) {});
    std::printf("| %s | %.3f s | %.1f MB |\n", path.stem().string().c_str(), seconds,
                StatusKb("VmRSS:") / 1024.0);
    std::fflush(stdout);
  }
  std::printf("\nwindow peak resident memory: %.1f MB\n", StatusKb("VmHWM:") / 1024.0);
}

void Soak(MainWindow& window) {
  // Ten million moves.
  const Text script = Utf8ToGbk("次数 100\r\n重复 100000 【前进 1|右转 1】\r\n");
  long at_one_second = 0, highest = 0;
  const double seconds = RunInWindow(window, script, [&](double at) {
    if (at < 1.0) return;
    const long kb = StatusKb("VmRSS:");
    if (at_one_second == 0) at_one_second = kb;
    highest = std::max(highest, kb);
  });
  const double growth = double(highest - at_one_second) / 1024.0;
  std::printf("\n10,000,000 moves through the window: %.2f s, %.1f MB at 1 s, +%.2f MB after: %s\n",
              seconds, at_one_second / 1024.0, growth, growth < 5 ? "flat" : "GROWS");
  std::vector<double> stops;
  for (int i = 0; i < 50; ++i) {
    window.Editor().SetContent(script);
    window.StartRun();
    const Clock::time_point run_start = Clock::now();
    while (Seconds(run_start) < 0.002 + 0.001 * (i % 10))
      QApplication::processEvents(QEventLoop::AllEvents, 1);
    const Clock::time_point start = Clock::now();
    window.StopRun();
    window.WaitForRun();
    stops.push_back(Seconds(start) * 1e3);
  }
  std::sort(stops.begin(), stops.end());
  std::printf("50 stops in the window: p50 %.3f ms, max %.3f ms: %s\n", stops[stops.size() / 2],
              stops.back(), stops.back() < 10 ? "every stop within 10 ms" : "SLOW STOP");
}

// How long the window's thread takes to get to a timer posted now: what a
// click on stop, clear or close waits for.
double AnswerMilliseconds() {
  const Clock::time_point posted = Clock::now();
  double answered = -1;
  QTimer::singleShot(0, [&] { answered = Seconds(posted) * 1e3; });
  while (answered < 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return answered;
}

void Flood(MainWindow& window, double seconds) {
  const Text script = Utf8ToGbk("次数 2000000000\r\n前进 1");
  window.Editor().SetContent(script);
  const Clock::time_point start = Clock::now();
  window.StartRun();
  long highest = 0;
  double slowest_answer = 0;
  Clock::time_point next_report = start;
  while (Seconds(start) < seconds) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    slowest_answer = std::max(slowest_answer, AnswerMilliseconds());
    highest = std::max(highest, StatusKb("VmRSS:"));
    if (Clock::now() >= next_report) {
      std::printf("  flood at %5.0f s: %.1f MB resident, slowest answer so far %.1f ms\n",
                  Seconds(start), StatusKb("VmRSS:") / 1024.0, slowest_answer);
      std::fflush(stdout);
      next_report += std::chrono::seconds(60);
    }
  }
  const Clock::time_point stop_start = Clock::now();
  window.StopRun();
  const double stop_ms = Seconds(stop_start) * 1e3;
  window.WaitForRun();
  const Clock::time_point settle = Clock::now();
  while (!window.HintBox().Content().ends_with(messages::kRunStopped) && Seconds(settle) < 5)
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  const Text hint = window.HintBox().Content();
  const bool first_shown = hint.find(Utf8ToGbk("第1次")) != Text::npos;
  const bool stop_shown = hint.ends_with(messages::kRunStopped);
  std::printf(
      "\nflood of pass messages for %.0f s: peak %.1f MB resident (%s), slowest answer "
      "%.1f ms, stop %.3f ms, editor %s, first pass %s, hint %.1f MB ending with the stop "
      "message: %s\n",
      seconds, highest / 1024.0, highest < 150 * 1024 ? "under 150 MB" : "OVER 150 MB",
      slowest_answer, stop_ms, window.Editor().Content() == script ? "intact" : "CHANGED",
      first_shown ? "shown" : "MISSING", hint.size() / 1048576.0, stop_shown ? "yes" : "NO");
}

// One keystroke in a script of 10,000 lines: the editor inserts it and the
// checker checks the changed line (the colouring of that line included).
void Keystrokes(MainWindow& window) {
  Text script;
  const char* lines[] = {
      "前进 100", "重复 4 【前进 100|右转 90】", "前近 5", "画圆 50", " //注释", "置坐标 10  20"};
  for (int i = 0; i < 10000; ++i) script += Utf8ToGbk(lines[i % 6]) + "\r\n";
  ScriptEditor& editor = window.ScriptEditor();
  editor.SetContent(script);
  QApplication::processEvents();
  std::vector<double> times;
  for (int i = 0; i < 200; ++i) {
    QTextCursor cursor(editor.document()->findBlockByNumber((i * 4999) % 10000));
    cursor.movePosition(QTextCursor::EndOfBlock);
    editor.setTextCursor(cursor);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
    const Clock::time_point start = Clock::now();
    QApplication::sendEvent(&editor, &press);
    QApplication::processEvents();
    times.push_back(Seconds(start) * 1e3);
  }
  std::sort(times.begin(), times.end());
  std::printf(
      "\none keystroke in a 10,000-line script, checked and coloured: median %.3f ms, "
      "max %.3f ms: %s\n",
      times[times.size() / 2], times.back(), times.back() < 5 ? "under 5 ms" : "OVER 5 ms");
}

// Opens `path` as the open button would, and reports the time it took and the
// window's peak memory since its start.
void Open(MainWindow& window, const char* path) {
  const Clock::time_point start = Clock::now();
  window.Files().OpenPath(QString::fromLocal8Bit(path));
  QApplication::processEvents();
  std::printf("open %s: %.2f s, %d lines, peak resident %.1f MB\n", path, Seconds(start),
              window.Editor().blockCount(), StatusKb("VmHWM:") / 1024.0);
}

// Opens `path`, types one character at its start and pages down to its last
// line, as a learner looking through a script does (each page is coloured and
// checked as it shows); reports the time and the window's peak memory.
void EditAndPage(MainWindow& window, const char* path) {
  const Clock::time_point start = Clock::now();
  window.Files().OpenPath(QString::fromLocal8Bit(path));
  QApplication::processEvents();
  ScriptEditor& editor = window.ScriptEditor();
  editor.setFocus();
  editor.moveCursor(QTextCursor::Start);
  const auto press = [&](int key, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&editor, &event);
    QApplication::processEvents();
  };
  press(Qt::Key_1, QStringLiteral("1"));
  int pages = 0;
  while (editor.textCursor().block() != editor.document()->lastBlock() &&
         Seconds(start) < 10 * kGiveUpSeconds) {
    press(Qt::Key_PageDown, {});
    ++pages;
  }
  std::printf(
      "open %s, type one character, %d pages down to line %d of %d: %.2f s, peak "
      "resident %.1f MB\n",
      path, pages, editor.textCursor().blockNumber() + 1, editor.blockCount(), Seconds(start),
      StatusKb("VmHWM:") / 1024.0);
}

}  // namespace
}  // namespace dravel::bench

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "%s\n", qPrintable(message));
  });
  QApplication application(argc, argv);
  dravel::bench::NoDialogs dialogs;
  dravel::MainWindow window(dialogs);
  window.show();
  QApplication::processEvents();
  if (argc > 1 && std::string_view(argv[1]) == "--keystrokes") {
    dravel::bench::Keystrokes(window);
    return 0;
  }
  if (argc > 2 && std::string_view(argv[1]) == "--open") {
    dravel::bench::Open(window, argv[2]);
    return 0;
  }
  if (argc > 2 && std::string_view(argv[1]) == "--page") {
    dravel::bench::EditAndPage(window, argv[2]);
    return 0;
  }
  const double flood_seconds = argc > 1 ? std::atof(argv[1]) : 600;
  if (flood_seconds > 0 && argc > 2) {  // the flood alone
    dravel::bench::Flood(window, flood_seconds);
    return 0;
  }
  dravel::bench::ReportWorkloads(window, DRAVEL_BENCH_DATA);
  dravel::bench::Keystrokes(window);
  dravel::bench::Soak(window);
  if (flood_seconds > 0) dravel::bench::Flood(window, flood_seconds);
  window.StopRun();
  window.WaitForRun();
  return 0;
}
