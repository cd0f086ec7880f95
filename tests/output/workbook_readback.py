"""Exports through the `tpl` host and reads the workbooks back with openpyxl,
a reader that shares nothing with the library: cells, number formats,
merges, widths and tables.    Usage: workbook_readback.py PATH_TO_TPL
"""
import datetime
import json
import os
import sqlite3
import subprocess
import sys
import tempfile

PREFIX = "https://relatorios/"
EMPTY = {"Empty": None}


def call(tpl, method, args):
    answer = subprocess.run([tpl, "call", method], input=json.dumps(args), text=True,
                            capture_output=True, check=True)
    # The library never prints, libxlsxwriter's warnings included.
    assert answer.stderr == "", answer.stderr
    return json.loads(answer.stdout)


class Exports:
    def __init__(self, tpl, work):
        self.tpl, self.work = tpl, work
        database = os.path.join(work, "tpl.db")
        subprocess.run([tpl, "init-db", database], check=True, capture_output=True)
        with sqlite3.connect(database) as db:
            db.executescript(f"""
                UPDATE Tab_Parametro_Sistema SET Parametro = '{work}/' WHERE Tab_Parametro_Sistema_ID = 23017;
                UPDATE Tab_Parametro_Sistema SET Parametro = '{PREFIX}' WHERE Tab_Parametro_Sistema_ID = 23018;
                CREATE TABLE VENDA (ID INTEGER, CLIENTE VARCHAR(40), VALOR NUMERIC(12,2), PESO NUMERIC(10,3),
                                    EMISSAO DATETIME);
                INSERT INTO VENDA VALUES (1, 'Ana Luíza', 1234.5, 12.345, '2001-10-13 10:20:00'),
                                         (2, 'Bruno & Cia <Ltda>', 0, 0.5, '2001-10-14 08:05:00'),
                                         (3, 'Carolina de Souza Albuquerque', 99.9, NULL, NULL);""")
        self.connection = "Data Source=" + database

    def excel(self, title, rows, types):
        """Exports a result matrix (header, data rows, type codes); the workbook's path."""
        columns = len(types) + 1
        matrix = [row + ["DET" if 0 < i < len(rows) else EMPTY, EMPTY] for i, row in enumerate(rows)]
        matrix += [types + [EMPTY, EMPTY], [EMPTY] * (columns + 1)]
        return self.export(title, len(rows) + 1, columns, {"Matrix": matrix})[0]

    def export(self, title, lines, columns, matrix):
        answer = call(self.tpl, "gGera_Excel", [self.connection, 57, "", "SQLSERVER", title, "Outubro de 2001",
                                                lines, columns, matrix, ""])
        assert answer["result"] == {"Integer": 0}, answer
        name = answer["args"][9]
        assert name.startswith(PREFIX + "RelDinamico") and name.endswith("57.xlsx"), name
        return os.path.join(self.work, name[len(PREFIX):]), answer["args"][8]

    def run(self, query):
        """A report run through gExecutar_Query: its line count, column count and matrix."""
        run = call(self.tpl, "gExecutar_Query", [
            self.connection, 57, "", "SQLSERVER", query, EMPTY, 0, 0, "", "", "", "N", "Vendas", "Outubro", 1, "N",
            "", EMPTY, "N"])
        assert run["result"] == {"Integer": 0}, run
        return run["args"][8:11]

    def report(self):
        """A real report run through gExecutar_Query, then exported."""
        path, matrix = self.export(" Vendas por cliente ",
                                   *self.run("SELECT ID, CLIENTE, VALOR, PESO, EMISSAO FROM VENDA ORDER BY ID"))
        # The matrix comes back converted: decimals are Doubles, dates Dates.
        assert matrix["Matrix"][1][2:5] == [{"Double": 1234.5}, {"Double": 12.345},
                                            {"Date": "2001-10-13T10:20:00"}], matrix
        return path


def check_report(openpyxl, exports):
    book = openpyxl.load_workbook(exports.report())
    assert book.sheetnames == ["Rel_Dinamico", "Planilha1"] and book.active.title == "Rel_Dinamico"
    assert book["Planilha1"].max_row == 1 and book["Planilha1"]["A1"].value is None
    sheet = book.active
    assert sorted(str(r) for r in sheet.merged_cells.ranges) == ["A1:E1", "A2:E2"]
    header = [c.value for c in sheet[3]]
    assert header == ["ID", "CLIENTE", "VALOR", "PESO", "EMISSAO"], header
    for cell in [sheet["A1"], sheet["A2"]] + list(sheet[3]):
        assert cell.font.b and cell.alignment.horizontal == "center", cell
    assert sheet["A1"].value == "Vendas por cliente" and sheet["A2"].value == "Outubro de 2001"
    shown = [[(c.value, c.number_format) for c in row] for row in sheet.iter_rows(min_row=4, max_row=6)]
    when = "dd/mm/yyyy hh:mm:ss"
    assert shown == [
        [(1, "0"), ("Ana Luíza", "@"), (1234.5, "0.00"), (12.345, "0.000"),
         (datetime.datetime(2001, 10, 13, 10, 20), when)],
        [(2, "0"), ("Bruno & Cia <Ltda>", "@"), (0, "0.00"), (0.5, "0.000"),
         (datetime.datetime(2001, 10, 14, 8, 5), when)],
        [(3, "0"), ("Carolina de Souza Albuquerque", "@"), (99.9, "0.00"), (0, "0.000"), (None, when)],
    ], shown
    assert sheet["E4"].alignment.horizontal == "center" and sheet.max_column == 5, "DET is not shown"
    widths = {letter: sheet.column_dimensions[letter].width for letter in "ABCDE"}
    for letter, characters in (("B", len("Carolina de Souza Albuquerque")), ("E", len("13/10/2001 10:20:00"))):
        assert 0.8 * characters <= widths[letter] <= 1.3 * characters + 3, (letter, widths)
    assert widths["B"] > widths["C"] > 0, widths
    table = sheet.tables["Dinamico"]
    assert table.ref == "A3:E6" and table.headerRowCount in (None, 1), table.ref
    assert [c.name for c in table.tableColumns] == header


def check_values(openpyxl, exports):
    """Each kind of value in a column of no known type (General) and in a whole-number column."""
    day = datetime.datetime
    cases = [  # (value sent, its stored value, its format) in General; the whole-number column beside
        (({"Long": 42}, 42, "General"), ("12,5", 12.5, "0")),
        (({"Date": "2001-10-13T00:00:00"}, day(2001, 10, 13), "dd/mm/yyyy"), ("abc", "abc", "0")),
        (({"Date": "2001-10-13T10:20:00"}, day(2001, 10, 13, 10, 20), "dd/mm/yyyy hh:mm"), ({"Double": 7.0}, 7, "0")),
        (({"Date": "1900-02-28T00:00:00"}, day(1900, 2, 28), "dd/mm/yyyy"), (None, None, "0")),
        (({"Date": "1900-03-01T00:00:00"}, day(1900, 3, 1), "dd/mm/yyyy"), ("", None, "0")),
        (({"Date": "1899-12-30T12:00:00"}, datetime.time(12), "dd/mm/yyyy hh:mm"), ("-4", -4, "0")),  # a time alone
        (({"Date": "1850-01-02T00:00:00"}, "02/01/1850", "General"), (True, True, "0")),  # no serial before 1900
        ((True, True, "General"), ("007", 7, "0")),
        ((None, None, "General"), ("(3)", -3, "0")),
        (("Ação & <x>", "Ação & <x>", "General"), ("1.5", 15, "0")),
    ]
    rows = [["Livre", "Inteiro"]] + [[free[0], whole[0]] for free, whole in cases]
    sheet = openpyxl.load_workbook(exports.excel("Valores", rows, ["X", "I"])).active
    for row, (free, whole) in enumerate(cases, start=4):
        for cell, (_, stored, number_format) in ((sheet.cell(row, 1), free), (sheet.cell(row, 2), whole)):
            assert (cell.value, cell.number_format) == (stored, number_format), (cell.coordinate, cell.value,
                                                                              cell.number_format)


def check_edges(openpyxl, exports):
    # Captions made unique; a table with no data row gets one empty row.
    sheet = openpyxl.load_workbook(exports.excel("Relatório", [["Nome", "nome", ""]], ["T"] * 3)).active
    assert [str(r) for r in sheet.merged_cells.ranges] == ["A1:C1", "A2:C2"]
    assert [c.value for c in sheet[3]] == ["Nome", "nome2", "Coluna3"]
    assert sheet.tables["Dinamico"].ref == "A3:C4"
    assert [c.name for c in sheet.tables["Dinamico"].tableColumns] == ["Nome", "nome2", "Coluna3"]
    # One column: the title is not merged, and counts in the width; a text
    # beyond what a cell holds is cut, the column as wide as a column gets.
    sheet = openpyxl.load_workbook(exports.excel("Título", [["Texto"], ["x" * 40000]], ["T"])).active
    assert not sheet.merged_cells.ranges and sheet["A1"].value == "Título"
    assert len(sheet["A4"].value) == 32767 and 255 <= sheet.column_dimensions["A"].width < 256


def check_captions(openpyxl, exports):
    """Captions no column name of a table may hold, made names equal to the header cells: cut to 255 characters,
    line breaks and tabs as blanks, control characters dropped (no raw byte breaks the table's XML)."""
    def table_of(path):
        sheet = openpyxl.load_workbook(path).active
        header = [c.value for c in sheet[3]]
        assert header == [c.name for c in sheet.tables["Dinamico"].tableColumns], header
        return header

    long, accented = "COALESCE(SUM(VALOR), 0) * 100 / " + "z" * 260, "ç" * 256  # libxlsxwriter counts characters
    rows = [[long, "Valor\tTotal", "Linha\r\nNova", "Controle\x01", "\x02", long, accented],
            ["a", "b", "c", "d\x01e", "f", "g", "h"]]
    header = table_of(exports.excel("Títulos", rows, ["T"] * 7))
    assert header == [long[:255], "Valor Total", "Linha  Nova", "Controle", "Coluna5", long[:254] + "2",
                      accented[:255]], header
    # A real query names an unaliased expression after its text.
    expression = "ID + " + " + ".join(["0"] * 100)
    path, _ = exports.export("Expressão", *exports.run(f"SELECT {expression}, CLIENTE FROM VENDA ORDER BY ID"))
    assert table_of(path) == [expression[:255], "CLIENTE"]


def main():
    try:
        import openpyxl
    except ImportError:
        sys.exit("python3-openpyxl is not installed: run scripts/setup.sh")
    with tempfile.TemporaryDirectory(prefix="tpl-readback-") as work:
        exports = Exports(sys.argv[1], work)
        check_report(openpyxl, exports)
        check_values(openpyxl, exports)
        check_edges(openpyxl, exports)
        check_captions(openpyxl, exports)
    print("workbooks read back with openpyxl: ok")


if __name__ == "__main__":
    main()
