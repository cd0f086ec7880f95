#!/bin/sh
# Runs the real `tpl` program: creates databases, makes calls (a stored value, a template saved, read back and listed,
# the raised answer of a failing listing) and checks one refusal. Usage: tpl_end_to_end.sh PATH_TO_TPL
set -eu

tpl=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAILED: $*" >&2; exit 1; }

"$tpl" init-db "$work/tpl.db" >"$work/init.out" || fail "init-db exited with $?"
[ -s "$work/tpl.db" ] && grep -q "$work/tpl.db" "$work/init.out" || fail "init-db made or named no file"
status=0
"$tpl" init-db "$work/tpl.db" 2>"$work/again.err" || status=$?
[ "$status" -eq 1 ] || fail "init-db over an existing file gave exit status $status"
grep -q "cannot create the database $work/tpl.db" "$work/again.err" || fail "no message for an existing file"

# The demo data: the sales of every column kind, groups and users.
"$tpl" init-db --demo "$work/demo.db" | grep -q "with the demo data" || fail "no demo database"
[ "$(sqlite3 "$work/demo.db" "SELECT COUNT(*), COUNT(DISTINCT REGIAO_ID), (SELECT COUNT(*) FROM GRUPO_USUARIO),
      (SELECT COUNT(*) FROM USUARIO) FROM VENDA")" = "3000|5|3|4" ] || fail "demo data incomplete"

# A stored value read back through the new database.
printf '%s' "[\"Provider=SQLITE;Data Source=$work/tpl.db\", 5, \"SQLSERVER\", \"Parametro\",
             \"Tab_Parametro_Sistema\", \"Tab_Parametro_Sistema_ID\", 23042, \"\", \"\"]" |
  "$tpl" call gBusca_Arquivo_Xml >"$work/document.out" || fail "call exited with $?"
grep -q '^{"result":{"Integer":0},.*{"Long":23042},"1000",""\]}$' "$work/document.out" ||
  fail "unexpected stored value: $(cat "$work/document.out")"

# A template saved, read back and listed for its group (groups are kept outside the library: written with sqlite3).
db="Data Source=$work/tpl.db"
sqlite3 "$work/tpl.db" "INSERT INTO GRUPO_USUARIO VALUES (4, 'Vendas')" || fail "cannot add a group"
printf '%s' "[\"$db\", 5, \"\", \"SQLSERVER\", 0, \"Vendas\", \"Vendas do mês\", \"\",
             \"SELECT GRUPO_USUARIO_ID FROM GRUPO_USUARIO WHERE GRUPO_USUARIO_ID = {GRUPO}\",
             1, 2, {\"Matrix\":[[4,\"Vendas\"],[{\"Empty\":null},{\"Empty\":null}]]},
             1, 7, {\"Matrix\":[[0,\"Grupo\",\"{GRUPO}\",\"N\",\"S\",\"\",\"\"]]}, \"VND\", \"N\"]" |
  "$tpl" call gGrava_Template >"$work/save.out" || fail "call exited with $?"
grep -q '^{"result":{"Integer":0},"args":\[[^]]*{"Long":1},"Vendas","Vendas do mês"' "$work/save.out" ||
  fail "template not saved: $(cat "$work/save.out")"
printf '%s' "[\"$db\", 5, \"\", \"SQLSERVER\", 1, \"\", \"\", \"\", \"\", \"\", \"\", \"\", \"S\",
             \"\", \"\", \"\", \"\", \"\"]" | "$tpl" call gObter_Dados_Template >"$work/read.out" ||
  fail "call exited with $?"
grep -q '"SELECT GRUPO_USUARIO_ID FROM GRUPO_USUARIO WHERE GRUPO_USUARIO_ID = {GRUPO}","S",{"Long":1}' \
  "$work/read.out" || fail "template not read back: $(cat "$work/read.out")"
printf '%s' "[\"$db\", 5, \"\", \"SQLSERVER\", 4, \"\", \"\", \"\"]" |
  "$tpl" call gObter_Templates_do_Usuario >"$work/list.out" || fail "call exited with $?"
grep -q '^{"result":{"Empty":null},.*{"Array":\[{"Long":1}\]},{"Array":\["Vendas do mês"\]}\]}$' \
  "$work/list.out" || fail "template not listed: $(cat "$work/list.out")"
# Listing is the one call without a trap: its failure is the raised answer.
printf '%s' '["Data Source=/nonexistent/tpl.db", 5, "", "SQLSERVER", 4, "", "", ""]' |
  "$tpl" call gObter_Templates_do_Usuario >"$work/raised.out" || fail "call exited with $?"
grep -q '^{"raised":{"number":14,"description":"[^"]*"},"args":\[' "$work/raised.out" ||
  fail "no raised answer: $(cat "$work/raised.out")"

status=0
echo '[]' | "$tpl" call gNao_Existe 2>"$work/unknown.err" || status=$?
[ "$status" -eq 2 ] || fail "an unknown method gave exit status $status"
grep -q "unknown method 'gNao_Existe'" "$work/unknown.err" || fail "no message for an unknown method"

echo "tpl end to end: ok"
