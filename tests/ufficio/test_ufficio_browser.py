"""The office in a real browser (headless Chromium through selenium): login,
the chain page and a property page, their figures against the analysis
command's csv for the same periods, the chart drawn, screenshots saved."""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ComuneUfficio import SALTA, Catena, numero_csv, riga_csv, salta  # noqa: E402

PROGRAMMA = os.environ.get("PC_PROGRAMMA", "")
# Where the screenshots go (default: the working directory, named at the end).
SCHERMATE = os.environ.get("PC_SCHERMATE", "")

GIORNO = "15/03/2026"
# The analysis csv's fields by name (with the comparison).
CAMPI = {"occupazione": 4, "ricavo": 5, "adr": 6, "revpar": 7, "occupazione_ap": 9, "ricavo_ap": 10, "adr_ap": 11,
         "revpar_ap": 12, "disponibili": 2, "vendute": 3, "vendute_ap": 8}


def browser():
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        salta("python3-selenium assente")
    for f in ("/usr/bin/chromium", "/usr/bin/chromedriver"):
        if not os.path.exists(f):
            salta(f + " assente: installare chromium e chromium-driver")
    o = webdriver.ChromeOptions()
    o.binary_location = "/usr/bin/chromium"
    profilo = tempfile.mkdtemp(prefix="pc-chromium-")
    for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
              "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-dev-shm-usage",
              "--window-size=1700,1000", "--user-data-dir=" + profilo):
        o.add_argument(a)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=o), profilo


class Browser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.catena = Catena(PROGRAMMA)
        try:
            cls.catena.avvia_ufficio()
            cls.b, cls.profilo = browser()
        except BaseException:
            cls.catena.chiudi()
            raise
        cls.schermate = os.path.abspath(SCHERMATE or os.getcwd())

    @classmethod
    def tearDownClass(cls):
        cls.b.quit()
        shutil.rmtree(cls.profilo, ignore_errors=True)
        codice = cls.catena.ferma_ufficio()
        cls.catena.chiudi()
        assert codice == 0, codice
        print("schermate in " + cls.schermate)

    def csv_analisi(self, dal, al, gruppo="tipi"):
        with tempfile.TemporaryDirectory() as d:
            self.catena.comando(["analisi", "--dal", dal, "--al", al, "--raggruppamento", gruppo, "--confronto",
                                 "--formato", "csv", "--uscita", "a.csv", "--archivio", self.catena.url,
                                 "--struttura", "Hotel Roma"], cwd=d)
            with open(os.path.join(d, "a.csv"), encoding="utf-8") as f:
                return f.read()

    def celle(self, riga):
        return {c.get_attribute("data-misura"): c.get_attribute("data-valore")
                for c in riga.find_elements("css selector", "td")}

    def test_login_chain_and_property_pages(self):
        from selenium.webdriver.common.by import By
        from selenium.webdriver.support import expected_conditions as EC
        from selenium.webdriver.support.ui import WebDriverWait
        b = self.b
        b.get(self.catena.base + "/?giorno=" + GIORNO)
        self.assertTrue(b.current_url.endswith("/login"))
        # A wrong password: the login page again, with the reason, and no session.
        b.find_element(By.ID, "utente").send_keys("direttore")
        b.find_element(By.ID, "password").send_keys("sbagliata")
        b.find_element(By.ID, "entra").click()
        errore = WebDriverWait(b, 30).until(EC.presence_of_element_located((By.CSS_SELECTOR, "p.errore")))
        self.assertEqual(errore.text, "Utente o password errati.")
        self.assertEqual(b.get_cookies(), [])
        b.find_element(By.ID, "utente").clear()
        b.find_element(By.ID, "utente").send_keys("direttore")
        b.find_element(By.ID, "password").send_keys(self.catena.password)
        b.find_element(By.ID, "entra").click()
        WebDriverWait(b, 30).until(EC.presence_of_element_located((By.ID, "catena")))
        b.get(self.catena.base + "/?giorno=" + GIORNO)
        tabella = WebDriverWait(b, 60).until(EC.presence_of_element_located((By.ID, "catena")))
        righe = tabella.find_elements(By.CSS_SELECTOR, "tbody tr")
        nomi = [r.find_element(By.TAG_NAME, "th").text for r in righe]
        # The hostile name is shown as text, and no script of it ran.
        self.assertEqual(sorted(nomi), sorted(["Hotel Roma", "<script>alert('x')</script> & \"Lido\""]))
        self.assertEqual(b.execute_script("return document.querySelectorAll('tbody script').length"), 0)

        # Day, month and year to the day, against the analysis of the same periods.
        roma = righe[nomi.index("Hotel Roma")]
        periodi = {"giorno": (GIORNO, GIORNO), "mese": ("01/03/2026", GIORNO), "anno": ("01/01/2026", GIORNO)}
        confronti = 0
        for periodo, (dal, al) in periodi.items():
            totale = riga_csv(self.csv_analisi(dal, al), "TOTALE", "Totale albergo")
            for misura in ("occupazione", "adr", "revpar", "ricavo"):
                cella = roma.find_element(By.CSS_SELECTOR, "td[data-periodo=%s][data-misura=%s]" % (periodo, misura))
                self.assertEqual(cella.get_attribute("data-valore"), numero_csv(totale[CAMPI[misura]]), (periodo, misura))
                self.assertEqual(cella.get_attribute("data-valore-ap"), numero_csv(totale[CAMPI[misura + "_ap"]]),
                                 (periodo, misura))
                confronti += 1
        self.assertEqual(confronti, 12)
        # The chain's total: both properties hold the same demo hotel, so twice its revenue.
        totale = tabella.find_element(By.CSS_SELECTOR, "tfoot td[data-periodo=anno][data-misura=ricavo]")
        riga_anno = riga_csv(self.csv_analisi("01/01/2026", GIORNO), "TOTALE", "Totale albergo")
        self.assertAlmostEqual(float(totale.get_attribute("data-valore")), 2 * float(numero_csv(riga_anno[5])), places=2)
        b.save_screenshot(os.path.join(self.schermate, "ufficio-catena.png"))
        # Sorting by the year's revenue keeps the rows and the total in place.
        intestazione = tabella.find_elements(By.CSS_SELECTOR, "thead tr:last-child th")[12]
        intestazione.click()
        self.assertEqual(intestazione.get_attribute("aria-sort"), "ascending")
        self.assertEqual(len(tabella.find_elements(By.CSS_SELECTOR, "tbody tr")), 2)
        self.assertEqual(tabella.find_element(By.CSS_SELECTOR, "tfoot th").text, "Totale catena")

        # The property page, from the chain page's link: the last 30 days to the day.
        roma.find_element(By.TAG_NAME, "a").click()
        WebDriverWait(b, 60).until(EC.presence_of_element_located((By.ID, "periodo")))
        WebDriverWait(b, 60).until(lambda d: d.find_element(By.ID, "grafico").get_attribute("data-disegnato"))
        self.assertEqual(b.find_element(By.ID, "grafico").get_attribute("data-disegnato"), "si")
        # The chart is drawn: many pixels of the canvas are not blank.
        dipinti = b.execute_script("""
            const c = document.getElementById('grafico');
            const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
            let n = 0;
            for (let i = 3; i < d.length; i += 4) if (d[i] > 0) n++;
            return n;""")
        self.assertGreater(dipinti, 2000)
        # Four lines, two of them dashed (last year).
        serie = b.execute_script("""
            const g = Chart.getChart(document.getElementById('grafico'));
            return g.data.datasets.map(d => [d.data.length, d.borderDash.length > 0]);""")
        self.assertEqual(serie, [[30, False], [30, True], [30, False], [30, True]])

        csv = self.csv_analisi("14/02/2026", GIORNO)
        righe = b.find_elements(By.CSS_SELECTOR, "#periodo tbody tr, #periodo tfoot tr")
        self.assertGreater(len(righe), 2)
        for riga in righe:
            colonna = riga.find_element(By.TAG_NAME, "th").get_attribute("data-colonna")
            attesa = riga_csv(csv, "TOTALE", colonna)
            for misura, valore in self.celle(riga).items():
                self.assertEqual(valore, numero_csv(attesa[CAMPI[misura]]), (colonna, misura))
        b.save_screenshot(os.path.join(self.schermate, "ufficio-struttura.png"))

        # The downloads the page offers answer (the session's cookie goes along).
        collegamenti = [a.get_attribute("href") for a in b.find_elements(By.CSS_SELECTOR, "ul.scarica a")]
        self.assertEqual(len(collegamenti), 6)
        stato = b.execute_async_script("""
            const fatto = arguments[arguments.length - 1];
            Promise.all(arguments[0].map(u => fetch(u).then(r => r.status))).then(fatto);""", collegamenti)
        self.assertEqual(stato, [200] * 6)


if __name__ == "__main__":
    if not PROGRAMMA:
        PROGRAMMA = sys.argv.pop(1)
    unittest.main()
