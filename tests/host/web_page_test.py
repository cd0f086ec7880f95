#!/usr/bin/env python3
"""The page of `tpl serve` in headless Chromium: web_page_test.py TPL OUTPUT_FOLDER

Two roads on a demo database: a person's (pick a group, open a template, fill its filters, run it, download the
workbook) and an author's (try a query, add a filter, save for a group, find the template in the group's list). A
screenshot of each page is kept in OUTPUT_FOLDER. Exits 77 (skipped) when Chromium, ChromeDriver or Selenium is missing.
"""
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import urllib.request
from pathlib import Path

SKIP = 77
CHROMIUM, CHROMEDRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"
TOKEN = "chave-de-teste"
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import report_road  # noqa: E402  the demo template of the quickstart road

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support import expected_conditions as shown
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("SKIPPED: python3-selenium is not installed")
    sys.exit(SKIP)


def start_service(tpl, work):
    database = work / "demo.db"
    subprocess.run([tpl, "init-db", "--demo", str(database)], check=True, capture_output=True)
    (work / "workbooks").mkdir()
    with sqlite3.connect(database) as db:  # workbooks written here, offered under /files/
        db.executemany("UPDATE Tab_Parametro_Sistema SET Parametro = ? WHERE Tab_Parametro_Sistema_ID = ?",
                       [(f"{work}/workbooks/", 23017), ("/files/", 23018)])
    (work / "token").write_text(TOKEN + "\n")
    service = subprocess.Popen([tpl, "serve", "--database", f"Data Source={database}", "--kind", "SQLSERVER",
                                "--listen", "127.0.0.1:0", "--token-file", str(work / "token")],
                               stderr=subprocess.PIPE, text=True)
    line = service.stderr.readline()
    if "listening on " not in line:
        service.kill()
        sys.exit(f"the service did not start: {line}")
    return service, line.split("listening on ")[1].split()[0].rstrip("/")


def save_demo_template(url):
    """The quickstart's template, saved through the service for group 10."""
    filters = [[0, caption, placeholder, kind, obligatory, days, ""]
               for caption, placeholder, kind, obligatory, days, _ in report_road.FILTERS]
    arguments = ["", 5, "", "SQLSERVER", 0, "Vendas por região", "Vendas por região e período", "Demonstração",
                 report_road.QUERY, 2, 2, report_road.matrix([list(g) for g in report_road.GROUPS]),
                 len(filters), 7, report_road.matrix(filters), "VRP", "N"]
    request = urllib.request.Request(f"{url}/api/call/gGrava_Template", data=json.dumps(arguments).encode(),
                                     headers={"Authorization": f"Bearer {TOKEN}"})
    with urllib.request.urlopen(request) as response:
        answer = json.loads(response.read())
    assert answer["result"] == {"Integer": 0}, answer


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


class Page:
    def __init__(self, driver, shots, url):
        self.driver, self.shots, self.url = driver, shots, url
        self.wait = WebDriverWait(driver, 30)

    def find(self, css):
        return self.driver.find_element(By.CSS_SELECTOR, css)

    def all(self, css):
        return self.driver.find_elements(By.CSS_SELECTOR, css)

    def texts(self, css):
        return [element.text for element in self.all(css)]

    def click(self, css):
        self.wait.until(shown.element_to_be_clickable((By.CSS_SELECTOR, css))).click()
        self.idle()

    def type(self, texts):
        """Types each text into the field its selector names, over what was there."""
        for css, text in texts.items():
            self.find(css).clear()
            self.find(css).send_keys(text)

    def idle(self):
        self.wait.until(lambda d: not self.find("#busy").is_displayed())

    def visible(self, css):
        return self.wait.until(shown.visibility_of_element_located((By.CSS_SELECTOR, css)))

    def notice(self):
        box = self.find("#notice")
        return box.text if box.is_displayed() else ""

    def shot(self, name):
        self.driver.save_screenshot(str(self.shots / f"{name}.png"))


def person_road(page, downloads):
    page.driver.get(page.url)
    page.type({"#login-token": TOKEN, "#login-user": "5"})
    page.shot("1-acesso")
    page.click("#login-form button[type=submit]")
    page.type({"#group-id": "10"})
    page.click("#group-form button")
    template = page.visible("#template-list button[data-template]")
    assert template.text == "Vendas por região e período", template.text
    template.click()
    page.idle()
    page.visible("#template-panel")
    fields = page.all("#filter-fields input")
    kinds = [(f.get_attribute("type"), f.get_attribute("required") is not None) for f in fields]
    assert kinds == [("date", True), ("date", True), ("text", True), ("text", False), ("text", True)], kinds
    assert len(page.all("#filter-fields .mandatory")) == 4
    page.driver.execute_script("arguments[0].value = '2026-03-01'; arguments[1].value = '2026-06-01';",
                               fields[0], fields[1])
    for field, value in zip(fields[2:], ["Sudeste", "5", "1,3,7,9"]):
        field.send_keys(value)
    page.shot("2-filtros")
    page.click("#run-report")
    page.visible("#result-panel")
    headers = page.texts("#result-tables thead th")
    assert headers == ["Data", "Regiao", "Produto", "Cliente", "Quantidade", "Valor_Total"], headers
    first = page.all("#result-tables tbody tr:first-child td")
    aligns = [td.value_of_css_property("text-align") for td in first]
    assert aligns[0] == "center" and aligns[-1] == "right" and aligns[1] in ("left", "start"), aligns
    assert "/2026" in first[0].text and "," in first[-1].text, [td.text for td in first]
    rows = len(page.all("#result-tables tbody tr"))
    page.shot("3-resultado")
    page.click("#export-excel")
    name = page.visible("#download-link").get_attribute("download")
    assert name.startswith("RelDinamico") and name.endswith(".xlsx"), name
    WebDriverWait(page.driver, 20, poll_frequency=0.2).until(lambda _: (downloads / name).is_file(),
                                                             f"{name} was not downloaded")
    assert (downloads / name).read_bytes()[:2] == b"PK", "the download is not a workbook"
    page.shot("4-planilha")
    return rows


def author_road(page):
    page.click(".tab[data-tab=author]")
    page.click("#new-template")
    page.type({"#author-name": "Regiões", "#author-title": "Regiões de venda", "#author-subtitle": "Cadastro",
               "#author-code": "REG", "#author-query": "SELECT REGIAO_ID AS Codigo, NOME AS Regiao FROM REGIAO "
               "ORDER BY NOME; SELECT DESCRICAO FROM PRODUTO WHERE PRODUTO_ID < 3"})
    page.click("#test-query")
    page.visible("#test-panel")
    cells = page.texts("#test-tables tbody td")
    assert cells[:2] == ["3", "Centro-Oeste"] and cells[-2:] == ["Café torrado 500 g", "Açúcar cristal 1 kg"], cells
    assert page.texts("#test-tables caption") == ["Resultado adicional RS0"], page.texts("#test-tables caption")
    page.shot("5-teste-query")
    page.type({"#author-query": "SELECT REGIAO_ID AS Codigo, NOME AS Regiao FROM REGIAO WHERE NOME <> {EXCLUIR} "
               "ORDER BY NOME", "#filter-caption": "Exceto a região", "#filter-placeholder": "{EXCLUIR}"})
    Select(page.find("#filter-type")).select_by_value("C")
    page.click("#filter-save")
    assert page.texts("#author-filters tbody td")[:3] == ["Exceto a região", "{EXCLUIR}", "C"], page.notice()
    page.type({"#author-groups": "30"})
    page.click("#save-template")
    assert "Template gravado" in page.notice(), page.notice()
    page.shot("6-template-gravado")
    page.click(".tab[data-tab=run]")
    page.type({"#group-id": "30"})
    page.click("#group-form button")
    assert page.texts("#template-list button") == ["Regiões de venda"], page.texts("#template-list button")
    page.shot("7-lista-do-grupo")


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
        save_demo_template(url)
        downloads = work / "downloads"
        downloads.mkdir()
        driver = browser(downloads)
        page = Page(driver, shots, url + "/")
        rows = person_road(page, downloads)
        author_road(page)
        print(f"both roads passed: {rows} report rows shown and downloaded; screenshots in {shots}")
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
