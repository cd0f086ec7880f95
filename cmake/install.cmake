# What another project uses: tpl::tpl, the one name a host links, and its
# installation.
#
#   include/tpl/          the public headers
#   lib/                  one static library per layer (libtpl_<layer>.a)
#   lib/cmake/tpl/        tplConfig.cmake, for find_package(tpl 1.0)
#   lib/pkgconfig/tpl.pc  for pkg-config --cflags --libs tpl
#   bin/tpl               the host program
#   share/tpl/db/         the database objects the library embeds
#
# tpl::tpl is an INTERFACE target over every layer of TPL_LAYERS, so a layer
# added to that list is linked and installed without a change here. The
# libraries of the outside world the layers link (SQLite, utf8proc; the
# ODBC driver manager, libxlsxwriter and libcurl are opened when first
# needed) are read from the layer targets themselves and
# become the package's own dependencies: the CMake package finds them again
# through pkg-config, and tpl.pc requires them.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TPL_LAYER_TARGETS "")
foreach(layer IN LISTS TPL_LAYERS)
  list(APPEND TPL_LAYER_TARGETS tpl_${layer})
endforeach()

# The executable already holds the name tpl, so the library target is
# tpl_library, exported and aliased as tpl::tpl.
add_library(tpl_library INTERFACE)
set_target_properties(tpl_library PROPERTIES EXPORT_NAME tpl)
target_link_libraries(tpl_library INTERFACE ${TPL_LAYER_TARGETS})
target_compile_features(tpl_library INTERFACE cxx_std_20)
add_library(tpl::tpl ALIAS tpl_library)

# What the layers link, in the order a static link needs (a library before
# those it uses): the project's own libraries, which the package installs
# too (a layer may link a library of the project that is no layer), and
# every PkgConfig::<PREFIX>, with the pkg-config module it was found as
# (pkg_check_modules keeps <PREFIX>_MODULE_NAME in the cache).
set(TPL_INSTALLED_TARGETS "")
set(TPL_PKG_PREFIXES "")
set(TPL_PKG_MODULES "")
function(_tpl_visit target)
  if(target IN_LIST _tpl_visited)
    return()
  endif()
  list(APPEND _tpl_visited ${target})
  get_target_property(links ${target} LINK_LIBRARIES)
  foreach(link IN LISTS links)
    if(link MATCHES "^PkgConfig::(.+)$")
      set(prefix "${CMAKE_MATCH_1}")
      if(NOT prefix IN_LIST TPL_PKG_PREFIXES)
        list(APPEND TPL_PKG_PREFIXES "${prefix}")
        list(APPEND TPL_PKG_MODULES "${${prefix}_MODULE_NAME}")
      endif()
    elseif(TARGET "${link}")
      get_target_property(imported ${link} IMPORTED)
      if(imported)
        message(WARNING "${target} links ${link}, which the installed package does not know how to "
                        "find; teach cmake/install.cmake and cmake/tplConfig.cmake.in about it")
      else()
        _tpl_visit(${link})
      endif()
    endif()
  endforeach()
  # Reverse post-order: a library lands before everything it links.
  list(PREPEND TPL_INSTALLED_TARGETS ${target})
  foreach(variable _tpl_visited TPL_INSTALLED_TARGETS TPL_PKG_PREFIXES TPL_PKG_MODULES)
    set(${variable} "${${variable}}" PARENT_SCOPE)
  endforeach()
endfunction()
set(_tpl_visited "")
foreach(target IN LISTS TPL_LAYER_TARGETS)
  _tpl_visit(${target})
endforeach()

install(TARGETS tpl_library ${TPL_INSTALLED_TARGETS} EXPORT tplTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/tpl DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
install(TARGETS tpl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY db/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tpl/db
        FILES_MATCHING PATTERN "*.sql" PATTERN "README.md")

# The CMake package.
set(TPL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tpl)
set(TPL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/tpl)
install(EXPORT tplTargets NAMESPACE tpl:: DESTINATION ${TPL_CMAKE_DIR})
configure_package_config_file(cmake/tplConfig.cmake.in "${PROJECT_BINARY_DIR}/package/tplConfig.cmake"
                              INSTALL_DESTINATION ${TPL_CMAKE_DIR}
                              PATH_VARS TPL_DATA_DIR)
write_basic_package_version_file("${PROJECT_BINARY_DIR}/package/tplConfigVersion.cmake"
                                 COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/package/tplConfig.cmake"
              "${PROJECT_BINARY_DIR}/package/tplConfigVersion.cmake"
        DESTINATION ${TPL_CMAKE_DIR})

# The pkg-config file. Its prefix is found from where the file lies
# (${pcfiledir}), so the tree works wherever `cmake --install --prefix` put it.
set(TPL_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH TPL_PC_TO_PREFIX "/prefix/${TPL_PC_DIR}" "/prefix")
string(REGEX REPLACE "/$" "" TPL_PC_TO_PREFIX "${TPL_PC_TO_PREFIX}")
list(TRANSFORM TPL_INSTALLED_TARGETS PREPEND "-l" OUTPUT_VARIABLE TPL_PC_LIBS)
list(JOIN TPL_PC_LIBS " " TPL_PC_LIBS)
list(JOIN TPL_PKG_MODULES " " TPL_PC_REQUIRES)
configure_file(cmake/tpl.pc.in "${PROJECT_BINARY_DIR}/package/tpl.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/package/tpl.pc" DESTINATION ${TPL_PC_DIR})
