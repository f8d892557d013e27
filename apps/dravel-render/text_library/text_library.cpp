#include "apps/dravel-render/text_library/text_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include "apps/dravel-render/text_library/text_library_interface.h"
#include "marking/teacher_words.h"

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
  if (folder.empty()) return {nullptr, SaidText(Said::kNoOwnFolder)};
  std::string errors;
  for (const std::string& place :
       {folder + "/" + kLibraryName,
        folder + "/" DRAVEL_TEXT_LIBRARY_FROM_BIN "/" + std::string(kLibraryName)}) {
    if (void* handle = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)) return {handle, {}};
    if (access(place.c_str(), F_OK) == 0) errors = dlerror();
  }
  if (errors.empty()) {
    errors =
        SaidText(Said::kLibraryNowhere, {kLibraryName, folder + "/" DRAVEL_TEXT_LIBRARY_FROM_BIN});
  }
  return {nullptr, SaidText(Said::kCannotLoadLibrary, {errors})};
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

// Why the library's functions cannot be had.
std::string Missing() {
  return Library().handle ? SaidText(Said::kLibraryIncomplete) : Library().refusal;
}

std::optional<std::string> DrawSheet(DravelContactSheet draw, DravelTextFree free_bytes,
                                     std::span<const DravelSheetEntry> entries) {
  DravelSheetPng png{};
  if (!draw(entries.data(), entries.size(), &png)) return std::nullopt;
  std::string bytes(reinterpret_cast<const char*>(png.bytes), png.size);
  free_bytes(png.bytes);
  return bytes;
}

}  // namespace

std::optional<SheetMaker> LoadSheetMaker(std::string& refusal) {
  const auto draw = Find<DravelContactSheet>(kDravelContactSheet);
  const auto free_bytes = Find<DravelTextFree>(kDravelTextFree);
  if (draw == nullptr || free_bytes == nullptr) {
    refusal = Missing();
    return std::nullopt;
  }
  return [draw, free_bytes](std::span<const DravelSheetEntry> entries) {
    return DrawSheet(draw, free_bytes, entries);
  };
}

void EndTextLibrary() {
  if (!loaded) return;
  if (const auto end = Find<DravelTextEnd>(kDravelTextEnd)) end();
}

}  // namespace dravel
