"""The office's HTTP side against the real program: login and sessions, the
downloads byte for byte against the commands, refused parameters, escaping,
a port in use, SIGTERM."""

import http.client
import io
import json
import os
import pty
import re
import shutil
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ComuneUfficio import OSTILE, Catena, Cliente, porta_libera  # noqa: E402

PROGRAMMA = os.environ.get("PC_PROGRAMMA", "")


def senza_data(xlsx):
    """The workbook's parts, with the creation time of docProps/core.xml blanked."""
    with zipfile.ZipFile(io.BytesIO(xlsx)) as z:
        parti = {n: z.read(n) for n in z.namelist()}
    parti["docProps/core.xml"] = re.sub(rb"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ", b"DATA", parti["docProps/core.xml"])
    return parti


class Ufficio(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.catena = Catena(PROGRAMMA)
        cls.catena.avvia_ufficio()
        cls.direttore = Cliente(cls.catena.base)
        stato, intestazioni, _ = cls.direttore.accedi("direttore", cls.catena.password)
        assert stato == 303, stato
        cls.biscotto = intestazioni.get("Set-Cookie")

    @classmethod
    def tearDownClass(cls):
        # SIGTERM: the service ends by itself, with 0.
        assert cls.catena.ferma_ufficio() == 0
        cls.catena.chiudi()

    def file_del_comando(self, argomenti, nome):
        with tempfile.TemporaryDirectory() as d:
            self.catena.comando(argomenti, cwd=d)
            with open(os.path.join(d, nome), "rb") as f:
                return f.read()

    def test_every_page_and_api_needs_a_session(self):
        anonimo = Cliente(self.catena.base)
        for percorso, atteso in [("/", 303), ("/api/catena", 401), ("/api/strutture", 401), ("/struttura", 303),
                                 ("/api/stampa", 401), ("/api/analisi", 401), ("/static/ufficio.js", 401)]:
            stato, intestazioni, corpo = anonimo.richiesta(percorso)
            self.assertEqual(stato, atteso, percorso)
            if atteso == 303:
                self.assertEqual(intestazioni["Location"], "/login")
            else:
                self.assertIn("Accesso richiesto", corpo.decode())
        # A wrong password or an unknown user: no session, the login page again.
        for utente, password in [("direttore", "sbagliata"), ("nessuno", "qualsiasi")]:
            stato, intestazioni, corpo = anonimo.accedi(utente, password)
            self.assertEqual(stato, 401)
            self.assertIsNone(intestazioni.get("Set-Cookie"))
            self.assertIn("Utente o password errati", corpo.decode())
        self.assertEqual(anonimo.richiesta("/api/strutture")[0], 401)
        # The session cookie of a good login.
        for attributo in ("HttpOnly", "SameSite=Strict", "Path=/"):
            self.assertIn(attributo, self.biscotto)
        self.assertNotIn("Secure", self.biscotto)

    def test_statement_downloads_are_the_commands_bytes(self):
        confronti = 0
        for tipo in ("vendite", "produzione"):
            for gruppo in ("camere", "tipi", "macro", "strutture"):
                for dal, al in (("01/03/2026", "15/03/2026"), ("25/02/2025", "05/03/2025")):
                    parametri = {"dal": dal, "al": al, "tipo": tipo, "raggruppamento": gruppo}
                    argomenti = ["stampa", "--dal", dal, "--al", al, "--tipo", tipo, "--raggruppamento", gruppo,
                                 "--archivio", self.catena.url]
                    if gruppo != "strutture":
                        parametri["struttura"] = OSTILE
                        argomenti += ["--struttura", OSTILE]
                    stato, intestazioni, corpo = self.direttore.richiesta("/api/stampa", parametri=parametri)
                    self.assertEqual(stato, 200, corpo[:300])
                    atteso = self.file_del_comando(argomenti, "fd7")
                    self.assertGreater(len(atteso), 500)
                    self.assertEqual(corpo, atteso, parametri)
                    confronti += 1
        self.assertEqual(confronti, 16)
        # The statement's spreadsheet copy: stampa then csv.
        with tempfile.TemporaryDirectory() as d:
            self.catena.comando(["stampa", "--dal", "01/03/2026", "--al", "15/03/2026", "--tipo", "produzione",
                                 "--raggruppamento", "tipi", "--archivio", self.catena.url, "--struttura", "Hotel Roma"], cwd=d)
            self.catena.comando(["csv"], cwd=d)
            with open(os.path.join(d, "fd7.csv"), "rb") as f:
                atteso = f.read()
        stato, _, corpo = self.direttore.richiesta("/api/stampa", parametri={
            "struttura": "Hotel Roma", "dal": "01/03/2026", "al": "15/03/2026", "tipo": "produzione",
            "raggruppamento": "tipi", "formato": "csv"})
        self.assertEqual((stato, corpo), (200, atteso))

    def test_analysis_downloads_are_the_commands_bytes(self):
        for gruppo in ("camere", "tipi", "macro", "strutture"):
            for confronto in (None, "data", "settimana"):
                if confronto == "settimana" and gruppo != "tipi":
                    continue
                for formato in ("csv", "xlsx"):
                    parametri = {"struttura": "Hotel Roma", "dal": "01/02/2026", "al": "15/03/2026",
                                 "raggruppamento": gruppo, "formato": formato}
                    argomenti = ["analisi", "--dal", "01/02/2026", "--al", "15/03/2026", "--raggruppamento", gruppo,
                                 "--formato", formato, "--uscita", "a." + formato, "--archivio", self.catena.url]
                    if gruppo != "strutture":
                        argomenti += ["--struttura", "Hotel Roma"]
                    if confronto:
                        parametri["confronto"] = confronto
                        argomenti += ["--confronto", confronto]
                    stato, _, corpo = self.direttore.richiesta("/api/analisi", parametri=parametri)
                    self.assertEqual(stato, 200, corpo[:300])
                    atteso = self.file_del_comando(argomenti, "a." + formato)
                    if formato == "xlsx":
                        # Two runs of the command differ only in the workbook's creation time.
                        corpo, atteso = senza_data(corpo), senza_data(atteso)
                    self.assertEqual(corpo, atteso, parametri)

    def test_requests_at_once_give_what_they_give_alone(self):
        richieste = []
        for nome in ("Hotel Roma", OSTILE):
            for tipo in ("vendite", "produzione"):
                richieste.append(("/api/stampa", {"struttura": nome, "dal": "01/01/2025", "al": "15/03/2026", "tipo": tipo,
                                                  "raggruppamento": "camere"}))
            richieste.append(("/api/analisi", {"struttura": nome, "dal": "01/01/2025", "al": "15/03/2026",
                                               "raggruppamento": "tipi", "confronto": "data", "formato": "csv"}))
            richieste.append(("/api/giorni", {"struttura": nome, "dal": "01/01/2026", "al": "15/03/2026"}))
        richieste.append(("/api/stampa", {"dal": "01/01/2025", "al": "15/03/2026", "tipo": "produzione",
                                          "raggruppamento": "strutture"}))
        da_soli = [self.direttore.richiesta(p, parametri=q) for p, q in richieste]
        insieme = [None] * len(richieste)

        def esegui(i):
            insieme[i] = self.direttore.richiesta(richieste[i][0], parametri=richieste[i][1])
        fili = [threading.Thread(target=esegui, args=(i,)) for i in range(len(richieste))]
        for f in fili:
            f.start()
        for f in fili:
            f.join()
        for (percorso, parametri), solo, con_altri in zip(richieste, da_soli, insieme):
            self.assertEqual(solo[0], 200, (percorso, parametri))
            self.assertEqual((con_altri[0], con_altri[2]), (200, solo[2]), (percorso, parametri))

    def test_users_command(self):
        url = ["--archivio", self.catena.url]
        casi = [
            (["aggiungi", "ospite"] + url, "breve\n", 1, "troppo corta"),
            (["aggiungi", "ospite"] + url, "", 1, "nessuna password"),
            (["aggiungi", "ospite", "--struttura", "Hotel Roma", "--struttura", OSTILE] + url, "lunga-abbastanza\n", 0, "aggiunto"),
            (["aggiungi", "ospite"] + url, "altra-password\r\n", 0, "aggiornato"),
            (["elenco"] + url, "", 0, "ospite\t(tutte le strutture)"),
            (["rimuovi", "ospite"] + url, "", 0, "rimosso"),
            (["rimuovi", "ospite"] + url, "", 1, "non esiste"),
            (["cambia", "ospite"] + url, "", 2, "uso:"),
            (["aggiungi"] + url, "", 2, "uso:"),
            (["elenco", "--struttura", "x"] + url, "", 2, "--struttura"),
            (["elenco"], "", 2, "--archivio"),
        ]
        for argomenti, ingresso, codice, testo in casi:
            r = self.catena.comando(["utenti"] + argomenti, ingresso=ingresso, controlla=False)
            self.assertEqual(r.returncode, codice, (argomenti, r.stderr))
            self.assertIn(testo, (r.stdout + r.stderr).decode(), argomenti)
        self.assertIn("roma\tHotel Roma", self.catena.comando(["utenti", "elenco"] + url).stdout.decode())
        # On a terminal the password is asked twice, without echo.
        for prima, seconda, codice in (("terminale-1", "terminale-2", 1), ("terminale-1", "terminale-1", 0)):
            padrone, servo = pty.openpty()
            p = subprocess.Popen([PROGRAMMA, "utenti", "aggiungi", "tty"] + url, stdin=servo, stdout=subprocess.PIPE,
                                 stderr=servo, env=self.catena.ambiente())
            os.close(servo)
            letto = b""
            for risposta in (prima, seconda):
                while b"assword: " not in letto:
                    letto += os.read(padrone, 1024)
                letto = letto.split(b"assword: ", 1)[1]
                os.write(padrone, (risposta + "\n").encode())
            self.assertEqual(p.wait(timeout=60), codice)
            resto = b""
            try:
                while True:
                    parte = os.read(padrone, 1024)
                    if not parte:
                        break
                    resto += parte
            except OSError:
                pass
            os.close(padrone)
            p.stdout.close()
            self.assertNotIn(b"terminale-", letto + resto)   # never echoed
        self.assertIn("tty\t", self.catena.comando(["utenti", "elenco"] + url).stdout.decode())
        self.catena.comando(["utenti", "rimuovi", "tty"] + url)
        # The user is gone: its password opens nothing.
        self.assertEqual(Cliente(self.catena.base).accedi("ospite", "altra-password")[0], 401)

    def test_json_figures_are_the_analysis(self):
        with tempfile.TemporaryDirectory() as d:
            self.catena.comando(["analisi", "--dal", "01/03/2026", "--al", "15/03/2026", "--raggruppamento", "macro",
                                 "--confronto", "--formato", "csv", "--uscita", "a.csv", "--archivio", self.catena.url,
                                 "--struttura", "Hotel Roma"], cwd=d)
            with open(os.path.join(d, "a.csv"), encoding="utf-8") as f:
                csv = [r.split(";") for r in f.read().splitlines()]
        campi = {"disponibili": 2, "vendute": 3, "occupazione": 4, "ricavo": 5, "adr": 6, "revpar": 7, "vendute_ap": 8,
                 "occupazione_ap": 9, "ricavo_ap": 10, "adr_ap": 11, "revpar_ap": 12}

        def uguali(cifre, riga):
            for nome, i in campi.items():
                atteso = riga[i].replace(",", ".")
                v = cifre[nome]
                self.assertEqual("" if v is None else "%g" % v, "" if atteso == "" else "%g" % float(atteso), (nome, riga))
        stato, _, corpo = self.direttore.richiesta("/api/periodo", parametri={
            "struttura": "Hotel Roma", "dal": "01/03/2026", "al": "15/03/2026", "raggruppamento": "macro"})
        periodo = json.loads(corpo)
        totali = [r for r in csv if r[0] == "TOTALE"]
        self.assertEqual(len(periodo["colonne"]) + 1, len(totali))
        for colonna, riga in zip(periodo["colonne"] + [periodo["totale"]], totali):
            uguali(colonna, riga)
        stato, _, corpo = self.direttore.richiesta("/api/giorni", parametri={
            "struttura": "Hotel Roma", "dal": "01/03/2026", "al": "15/03/2026"})
        giorni = json.loads(corpo)["giorni"]
        albergo = [r for r in csv if r[1] == "Totale albergo" and r[0] != "TOTALE"]
        self.assertEqual([g["data"] for g in giorni], [r[0] for r in albergo])
        for g, riga in zip(giorni, albergo):
            uguali(g, riga)
        stato, _, corpo = self.direttore.richiesta("/api/catena", parametri={"giorno": "15/03/2026"})
        catena = json.loads(corpo)
        self.assertEqual([s["struttura"] for s in catena["strutture"]], sorted(["Hotel Roma", OSTILE]))
        self.assertEqual(catena["totale"]["mese"]["ricavo"], 2 * catena["strutture"][0]["mese"]["ricavo"])

    def test_bad_parameters_are_refused_with_an_italian_page(self):
        buoni = {"struttura": "Hotel Roma", "dal": "01/03/2026", "al": "15/03/2026", "tipo": "vendite",
                 "raggruppamento": "tipi"}
        casi = [
            ("/api/stampa", {"dal": "31/02/2026"}, 400, "data GG/MM/AAAA"),
            ("/api/stampa", {"dal": "2026-03-01"}, 400, "data GG/MM/AAAA"),
            ("/api/stampa", {"dal": "1/3/2026"}, 400, "data GG/MM/AAAA"),
            ("/api/stampa", {"al": "28/02/2026"}, 400, "successiva"),
            ("/api/stampa", {"tipo": "tutto"}, 400, "vendite, produzione"),
            ("/api/stampa", {"raggruppamento": "piani"}, 400, "camere, tipi"),
            ("/api/stampa", {"dal": "01/01/1990"}, 400, "troppo lungo"),
            ("/api/stampa", {"struttura": "Hotel'; DROP TABLE pc_archivio.utenti; --"}, 404, "non \u00e8 presente"),
            ("/api/stampa", {"struttura": ""}, 400, "Manca il parametro"),
            ("/api/analisi", {"formato": "pdf"}, 400, "csv, xlsx"),
            ("/api/analisi", {"confronto": "mese"}, 400, "data, settimana"),
            ("/struttura", {"nome": "x" * 300}, 400, "troppo lungo"),
            ("/", {"giorno": "32/01/2026"}, 400, "data GG/MM/AAAA"),
        ]
        for percorso, cambi, atteso, testo in casi:
            parametri = dict(buoni, **cambi)
            if percorso == "/struttura":
                parametri["nome"] = parametri.pop("struttura") if "nome" not in cambi else cambi["nome"]
            if percorso == "/api/analisi":
                parametri.setdefault("formato", "csv")
            stato, intestazioni, corpo = self.direttore.richiesta(percorso, parametri=parametri)
            pagina = corpo.decode()
            self.assertEqual(stato, atteso, (percorso, cambi, pagina[:400]))
            self.assertIn('lang="it"', pagina)
            self.assertIn(testo, pagina, cambi)
            self.assertTrue(intestazioni["Content-Type"].startswith("text/html"))
        # The archive was not touched: the users are all there.
        self.assertIn("direttore", self.catena.comando(["utenti", "elenco", "--archivio", self.catena.url]).stdout.decode())
        # A parameter given twice, an unknown page.
        stato, _, corpo = self.direttore.richiesta("/api/stampa?struttura=a&struttura=b&dal=01/03/2026&al=02/03/2026&tipo=vendite")
        self.assertEqual(stato, 400)
        self.assertIn("pi\u00f9 volte", corpo.decode())
        stato, _, corpo = self.direttore.richiesta("/login", {"utente": "x" * 20000, "password": "y"})
        self.assertEqual(stato, 413)
        self.assertIn("troppo grande", corpo.decode())
        stato, _, corpo = self.direttore.richiesta("/nulla")
        self.assertEqual(stato, 404)
        self.assertIn("Pagina non trovata", corpo.decode())

    def test_names_are_escaped_and_users_see_only_their_properties(self):
        stato, _, corpo = self.direttore.richiesta("/", parametri={"giorno": "15/03/2026"})
        pagina = corpo.decode()
        self.assertEqual(stato, 200)
        self.assertNotIn("<script>alert", pagina)
        self.assertIn("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;Lido&quot;", pagina)
        stato, _, corpo = self.direttore.richiesta("/struttura", parametri={"nome": OSTILE, "dal": "01/03/2026", "al": "15/03/2026"})
        self.assertEqual(stato, 200)
        self.assertNotIn("<script>alert", corpo.decode())
        self.assertIn("<h1>&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;Lido&quot;</h1>", corpo.decode())
        stato, _, corpo = self.direttore.richiesta("/api/strutture")
        self.assertIn('"\\u003cscript>alert(\'x\')\\u003c/script> & \\"Lido\\""', corpo.decode())

        roma = Cliente(self.catena.base)
        self.assertEqual(roma.accedi("roma", "password-di-roma")[0], 303)
        stato, _, corpo = roma.richiesta("/api/strutture")
        self.assertEqual(corpo.decode().strip(), '{"strutture":["Hotel Roma"]}')
        stato, _, corpo = roma.richiesta("/", parametri={"giorno": "15/03/2026"})
        self.assertNotIn("Lido", corpo.decode())
        for percorso, parametri in [
                ("/api/stampa", {"struttura": OSTILE, "dal": "01/03/2026", "al": "02/03/2026", "tipo": "vendite"}),
                ("/api/stampa", {"dal": "01/03/2026", "al": "02/03/2026", "tipo": "vendite", "raggruppamento": "strutture"}),
                ("/api/analisi", {"dal": "01/03/2026", "al": "02/03/2026", "raggruppamento": "strutture", "formato": "csv"}),
                ("/struttura", {"nome": OSTILE})]:
            stato, _, corpo = roma.richiesta(percorso, parametri=parametri)
            self.assertEqual(stato, 403, percorso)
            self.assertRegex(corpo.decode(), "non \u00e8 autorizzato|riservat[oa] agli utenti che vedono tutte")

    def test_https_and_a_proxy_give_a_secure_cookie(self):
        # Behind a proxy on this machine that terminated TLS.
        stato, intestazioni, _ = Cliente(self.catena.base).richiesta(
            "/login", {"utente": "direttore", "password": self.catena.password}, intestazioni={"X-Forwarded-Proto": "https"})
        self.assertEqual(stato, 303)
        self.assertIn("; Secure", intestazioni["Set-Cookie"])
        if not shutil.which("openssl"):
            self.skipTest("openssl assente")
        with tempfile.TemporaryDirectory() as d:
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                            "-keyout", d + "/chiave.pem", "-out", d + "/cert.pem"], check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            porta = porta_libera()
            p = subprocess.Popen([PROGRAMMA, "ufficio", "--archivio", self.catena.url, "--porta", str(porta),
                                  "--certificato", "cert.pem", "--chiave", "chiave.pem"], cwd=d,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            try:
                contesto = ssl.create_default_context(cafile=d + "/cert.pem")
                contesto.check_hostname = False
                for _ in range(300):
                    try:
                        c = http.client.HTTPSConnection("127.0.0.1", porta, context=contesto, timeout=30)
                        c.request("POST", "/login", urllib.parse.urlencode({"utente": "direttore", "password": self.catena.password}),
                                  {"Content-Type": "application/x-www-form-urlencoded"})
                        r = c.getresponse()
                        break
                    except OSError:
                        time.sleep(0.1)
                self.assertEqual(r.status, 303)
                self.assertIn("; Secure", r.getheader("Set-Cookie"))
                self.assertIn("HttpOnly", r.getheader("Set-Cookie"))
                c.close()
            finally:
                p.terminate()
                self.assertEqual(p.wait(timeout=60), 0)
                p.stderr.close()
        # A certificate that is not one.
        r = subprocess.run([PROGRAMMA, "ufficio", "--archivio", self.catena.url, "--porta", str(porta_libera()),
                            "--certificato", "/etc/hostname", "--chiave", "/etc/hostname"],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(r.returncode, 1)
        self.assertIn("certificato", r.stderr.decode())

    def test_a_port_in_use_is_refused_and_sigterm_ends_with_zero(self):
        r = subprocess.run([PROGRAMMA, "ufficio", "--archivio", self.catena.url, "--porta", str(self.catena.porta)],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(r.returncode, 1)
        self.assertIn("\u00e8 gi\u00e0 in uso", r.stderr.decode())
        buono = ["--archivio", self.catena.url]
        for argomenti, codice in ((buono + ["--porta", "0"], 2), (buono + ["--porta", "80a"], 2),
                                  (buono + ["--certificato", "c.pem"], 2), (buono + ["nulla"], 2), ([], 2),
                                  (["--archivio", "postgresql://pc@/postgres?host=/nessuna&port=1"], 1)):
            porta = [] if "--porta" in argomenti else ["--porta", str(porta_libera())]
            r = subprocess.run([PROGRAMMA, "ufficio"] + porta + argomenti,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
            self.assertEqual(r.returncode, codice, (argomenti, r.stderr))
            self.assertTrue(r.stderr.decode().startswith("produzione-camere: "), r.stderr)
        # A second service, stopped while a download is in flight: the answer is whole.
        porta = porta_libera()
        p = subprocess.Popen([PROGRAMMA, "ufficio", "--archivio", self.catena.url, "--porta", str(porta)],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            c = Cliente("http://127.0.0.1:%d" % porta)
            import time
            for _ in range(200):
                try:
                    if c.accedi("direttore", self.catena.password)[0] == 303:
                        break
                except OSError:
                    time.sleep(0.1)
            import threading
            esito = {}

            def scarica():
                esito["r"] = c.richiesta("/api/stampa", parametri={
                    "dal": "01/03/2024", "al": "15/03/2026", "tipo": "produzione", "raggruppamento": "strutture"})
            t = threading.Thread(target=scarica)
            t.start()
            time.sleep(0.3)
            p.terminate()
            t.join()
            self.assertEqual(p.wait(timeout=120), 0)
            self.assertEqual(esito["r"][0], 200)
            self.assertIn(b"TOTALI", esito["r"][2])
            registro = p.stdout.read().decode().splitlines()
            p.stdout.close()
            p.stderr.close()
            self.assertTrue(any(" direttore GET /api/stampa?" in r and " 200 " in r for r in registro), registro)
        finally:
            if p.poll() is None:
                p.kill()


if __name__ == "__main__":
    if not PROGRAMMA:
        PROGRAMMA = sys.argv.pop(1)
    PROGRAMMA = os.path.abspath(PROGRAMMA)
    unittest.main()
