# The library is a strict stack of layers, one static library each, and a
# layer links only the layers below it; their order is in layer_order.cmake.
#
# The build enforces it twice. Each layer compiles against an include root
# of its own, a folder of links to its own sources and to those of the
# layers below, so that an include of a higher layer's header does not
# compile. And the layering check (check_layers.cmake) runs before any
# layer is compiled and fails the build on what an include root cannot
# catch: the outside world's headers outside their one layer, includes that
# climb out of their folder with "..", and the finer rules among the
# platform layers (the access layer knows neither provider, the providers
# not each other, workbook and mail know no database).
include("${CMAKE_CURRENT_LIST_DIR}/layer_order.cmake")

set(TPL_INCLUDE_ROOTS "${CMAKE_BINARY_DIR}/include_roots")

# Links a lower layer's folder into an include root. Above the platform
# layers, values is not visible at all and database only with the access
# layer's own headers: the providers stay private to database.
function(_tpl_link_folder root folder upper)
  if(upper AND folder STREQUAL "values")
    return()
  elseif(upper AND folder STREQUAL "database")
    file(MAKE_DIRECTORY "${root}/database")
    file(GLOB headers "${PROJECT_SOURCE_DIR}/src/database/*.h")
    foreach(header IN LISTS headers)
      get_filename_component(name "${header}" NAME)
      file(CREATE_LINK "${header}" "${root}/database/${name}" SYMBOLIC)
    endforeach()
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
  list(FIND TPL_LAYERS mail top_platform_rank)
  set(upper FALSE)
  if(rank GREATER top_platform_rank)
    set(upper TRUE)
  endif()
  file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/${folder}" "${root}/${folder}" SYMBOLIC)
  if(rank GREATER 0)
    math(EXPR below "${rank} - 1")
    foreach(index RANGE 0 ${below})
      list(GET TPL_LAYERS ${index} visible)
      _tpl_link_folder("${root}" "${visible}" ${upper})
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
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake ${PROJECT_SOURCE_DIR}/cmake/layer_order.cmake
          ${TPL_ALL_SOURCES}
  COMMENT "Checking the includes against the layers"
  VERBATIM)
add_custom_target(tpl_layering_check DEPENDS "${CMAKE_BINARY_DIR}/layering_check.stamp")
