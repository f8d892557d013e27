// dravel-render's option table, the one list of its options (its rows in
// option_table.cpp): each row's names, value, the modes it applies in, its
// help in both languages, how it is written back for a folder run's child,
// and what reads its value. The parser and the child's command line
// (render_options.cpp) and the usage text (render_usage.cpp) all read it; a
// new option is one row. Plain C++.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "apps/dravel-render/render_options.h"
#include "marking/teacher_words.h"

namespace dravel {

// A text of the usage in both languages.
struct Words {
  std::string_view english;
  std::string_view chinese;
  std::string_view In(Language language) const {
    return language == Language::kChinese ? chinese : english;
  }
  bool Empty() const { return english.empty(); }
};

// What an option asks for: a setting of the run, or an answer instead of one.
enum class Asks : uint8_t { kSetting, kHelp, kVersion };

// One option of the command line. The usage text lists it under a single
// script with `help` and under a folder with `folder_help` (lines after the
// first start with '\n'; "{}" stands for `shown_default`); an option with
// neither is internal.
struct OptionRow {
  std::string_view short_name = {};  // "-o", or empty
  std::string_view name;
  std::string_view value = {};  // what the value is, "FILE"; empty for a flag
  uint8_t modes;                // RunMode bits: where the option may be given
  Words help;
  Words folder_help = {};
  // The option as `options` holds it, one value per time it is to be given
  // ("" for a flag that is set), none when it is unset: how a child's
  // command line carries it. Every row with kChild has one.
  std::vector<std::string> (*given)(const RenderOptions& options) = nullptr;
  bool (*apply)(std::string_view value, RenderOptions& options) = nullptr;  // a setting's
  Words expected = {};  // what a refused value should have been
  std::string (*shown_default)() = nullptr;
  Asks asks = Asks::kSetting;
};

// The rows, in the order the usage text lists them.
std::span<const OptionRow> OptionTable();

}  // namespace dravel
