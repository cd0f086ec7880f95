// The providers the conformance suite runs against: the embedded SQLite provider, the SQLite ODBC driver and
// PostgreSQL through its ODBC driver. Each entry opens sessions on a database of its own for one test and states, once,
// what its database cannot do; the test bodies are the same for all.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "database/provider.h"

namespace tpl::db::conformance {

// What a provider's database cannot do. A test that needs a missing capability is skipped, naming it.
struct Limits {
  bool batches = true;                         // several statements in one command
  bool batch_failure_keeps_earlier_row_sets = true;  // a later failing statement spares the row sets before it
  bool procedures = true;                      // output parameters from a procedure call
  bool sql_states = true;                      // errors carry a SQLSTATE
  bool server = false;                         // a server process that can end a session
};

// One test's database, reached through one provider.
class TestDatabase {
 public:
  virtual ~TestDatabase() = default;
  // The connection string of this test's database.
  virtual std::string ConnectionString() const = 0;
  // A new session on it, outside the connection pool.
  std::unique_ptr<Provider> Open() const { return OpenProvider(ConnectionString(), CallLimits::OutsideAnyCall()); }
  // A query that runs for many seconds unless cancelled, and returns one row.
  virtual std::string SlowQuery() const = 0;
  // Installs SP_CONFORMANCE(pIn INTEGER, pNumber INTEGER OUTPUT, pText VARCHAR(20) OUTPUT), which answers
  // pNumber = 2 * pIn and pText = 'nº ' followed by pIn. Only where procedures exist.
  virtual void InstallOutputProcedure() const = 0;
};

struct ProviderEntry {
  const char* name;
  Limits limits;
  // The database for one test; nothing, with `skip_reason` set, when this machine cannot provide it.
  std::unique_ptr<TestDatabase> (*make)(std::string& skip_reason);
};

const std::vector<ProviderEntry>& ConformanceProviders();

inline void PrintTo(const ProviderEntry& entry, std::ostream* out) { *out << entry.name; }

// A schema of its own on the PostgreSQL test server, dropped with the object, so that tests running side by side on
// one server never meet: sessions opened with connection_string() find their tables there.
class PostgresTestSchema {
 public:
  explicit PostgresTestSchema(std::string server);
  ~PostgresTestSchema();
  PostgresTestSchema(const PostgresTestSchema&) = delete;
  PostgresTestSchema& operator=(const PostgresTestSchema&) = delete;

  std::string connection_string() const { return server_ + ";ConnSettings=SET search_path TO " + schema_; }
  // Runs a text on a new session in the schema and returns its row sets.
  std::vector<ResultSet> Run(const std::string& sql) const;

 private:
  std::string server_, schema_;
  std::unique_ptr<Provider> admin_;
};

// The PostgreSQL server's ODBC connection string: $TPL_TEST_POSTGRES, else the file scripts/pg_server.sh writes;
// empty when neither is there.
std::string PostgresConnectionString();
// What a developer without the server reads when its tests are skipped.
inline constexpr const char* kStartPostgresHint =
    "no PostgreSQL test server: run `bash scripts/pg_server.sh start` (and `stop` afterwards), or set "
    "TPL_TEST_POSTGRES to an ODBC connection string";

}  // namespace tpl::db::conformance
