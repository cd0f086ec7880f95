#!/usr/bin/env bash
# scripts/tidy_changed.sh in a throw-away repository: what it checks, that
# a finding fails it, and that a clone without a previous commit passes.
#   tidy_changed_test.sh <source dir> <work dir>
set -euo pipefail
source_dir=$1
work=$2
command -v clang-tidy >/dev/null || { echo "no clang-tidy; skipped"; exit 77; }

rm -rf "$work"
mkdir -p "$work/scripts" "$work/build"
cp "$source_dir/scripts/tidy_changed.sh" "$work/scripts/"
cp "$source_dir/.clang-tidy" "$work/"
cd "$work"
git init -q .
git config user.email test@localhost
git config user.name test

fail() { echo "FAILED: $1"; echo "$output"; exit 1; }
# Runs the script; leaves its output and exit status.
tidy() { status=0; output=$(bash scripts/tidy_changed.sh 2>&1) || status=$?; }

cat >clean.cpp <<'CPP'
#include "clean.h"
int Twice(int value) { return 2 * value; }
CPP
echo 'int Twice(int value);' >clean.h
cat >moved.cpp <<'CPP'
#include <string>
#include <utility>
std::string Keep(std::string text) { return text; }
CPP
echo 'unrelated' >notes.txt
printf '[\n' >build/compile_commands.json
for file in clean.cpp moved.cpp; do
  printf '{"directory": "%s", "command": "clang++ -std=c++20 -c %s", "file": "%s"},\n' \
    "$work" "$work/$file" "$work/$file" >>build/compile_commands.json
done
sed -i '$ s/,$//' build/compile_commands.json
printf ']\n' >>build/compile_commands.json
git add -A && git commit -qm first

tidy
((status == 0)) || fail "one commit: exit $status"
[[ $output == *"no commit HEAD~1"* ]] || fail "one commit: no note"

echo 'int Thrice(int value);' >>clean.h
echo 'more' >>notes.txt
git commit -qam "header and text"
tidy
((status == 0)) || fail "clean header change: exit $status"
[[ $output == *"1 file(s) changed"* ]] || fail "clean header change: its source not checked"

cat >moved.cpp <<'CPP'
#include <string>
#include <utility>
std::string Keep(std::string text) {
  std::string kept = std::move(text);
  return kept + text;
}
CPP
git commit -qam "use after move"
tidy
((status != 0)) || fail "use after move: passed"
[[ $output == *"moved.cpp"*"bugprone-use-after-move"* ]] || fail "use after move: not named"

git rm -q moved.cpp
git commit -qm "removed"
tidy
((status == 0)) || fail "removed file: exit $status"
echo "tidy_changed.sh: all cases passed"
