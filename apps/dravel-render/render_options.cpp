#include "apps/dravel-render/render_options.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "apps/dravel-render/option_table.h"

namespace dravel {

const char kRenderVersion[] = "dravel-render " DRAVEL_VERSION "\n";

namespace {

const OptionRow* RowOf(std::string_view name) {
  for (const OptionRow& row : OptionTable()) {
    if (name == row.name || (!row.short_name.empty() && name == row.short_name)) return &row;
  }
  return nullptr;
}

UsageError BadValue(const OptionRow& row, std::string_view name, std::string_view value) {
  const Language language = LocaleLanguage();
  const bool chinese = language == Language::kChinese;
  const std::string expected = row.expected.Empty() ? ""
                                                    : (chinese ? "（" : " (") +
                                                          std::string(row.expected.In(language)) +
                                                          (chinese ? "）" : ")");
  return UsageError{SaidText(Said::kBadValue, {name, value}) + expected};
}

// Reads the option at argv[i] (and its value, moving i past it) into
// `options`, noting its row in `given`; a usage error, or the answer asked
// for instead of a run (--help, --version).
std::optional<ParsedCommandLine> ApplyOption(int argc, const char* const* argv, int& i,
                                             RenderOptions& options,
                                             std::vector<const OptionRow*>& given) {
  const std::string_view arg = argv[i];
  std::string_view name = arg;
  std::optional<std::string_view> value;
  if (const size_t equals = arg.find('=');
      arg.starts_with("--") && equals != std::string_view::npos) {
    name = arg.substr(0, equals);
    value = arg.substr(equals + 1);
  }
  const OptionRow* row = RowOf(name);
  if (!row || (row->value.empty() && value))
    return UsageError{SaidText(Said::kUnknownOption, {arg})};
  if (row->asks == Asks::kHelp) return HelpRequest{};
  if (row->asks == Asks::kVersion) return VersionRequest{};
  if (!row->value.empty() && !value) {
    if (i + 1 >= argc) return UsageError{SaidText(Said::kNeedsValue, {name})};
    value = argv[++i];
  }
  if (!row->apply(value.value_or(""), options)) return BadValue(*row, name, *value);
  given.push_back(row);
  return std::nullopt;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return path != "-" && std::filesystem::is_directory(path, error);
}

RunMode ModeOf(const RenderOptions& options) {
  if (options.merge_output) return kMerge;
  if (options.batch_report) return kChild;
  if (options.check) return kCheck;
  return IsFolder(options.script_path) ? kFolder : kScript;
}

Said NotForSaid(RunMode mode) {
  switch (mode) {
    case kScript: return Said::kNotForScript;
    case kFolder: return Said::kNotForFolder;
    case kCheck: return Said::kNotForCheck;
    case kChild: return Said::kNotForChild;
    case kMerge: return Said::kNotForMerge;
  }
  assert(false && "a mode without its words");
  return Said::kNotForScript;
}

// The scripts (or summaries) named, and the mode they and the options make;
// an error when they do not make one.
std::optional<UsageError> SetMode(std::vector<std::string> scripts, RenderOptions& options) {
  if (options.merge_output) {
    if (scripts.empty()) return UsageError{SaidText(Said::kMergeNeedsSummaries)};
    options.merged = std::move(scripts);
  } else {
    if (scripts.empty()) return UsageError{SaidText(Said::kNoScript)};
    if (scripts.size() > 1 && !options.check) return UsageError{SaidText(Said::kManyScripts)};
    options.script_path = scripts.front();
    if (options.check) options.check_paths = std::move(scripts);
  }
  options.mode = ModeOf(options);
  return std::nullopt;
}

}  // namespace

ParsedCommandLine ParseRenderOptions(int argc, const char* const* argv) {
  RenderOptions options;
  std::vector<std::string> scripts;
  std::vector<const OptionRow*> given;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (options_ended || arg == "-" || !arg.starts_with('-')) {
      scripts.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (auto answer = ApplyOption(argc, argv, i, options, given)) return *answer;
  }
  if (std::optional<UsageError> error = SetMode(std::move(scripts), options)) return *error;
  for (const OptionRow* row : given) {
    if (!(row->modes & options.mode))
      return UsageError{SaidText(NotForSaid(options.mode), {row->name})};
  }
  // Silently ignored, it would leave a teacher looking for a file never made.
  if (options.overlay_path && options.references.empty())
    return UsageError{SaidText(Said::kOverlayAlone)};
  return options;
}

std::vector<std::string> ChildArguments(const RenderOptions& child) {
  std::vector<std::string> arguments;
  for (const OptionRow& row : OptionTable()) {
    if (!(row.modes & kChild) || row.asks != Asks::kSetting) continue;
    assert(row.given && "an option a child takes says how it is given");
    for (std::string& value : row.given(child)) {
      arguments.emplace_back(row.name);
      if (!row.value.empty()) arguments.push_back(std::move(value));
    }
  }
  arguments.insert(arguments.end(), {"--", child.script_path});
  return arguments;
}

std::string UsageFailureText(std::string_view program, const std::string& message) {
  const std::string name(program);
  return name + ": " + message + "\n" + SaidText(Said::kTryHelp, {name}) + "\n";
}

std::chrono::milliseconds TimeoutOf(const RenderOptions& options) {
  return std::chrono::milliseconds(
      static_cast<int64_t>(options.timeout_seconds.value_or(kDefaultTimeoutSeconds) * 1000));
}

int MemoryLimitOf(const RenderOptions& options) {
  return options.memory_limit_mb > 0 ? options.memory_limit_mb : kDefaultMemoryMegabytes;
}

std::optional<std::string> RefusedExtension(const std::string& path,
                                            const std::vector<std::string_view>& extensions) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (path == "-" || dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return std::nullopt;
  }
  std::string extension = path.substr(dot);
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  std::string named;
  for (const std::string_view allowed : extensions) {
    if (extension == allowed) return std::nullopt;
    named += (named.empty() ? "" : SaidText(Said::kOr)) + std::string(allowed);
  }
  return SaidText(Said::kCannotWriteWhy, {path, SaidText(Said::kPicturesAre, {named})});
}

}  // namespace dravel
