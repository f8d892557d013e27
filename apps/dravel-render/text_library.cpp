#include "apps/dravel-render/text_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <iostream>

#include "apps/dravel-render/text_library_interface.h"
#include "interpreter/command_table.h"

namespace dravel {
namespace {

constexpr char kLibraryName[] = "libdravel-text.so";

// The handle, or the reason there is none; loaded once.
struct Loaded {
  void* handle = nullptr;
  std::string refusal;
};

std::string ProgramFolder() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || size_t(length) >= path.size()) return {};
  path.resize(size_t(length));
  return path.substr(0, path.rfind('/'));
}

Loaded Load() {
  const std::string folder = ProgramFolder();
  if (folder.empty()) return {nullptr, "cannot find the program's own folder"};
  std::string errors;
  for (const std::string& place :
       {folder + "/" + kLibraryName,
        folder + "/" DRAVEL_TEXT_LIBRARY_FROM_BIN "/" + std::string(kLibraryName)}) {
    if (void* handle = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)) return {handle, {}};
    if (access(place.c_str(), F_OK) == 0) errors = dlerror();
  }
  if (errors.empty()) {
    errors = std::string(kLibraryName) + " is neither beside the program nor in " + folder +
             "/" DRAVEL_TEXT_LIBRARY_FROM_BIN;
  }
  return {nullptr, "cannot load the text library: " + errors};
}

// Loaded at the first question, and only then.
std::optional<Loaded> loaded;

Loaded& Library() {
  if (!loaded) loaded = Load();
  return *loaded;
}

// The library's function `name`, of type `Function`; null without the library.
template <typename Function>
Function Find(const char* name) {
  if (Library().handle == nullptr) return nullptr;
  return reinterpret_cast<Function>(dlsym(Library().handle, name));
}

TextMask PaintWith(DravelTextPaint paint, DravelTextFreeCoverage free_coverage,
                   const TextRequest& request) {
  const DravelTextRequest asked{
      request.gbk_text.data(), request.gbk_text.size(), request.x,           request.y,
      request.escapement,      request.layer_width,     request.layer_height};
  DravelTextMask painted{};
  paint(&asked, &painted);
  TextMask mask{painted.left, painted.top, painted.width, painted.height, {}, painted.ascent};
  if (painted.coverage != nullptr) {
    mask.coverage.assign(painted.coverage,
                         painted.coverage + size_t(painted.width) * size_t(painted.height));
    free_coverage(painted.coverage);
  }
  return mask;
}

}  // namespace

bool MayWriteText(std::string_view gbk_script) {
  const CommandRow& text = RowOf(CommandAction::kWriteText);
  return FindText(gbk_script, text.keyword) > 0 || FindText(gbk_script, text.alias, {}, true) > 0;
}

std::optional<TextMaskPainter> LoadTextPainter(std::string& refusal) {
  const auto start = Find<DravelTextStart>(kDravelTextStart);
  const auto paint = Find<DravelTextPaint>(kDravelTextPaint);
  const auto free_coverage = Find<DravelTextFreeCoverage>(kDravelTextFreeCoverage);
  if (start == nullptr || paint == nullptr || free_coverage == nullptr) {
    refusal = Library().handle ? "the text library lacks its functions" : Library().refusal;
    return std::nullopt;
  }
  if (!start()) {
    refusal = "cannot start the text library's fonts";
    return std::nullopt;
  }
  return [paint, free_coverage](const TextRequest& request) {
    return PaintWith(paint, free_coverage, request);
  };
}

int RunFolderMode(int argc, char** argv) {
  const auto folder_main = Find<DravelFolderMain>(kDravelFolderMain);
  if (folder_main == nullptr) {
    std::cerr << "dravel-render: "
              << (Library().handle ? "the text library lacks its folder mode" : Library().refusal)
              << "\n";
    return 2;
  }
  return folder_main(argc, argv);
}

void EndTextLibrary() {
  if (!loaded) return;
  if (const auto end = Find<DravelTextEnd>(kDravelTextEnd)) end();
}

}  // namespace dravel
