# Runs the layering check on small trees written here, one fault each; fails unless it refuses every faulty tree.
#   cmake -DCHECK=<check_layers.cmake> -DWORK=<scratch folder> -P check_layers_test.cmake
cmake_minimum_required(VERSION 3.25)

# name | file | line it holds | expected outcome
set(cases
  "clean|report/a.cpp|#include \"output/b.h\"|pass"
  "public header|host/a.cpp|#include \"tpl/tpl.h\"|pass"
  "higher layer|infra/a.cpp|#include \"report/b.h\"|fail"
  "frame from conventions|conventions/a.h|#include \"frame/b.h\"|fail"
  "sentences from anywhere|database/sqlite/a.cpp|#include \"sentences/b.h\"|pass"
  "sentences know nothing above|sentences/a.h|#include \"values/b.h\"|fail"
  "sqlite outside its provider|report/a.cpp|#include <sqlite3.h>|fail"
  "sqlite in the other provider|database/odbc/a.cpp|#include <sqlite3.h>|fail"
  "sqlite in the engine|database/sqlite/a.cpp|#include <sqlite3.h>|pass"
  "odbc outside its provider|output/a.cpp|#include <sqlext.h>|fail"
  "xlsxwriter outside workbook|output/a.cpp|#include <xlsxwriter.h>|fail"
  "utf8proc in workbook|workbook/a.cpp|#include <utf8proc.h>|pass"
  "curl outside mail|jobs/a.cpp|#include <curl/curl.h>|fail"
  "values above the platform layers|conventions/a.cpp|#include \"values/b.h\"|fail"
  "values from a provider|database/odbc/a.cpp|#include \"values/b.h\"|pass"
  "provider from above|conventions/a.cpp|#include \"database/sqlite/b.h\"|fail"
  "access layer from above|report/a.cpp|#include \"database/b.h\"|pass"
  "provider from access layer|database/a.cpp|#include \"database/odbc/b.h\"|fail"
  "provider choice knows both|database/provider_choice.cpp|#include \"database/odbc/b.h\"|pass"
  "provider from provider|database/odbc/a.cpp|#include \"database/sqlite/b.h\"|fail"
  "access layer from provider|database/sqlite/a.cpp|#include \"database/b.h\"|pass"
  "climbing out|report/a.cpp|#include \"../frame/b.h\"|fail"
  "unknown folder|report/a.cpp|#include \"nowhere/b.h\"|fail"
  "old platform folder|report/a.cpp|#include \"platform/database/b.h\"|fail"
  "jobs above frame|jobs/a.cpp|#include \"frame/b.h\"|pass"
  "jobs from frame|frame/a.cpp|#include \"jobs/b.h\"|fail"
  "mail from jobs|jobs/a.cpp|#include \"mail/b.h\"|pass"
  "mail from the access layer|database/a.cpp|#include \"mail/b.h\"|fail"
  "database from mail|mail/a.cpp|#include \"database/b.h\"|fail"
  "database from workbook|workbook/a.cpp|#include \"database/b.h\"|fail")

set(failures "")
foreach(entry IN LISTS cases)
  string(REPLACE "|" ";" fields "${entry}")
  list(POP_FRONT fields name file line expected)
  set(tree "${WORK}/tree")
  file(REMOVE_RECURSE "${tree}")
  get_filename_component(folder "${tree}/${file}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(WRITE "${tree}/${file}" "${line}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -P ${CHECK}
                  RESULT_VARIABLE code OUTPUT_QUIET ERROR_QUIET)
  if(code EQUAL 0)
    set(outcome pass)
  else()
    set(outcome fail)
  endif()
  if(NOT outcome STREQUAL expected)
    list(APPEND failures "${name}: expected ${expected}, got ${outcome}")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK}/tree")

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "The layering check misjudged:\n  ${text}")
endif()
