#!/usr/bin/env python3
"""`tpl worker` end to end, through the `tpl` program on a demo database.

    worker_end_to_end.py mail TPL   reports handed over by gExecutar_Query arrive
                                    at an SMTP server on 127.0.0.1 (aiosmtpd)
    worker_end_to_end.py kill TPL   a worker killed by SIGKILL in the middle of a
                                    job leaves it to the next worker, done once

Exit status 77 (skipped) when aiosmtpd or openpyxl is missing.
"""
import email
import io
import json
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time
from pathlib import Path

try:
    import openpyxl
    from aiosmtpd.controller import Controller
except ImportError as missing:
    print(f"skipped: {missing.name} is not installed (python3-aiosmtpd and python3-openpyxl, "
          "scripts/setup.sh)")
    sys.exit(77)

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import report_road  # noqa: E402  the road's template, filters and call helper

EMPTY = report_road.EMPTY
USER = report_road.USER
SENDER = "relatorios@localhost"
# About two seconds of work for the embedded database, returning one row.
SLOW_QUERY = ("WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < {count}) "
              "SELECT COUNT(*) AS Total FROM N")


class Saved:
    """aiosmtpd handler keeping every message it accepts."""

    def __init__(self):
        self.messages = []

    async def handle_DATA(self, server, session, envelope):
        self.messages.append((envelope.mail_from, list(envelope.rcpt_tos), envelope.content))
        return "250 OK"


class Road:
    """A demo database with the road's template saved, and a way to run it."""

    def __init__(self, tpl, folder):
        self.tpl, self.folder = tpl, folder
        self.database = folder / "demo.db"
        self.workbooks = folder / "workbooks"
        self.workbooks.mkdir()
        run([tpl, "init-db", "--demo", str(self.database)])
        self.set_parameter(23017, f"{self.workbooks}/")
        self.head = [f"Data Source={self.database}", USER, "", "SQLSERVER"]
        filters = [[0, c, p, k, o, d, ""] for c, p, k, o, d, _ in report_road.FILTERS]
        result, args = self.call("gGrava_Template", self.head + [
            0, "Vendas por região", "Vendas por região e período", "Demonstração",
            report_road.QUERY, 1, 2, report_road.matrix([[10, "Vendas"]]), len(filters), 7,
            report_road.matrix(filters), "VRP", "N"])
        assert result == 0, args[2]
        self.template = report_road.plain(args[4])
        result, args = self.call("gObter_Dados_Template", self.head + [
            self.template, "", "", "", "", "", "", "", "N", "", "", "", "", ""])
        assert result == 0, args[2]
        self.filters = report_road.plain(args[8])
        self.filter_lines = report_road.plain(args[9])
        self.query = args[11]
        values = {p: v for _, p, _, _, _, v in report_road.FILTERS}
        for row in self.filters[:self.filter_lines]:
            row[6] = values[row[2].strip()]

    def call(self, method, arguments):
        return report_road.call(self.tpl, method, arguments, self.folder)

    def set_parameter(self, identifier, value):
        with sqlite3.connect(self.database) as db:
            db.execute("UPDATE Tab_Parametro_Sistema SET Parametro = ? "
                       "WHERE Tab_Parametro_Sistema_ID = ?", (value, identifier))

    def run_report(self, export="N", kind="", query=None, title="Vendas por região"):
        """gExecutar_Query as the page calls it; returns (result, message, flag)."""
        result, args = self.call("gExecutar_Query", self.head + [
            query or self.query, report_road.matrix(self.filters), self.filter_lines,
            len(self.filters[0]), 0, 0, EMPTY, "", title, "Sudeste", self.template, export, kind,
            EMPTY, "N"])
        return result, args[2], args[11]

    def rows(self, sql):
        with sqlite3.connect(self.database) as db:
            return db.execute(sql).fetchall()


def run(command, **options):
    completed = subprocess.run(command, capture_output=True, text=True, check=False, **options)
    if completed.returncode != 0:
        sys.exit(f"{command[:2]} failed ({completed.returncode}): {completed.stderr.strip()}")
    return completed


def attachment_of(raw):
    message = email.message_from_bytes(raw)
    parts = [part for part in message.walk() if part.get_filename()]
    assert len(parts) == 1, f"{len(parts)} attachments"
    return message, parts[0].get_filename(), parts[0].get_payload(decode=True)


def check_mail(tpl):
    handler = Saved()
    with socket.socket() as probe:  # a free port, for the server to take at once
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    controller = Controller(handler, hostname="127.0.0.1", port=port)
    controller.start()
    try:
        with tempfile.TemporaryDirectory(prefix="tpl-worker-") as scratch:
            road = Road(tpl, Path(scratch))
            # 1. Larger than the screen: the road's 25 rows against a limit of 10 lines.
            road.set_parameter(23042, "10")
            outcome = road.run_report()
            assert outcome[0] == 10 and outcome[2] == "S", outcome
            road.set_parameter(23042, "1000")
            # 2. and 3. Explicit exports of a result that fits the screen.
            assert road.run_report("S", "Excel")[1].startswith("Enviado para seu e-mail a planilha")
            assert road.run_report("S", "TXT")[1].startswith("Enviado para seu e-mail o arquivo TXT")
            # 4. A time-out turned into an e-mail request.
            road.set_parameter(15000, "S")
            road.set_parameter(2001780, "1")
            slow = SLOW_QUERY.format(count=6000000)
            outcome = road.run_report(query=slow, title="Total demorado")
            assert outcome[1].startswith("Tempo de resposta do servidor excedido"), outcome
            road.set_parameter(2001780, "90")

            completed = run([tpl, "worker", "--database", str(road.database), "--smtp",
                             f"127.0.0.1:{port}", "--from", SENDER, "--once", "--threads", "2"])
            log = completed.stderr
            assert "4 done, 0 failed" in log, log

            assert len(handler.messages) == 4, f"{len(handler.messages)} messages:\n{log}"
            by_name = {}
            for sender, recipients, raw in handler.messages:
                assert sender == SENDER and recipients == ["ana.souza@exemplo.com.br"], recipients
                message, name, content = attachment_of(raw)
                by_name[name.split("-")[-1]] = (message, name, content)
            assert sorted(by_name) == ["E1.xlsx", "J1.xlsx", "J2.xlsx", "J3.txt"], sorted(by_name)

            for key in ("J1.xlsx", "J2.xlsx"):
                message, name, content = by_name[key]
                assert message["Subject"] and "Vendas por regi" in str(
                    email.header.make_header(email.header.decode_header(message["Subject"])))
                book = openpyxl.load_workbook(io.BytesIO(content))
                assert book.sheetnames == ["Rel_Dinamico", "Planilha1"], book.sheetnames
                sheet = book["Rel_Dinamico"]
                assert list(sheet.tables) == ["Dinamico"], list(sheet.tables)
                assert sheet["A1"].value == "Vendas por região" and sheet["A2"].value == "Sudeste"
                header = [cell.value for cell in sheet[3]]
                assert header == ["Data", "Regiao", "Produto", "Cliente", "Quantidade",
                                  "Valor_Total"], header
                assert sheet.cell(3 + 25, 2).value == "Sudeste", sheet.cell(3 + 25, 2).value
                assert sheet.cell(3 + 26, 2).value is None  # only formats below the data
                first = [cell.value for cell in sheet[4]]
                assert first[1] == "Sudeste" and first[4] == 6 and first[5] == 50.94, first
                assert sheet["F4"].number_format == "0.00", sheet["F4"].number_format
                # The workbook e-mailed is the one the job recorded.
                file = road.rows(f"SELECT ARQUIVO FROM TPL_WORKER_JOB WHERE ARQUIVO = '{name}'")
                assert file and (road.workbooks / name).read_bytes() == content, name

            _, _, content = by_name["J3.txt"]
            lines = content.decode("utf-8").split("\r\n")
            assert lines[0] == "Data;Regiao;Produto;Cliente;Quantidade;Valor_Total", lines[0]
            assert lines[1].startswith("01/03/2026 16:16") and lines[1].endswith(";6;50,94"), lines[1]
            assert len(lines) == 1 + 25 + 1 and lines[-1] == "", len(lines)

            _, _, content = by_name["E1.xlsx"]
            sheet = openpyxl.load_workbook(io.BytesIO(content))["Rel_Dinamico"]
            assert sheet["A1"].value == "Total demorado" and sheet["A3"].value == "Total"
            assert sheet["A4"].value == 6000000, sheet["A4"].value

            states = road.rows("SELECT ORIGEM || ORIGEM_ID, ESTADO, TENTATIVAS FROM TPL_WORKER_JOB "
                               "ORDER BY 1")
            assert states == [("E1", "C", 1), ("J1", "C", 1), ("J2", "C", 1), ("J3", "C", 1)], states
            assert road.rows("SELECT Tab_Status_JOB_ID FROM LOG_GERADOR") == [(3,), (3,), (3,)]
            print(log)
    finally:
        controller.stop()


def check_kill(tpl):
    with tempfile.TemporaryDirectory(prefix="tpl-worker-") as scratch:
        road = Road(tpl, Path(scratch))
        outbox = Path(scratch) / "outbox"
        with sqlite3.connect(road.database) as db:
            db.execute("INSERT INTO REL_DIN_EMAIL (USUARIO_INTERNET_ID, TITULO, TXT_QUERY, "
                       "DATA_SOLICITACAO) VALUES (5, 'Demorado', ?, '2026/12/06 10:00:00')",
                       (SLOW_QUERY.format(count=8000000),))
        worker = [tpl, "worker", "--database", str(road.database), "--outbox", str(outbox),
                  "--from", SENDER]
        first = subprocess.Popen(worker + ["--lease", "1"], stderr=subprocess.PIPE, text=True)
        try:
            line = first.stderr.readline()
            assert "E1: started" in line, line
            time.sleep(0.5)  # inside the query
            first.send_signal(signal.SIGKILL)
        finally:
            first.wait(timeout=30)
        held = road.rows("SELECT ESTADO, TENTATIVAS FROM TPL_WORKER_JOB")
        assert held == [("A", 1)], held
        assert not list(outbox.glob("*.eml")) and not list(road.workbooks.glob("*-E1.*"))
        time.sleep(1.2)  # the lease runs out
        completed = run(worker + ["--once", "--lease", "2"])
        assert "1 done, 0 failed" in completed.stderr, completed.stderr
        assert road.rows("SELECT ESTADO, TENTATIVAS FROM TPL_WORKER_JOB") == [("C", 2)]
        assert len(list(outbox.glob("*.eml"))) == 1
        # Nothing half-written was left beside the files.
        leftovers = [p.name for p in list(road.workbooks.iterdir()) + list(outbox.iterdir())
                     if p.name.startswith(".")]
        assert not leftovers, leftovers
        again = run(worker + ["--once"])
        assert "0 done, 0 failed" in again.stderr, again.stderr
        print(completed.stderr)


def main():
    mode, tpl = sys.argv[1], sys.argv[2]
    {"mail": check_mail, "kill": check_kill}[mode](tpl)


if __name__ == "__main__":
    main()
