// dravel-render's option table, the one list of its options: each row's
// names, value, the modes it applies in, its help in both languages, how a
// folder run passes it on to a script's process, and what reads its value.
// The parser (render_options.cpp) and the usage text (render_usage.cpp)
// both read it. Plain C++.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "apps/dravel-render/render_options.h"
#include "marking/teacher_words.h"

namespace dravel {

// Where an option applies.
enum Modes : uint8_t { kScript = 1, kFolder = 2, kCheck = 4, kChild = 8, kMerge = 16 };

// How a folder run passes an option on to each script's process.
enum class ToChild : uint8_t {
  kNo,       // the folder run's own (or each child gets its own value)
  kAsGiven,  // the option as the command line gave it
};

// A text of the usage in both languages.
struct Words {
  std::string_view english;
  std::string_view chinese;
  std::string_view In(Language language) const {
    return language == Language::kChinese ? chinese : english;
  }
  bool Empty() const { return english.empty(); }
};

// One option of the command line. The usage text lists it under a single
// script with `help` and under a folder with `folder_help` (lines after the
// first start with '\n'); an option with neither is internal.
struct OptionRow {
  std::string_view short_name;  // "-o", or empty
  std::string_view name;
  std::string_view value;  // what the value is, "FILE"; empty for a flag
  uint8_t modes;
  Words help;
  Words folder_help;
  ToChild to_child;
  bool (*apply)(std::string_view value, RenderOptions& options);
  Words expected = {};  // what a refused value should have been
};

// The rows, in the order the usage text lists them.
std::span<const OptionRow> OptionTable();

}  // namespace dravel
