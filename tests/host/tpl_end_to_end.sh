#!/bin/sh
# Runs the real `tpl` program: creates databases, makes calls (a stored value, the raised answer of a failing listing)
# and checks one refusal. Usage: tpl_end_to_end.sh PATH_TO_TPL
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

# Listing a group's templates is the one call without a trap: its failure is the raised answer, with the arguments as
# they stood.
printf '%s' '["Data Source=/nonexistent/tpl.db", 5, "", "SQLSERVER", 4, "", "", ""]' |
  "$tpl" call gObter_Templates_do_Usuario >"$work/raised.out" || fail "call exited with $?"
raised='^{"raised":{"number":14,"description":"[^"]*/nonexistent/tpl.db[^"]*"},'
raised=$raised'"args":\["Data Source=/nonexistent/tpl.db",{"Long":5},"","SQLSERVER",{"Long":4},"","",""\]}$'
grep -q "$raised" "$work/raised.out" || fail "no raised answer: $(cat "$work/raised.out")"

status=0
echo '[]' | "$tpl" call gNao_Existe 2>"$work/unknown.err" || status=$?
[ "$status" -eq 2 ] || fail "an unknown method gave exit status $status"
grep -q "unknown method 'gNao_Existe'" "$work/unknown.err" || fail "no message for an unknown method"

echo "tpl end to end: ok"
