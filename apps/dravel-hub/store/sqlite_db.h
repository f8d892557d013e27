// A thin owner of one SQLite connection and its prepared statements: opening
// with the hub's settings, binding values, stepping rows and transactions.
// Every SQLite failure becomes a StoreError carrying SQLite's message. Not
// safe to share between threads by itself: SqliteStore serialises its use.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "apps/dravel-hub/store/hub_store.h"

namespace dravel::hub {

class SqliteDb {
 public:
  // Opens (creating when absent) the database at `path` in WAL mode with
  // full syncs, foreign keys on and a busy timeout; throws StoreError.
  explicit SqliteDb(const std::string& path);
  ~SqliteDb();
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  void Execute(const char* sql);
  sqlite3* Handle() { return db_; }
  int64_t LastInsertId() { return sqlite3_last_insert_rowid(db_); }
  int Changes() { return sqlite3_changes(db_); }

 private:
  sqlite3* db_ = nullptr;
};

// One prepared statement; Bind* take 1-based indexes.
class Statement {
 public:
  Statement(SqliteDb& db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, int64_t value);
  Statement& Bind(int index, std::string_view text);
  Statement& BindBlob(int index, std::string_view bytes);
  Statement& Bind(int index, std::optional<int64_t> value);
  Statement& Bind(int index, std::optional<double> value);

  // Steps once: true while there is a row.
  bool Step();
  // Steps to the end.
  void Run();
  // Steps to the end; false, instead of throwing, when a constraint (a
  // unique column) refused the change.
  bool RunUnlessConstraint();

  int64_t Int(int column);
  std::string Text(int column);  // text or blob bytes
  std::optional<int64_t> OptionalInt(int column);
  std::optional<double> OptionalReal(int column);

 private:
  void Check(int code);

  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

// BEGIN IMMEDIATE at construction; rolled back at destruction unless
// committed.
// How a transaction's commit reaches the disk. kSynced: the log is synced
// before Commit returns, as any answer promising a kept change needs.
// kUnsynced: synced by the next synced commit or the log's checkpoint, so a
// power cut may lose it but never tear it; for the graders' bookkeeping,
// which a restart redoes, and which would otherwise hold the store's lock
// through a sync that hand-ins queue behind.
enum class Sync { kSynced, kUnsynced };

class Transaction {
 public:
  explicit Transaction(SqliteDb& db, Sync sync = Sync::kSynced);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  void RestoreSync() noexcept;

  SqliteDb& db_;
  const Sync sync_;
  bool done_ = false;
};

}  // namespace dravel::hub
