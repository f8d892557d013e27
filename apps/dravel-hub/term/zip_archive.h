// Zip archives in memory, through libzip: reading one entry of an archive a
// client sent (an .xlsx roster) without trusting its sizes, and writing the
// class export with UTF-8 entry names (flagged as UTF-8). Plain C++.
#pragma once

#include <deque>
#include <optional>
#include <set>
#include <string>
#include <string_view>

typedef struct zip zip_t;
typedef struct zip_source zip_source_t;

namespace dravel::hub {

class ZipReader {
 public:
  // Opens `bytes`, which must outlive the reader; Open() false when they are
  // not a zip archive.
  explicit ZipReader(std::string_view bytes);
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  bool Open() const { return archive_ != nullptr; }

  enum class Entry { kRead, kMissing, kTooLarge, kBroken };
  // The entry `name` into `out`, read only up to `most` bytes whatever the
  // archive claims: past them kTooLarge (a zip bomb).
  Entry Read(std::string_view name, size_t most, std::string& out);

 private:
  zip_t* archive_ = nullptr;
};

class ZipWriter {
 public:
  ZipWriter();
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Adds `bytes` as the entry `name` (UTF-8, '/' between folders, each part
  // already safe: safe_file_name.h); a name already taken gets " (2)", " (3)"
  // ... before its extension. False when libzip refuses it.
  bool Add(const std::string& name, std::string bytes);
  // The archive's bytes; nullopt when it cannot be written. Once only.
  std::optional<std::string> Finish();

 private:
  std::string FreeName(const std::string& name) const;

  zip_source_t* buffer_ = nullptr;
  zip_t* archive_ = nullptr;
  std::deque<std::string> contents_;  // held until the archive is written
  std::set<std::string> names_;
};

}  // namespace dravel::hub
