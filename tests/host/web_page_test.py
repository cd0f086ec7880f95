#!/usr/bin/env python3
"""The page of `tpl serve` in headless Chromium: web_page_test.py TPL OUTPUT_FOLDER

Roads on a demo database, as a new user would take them: a person's on a desktop (choose a group from the list, open
a report, be refused a too long period, run it, sort, download CSV and workbook, reload, go Back, open a shared link,
double-click and cancel, an e-mail-only report, a 10,000-row report), an author's (a query with a typo, a test cut to
the screen limit, a caption with parentheses, saving a broken query, saving, deleting the filters), "Meus relatórios",
and a 390 px phone. A screenshot of each step is kept in OUTPUT_FOLDER/screenshots. Exits 77 (skipped) when Chromium,
ChromeDriver or Selenium is missing.
"""
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time
import urllib.request
from pathlib import Path

SKIP = 77
CHROMIUM, CHROMEDRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"
TOKEN = "chave-de-teste"
SCREEN_LIMIT = 12000  # parameter 23042: the 10,000-row report stays on screen
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import report_road  # noqa: E402  the demo report of the quickstart road

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support import expected_conditions as shown
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("SKIPPED: python3-selenium is not installed")
    sys.exit(SKIP)

# Rows of VENDA once for each of the five regions (15,000), cut to the count asked for.
MANY_ROWS = ("SELECT V.VENDA_ID AS Venda, V.DATA_VENDA AS Data, V.CLIENTE AS Cliente, V.VALOR_TOTAL AS Valor "
             "FROM VENDA V CROSS JOIN REGIAO R ORDER BY R.REGIAO_ID, V.VENDA_ID LIMIT {}")


def start_service(tpl, work):
    database = work / "demo.db"
    subprocess.run([tpl, "init-db", "--demo", str(database)], check=True, capture_output=True)
    (work / "workbooks").mkdir()
    with sqlite3.connect(database) as db:  # workbooks written here, offered under /files/
        db.executemany("UPDATE Tab_Parametro_Sistema SET Parametro = ? WHERE Tab_Parametro_Sistema_ID = ?",
                       [(f"{work}/workbooks/", 23017), ("/files/", 23018), (str(SCREEN_LIMIT), 23042)])
    (work / "token").write_text(TOKEN + "\n")
    service = subprocess.Popen([tpl, "serve", "--database", f"Data Source={database}", "--kind", "SQLSERVER",
                                "--listen", "127.0.0.1:0", "--token-file", str(work / "token")],
                               stderr=subprocess.PIPE, text=True)
    line = service.stderr.readline()
    if "listening on " not in line:
        service.kill()
        sys.exit(f"the service did not start: {line}")
    return service, line.split("listening on ")[1].split()[0].rstrip("/")


def save_report(url, title, query, filters, groups, email="N"):
    """Saves a report through the service; answers its identifier."""
    rows = [[0, caption, placeholder, kind, obligatory, days, ""] for caption, placeholder, kind, obligatory, days in
            filters]
    arguments = ["", 5, "", "SQLSERVER", 0, title[:30], title, "Demonstração", query, len(groups), 2,
                 report_road.matrix([[g, ""] for g in groups]), len(rows), 7,
                 report_road.matrix(rows) if rows else {"Empty": None}, "T", email]
    request = urllib.request.Request(f"{url}/api/call/gGrava_Template", data=json.dumps(arguments).encode(),
                                     headers={"Authorization": f"Bearer {TOKEN}"})
    with urllib.request.urlopen(request) as response:
        answer = json.loads(response.read())
    assert answer["result"] == {"Integer": 0}, answer
    return list(answer["args"][4].values())[0] if isinstance(answer["args"][4], dict) else answer["args"][4]


def browser(downloads):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=1400,1000", "--lang=pt-BR", f"--user-data-dir={downloads.parent / 'profile'}"):
        options.add_argument(flag)
    options.add_experimental_option("prefs", {"download.default_directory": str(downloads),
                                              "download.prompt_for_download": False, "intl.accept_languages": "pt-BR"})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": str(downloads)})
    return driver


def luminance(css_color):
    """Relative luminance of an rgb()/rgba() colour."""
    values = [float(v) for v in css_color[css_color.index("(") + 1:-1].split(",")[:3]]
    linear = [(v / 255) / 12.92 if v / 255 <= 0.03928 else ((v / 255 + 0.055) / 1.055) ** 2.4 for v in values]
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]


def contrast(a, b):
    high, low = sorted([luminance(a), luminance(b)], reverse=True)
    return (high + 0.05) / (low + 0.05)


def number(text):
    return float(text.replace(".", "").replace(",", ".")) if text else float("-inf")


def day(text):
    d, m, y = text[:10].split("/")
    return (y, m, d, text[11:])


# Delays each call of the page by `seconds`, counting the calls by method and keeping each body, and gives up at
# once when the page aborts the call, as a slow server would let it.
SLOW_CALLS = """
window.calls = {}; window.bodies = {};
const original = window.fetch;
window.fetch = (url, options = {}) => new Promise((resolve, reject) => {
  const method = String(url).split('/').pop();
  window.calls[method] = (window.calls[method] || 0) + 1;
  window.bodies[method] = options.body;
  const timer = setTimeout(() => original(url, options).then(resolve, reject), arguments[0] * 1000);
  if (options.signal) options.signal.addEventListener('abort', () => {
    clearTimeout(timer); reject(new DOMException('abandoned', 'AbortError'));
  });
});
"""


class Page:
    def __init__(self, driver, shots, url, downloads):
        self.driver, self.shots, self.url, self.downloads = driver, shots, url, downloads
        self.wait = WebDriverWait(driver, 60)

    def find(self, css):
        return self.driver.find_element(By.CSS_SELECTOR, css)

    def all(self, css):
        return self.driver.find_elements(By.CSS_SELECTOR, css)

    def texts(self, css):
        return [element.text for element in self.all(css)]

    def js(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def click(self, css):
        self.wait.until(shown.element_to_be_clickable((By.CSS_SELECTOR, css))).click()
        self.idle()

    def type(self, texts):
        """Types each text into the field its selector names, over what was there."""
        for css, text in texts.items():
            self.find(css).clear()
            self.find(css).send_keys(text)

    def dates(self, values):
        """Sets date inputs (dd/mm/yyyy) as a date picker would, with the events it fires."""
        for css, value in values.items():
            d, m, y = value.split("/")
            self.js("arguments[0].value = arguments[1];"
                    "arguments[0].dispatchEvent(new Event('input', {bubbles: true}));", self.find(css), f"{y}-{m}-{d}")

    def idle(self):
        self.wait.until(lambda d: not self.find("#busy").is_displayed())

    def visible(self, css):
        return self.wait.until(shown.visibility_of_element_located((By.CSS_SELECTOR, css)))

    def notice(self):
        box = self.find("#notice")
        return box.text if box.is_displayed() else ""

    def params(self):
        return self.js("return Object.fromEntries(new URLSearchParams(location.search))")

    def focused(self):
        return self.js("const e = document.activeElement; return e.id || e.dataset.template || e.tagName")

    def column(self, index):
        return [row[index] for row in self.js(
            "return [...document.querySelectorAll('#result-tables .result-block:first-child tbody tr:not(.spacer)')]"
            ".map(tr => [...tr.cells].map(td => td.textContent))")]

    def downloaded(self, name):
        WebDriverWait(self.driver, 20, poll_frequency=0.2).until(lambda _: (self.downloads / name).is_file(),
                                                                 f"{name} was not downloaded")
        time.sleep(0.3)
        return (self.downloads / name).read_bytes()

    def no_horizontal_scroll(self, where):
        widths = self.js("return [document.documentElement.scrollWidth, window.innerWidth]")
        assert widths[0] <= widths[1], f"{where}: the page is {widths[0]} px wide on a {widths[1]} px screen"

    def shot(self, name):
        self.driver.save_screenshot(str(self.shots / f"{name}.png"))


def person_road(page, ids):
    page.driver.get(page.url)
    page.type({"#login-token": TOKEN, "#login-user": "5"})
    page.shot("01-acesso")
    page.click("#login-form button[type=submit]")
    tabs = [(t.get_attribute("role"), t.get_attribute("aria-selected")) for t in page.all(".tab")]
    assert tabs == [("tab", "true"), ("tab", "false"), ("tab", "false")], tabs
    assert page.focused() == "group-select", f"focus after logging in: {page.focused()}"
    groups = Select(page.find("#group-select"))
    assert [o.text for o in groups.options][1:] == ["Vendas", "Diretoria", "Financeiro"], groups.options
    groups.select_by_visible_text("Vendas")
    page.idle()
    titles = page.texts("#template-list button")
    assert sorted(titles) == ["Vendas em muitas linhas", "Vendas por e-mail", "Vendas por região e período"], titles
    assert page.params() == {"grupo": "10"}, page.params()
    first = page.find("#template-list button").get_attribute("data-template")
    assert page.focused() == first, f"focus after choosing the group: {page.focused()}, not the first report"
    page.click(f"#template-list button[data-template='{ids['demo']}']")
    page.visible("#template-panel")
    assert page.focused() == "filter-0", f"focus after opening the report: {page.focused()}"
    fields = page.all("#filter-fields input")
    kinds = [(f.get_attribute("type"), f.get_attribute("required") is not None) for f in fields]
    assert kinds == [("date", True), ("date", True), ("text", True), ("text", False), ("text", True)], kinds

    # Fields: 3:1 against the card, and no red before anyone typed.
    for field in fields:
        border = field.value_of_css_property("border-top-color")
        assert contrast(border, "rgb(255, 255, 255)") >= 3, f"border {border} of {field.get_attribute('id')}"
        assert "179, 38, 30" not in border, f"{field.get_attribute('id')} is red before anything was typed"
    page.shot("02-relatorio-aberto")

    # A period longer than the filter's 120 days is refused on the page.
    page.dates({"#filter-0": "01/01/2026", "#filter-1": "01/06/2026"})
    for field, value in zip(fields[2:], ["Sudeste", "5", "1,3,7,9"]):
        field.send_keys(value)
    page.click("#run-report")
    assert "no máximo 120 dias" in page.notice() and "151 dias" in page.notice(), page.notice()
    assert not page.find("#result-panel").is_displayed()
    page.shot("03-periodo-longo")

    page.dates({"#filter-0": "01/03/2026"})
    page.click("#run-report")
    page.visible("#result-panel")
    count = page.find("#result-tables .count").text
    headers = page.texts("#result-tables th")
    assert headers == ["Data", "Regiao", "Produto", "Cliente", "Quantidade", "Valor_Total"], headers
    assert page.find("#result-tables .count").location["y"] < page.find("#result-tables table").location["y"], \
        "the row count is above the table"
    rows = int(count.split()[0].replace(".", ""))
    params = page.params()
    assert params.get("executar") == "1" and params.get("f.DATA_INI") == "01/03/2026" and \
        params.get("f.@PRODUTOS@") == "1,3,7,9", params
    assert page.focused() == "result-heading", page.focused()
    page.shot("04-resultado")

    # Sorting: numbers with decimal comma, then dates, as values.
    page.click("#result-tables th:nth-child(6) .sort")
    values = [number(v) for v in page.column(5)]
    assert values == sorted(values) and len(set(values)) > 3, values[:10]
    page.click("#result-tables th:nth-child(6) .sort")
    values = [number(v) for v in page.column(5)]
    assert values == sorted(values, reverse=True), values[:10]
    assert page.find("#result-tables th:nth-child(6)").get_attribute("aria-sort") == "descending"
    page.click("#result-tables th:nth-child(1) .sort")
    dates = [day(v) for v in page.column(0)]
    assert dates == sorted(dates) and dates[0] != dates[-1], dates[:5]
    page.shot("05-ordenado-por-data")

    # CSV beside the workbook: semicolons, UTF-8 with BOM, the shown order.
    page.click("#export-csv")
    csv = page.downloaded("Vendas_por_regiao_e_periodo.csv")
    assert csv.startswith(b"\xef\xbb\xbf"), csv[:10]
    lines = csv.decode("utf-8-sig").splitlines()
    assert lines[0] == "Data;Regiao;Produto;Cliente;Quantidade;Valor_Total", lines[0]
    assert len(lines) == rows + 1 and lines[1].split(";")[0] == page.column(0)[0], (len(lines), rows, lines[1])
    page.click("#export-excel")
    name = page.visible("#download-link").get_attribute("download")
    assert name.startswith("RelDinamico") and name.endswith(".xlsx"), name
    assert page.downloaded(name)[:2] == b"PK", "the download is not a workbook"
    ids["workbook"] = name

    # Reload keeps report, values and result; Back walks the page's own steps.
    page.driver.refresh()
    page.visible("#result-panel")
    assert page.find("#filter-2").get_attribute("value") == "Sudeste"
    assert page.find("#filter-0").get_attribute("value") == "2026-03-01"
    assert page.find("#result-tables .count").text == count, page.find("#result-tables .count").text
    page.shot("06-recarregado")
    page.driver.back()
    page.wait.until(lambda _: "executar" not in page.params())
    page.idle()
    assert not page.find("#result-panel").is_displayed() and page.find("#template-panel").is_displayed()
    assert page.find("#filter-4").get_attribute("value") == "1,3,7,9", "the values used last are remembered"
    page.driver.back()
    page.wait.until(lambda _: page.params() == {"grupo": "10"})
    page.idle()
    assert page.driver.current_url.startswith(page.url) and page.find("#template-list").is_displayed()
    assert not page.find("#template-panel").is_displayed()

    # A shared link in a browser that never saw the report.
    page.js("localStorage.clear()")
    page.driver.get(page.url + f"?grupo=10&relatorio={ids['demo']}&f.DATA_INI=01/01/2026&f.DATA_FIM=01/04/2026"
                    "&f.REGIAO=Sul&f.QTDE_MIN=1&f.@PRODUTOS@=2,4&executar=1")
    page.visible("#result-panel")
    assert page.find("#filter-2").get_attribute("value") == "Sul"
    assert set(page.column(1)) == {"Sul"}, set(page.column(1))
    assert Select(page.find("#group-select")).first_selected_option.text == "Vendas"
    page.shot("07-link-compartilhado")
    return rows


def running_road(page, ids):
    """Double click, disabled buttons, Cancelar; the e-mail flag as saved; 10,000 rows."""
    page.js(SLOW_CALLS, 3)
    run = page.find("#run-report")
    ActionChains(page.driver).double_click(run).perform()
    page.wait.until(lambda _: page.find("#busy").is_displayed())
    disabled = page.js("return ['run-report', 'export-excel', 'export-csv'].map(id => document.getElementById(id)"
                       ".disabled)")
    assert disabled == [True, True, True], disabled
    run.click()
    page.shot("08-executando")
    page.find("#cancel").click()
    page.idle()
    assert "cancelada" in page.notice(), page.notice()
    assert page.js("return window.calls")["gExecutar_Query"] == 1, page.js("return window.calls")
    assert not page.find("#run-report").get_attribute("disabled")

    page.driver.get(page.url + f"?grupo=10&relatorio={ids['email']}")
    page.visible("#template-panel")
    assert page.find("#run-report").text == "Solicitar por e-mail"
    page.js(SLOW_CALLS, 0)
    page.click("#run-report")
    sent = json.loads(page.js("return window.bodies.gExecutar_Query"))
    assert sent[-1] == "S", f"the e-mail flag sent: {sent[-1]}"
    assert "Solicitação gravada com sucesso" in page.notice(), page.notice()
    assert "info" in page.find("#notice").get_attribute("class")
    page.shot("09-envio-por-email")

    page.driver.get(page.url + f"?grupo=10&relatorio={ids['many']}")
    page.visible("#template-panel")
    page.click("#run-report")
    page.visible("#result-panel")
    page.wait.until(lambda _: page.js("return document.body.dataset.drawMs"))
    draw_ms = int(page.js("return document.body.dataset.drawMs"))
    drawn = len(page.all("#result-tables tbody tr:not(.spacer)"))
    assert page.find("#result-tables .count").text == "10.000 linhas", page.find("#result-tables .count").text
    assert drawn < 200, f"{drawn} rows drawn for a 10,000-row report"
    scroller = page.find("#result-tables .scroller")
    page.js("arguments[0].scrollTop = arguments[0].scrollHeight", scroller)
    page.wait.until(lambda _: page.js("return document.querySelector('#result-tables tbody tr:last-child')"
                                      ".className") != "spacer", "the last rows were not drawn at the bottom")
    assert page.column(0)[-1] == "1000", f"the last row of 10,000 is sale 1000 of region 4: {page.column(0)[-1]}"
    header_top = page.js("return document.querySelector('#result-tables th').getBoundingClientRect().top -"
                         "arguments[0].getBoundingClientRect().top", scroller)
    assert abs(header_top) <= 2, f"the header moved {header_top} px away from the top of the table"
    start = time.monotonic()
    page.click("#result-tables th:nth-child(4) .sort")
    sort_ms = (time.monotonic() - start) * 1000
    page.shot("10-dez-mil-linhas")
    print(f"10,000-row report: {draw_ms} ms from the answer to the drawn table ({drawn} rows in the document); "
          f"a sort by value took {sort_ms:.0f} ms with the round trip of the test driver")


def author_road(page, ids):
    page.driver.get(page.url + "?aba=cadastro")
    page.visible("#tab-author")
    assert page.find("#tab-button-author").get_attribute("aria-selected") == "true"
    options = [o.text for o in Select(page.find("#filter-type")).options]
    assert len(options) == len(set(options)) and "U" not in [o.get_attribute("value") for o in
                                                              Select(page.find("#filter-type")).options], options
    page.click("#new-template")
    assert page.focused() == "author-name", page.focused()
    page.type({"#author-name": "Regiões", "#author-title": "Regiões de venda", "#author-subtitle": "Cadastro",
               "#author-code": "REG", "#author-query": "SELECT NOME AS Regiao FROM REGIOES ORDER BY NOME"})
    page.click("#test-query")
    message = page.notice()
    assert "Motivo informado pelo banco de dados: no such table: REGIOES" in message, message
    page.shot("11-teste-com-erro")

    page.type({"#author-query": MANY_ROWS.format(SCREEN_LIMIT + 1500)})
    page.click("#test-query")
    page.visible("#test-panel")
    count = page.find("#test-tables .count").text
    assert count.startswith("12.000 linhas mostradas de 13.500") and "mais 1.500 linhas" in count, count
    page.shot("12-teste-limitado")

    page.type({"#author-query": "SELECT NOME AS Regiao FROM REGIAO WHERE NOME <> {EXCLUIR} ORDER BY NOME",
               "#filter-caption": "Valor (R$)", "#filter-placeholder": "{EXCLUIR}"})
    Select(page.find("#filter-type")).select_by_value("C")
    page.click("#filter-save")
    assert "Valor em R$" in page.notice() and page.texts("#author-filters tbody td") == ["Nenhum filtro."], \
        page.notice()
    page.type({"#filter-caption": "Exceto a região"})
    page.click("#filter-save")
    assert page.texts("#author-filters tbody td")[:3] == ["Exceto a região", "{EXCLUIR}", "Texto"], page.notice()
    page.find("#author-group-choices input[value='30']").click()
    page.type({"#author-query": "SELECT NOME AS Regiao FROM REGIAOX WHERE NOME <> {EXCLUIR}"})
    page.click("#save-template")
    assert "não foi gravado" in page.notice() and "REGIAOX" in page.notice(), page.notice()
    page.shot("13-gravacao-recusada")
    page.type({"#author-query": "SELECT NOME AS Regiao FROM REGIAO WHERE NOME <> {EXCLUIR} ORDER BY NOME"})
    page.click("#save-template")
    assert "Relatório gravado" in page.notice(), page.notice()
    page.shot("14-relatorio-gravado")

    # Deleting the filters: the list empties, and the run tab refuses with a reason instead of failing.
    page.click("#tab-button-run")
    Select(page.find("#group-select")).select_by_visible_text("Financeiro")
    page.idle()
    assert page.texts("#template-list button") == ["Regiões de venda"], page.texts("#template-list button")
    page.click("#template-list button[data-template]")
    page.click("#edit-template")
    page.find("#delete-filters").click()
    page.driver.switch_to.alert.accept()
    page.idle()
    assert page.texts("#author-filters tbody td") == ["Nenhum filtro."], page.texts("#author-filters tbody td")
    assert "{EXCLUIR}" in page.notice(), page.notice()
    page.shot("15-filtros-excluidos")
    page.click("#tab-button-run")
    assert not page.all("#filter-fields input"), "the run tab still shows the deleted filters"
    page.click("#run-report")
    assert "sem filtro cadastrado" in page.notice(), page.notice()


def my_reports_road(page, ids):
    page.click("#tab-button-mine")
    # The service's own list: the e-mail request made on the run road waits for a worker.
    page.visible("#mine-table")
    rows = [[td.text for td in tr.find_elements(By.TAG_NAME, "td")] for tr in page.all("#mine-table tbody tr")]
    assert ["Vendas por e-mail", "E-mail", "Pendente"] in [[r[0], r[1], r[3]] for r in rows], rows
    # Finished and failed files as a worker leaves them.
    reports = {"reports": [
        {"id": "7", "kind": "Excel", "title": "Vendas por região e período", "state": "concluído", "detail": "",
         "requested": "2026-03-01T10:20:00", "rows": 25000, "file": ids["workbook"]},
        {"id": "8", "kind": "TXT", "title": "Vendas em muitas linhas", "state": "falhou",
         "detail": "O servidor de e-mail não respondeu.", "requested": "2026-03-01T11:00:00", "rows": None,
         "file": None}]}
    page.js("const original = window.fetch; window.fetch = (url, options) => String(url).startsWith('/api/my-reports')"
            " ? Promise.resolve(new Response(arguments[0], {status: 200})) : original(url, options);",
            json.dumps(reports))
    page.click("#mine-refresh")
    rows = [[td.text for td in tr.find_elements(By.TAG_NAME, "td")] for tr in page.all("#mine-table tbody tr")]
    assert rows[0][:3] == ["Vendas por região e período", "Excel", "01/03/2026 10:20"] and \
        rows[0][3] == "Concluído" and rows[0][4] == "25.000", rows
    assert rows[1][3].startswith("Falhou") and "não respondeu" in rows[1][3] and rows[1][5] == "", rows
    (page.downloads / ids["workbook"]).unlink()
    page.click("#mine-table button.download")
    assert page.downloaded(ids["workbook"])[:2] == b"PK"
    page.shot("16-meus-relatorios")


def phone_road(page, ids):
    page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                {"width": 390, "height": 844, "deviceScaleFactor": 1, "mobile": True})
    page.driver.get(page.url + f"?grupo=10&relatorio={ids['demo']}&f.DATA_INI=01/03/2026&f.DATA_FIM=01/06/2026"
                    "&f.REGIAO=Sudeste&f.QTDE_MIN=1&f.@PRODUTOS@=1,3&executar=1")
    page.visible("#result-panel")
    page.no_horizontal_scroll("the run tab")
    panel = page.find("#result-panel").size["width"]
    assert panel >= 360, f"the result panel is {panel} px wide on a 390 px screen"
    page.js("document.getElementById('result-panel').scrollIntoView()")
    page.shot("17-celular-resultado")
    page.driver.get(page.url + f"?grupo=10&relatorio={ids['demo']}")
    page.visible("#template-panel")
    page.click("#edit-template")
    page.visible("#author-filters")
    page.no_horizontal_scroll("the author tab with five filters")
    page.js("document.getElementById('author-filters').scrollIntoView()")
    page.shot("18-celular-cadastro")
    # A text filter read back from the database (its day limit stored as 0, shown as none) is edited and kept.
    cells = page.texts("#author-filters tbody tr:nth-child(3) td")[:5]
    assert cells == ["Região", "{REGIAO}", "Texto", "Sim", ""], cells
    page.click("#author-filters tbody tr:nth-child(3) .row-actions button")
    assert page.find("#filter-days").get_attribute("value") == "", page.find("#filter-days").get_attribute("value")
    page.click("#filter-save")
    cells = page.texts("#author-filters tbody tr:nth-child(3) td")[:5]
    assert page.notice() == "" and cells == ["Região", "{REGIAO}", "Texto", "Sim", ""], (page.notice(), cells)
    page.click("#tab-button-mine")
    page.no_horizontal_scroll("my reports")
    page.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


def main():
    tpl, output = sys.argv[1], Path(sys.argv[2])
    missing = [p for p in (CHROMIUM, CHROMEDRIVER) if not os.access(p, os.X_OK)]
    if missing:
        print(f"SKIPPED: {' and '.join(missing)} not installed")
        sys.exit(SKIP)
    shutil.rmtree(output, ignore_errors=True)
    shots = output / "screenshots"
    shots.mkdir(parents=True)
    work = Path(tempfile.mkdtemp(prefix="tpl-web-"))
    service, url = start_service(tpl, work)
    driver = None
    try:
        filters = [(c, p, k, o, "120" if p == "{DATA_INI}" else d) for c, p, k, o, d, _ in report_road.FILTERS]
        ids = {"demo": save_report(url, "Vendas por região e período", report_road.QUERY, filters, [10, 20]),
               "many": save_report(url, "Vendas em muitas linhas", MANY_ROWS.format(10000), [], [10]),
               "email": save_report(url, "Vendas por e-mail", MANY_ROWS.format(10), [], [10], email="S")}
        downloads = work / "downloads"
        downloads.mkdir()
        driver = browser(downloads)
        page = Page(driver, shots, url + "/", downloads)
        rows = person_road(page, ids)
        running_road(page, ids)
        author_road(page, ids)
        my_reports_road(page, ids)
        phone_road(page, ids)
        print(f"every road passed: {rows} report rows shown, sorted and downloaded; screenshots in {shots}")
    except Exception:
        if driver is not None:
            driver.save_screenshot(str(shots / "failure.png"))
        raise
    finally:
        if driver is not None:
            driver.quit()
        service.terminate()
        stopped = service.wait(timeout=20)
        shutil.rmtree(work, ignore_errors=True)
    assert stopped == 0, f"the service ended with status {stopped} on SIGTERM"


if __name__ == "__main__":
    main()
