# Fails when an include of src/ crosses the layers the wrong way.
#   cmake -DSOURCE_DIR=<src> -P check_layers.cmake
# The rank of a folder is its place in the stack of layer_order.cmake (the
# host above them all); a file may include headers of its own folder and of
# lower ones only. Among the platform layers the rules are finer:
#   - each outside library's headers belong to one folder: SQLite to the
#     embedded engine (database/sqlite), ODBC to database/odbc, utf8proc to
#     values, libxlsxwriter to workbook, libcurl to mail;
#   - values is private to the platform layers;
#   - the providers are private to database: the access layer knows neither
#     (but provider_choice.cpp, which picks one), nor one provider the other;
#   - database, workbook and mail do not know each other.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
include("${CMAKE_CURRENT_LIST_DIR}/layer_order.cmake")

set(ranks ${TPL_LAYERS} ${TPL_HOST_FOLDER})
set(owners
  "sqlite3.h=database/sqlite"
  "sql.h=database/odbc" "sqlext.h=database/odbc" "sqltypes.h=database/odbc" "sqlucode.h=database/odbc"
  "utf8proc.h=values or workbook" "xlsxwriter.h=workbook" "curl/curl.h=mail")

# The place of a file or header: its folder, and inside database the
# provider's subfolder ("database/sqlite") or "database" for the access layer.
function(_place path out)
  string(REGEX MATCH "^[^/]+" folder "${path}")
  if(folder STREQUAL "database" AND path MATCHES "^database/(sqlite|odbc)/")
    set(folder "database/${CMAKE_MATCH_1}")
  endif()
  set(${out} "${folder}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT files)
set(faults "")
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" folder "${file}")
  _place("${file}" place)
  list(FIND ranks "${folder}" rank)
  file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      set(header "${CMAKE_MATCH_1}")
      foreach(owner IN LISTS owners)
        string(REPLACE "=" ";" pair "${owner}")
        list(GET pair 0 owned)
        list(GET pair 1 owning)
        string(REPLACE " or " ";" owning_places "${owning}")
        if(header STREQUAL owned AND NOT place IN_LIST owning_places)
          list(APPEND faults "${file}: <${header}> belongs to ${owning} alone")
        endif()
      endforeach()
    elseif(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      set(header "${CMAKE_MATCH_1}")
      if(header MATCHES "\\.\\./")
        list(APPEND faults "${file}: \"${header}\" climbs out of its folder")
        continue()
      endif()
      if(header MATCHES "^tpl/")
        continue()  # the public headers
      endif()
      string(REGEX MATCH "^[^/]+" target "${header}")
      _place("${header}" target_place)
      list(FIND ranks "${target}" target_rank)
      if(target_rank EQUAL -1)
        list(APPEND faults "${file}: \"${header}\" names no folder of src/")
      elseif(target STREQUAL folder AND NOT target_place STREQUAL place)
        # Inside database: the access layer and the two providers.
        if(place STREQUAL "database" AND NOT file STREQUAL "database/provider_choice.cpp")
          list(APPEND faults "${file}: the access layer must not know \"${header}\"")
        elseif(NOT place STREQUAL "database" AND NOT target_place STREQUAL "database")
          list(APPEND faults "${file}: one provider must not know the other (\"${header}\")")
        endif()
      elseif(target STREQUAL folder)
        continue()
      elseif(target_rank GREATER rank)
        list(APPEND faults "${file}: \"${header}\" is a higher layer")
      elseif(target STREQUAL "values" AND NOT folder IN_LIST TPL_PLATFORM_LAYERS)
        list(APPEND faults "${file}: \"${header}\" is private to the platform layers")
      elseif(target STREQUAL "database" AND NOT target_place STREQUAL "database")
        list(APPEND faults "${file}: \"${header}\" is private to database")
      elseif(folder IN_LIST TPL_PLATFORM_LAYERS AND target IN_LIST TPL_PLATFORM_LAYERS
             AND NOT target STREQUAL "values")
        list(APPEND faults "${file}: ${folder} must not know \"${header}\"")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
