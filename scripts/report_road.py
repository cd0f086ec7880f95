#!/usr/bin/env python3
"""The road a host application runs, through `tpl call`, on a demo database.

    report_road.py TPL DATABASE WORKBOOK_FOLDER [OUTBOX]

Saves a report template with filters of several types and two user groups,
lists a group's templates, reads the template back, runs it with filter
values, exports the result to a workbook and says where the workbook is.
With OUTBOX it goes on: a run larger than the screen limit is handed to a
background job, `tpl worker --once` produces and e-mails it (as an .eml
file in OUTBOX), and it says where the e-mail landed.
Each step prints one line a person can read; the full JSON answers are kept
beside the workbook (road-*.json) for whoever wants to look closer.
"""
import email
import json
import sqlite3
import subprocess
import sys
from pathlib import Path

EMPTY = {"Empty": None}
USER = 5  # Ana Souza, of the demo data
KIND = "SQLSERVER"

QUERY = (
    "SELECT V.DATA_VENDA AS Data, R.NOME AS Regiao, P.DESCRICAO AS Produto, "
    "V.CLIENTE AS Cliente, V.QUANTIDADE AS Quantidade, V.VALOR_TOTAL AS Valor_Total "
    "FROM VENDA V "
    "JOIN REGIAO R ON R.REGIAO_ID = V.REGIAO_ID "
    "JOIN PRODUTO P ON P.PRODUTO_ID = V.PRODUTO_ID "
    "WHERE V.DATA_VENDA >= {DATA_INI} AND V.DATA_VENDA < {DATA_FIM} "
    "AND R.NOME = {REGIAO} AND V.QUANTIDADE >= {QTDE_MIN} "
    "AND V.PRODUTO_ID IN ({@PRODUTOS@}) "
    "ORDER BY V.DATA_VENDA"
)

# Caption, placeholder, type, obligatory, largest day range; and the value
# the person types when running the report.
FILTERS = [
    ("Data inicial", "{DATA_INI}", "D", "S", "", "01/03/2026"),
    ("Data final", "{DATA_FIM}", "D", "S", "", "01/06/2026"),
    ("Região", "{REGIAO}", "C", "S", "", "Sudeste"),
    ("Quantidade mínima", "{QTDE_MIN}", "N", "N", "", "5"),
    ("Produtos", "{@PRODUTOS@}", "N", "S", "", "1,3,7,9"),
]
GROUPS = [(10, "Vendas"), (20, "Diretoria")]


def call(tpl, method, arguments, keep):
    """Calls one method; returns its result and its arguments after the call."""
    completed = subprocess.run([tpl, "call", method], input=json.dumps(arguments),
                               capture_output=True, text=True, check=False)
    if completed.returncode != 0:
        sys.exit(f"tpl call {method} failed ({completed.returncode}): {completed.stderr.strip()}")
    answer = json.loads(completed.stdout)
    (keep / f"road-{method}.json").write_text(json.dumps(answer, ensure_ascii=False, indent=1))
    if "raised" in answer:
        sys.exit(f"{method} raised {answer['raised']}")
    return plain(answer["result"]), answer["args"]


def plain(value):
    """A tagged JSON value as plain Python (numbers, texts, lists, None)."""
    if isinstance(value, dict) and len(value) == 1:
        (tag, inner), = value.items()
        if tag in ("Integer", "Long", "Double"):
            return inner
        if tag == "Date":  # shown as the person reads dates: dd/mm/yyyy hh:mm
            day, _, time = inner.partition("T")
            year, month, date = day.split("-")
            return f"{date}/{month}/{year}" + (f" {time[:5]}" if time else "")
        if tag in ("Array", "Matrix"):
            return [plain(item) for item in inner]
        if tag == "Empty":
            return None
    if isinstance(value, list):
        return [plain(item) for item in value]
    return value


def matrix(rows):
    return {"Matrix": [[EMPTY if cell is None else cell for cell in row] for row in rows]}


def require(ok, result, args, message_index, what):
    if not ok:
        sys.exit(f"{what}: result {result}, message: {args[message_index]!r}")


def main():
    tpl, database, folder = sys.argv[1], sys.argv[2], Path(sys.argv[3])
    connection = f"Data Source={database}"
    head = [connection, USER, "", KIND]

    # 1. Save the template with its filters and groups.
    filters = [[0, caption, placeholder, kind, obligatory, days, ""]
               for caption, placeholder, kind, obligatory, days, _ in FILTERS]
    result, args = call(tpl, "gGrava_Template", head + [
        0, "Vendas por região", "Vendas por região e período", "Demonstração",
        QUERY, len(GROUPS), 2, matrix([list(g) for g in GROUPS]),
        len(filters), 7, matrix(filters), "VRP", "N"], folder)
    require(result == 0, result, args, 2, "gGrava_Template")
    template_id = plain(args[4])
    print(f"1. gGrava_Template: saved template {template_id} \"Vendas por região\" with "
          f"{len(filters)} filters (D, D, C, N and a list of N) for the groups "
          + " and ".join(name for _, name in GROUPS) + ".")

    # 2. List the templates of the group Vendas.
    result, args = call(tpl, "gObter_Templates_do_Usuario", head + [10, "", "", ""], folder)
    ids, titles = plain(args[6]) or [], plain(args[7]) or []
    listed = ", ".join(f"{i} \"{t}\"" for i, t in zip(ids, titles))
    print(f"2. gObter_Templates_do_Usuario: group 10 (Vendas) may run {len(ids)} "
          f"template(s): {listed}.")

    # 3. Read the template back, as a host does before showing its filters.
    result, args = call(tpl, "gObter_Dados_Template", head + [
        template_id, "", "", "", "", "", "", "", "S", "", "", "", "", ""], folder)
    require(result == 0, result, args, 2, "gObter_Dados_Template")
    filter_matrix = plain(args[8])
    filter_lines = plain(args[9])
    query = args[11]
    group_lines = plain(args[13])
    print(f"3. gObter_Dados_Template: \"{args[6]}\" reads back with {filter_lines} filters, "
          f"{group_lines} groups and a query of {len(query)} characters.")

    # 4. Run it with the person's filter values (column 6 of each filter row).
    values = {placeholder: value for _, placeholder, _, _, _, value in FILTERS}
    for row in filter_matrix[:filter_lines]:
        row[6] = values[row[2].strip()]
    result, args = call(tpl, "gExecutar_Query", head + [
        query, matrix(filter_matrix), filter_lines, len(filter_matrix[0]), 0, 0, EMPTY, "",
        "Vendas por região", "Sudeste, março a maio de 2026", template_id, "N", "", EMPTY, "N"],
        folder)
    require(result == 0, result, args, 2, "gExecutar_Query")
    lines, columns, result_matrix = plain(args[8]), plain(args[9]), args[10]
    rows = plain(result_matrix)
    print(f"4. gExecutar_Query: {lines - 2} rows of {columns - 1} columns "
          f"({', '.join(str(c) for c in rows[0][:columns - 1])}); types "
          f"{' '.join(rows[lines - 1][:columns - 1])}; first row: "
          + " | ".join(str(c) for c in rows[1][:columns - 1]) + ".")

    # 5. Export the shown result to a workbook.
    result, args = call(tpl, "gGera_Excel", head + [
        "Vendas por região", "Sudeste, março a maio de 2026", lines, columns, result_matrix,
        ""], folder)
    require(result == 0, result, args, 2, "gGera_Excel")
    name = args[9]
    workbook = folder / Path(name).name
    if not workbook.is_file():
        sys.exit(f"gGera_Excel answered {name!r}, but {workbook} does not exist")
    print(f"5. gGera_Excel: the workbook {name} was saved ({workbook.stat().st_size} bytes).")
    if len(sys.argv) > 4:
        handed_over = hand_over_large_report(tpl, database, head, query, filter_matrix,
                                             filter_lines, template_id, lines - 2, folder,
                                             Path(sys.argv[4]))
    print(f"\nThe workbook is at {workbook}")
    if len(sys.argv) > 4:
        print(f"The e-mailed report is at {handed_over}")


def hand_over_large_report(tpl, database, head, query, filter_matrix, filter_lines,
                           template_id, rows, folder, outbox):
    """Runs the report with a screen limit below its size, then the worker."""
    # 6. The screen shows fewer lines than the report has: it goes to a job.
    with sqlite3.connect(database) as db:
        limit = db.execute("SELECT Parametro FROM Tab_Parametro_Sistema "
                           "WHERE Tab_Parametro_Sistema_ID = 23042").fetchone()[0]
        db.execute("UPDATE Tab_Parametro_Sistema SET Parametro = ? "
                   "WHERE Tab_Parametro_Sistema_ID = 23042", (str(rows // 2),))
    try:
        result, args = call(tpl, "gExecutar_Query", head + [
            query, matrix(filter_matrix), filter_lines, len(filter_matrix[0]), 0, 0, EMPTY, "",
            "Vendas por região", "Sudeste, março a maio de 2026", template_id, "N", "", EMPTY,
            "N"], folder)
    finally:
        with sqlite3.connect(database) as db:
            db.execute("UPDATE Tab_Parametro_Sistema SET Parametro = ? "
                       "WHERE Tab_Parametro_Sistema_ID = 23042", (limit,))
    require(result == 10 and args[11] == "S", result, args, 2, "gExecutar_Query (large)")
    print(f"6. gExecutar_Query with a screen limit of {rows // 2} lines: result {result}, "
          f"\"{args[2]}\"")

    # 7. The worker produces the job's workbook and e-mails it.
    outbox.mkdir(parents=True, exist_ok=True)
    before = set(outbox.glob("*.eml"))
    completed = subprocess.run([tpl, "worker", "--database", str(database), "--outbox",
                                str(outbox), "--from", "relatorios@localhost", "--once"],
                               capture_output=True, text=True, check=False)
    if completed.returncode != 0:
        sys.exit(f"tpl worker failed ({completed.returncode}): {completed.stderr.strip()}")
    landed = sorted(set(outbox.glob("*.eml")) - before)
    if len(landed) != 1:
        sys.exit(f"tpl worker left {len(landed)} e-mails in {outbox}: {completed.stderr.strip()}")
    with open(landed[0], "rb") as eml:
        message = email.message_from_binary_file(eml)
    attachment = next(part for part in message.walk() if part.get_filename())
    print(f"7. tpl worker --once: e-mailed {attachment.get_filename()} to {message['To']} "
          f"({len(attachment.get_payload(decode=True))} bytes).")
    return landed[0]


if __name__ == "__main__":
    main()
