#!/usr/bin/env bash
# Builds the project and runs the whole test suite through ctest.
#   scripts/test.sh              regular build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ "${1:-}" == "--sanitize" ]]; then
  build_dir=build-sanitize
  options=(-DCMAKE_BUILD_TYPE=Debug -DTPL_SANITIZE=ON -DTPL_BUILD_BENCHMARKS=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

# The ODBC tests against a real server need the one scripts/pg_server.sh
# starts; without it they are skipped, saying so.
if [[ -z "${TPL_TEST_POSTGRES:-}" && ! -s .pg_server/connection ]]; then
  echo "note: no PostgreSQL test server; its tests will be skipped (bash scripts/pg_server.sh start)" >&2
fi

cmake -S . -B "$build_dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
