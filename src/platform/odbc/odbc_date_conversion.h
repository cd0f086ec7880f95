// Conversions between the ODBC date and time structures and the
// platform's serial Date.
#pragma once

#include <sql.h>
#include <sqltypes.h>

#include <optional>

#include "tpl/variant.h"

namespace tpl::db::odbc {

// Nothing when the structure holds no real date (month 13, 31/02...) or one
// outside the platform's range. Fractions of a second are kept.
std::optional<Date> DateFromTimestamp(const SQL_TIMESTAMP_STRUCT& timestamp);
// A time of day on day zero (30/12/1899).
std::optional<Date> DateFromTime(const SQL_TIME_STRUCT& time);

// Whole seconds; the fraction is dropped, since the drivers refuse a
// fraction finer than the target column keeps.
SQL_TIMESTAMP_STRUCT TimestampFromDate(Date date);
SQL_DATE_STRUCT DateStructFromDate(Date date);

}  // namespace tpl::db::odbc
