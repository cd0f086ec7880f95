#!/usr/bin/env bash
# Builds the project and runs the whole test suite through ctest.
#   scripts/test.sh              regular build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")/.."

# The build folders and their settings are the presets of CMakePresets.json
# ("default" and "sanitize"; the latter also sets ASAN_OPTIONS and
# UBSAN_OPTIONS for the build and the tests).
preset=default
if [[ "${1:-}" == "--sanitize" ]]; then
  preset=sanitize
fi

# The ODBC tests against a real server need the one scripts/pg_server.sh
# starts; without it they are skipped, saying so.
if [[ -z "${TPL_TEST_POSTGRES:-}" && ! -s .pg_server/connection ]]; then
  echo "note: no PostgreSQL test server; its tests will be skipped (bash scripts/pg_server.sh start)" >&2
fi

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
