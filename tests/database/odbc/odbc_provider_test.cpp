// The session: refused connections and failures carry the driver's number, message and SQLSTATE, time-outs become
// error::kCommandTimeout, and a silent server fails the connection within the log-in time-out. Statement errors,
// transactions, time-outs enforced, texts with a NUL and lost sessions: database/conformance.
#include "database/odbc/odbc_provider.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>
#include <tuple>

#include "database/odbc/odbc_test_database.h"
#include "database/connection.h"
#include "database/connection_pool.h"
#include "database/odbc/odbc_time_limits.h"

namespace tpl::db::odbc {
namespace {

struct FailingCase { const char* input; const char* sql_state; int32_t number; const char* message_part; };

::testing::Matcher<std::string> DescribedFailure(const FailingCase& row) {
  return ::testing::AllOf(::testing::StartsWith(std::to_string(row.number) + " " + row.sql_state + ": "),
                          ::testing::HasSubstr(row.message_part));
}

TEST(OdbcConnection, RefusedConnectionStringsCarryTheDiagnostics) {
  const FailingCase cases[] = {
      {"Driver=NoSuchDriver;Database=x.db", "01000", kUnspecifiedOdbcError, "NoSuchDriver"},
      {"Driver=SQLite3;Database=/no/such/folder/x.db", "HY000", 14, "connect failed"},
  };
  for (const auto& row : cases)
    EXPECT_THAT(Failure([&] { OpenOdbcProvider(row.input, CallLimits::OutsideAnyCall()); }), DescribedFailure(row));
}

// A server that takes connections and never answers: a socket listening on 127.0.0.1 that nobody accepts on (the
// system completes the connection all the same). Closing it resets the connections it holds.
struct SilentServer {
  SilentServer() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_TRUE(socket >= 0 && ::bind(socket, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                ::listen(socket, 8) == 0 && ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        << "no listening socket";
    port = ntohs(address.sin_port);
  }
  ~SilentServer() { ::close(socket); }

  int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  int port = 0;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A report call opens several sessions (parameters, generation log, the message log of its failure). Against a silent
// server only the first waits out its log-in: the connection string is then unreachable for a window, and the other
// sessions, of this call and the next, fail at once with the same sentence. After the window a session tries again.
TEST(OdbcConnection, ASilentServerCostsOneLogInTimeOutPerWindow) {
  SilentServer server;
  const std::string silent = "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(server.port) +
                             ";Database=x;Uid=x;Pwd=x";
  const LoginTimeoutForTesting login(std::chrono::seconds(2));
  const UnreachableWindowForTesting window(std::chrono::seconds(4));
  const auto connect = [&] { return Failure([&] { Connection connection(silent, CallLimits::OutsideAnyCall()); }); };

  auto started = std::chrono::steady_clock::now();
  const std::string first = connect();
  if (first.find("Can't open lib") != std::string::npos || first.find("not found") != std::string::npos)
    GTEST_SKIP() << "no PostgreSQL ODBC driver (Debian odbc-postgresql)";
  EXPECT_THAT(first, ::testing::HasSubstr("O servidor não respondeu ao pedido de conexão em 2 s"));
  EXPECT_LT(SecondsSince(started), 3.5);
  started = std::chrono::steady_clock::now();
  EXPECT_EQ(connect(), first) << "within the window, at once and the same way";
  EXPECT_LT(SecondsSince(started), 1.0);

  std::this_thread::sleep_for(std::chrono::milliseconds(4500));
  started = std::chrono::steady_clock::now();
  EXPECT_THAT(connect(), ::testing::HasSubstr("O servidor não respondeu"));
  EXPECT_GE(SecondsSince(started), 1.5) << "after the window the log-in is tried again";
  ConnectionPool::Shared().Clear();
}

// The last record gives the SQLSTATE, the last native number the number; time-outs become kCommandTimeout; the
// descriptions are joined.
TEST(OdbcErrorTranslation, ChoosesNumberStateAndDescription) {
  const struct { std::vector<DiagnosticRecord> records; int32_t number; const char *sql_state, *description; }
  rows[] = {
      {{{"42S02", 208, "Invalid object name 'x'."}}, 208, "42S02", "Invalid object name 'x'."},
      {{{"01000", 5701, "Changed database context"}, {"42000", 102, "Incorrect syntax"}}, 102, "42000",
       "Changed database context; Incorrect syntax"},
      {{{"HYT00", 0, "Query timeout expired"}}, error::kCommandTimeout, "HYT00", "Query timeout expired"},
      {{{"57014", 1, "canceling statement due to statement timeout"}}, error::kCommandTimeout, "57014",
       "canceling statement due to statement timeout"},
      // A lost session gives its SQLSTATE, whichever record says so.
      {{{"HY000", 35, "Error while executing"}, {"57P01", 35, "terminating connection"}}, 35, "57P01",
       "Error while executing; terminating connection"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const RuntimeError e = ToRuntimeError(rows[i].records);
    EXPECT_EQ(std::tuple(e.number(), e.sql_state(), e.description()),
              std::tuple(rows[i].number, std::string(rows[i].sql_state), std::string(rows[i].description)))
        << "row " << i;
  }
  const RuntimeError silent = ToRuntimeError({});
  EXPECT_EQ(silent.number(), kUnspecifiedOdbcError);
  EXPECT_FALSE(silent.description().empty());
}

}  // namespace
}  // namespace tpl::db::odbc
