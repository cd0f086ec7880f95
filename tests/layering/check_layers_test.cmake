# Runs the layering check on small trees written here, one fault each; fails unless it refuses every faulty tree.
#   cmake -DCHECK=<check_layers.cmake> -DWORK=<scratch folder> -P check_layers_test.cmake
cmake_minimum_required(VERSION 3.25)

# name | file | line it holds | expected outcome
set(cases
  "clean|report/a.cpp|#include \"output/b.h\"|pass"
  "public header|host/a.cpp|#include \"tpl/tpl.h\"|pass"
  "higher layer|infra/a.cpp|#include \"report/b.h\"|fail"
  "frame from shared|shared/a.h|#include \"frame/b.h\"|fail"
  "sqlite outside platform|report/a.cpp|#include <sqlite3.h>|fail"
  "odbc outside platform|output/a.cpp|#include <sqlext.h>|fail"
  "xlsxwriter outside platform|output/a.cpp|#include <xlsxwriter.h>|fail"
  "provider from above|shared/a.cpp|#include \"platform/sqlite/b.h\"|fail"
  "provider from access layer|platform/database/a.cpp|#include \"platform/odbc/b.h\"|fail"
  "provider from provider|platform/odbc/a.cpp|#include \"platform/sqlite/b.h\"|fail"
  "access layer from provider|platform/sqlite/a.cpp|#include \"platform/database/b.h\"|pass"
  "climbing out|report/a.cpp|#include \"../frame/b.h\"|fail"
  "unknown folder|report/a.cpp|#include \"nowhere/b.h\"|fail"
  "jobs above frame|jobs/a.cpp|#include \"frame/b.h\"|pass"
  "jobs from frame|frame/a.cpp|#include \"jobs/b.h\"|fail"
  "mail from jobs|jobs/a.cpp|#include \"platform/mail/b.h\"|pass"
  "curl outside platform|jobs/a.cpp|#include <curl/curl.h>|fail"
  "mail from the access layer|platform/database/a.cpp|#include \"platform/mail/b.h\"|fail"
  "database from mail|platform/mail/a.cpp|#include \"platform/database/b.h\"|fail")

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
