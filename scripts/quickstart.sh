#!/usr/bin/env bash
# From a fresh machine to a first real call: installs what the project
# needs, builds the library and `tpl`, creates an embedded database, lists
# the methods and calls three of them, a report run among them.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tpl

tpl=build/src/host/tpl
work=$(mktemp -d)
database="$work/tpl.db"
trap 'rm -rf "$work"' EXIT

echo "== tpl init-db $database"
"$tpl" init-db "$database"

echo "== tpl methods"
"$tpl" methods

echo "== tpl call gGrava_Filtro (the first filter of a new template)"
"$tpl" call gGrava_Filtro <<JSON
["Data Source=$database", 5, "", "SQLSERVER", 0, 0, 0, {"Empty": null}, 0,
 "Data inicial", "{DATA_INI}", "D", "S", "30", 0, ""]
JSON

echo "== tpl call gBusca_Arquivo_Xml (a system parameter read as a stored document)"
"$tpl" call gBusca_Arquivo_Xml <<JSON
["Data Source=$database", 5, "SQLSERVER", "Parametro", "Tab_Parametro_Sistema",
 "Tab_Parametro_Sistema_ID", 2001780, "", ""]
JSON

echo "== tpl call gExecutar_Query (a report over the system parameters, one filter)"
"$tpl" call gExecutar_Query <<JSON
["Data Source=$database", 5, "", "SQLSERVER",
 "SELECT Tab_Parametro_Sistema_ID, Parametro FROM Tab_Parametro_Sistema WHERE Tab_Parametro_Sistema_ID >= {MINIMO} ORDER BY 1",
 {"Matrix": [[1, "Identificador mínimo", "{MINIMO}", "N", 1, "", "23000", {"Empty": null}],
             [{"Empty": null}, {"Empty": null}, {"Empty": null}, {"Empty": null},
              {"Empty": null}, {"Empty": null}, {"Empty": null}, {"Empty": null}]]},
 1, 7, 0, 0, {"Empty": null}, "", "Parâmetros", "do sistema", 1, "N", "", {"Empty": null}, "N"]
JSON
