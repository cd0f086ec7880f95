#!/usr/bin/env bash
# One command from a fresh machine to the web page on the demo database:
# installs what the project needs, builds `tpl`, creates the demo database
# (serve-demo/demo.db) holding the quickstart's report template, writes a
# token, and serves the page at http://127.0.0.1:8080/ until Ctrl-C. Beside
# the service a `tpl worker` produces the reports handed to the background
# and "e-mails" them as .eml files into serve-demo/outbox; it stops with
# the service.
#   TPL_SERVE_LISTEN=127.0.0.1:9000 bash scripts/serve_demo.sh   another port
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tpl

tpl=$PWD/build/src/host/tpl
out=$PWD/serve-demo
listen=${TPL_SERVE_LISTEN:-127.0.0.1:8080}
rm -rf "$out/demo.db" "$out/workbooks" "$out/outbox"
mkdir -p "$out/workbooks"
database="$out/demo.db"

"$tpl" init-db --demo "$database"
# Exports go to a folder of their own, and their names come back as the
# service's /files/ addresses.
sqlite3 "$database" \
  "UPDATE Tab_Parametro_Sistema SET Parametro = '$out/workbooks/' WHERE Tab_Parametro_Sistema_ID = 23017;
   UPDATE Tab_Parametro_Sistema SET Parametro = '/files/' WHERE Tab_Parametro_Sistema_ID = 23018;"
# The quickstart's road saves the template "Vendas por região e período" for
# the groups 10 (Vendas) and 20 (Diretoria).
python3 scripts/report_road.py "$tpl" "$database" "$out/workbooks" >/dev/null

if [[ ! -s "$out/token" ]]; then
  (umask 077 && head -c 24 /dev/urandom | base64 | tr -d '/+=' >"$out/token")
fi
cat <<TEXT

Open http://$listen/ and enter
  chave de acesso:    $(cat "$out/token")   (kept in $out/token)
  código do usuário:  5 (Ana Souza; 1 sees technical details of failures)
then group 10 (Vendas) or 20 (Diretoria). Ctrl-C stops the service.
Reports larger than the screen arrive as e-mails in $out/outbox/.

TEXT
"$tpl" worker --database "$database" --outbox "$out/outbox" --from relatorios@localhost &
worker=$!
trap 'kill "$worker" 2>/dev/null; wait "$worker" 2>/dev/null' EXIT
"$tpl" serve --database "Data Source=$database" --kind SQLSERVER --listen "$listen" \
  --token-file "$out/token"
