#include "platform/odbc/odbc_result_reader.h"

#include <sqlext.h>

#include <algorithm>
#include <string>

#include "platform/odbc/odbc_cell_reader.h"
#include "platform/odbc/odbc_column_plan.h"
#include "platform/odbc/odbc_declared_scale.h"
#include "platform/odbc/odbc_error.h"

namespace tpl::db::odbc {
namespace {

std::string TextAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field) {
  std::string text(256, '\0');
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLColAttribute(statement, column, field, text.data(),
                                     static_cast<SQLSMALLINT>(text.size()), &length, nullptr))) {
    return {};
  }
  if (length >= static_cast<SQLSMALLINT>(text.size())) {
    text.assign(static_cast<size_t>(length) + 1, '\0');
    if (!SQL_SUCCEEDED(SQLColAttribute(statement, column, field, text.data(),
                                       static_cast<SQLSMALLINT>(text.size()), &length, nullptr))) {
      return {};
    }
  }
  text.resize(std::min(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), text.size() - 1));
  return text;
}

struct DescribedColumn {
  ColumnInfo info;
  CellReading reading = CellReading::Text;
};

DescribedColumn Describe(const OdbcSession& session, const StatementHandle& statement,
                         SQLUSMALLINT column, ResultReadingOptions options) {
  std::string name(256, '\0');
  SQLSMALLINT name_length = 0;
  ReportedColumn reported;
  SQLULEN size = 0;
  SQLSMALLINT nullable = 0;
  auto describe = [&] {
    Check(SQLDescribeCol(statement.get(), column, reinterpret_cast<SQLCHAR*>(name.data()),
                         static_cast<SQLSMALLINT>(name.size()), &name_length, &reported.sql_type, &size,
                         &reported.decimal_digits, &nullable),
          statement);
  };
  describe();
  if (name_length >= static_cast<SQLSMALLINT>(name.size())) {
    name.assign(static_cast<size_t>(name_length) + 1, '\0');
    describe();
  }
  name.resize(static_cast<size_t>(name_length));
  reported.type_name = TextAttribute(statement.get(), column, SQL_DESC_TYPE_NAME);

  const ColumnPlan plan = PlanColumn(reported);
  DescribedColumn described{{std::move(name), plan.type, plan.numeric_scale}, plan.reading};
  if (plan.scale_unreported && options.look_up_declared_scales) {
    const std::optional<int32_t> scale =
        DeclaredScale(session, TextAttribute(statement.get(), column, SQL_DESC_BASE_TABLE_NAME),
                      TextAttribute(statement.get(), column, SQL_DESC_BASE_COLUMN_NAME));
    if (scale) described.info.numeric_scale = *scale;
  }
  return described;
}

ResultSet ReadResultSet(const OdbcSession& session, const StatementHandle& statement,
                        SQLSMALLINT column_count, ResultReadingOptions options) {
  ResultSet result;
  std::vector<CellReading> readings;
  for (SQLUSMALLINT column = 1; column <= column_count; ++column) {
    DescribedColumn described = Describe(session, statement, column, options);
    result.columns.push_back(std::move(described.info));
    readings.push_back(described.reading);
  }
  for (;;) {
    const SQLRETURN rc = SQLFetch(statement.get());
    if (rc == SQL_NO_DATA) break;
    Check(rc, statement);
    for (SQLUSMALLINT column = 1; column <= column_count; ++column) {
      result.cells.push_back(ReadCell(statement.get(), column, readings[column - 1]));
    }
  }
  return result;
}

}  // namespace

std::vector<ResultSet> ReadAllResultSets(const OdbcSession& session, const StatementHandle& statement,
                                         ResultReadingOptions options) {
  std::vector<ResultSet> results;
  for (;;) {
    SQLSMALLINT column_count = 0;
    Check(SQLNumResultCols(statement.get(), &column_count), statement);
    if (column_count > 0) results.push_back(ReadResultSet(session, statement, column_count, options));
    const SQLRETURN rc = SQLMoreResults(statement.get());
    if (rc == SQL_NO_DATA) break;
    Check(rc, statement);
  }
  return results;
}

}  // namespace tpl::db::odbc
