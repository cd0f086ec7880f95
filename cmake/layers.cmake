# The library is a strict stack of layers, one static library each, and a
# layer links only the layers below it. The order is the one place that says
# who may call whom:
#
#   platform <- shared <- infra <- output <- report <- templates <- frame <- jobs
#
# The build enforces it twice. Each layer compiles against an include root
# of its own, a folder of links to its own sources and to those of the
# layers below, so that an include of a higher layer's header does not
# compile. And the layering check (check_layers.cmake) runs before any
# layer is compiled and fails the build on what an include root cannot
# catch: SQLite, ODBC, utf8proc, libxlsxwriter or libcurl headers outside platform,
# includes that climb out of their folder with "..", and the folders inside
# platform (database/ knows neither provider; the providers not each other).
set(TPL_LAYERS platform shared infra output report templates frame jobs)

set(TPL_INCLUDE_ROOTS "${CMAKE_BINARY_DIR}/include_roots")

# Above platform only the database access layer, the workbook layer and
# the mail layer are visible: the providers and the value internals stay private to platform.
function(_tpl_link_folder root folder)
  if(folder STREQUAL "platform")
    file(MAKE_DIRECTORY "${root}/platform")
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/platform/database" "${root}/platform/database" SYMBOLIC)
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/platform/workbook" "${root}/platform/workbook" SYMBOLIC)
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/platform/mail" "${root}/platform/mail" SYMBOLIC)
  else()
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/${folder}" "${root}/${folder}" SYMBOLIC)
  endif()
endfunction()

# tpl_add_layer(<folder> <sources>...): the library tpl_<folder>, linked to
# the layer just below it (and through it to every lower one).
function(tpl_add_layer folder)
  list(FIND TPL_LAYERS "${folder}" rank)
  if(rank EQUAL -1)
    message(FATAL_ERROR "${folder} is not one of the layers: ${TPL_LAYERS}")
  endif()
  set(target "tpl_${folder}")
  add_library(${target} STATIC ${ARGN})
  add_dependencies(${target} tpl_layering_check)

  set(root "${TPL_INCLUDE_ROOTS}/${folder}")
  file(REMOVE_RECURSE "${root}")
  file(MAKE_DIRECTORY "${root}")
  if(rank EQUAL 0)
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/platform" "${root}/platform" SYMBOLIC)
  else()
    math(EXPR below "${rank} - 1")
    foreach(index RANGE 0 ${rank})
      list(GET TPL_LAYERS ${index} visible)
      if(index EQUAL rank)
        file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/${folder}" "${root}/${folder}" SYMBOLIC)
      else()
        _tpl_link_folder("${root}" "${visible}")
      endif()
    endforeach()
    list(GET TPL_LAYERS ${below} lower)
    target_link_libraries(${target} PUBLIC tpl_${lower})
  endif()
  target_include_directories(${target} PRIVATE "${root}")
endfunction()

add_custom_command(
  OUTPUT "${CMAKE_BINARY_DIR}/layering_check.stamp"
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}/src -P
          ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake
  COMMAND ${CMAKE_COMMAND} -E touch "${CMAKE_BINARY_DIR}/layering_check.stamp"
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake ${TPL_ALL_SOURCES}
  COMMENT "Checking the includes against the layers"
  VERBATIM)
add_custom_target(tpl_layering_check DEPENDS "${CMAKE_BINARY_DIR}/layering_check.stamp")
