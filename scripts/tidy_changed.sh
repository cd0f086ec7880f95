#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the C++ files changed
# since the previous commit (or TIDY_BASE), with the compiler flags of the
# build's compile_commands.json. A changed header is checked through the
# source of the same name beside it. Fails on any finding.
#
#   scripts/tidy_changed.sh [BUILD_DIR]        build/ by default
#
# A clone without a previous commit (a shallow one) has nothing to compare
# with: the script says so and checks nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
base=${TIDY_BASE:-HEAD~1}

if ! git rev-parse --verify --quiet "$base^{commit}" >/dev/null; then
  echo "tidy_changed.sh: no commit $base to compare with; nothing checked"
  exit 0
fi
if [[ ! -f $build_dir/compile_commands.json ]]; then
  echo "tidy_changed.sh: no $build_dir/compile_commands.json; configure the build first" >&2
  exit 2
fi

# The sources the build compiles, by absolute path.
mapfile -t compiled < <(python3 -c '
import json, os, sys
for entry in json.load(open(sys.argv[1])):
    print(os.path.normpath(os.path.join(entry["directory"], entry["file"])))
' "$build_dir/compile_commands.json" | sort -u)
is_compiled() {
  local file
  for file in "${compiled[@]}"; do [[ $file == "$1" ]] && return 0; done
  return 1
}

root=$(pwd)
files=()
while IFS= read -r changed; do
  case $changed in
    *.cpp) source=$changed ;;
    *.h) source=${changed%.h}.cpp ;;
    *) continue ;;
  esac
  [[ -f $source ]] && is_compiled "$root/$source" || continue
  [[ " ${files[*]} " == *" $root/$source "* ]] || files+=("$root/$source")
done < <(git diff --name-only --diff-filter=d "$base" --)

if ((${#files[@]} == 0)); then
  echo "tidy_changed.sh: no compiled C++ file changed since $base"
  exit 0
fi
echo "tidy_changed.sh: ${#files[@]} file(s) changed since $base"
# Findings in the project's own headers count; those of /usr/include do not.
# clang-tidy's count of the warnings it did not show is left out.
printf '%s\n' "${files[@]}" |
  xargs -P "$(nproc)" -n 1 clang-tidy --quiet -p "$build_dir" --header-filter="^$root/" 2>&1 |
  sed '/^[0-9]* warnings\{0,1\} generated\.$/d'
