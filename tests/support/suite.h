// What the suites share: GoogleTest, the public interface and its conversions, the temporary database and the builders
// of test values.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/temp_database.h"
#include "support/test_values.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"
#include "tpl/tpl.h"
