// Reading of everything an executed statement returned: each statement of
// the batch that returns columns gives one fully fetched row set, an empty
// one included; statements that return no columns give none.
#pragma once

#include <vector>

#include "platform/database/provider.h"
#include "platform/odbc/odbc_handle.h"
#include "platform/odbc/odbc_session.h"

namespace tpl::db::odbc {

struct ResultReadingOptions {
  // Look numeric scales the driver does not report up in the catalog.
  bool look_up_declared_scales = false;
};

std::vector<ResultSet> ReadAllResultSets(const OdbcSession& session, const StatementHandle& statement,
                                         ResultReadingOptions options);

}  // namespace tpl::db::odbc
