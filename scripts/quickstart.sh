#!/usr/bin/env bash
# From a fresh machine to the whole road of a report: installs what the
# project needs, builds `tpl`, creates an embedded database with the demo
# data, and runs what a host application runs: save a template, list a
# group's templates, read the template back, run it with filter values and
# export the result to a workbook; then a run larger than the screen limit
# is handed to a background job, `tpl worker --once` produces and e-mails
# it (an .eml file in quickstart/outbox), and the road says where it landed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tpl

tpl=build/src/host/tpl
out=${TPL_QUICKSTART_DIR:-$PWD/quickstart}
rm -rf "$out"
mkdir -p "$out/workbooks"
database="$out/demo.db"

"$tpl" init-db --demo "$database"
# Workbooks go to a folder of this run: the name is appended to the folder
# as it stands, so it ends with a slash.
sqlite3 "$database" \
  "UPDATE Tab_Parametro_Sistema SET Parametro = '$out/workbooks/' WHERE Tab_Parametro_Sistema_ID = 23017"
echo

python3 scripts/report_road.py "$tpl" "$database" "$out/workbooks" "$out/outbox"
