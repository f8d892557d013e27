#include "apps/dravel-hub/term/zip_archive.h"

#include <zip.h>

#include <cassert>
#include <cstdio>

namespace dravel::hub {

ZipReader::ZipReader(std::string_view bytes) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (source) {
    archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive_) zip_source_free(source);
  }
  zip_error_fini(&error);
}

ZipReader::~ZipReader() {
  if (archive_) zip_discard(archive_);
}

ZipReader::Entry ZipReader::Read(std::string_view name, size_t most, std::string& out) {
  assert(Open());
  zip_file_t* file = zip_fopen(archive_, std::string(name).c_str(), 0);
  if (!file) {
    const int code = zip_error_code_zip(zip_get_error(archive_));
    zip_error_clear(archive_);
    return code == ZIP_ER_NOENT ? Entry::kMissing : Entry::kBroken;
  }
  out.clear();
  char block[64 << 10];
  Entry entry = Entry::kRead;
  for (zip_int64_t got; entry == Entry::kRead && (got = zip_fread(file, block, sizeof block));) {
    if (got < 0)
      entry = Entry::kBroken;
    else if (out.size() + size_t(got) > most)
      entry = Entry::kTooLarge;
    else
      out.append(block, size_t(got));
  }
  zip_fclose(file);
  return entry;
}

ZipWriter::ZipWriter() {
  zip_error_t error;
  zip_error_init(&error);
  buffer_ = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (buffer_) {
    archive_ = zip_open_from_source(buffer_, ZIP_TRUNCATE, &error);
    // Kept past zip_close, which writes the archive into it.
    if (archive_) zip_source_keep(buffer_);
  }
  zip_error_fini(&error);
}

ZipWriter::~ZipWriter() {
  if (archive_) zip_discard(archive_);
  if (buffer_) zip_source_free(buffer_);
}

std::string ZipWriter::FreeName(const std::string& name) const {
  if (!names_.contains(name)) return name;
  const size_t slash = name.rfind('/');
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
  for (int n = 2;; ++n) {
    std::string free = name.substr(0, dot) + " (" + std::to_string(n) + ")" + name.substr(dot);
    if (!names_.contains(free)) return free;
  }
}

bool ZipWriter::Add(const std::string& name, std::string bytes) {
  if (!archive_) return false;
  const std::string& content = contents_.emplace_back(std::move(bytes));
  zip_source_t* source = zip_source_buffer(archive_, content.data(), content.size(), 0);
  if (!source) return false;
  const std::string free = FreeName(name);
  if (zip_file_add(archive_, free.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
    zip_source_free(source);
    return false;
  }
  names_.insert(free);
  return true;
}

std::optional<std::string> ZipWriter::Finish() {
  if (!archive_) return std::nullopt;
  const int closed = zip_close(archive_);
  if (closed != 0) return std::nullopt;
  archive_ = nullptr;
  if (zip_source_open(buffer_) != 0) return std::nullopt;
  std::string bytes;
  char block[64 << 10];
  for (zip_int64_t got; (got = zip_source_read(buffer_, block, sizeof block)) > 0;)
    bytes.append(block, size_t(got));
  zip_source_close(buffer_);
  return bytes;
}

}  // namespace dravel::hub
