# Installs the build into a fresh prefix and builds the consumer of
# consumer/ against it twice, once through find_package(tpl) and once with
# the flags of `pkg-config --cflags --libs tpl`; each program must create a
# database and run a report on it. The library is not compiled again: the
# build's own artefacts are installed.
#
#   cmake -DBUILD_DIR=<build> -DWORK=<folder> -DCONSUMER=<consumer sources>
#         -DCXX=<compiler> -DNM=<nm> -DTESTABLE=ON|OFF [-DLINK_FLAGS=...]
#         -P install_test.cmake
#
# TESTABLE says whether the build has the test hooks: the installed
# libraries must hold their symbols exactly then.
cmake_minimum_required(VERSION 3.25)
foreach(variable BUILD_DIR WORK CONSUMER CXX NM TESTABLE)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    list(JOIN ARGV " " command)
    message(FATAL_ERROR "failed (${status}): ${command}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# The consumer prints the matrix of a two-row report on the demo regions.
function(expect_report program)
  file(REMOVE "${WORK}/report.db" "${WORK}/report.db-wal" "${WORK}/report.db-shm")
  run("${program}" "${WORK}/report.db")
  foreach(line "result 0" "message \"\"" "rows 4 columns 3" "first row \"Norte\" \"1\"")
    string(FIND "${out}" "${line}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${program} did not print '${line}':\n${out}")
    endif()
  endforeach()
endfunction()

set(prefix "${WORK}/prefix")
file(REMOVE_RECURSE "${prefix}")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")

foreach(path include/tpl/tpl.h include/tpl/variant.h bin/tpl share/tpl/db/README.md
        share/tpl/db/tables/template_dinamico.sql)
  if(NOT EXISTS "${prefix}/${path}")
    message(FATAL_ERROR "the installation holds no ${path}")
  endif()
endforeach()
file(GLOB_RECURSE config "${prefix}/*/tplConfig.cmake")
file(GLOB_RECURSE pc "${prefix}/*/pkgconfig/tpl.pc")
if(NOT config OR NOT pc)
  message(FATAL_ERROR "the installation holds no tplConfig.cmake or no tpl.pc")
endif()
file(GLOB_RECURSE installed "${prefix}/*.h" "${prefix}/*.cpp")
foreach(file IN LISTS installed)
  if(NOT file MATCHES "/include/tpl/[^/]+\\.h$")
    message(FATAL_ERROR "a source that is not public was installed: ${file}")
  endif()
endforeach()

# The installed program runs on its own.
run("${prefix}/bin/tpl" methods)
string(FIND "${out}" "gExecutar_Query" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the installed tpl lists no methods:\n${out}")
endif()

# The test hooks: in the libraries of a testable build, nowhere else.
file(GLOB_RECURSE libraries "${prefix}/*.a")
set(hooks "")
foreach(library IN LISTS libraries)
  run("${NM}" -C --defined-only "${library}")
  string(REGEX MATCHALL "tpl::[a-z:]*(FaultPoint|FaultInjection|FaultContext|[A-Za-z]+ForTesting)[^\n]*" found "${out}")
  list(APPEND hooks ${found})
endforeach()
if(TESTABLE AND NOT hooks)
  message(FATAL_ERROR "a testable build installed libraries without their test hooks")
elseif(NOT TESTABLE AND hooks)
  list(JOIN hooks "\n  " text)
  message(FATAL_ERROR "the installed libraries hold test hooks:\n  ${text}")
endif()

# Through find_package.
set(find_build "${WORK}/find_package")
file(REMOVE_RECURSE "${find_build}")
run("${CMAKE_COMMAND}" -S "${CONSUMER}" -B "${find_build}" -G Ninja "-DCMAKE_PREFIX_PATH=${prefix}"
    "-DCMAKE_CXX_COMPILER=${CXX}" "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run("${CMAKE_COMMAND}" --build "${find_build}")
expect_report("${find_build}/tpl_consumer")

# Through pkg-config, by hand as a Makefile would.
find_program(PKG_CONFIG pkg-config REQUIRED)
get_filename_component(pc_dir "${pc}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} "${pc_dir}")
run("${PKG_CONFIG}" --cflags --libs tpl)
separate_arguments(pc_flags UNIX_COMMAND "${out}")
separate_arguments(link_flags UNIX_COMMAND "${LINK_FLAGS}")
run("${CXX}" -std=c++20 "${CONSUMER}/main.cpp" -o "${WORK}/tpl_consumer_pkg_config" ${pc_flags} ${link_flags})
expect_report("${WORK}/tpl_consumer_pkg_config")
