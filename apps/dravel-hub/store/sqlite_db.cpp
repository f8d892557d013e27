#include "apps/dravel-hub/store/sqlite_db.h"

#include <cassert>

namespace dravel::hub {
namespace {

// How long a statement waits for another process's lock before failing.
constexpr int kBusyTimeoutMs = 5000;

[[noreturn]] void Fail(sqlite3* db, std::string_view what) {
  throw StoreError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

}  // namespace

SqliteDb::SqliteDb(const std::string& path) {
  const int code =
      sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (code != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    sqlite3_close(db_);
    throw StoreError("cannot open " + path + ": " + message);
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  try {
    Execute("PRAGMA journal_mode=WAL");
    Execute("PRAGMA synchronous=FULL");
    Execute("PRAGMA foreign_keys=ON");
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

SqliteDb::~SqliteDb() { sqlite3_close(db_); }

void SqliteDb::Execute(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return;
  const std::string text = message ? message : sqlite3_errmsg(db_);
  sqlite3_free(message);
  throw StoreError(text);
}

Statement::Statement(SqliteDb& db, const char* sql) : db_(db.Handle()) {
  Check(sqlite3_prepare_v2(db_, sql, -1, &statement_, nullptr));
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement& Statement::Bind(int index, int64_t value) {
  Check(sqlite3_bind_int64(statement_, index, value));
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  Check(sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8));
  return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
  // An empty blob is still a blob, not NULL.
  Check(bytes.empty()
            ? sqlite3_bind_zeroblob(statement_, index, 0)
            : sqlite3_bind_blob64(statement_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
  return *this;
}

Statement& Statement::Bind(int index, std::optional<int64_t> value) {
  if (value) return Bind(index, *value);
  Check(sqlite3_bind_null(statement_, index));
  return *this;
}

Statement& Statement::Bind(int index, std::optional<double> value) {
  Check(value ? sqlite3_bind_double(statement_, index, *value)
              : sqlite3_bind_null(statement_, index));
  return *this;
}

bool Statement::Step() {
  const int code = sqlite3_step(statement_);
  if (code == SQLITE_ROW) return true;
  if (code != SQLITE_DONE) Fail(db_, "step");
  return false;
}

void Statement::Run() {
  while (Step()) {
  }
}

bool Statement::RunUnlessConstraint() {
  int code;
  while ((code = sqlite3_step(statement_)) == SQLITE_ROW) {
  }
  if (code == SQLITE_DONE) return true;
  if ((code & 0xff) == SQLITE_CONSTRAINT) return false;
  Fail(db_, "step");
}

int64_t Statement::Int(int column) { return sqlite3_column_int64(statement_, column); }

std::string Statement::Text(int column) {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  return bytes ? std::string(bytes, sqlite3_column_bytes(statement_, column)) : std::string();
}

std::optional<int64_t> Statement::OptionalInt(int column) {
  if (sqlite3_column_type(statement_, column) == SQLITE_NULL) return std::nullopt;
  return Int(column);
}

std::optional<double> Statement::OptionalReal(int column) {
  if (sqlite3_column_type(statement_, column) == SQLITE_NULL) return std::nullopt;
  return sqlite3_column_double(statement_, column);
}

void Statement::Check(int code) {
  if (code != SQLITE_OK) Fail(db_, "statement");
}

Transaction::Transaction(SqliteDb& db, Sync sync) : db_(db), sync_(sync) {
  if (sync_ == Sync::kUnsynced) db_.Execute("PRAGMA synchronous=NORMAL");
  try {
    db_.Execute("BEGIN IMMEDIATE");
  } catch (const StoreError&) {
    RestoreSync();
    throw;
  }
}

Transaction::~Transaction() {
  if (!done_) {
    try {
      db_.Execute("ROLLBACK");
    } catch (const StoreError&) {
      // A failed statement may have rolled back already; nothing is left to undo.
    }
  }
  RestoreSync();
}

// Outside a transaction setting the pragma cannot fail but for want of memory.
void Transaction::RestoreSync() noexcept {
  if (sync_ == Sync::kSynced) return;
  try {
    db_.Execute("PRAGMA synchronous=FULL");
  } catch (const StoreError&) {
  }
}

void Transaction::Commit() {
  assert(!done_);
  db_.Execute("COMMIT");
  done_ = true;
}

}  // namespace dravel::hub
