// What PgStore's two files share: BYTEA values and NULLs both ways, and a
// query's rows read into records.
#pragma once

#include <pqxx/pqxx>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravel::hub::pg {

inline pqxx::binarystring Bytes(std::string_view bytes) {
  return pqxx::binarystring(bytes.data(), bytes.size());
}

inline std::string BytesOf(const pqxx::field& field) { return pqxx::binarystring(field).str(); }

template <typename T>
std::optional<T> Nullable(const pqxx::field& field) {
  if (field.is_null()) return std::nullopt;
  return field.as<T>();
}

// A parameter that may be SQL NULL: pass Get(), its text or a null pointer.
class NullableParam {
 public:
  template <typename T>
  explicit NullableParam(const std::optional<T>& value) {
    if (value) text_ = pqxx::to_string(*value);
  }
  const char* Get() const { return text_ ? text_->c_str() : nullptr; }

 private:
  std::optional<std::string> text_;
};

template <typename Record, typename Reader>
std::optional<Record> OneRow(const pqxx::result& result, Reader read) {
  if (result.empty()) return std::nullopt;
  return read(result[0]);
}

template <typename Record, typename Reader>
std::vector<Record> AllRows(const pqxx::result& result, Reader read) {
  std::vector<Record> records;
  records.reserve(result.size());
  for (const pqxx::row& row : result) records.push_back(read(row));
  return records;
}

}  // namespace dravel::hub::pg
