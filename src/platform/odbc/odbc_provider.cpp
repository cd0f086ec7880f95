#include "platform/odbc/odbc_provider.h"

#include <sqlext.h>

#include "platform/odbc/odbc_call_text.h"
#include "platform/odbc/odbc_error.h"
#include "platform/odbc/odbc_parameter_bindings.h"
#include "platform/odbc/odbc_result_reader.h"
#include "platform/odbc/odbc_session.h"

namespace tpl::db {
namespace {

using odbc::Check;
using odbc::kUnspecifiedOdbcError;

class OdbcProvider final : public Provider {
 public:
  explicit OdbcProvider(const std::string& connection_string) : session_(connection_string) {
    session_.TrySetReadUncommitted();
    session_.SetAutocommit(true);
    reading_.look_up_declared_scales = session_.DbmsName() == "SQLite";
  }

  std::vector<ResultSet> Execute(CommandType type, std::string_view text, std::vector<Parameter>& parameters,
                                 int32_t timeout_seconds) override {
    const odbc::StatementHandle statement = session_.NewStatement();
    if (timeout_seconds > 0) {
      // A driver that cannot time a command out runs it without limit.
      SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT,
                     reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeout_seconds)), 0);
    }
    std::string sql = type == CommandType::StoredProcedure ? odbc::BuildCallText(text, parameters.size())
                                                           : std::string(text);
    const odbc::ParameterBindings bindings(statement.get(), parameters);
    // SQL_NO_DATA: a searched UPDATE or DELETE that touched no row.
    const SQLRETURN rc = SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                       static_cast<SQLINTEGER>(sql.size()));
    if (rc != SQL_NO_DATA) Check(rc, statement);
    std::vector<ResultSet> results = odbc::ReadAllResultSets(session_, statement, reading_);
    // Output values arrive only after the last result set was read.
    bindings.WriteBackOutputs(parameters);
    return results;
  }

  void BeginTransaction() override {
    if (in_transaction_) {
      throw RuntimeError(kUnspecifiedOdbcError, "Já existe uma transação aberta nesta conexão");
    }
    session_.SetAutocommit(false);
    in_transaction_ = true;
  }

  // A failed commit or rollback leaves the transaction open: turning
  // autocommit back on would commit whatever it holds.
  void CommitTransaction() override {
    if (!in_transaction_) {
      throw RuntimeError(kUnspecifiedOdbcError, "Nenhuma transação aberta para confirmar");
    }
    session_.EndTransaction(SQL_COMMIT);
    in_transaction_ = false;
    session_.SetAutocommit(true);
  }

  void RollbackTransaction() override {
    if (!in_transaction_) return;
    session_.EndTransaction(SQL_ROLLBACK);
    in_transaction_ = false;
    session_.SetAutocommit(true);
  }

 private:
  odbc::OdbcSession session_;
  odbc::ResultReadingOptions reading_;
  bool in_transaction_ = false;
};

}  // namespace

std::unique_ptr<Provider> OpenOdbcProvider(const std::string& connection_string) {
  return std::make_unique<OdbcProvider>(connection_string);
}

}  // namespace tpl::db
