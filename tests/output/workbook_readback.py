"""Runs a real report through the `tpl` host, exports it with gGera_Excel and
reads the workbook back with readers that share nothing with the library.

    workbook_readback.py openpyxl PATH_TO_TPL     cells, formats, merges, widths, table
    workbook_readback.py libreoffice PATH_TO_TPL  opens in LibreOffice (skipped, 77, without it)
"""
import datetime
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile

SKIPPED = 77
QUERY = "SELECT ID, CLIENTE, VALOR, PESO, EMISSAO FROM VENDA ORDER BY ID"


def call(tpl, method, args):
    answer = subprocess.run([tpl, "call", method], input=json.dumps(args), text=True,
                            capture_output=True, check=True)
    return json.loads(answer.stdout)


def export(tpl, work):
    """The report's rows and the path of its workbook."""
    database = os.path.join(work, "tpl.db")
    subprocess.run([tpl, "init-db", database], check=True, capture_output=True)
    with sqlite3.connect(database) as db:
        db.executescript(f"""
            UPDATE Tab_Parametro_Sistema SET Parametro = '{work}' WHERE Tab_Parametro_Sistema_ID = 23017;
            UPDATE Tab_Parametro_Sistema SET Parametro = 'https://relatorios/' WHERE Tab_Parametro_Sistema_ID = 23018;
            CREATE TABLE VENDA (ID INTEGER, CLIENTE VARCHAR(40), VALOR NUMERIC(12,2), PESO NUMERIC(10,3),
                                EMISSAO DATETIME);
            INSERT INTO VENDA VALUES (1, 'Ana Luíza', 1234.5, 12.345, '2001-10-13 10:20:00'),
                                     (2, 'Bruno & Cia <Ltda>', 0, 0.5, '2001-10-14 08:05:00'),
                                     (3, 'Carolina de Souza Albuquerque', 99.9, NULL, NULL);""")
    connection = "Data Source=" + database
    run = call(tpl, "gExecutar_Query", [connection, 57, "", "SQLSERVER", QUERY, {"Empty": None}, 0, 0,
                                        "", "", "", "N", "Vendas", "Outubro", 1, "N", "", {"Empty": None}, "N"])
    assert run["result"] == {"Integer": 0}, run
    lines, columns, matrix = run["args"][8:11]
    answer = call(tpl, "gGera_Excel", [connection, 57, "", "SQLSERVER", " Vendas por cliente ",
                                       "Outubro de 2001", lines, columns, matrix, ""])
    assert answer["result"] == {"Integer": 0}, answer
    name = answer["args"][9]
    assert name.startswith("https://relatorios/RelDinamico") and name.endswith("57.xlsx"), name
    # The matrix comes back converted: decimals are Doubles, dates Dates.
    assert answer["args"][8]["Matrix"][1][2:5] == [{"Double": 1234.5}, {"Double": 12.345},
                                                   {"Date": "2001-10-13T10:20:00"}], answer["args"][8]
    return os.path.join(work, name[len("https://relatorios/"):])


def check_with_openpyxl(path):
    try:
        import openpyxl
    except ImportError:
        sys.exit("python3-openpyxl is not installed: run scripts/setup.sh")
    book = openpyxl.load_workbook(path)
    assert book.sheetnames == ["Rel_Dinamico", "Planilha1"], book.sheetnames
    sheet = book.active
    assert sheet.title == "Rel_Dinamico"
    assert book["Planilha1"].max_row == 1 and book["Planilha1"]["A1"].value is None
    assert sorted(str(r) for r in sheet.merged_cells.ranges) == ["A1:E1", "A2:E2"]
    for cell, text in (("A1", "Vendas por cliente"), ("A2", "Outubro de 2001")):
        assert sheet[cell].value == text and sheet[cell].font.b, cell
        assert sheet[cell].alignment.horizontal == "center", cell
    header = [c.value for c in sheet[3]]
    assert header == ["ID", "CLIENTE", "VALOR", "PESO", "EMISSAO"], header
    assert all(c.font.b and c.alignment.horizontal == "center" for c in sheet[3])

    rows = [[(c.value, c.number_format) for c in row] for row in sheet.iter_rows(min_row=4, max_row=6)]
    assert rows == [
        [(1, "0"), ("Ana Luíza", "@"), (1234.5, "0.00"), (12.345, "0.000"),
         (datetime.datetime(2001, 10, 13, 10, 20), "dd/mm/yyyy hh:mm:ss")],
        [(2, "0"), ("Bruno & Cia <Ltda>", "@"), (0, "0.00"), (0.5, "0.000"),
         (datetime.datetime(2001, 10, 14, 8, 5), "dd/mm/yyyy hh:mm:ss")],
        [(3, "0"), ("Carolina de Souza Albuquerque", "@"), (99.9, "0.00"), (0, "0.000"),
         (None, "dd/mm/yyyy hh:mm:ss")],
    ], rows
    assert sheet["E4"].alignment.horizontal == "center"
    assert sheet.max_column == 5, "the DET column is not shown"

    widths = {letter: sheet.column_dimensions[letter].width for letter in "ABCDE"}
    longest = {"B": len("Carolina de Souza Albuquerque"), "E": len("13/10/2001 10:20:00")}
    for letter, characters in longest.items():
        assert 0.8 * characters <= widths[letter] <= 1.3 * characters + 3, (letter, widths)
    assert widths["B"] > widths["C"] > 0, widths

    table = sheet.tables["Dinamico"]
    assert table.ref == "A3:E6", table.ref
    assert table.headerRowCount in (None, 1)
    assert [c.name for c in table.tableColumns] == header


def check_with_libreoffice(path, work):
    office = shutil.which("soffice") or shutil.which("libreoffice")
    if office is None:
        print("LibreOffice is not installed: skipped")
        sys.exit(SKIPPED)
    profile = "file://" + os.path.join(work, "profile")
    # The CSV filter's options: comma, double quote, UTF-8.
    for kind in ("pdf", "csv:Text - txt - csv (StarCalc):44,34,76"):
        subprocess.run([office, "-env:UserInstallation=" + profile, "--headless", "--convert-to", kind,
                        "--outdir", work, path], check=True, capture_output=True, timeout=300)
    base = os.path.splitext(path)[0]
    with open(base + ".pdf", "rb") as pdf:
        assert pdf.read(5) == b"%PDF-", "no PDF"
    with open(base + ".csv", encoding="utf-8") as csv:
        text = csv.read()
    for shown in ("Vendas por cliente", "Ana Luíza", "1234.50", "12.345", "13/10/2001 10:20:00"):
        assert shown in text, (shown, text)


def main():
    mode, tpl = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="tpl-readback-") as work:
        path = export(tpl, work + "/")
        if mode == "openpyxl":
            check_with_openpyxl(path)
        else:
            check_with_libreoffice(path, work)
    print(f"workbook read back with {mode}: ok")


if __name__ == "__main__":
    main()
