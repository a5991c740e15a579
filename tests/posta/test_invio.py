#!/usr/bin/python3
"""The daily mail against a real SMTP server on the loopback (aiosmtpd),
the program run as the administrator runs it: usage: test_invio.py PROGRAM."""
import csv
import email
import glob
import io
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import unittest
from email import policy

PROGRAMMA = None
QUI = os.path.dirname(os.path.abspath(__file__))
OGGI = "11/03/2026"          # yesterday: 10/03/2026, inside the demo hotel's history
PASSWORD = "Segreta-1234"


def porta_libera():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Invio(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="pc-posta-")
        cls.albergo = os.path.join(cls.dir, "albergo")
        subprocess.run([PROGRAMMA, "demo", cls.albergo], check=True, stdout=subprocess.DEVNULL)
        for nome, san in (("buono", "IP:127.0.0.1,DNS:localhost"), ("altro", "DNS:altro.example")):
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                            "-keyout", os.path.join(cls.dir, nome + ".key"), "-out", os.path.join(cls.dir, nome + ".pem"),
                            "-subj", "/CN=" + san.split(",")[0].split(":")[1], "-addext", "subjectAltName=" + san],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.pw = os.path.join(cls.dir, "password")
        with open(cls.pw, "w") as f:
            f.write(PASSWORD + "\n")
        os.chmod(cls.pw, 0o600)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def setUp(self):
        self.caso = tempfile.mkdtemp(dir=self.dir)
        self.stato = os.path.join(self.caso, "stato")
        self.server = []

    def tearDown(self):
        for p in self.server:
            os.kill(p.pid, signal.SIGTERM)
            p.wait(timeout=30)
            p.stdout.close()

    # --- helpers ---------------------------------------------------------
    def avvia_server(self, modo="starttls", cert="buono", utente="report@example.it", **altro):
        maildir = os.path.join(self.caso, "maildir-%d" % len(self.server))
        cmd = ["/usr/bin/python3", os.path.join(QUI, "server_smtp.py"), "--maildir", maildir, "--modo", modo,
               "--certificato", os.path.join(self.dir, cert + ".pem"), "--chiave", os.path.join(self.dir, cert + ".key")]
        if utente:
            cmd += ["--utente", utente, "--password", PASSWORD]
        for a in altro.get("rifiuta", []):
            cmd += ["--rifiuta", a]
        cmd += ["--temporanei", str(altro.get("temporanei", 0))]
        p = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.server.append(p)
        porta = int(p.stdout.readline())
        return porta, maildir

    def configurazione(self, porta, **v):
        valori = dict(host="127.0.0.1", porta=porta, sicurezza="starttls", utente="report@example.it",
                      file_password=self.pw, certificato_ca=os.path.join(self.dir, "buono.pem"),
                      mittente="report@example.it", destinatari="direttore@example.it, revenue@example.it",
                      nome="Hotel Demo", tentativi=2, pausa=0.05)
        valori.update(v)
        righe = ["[server]"] + ["%s = %s" % (k, valori[k]) for k in
                                ("host", "porta", "sicurezza", "utente", "file_password", "certificato_ca") if valori[k] is not None]
        righe += ["[messaggio]", "mittente = " + valori["mittente"], "destinatari = " + valori["destinatari"],
                  "nome = " + valori["nome"] + "   ; nel soggetto",
                  "[albergo]", "cartella = " + self.albergo, "pclocal = 1", "dirkv = " + os.path.join(self.albergo, "storico"),
                  "raggruppamento = tipi", "[invio]", "tentativi = %s" % valori["tentativi"], "pausa = %s" % valori["pausa"]]
        f = os.path.join(self.caso, "invio.ini")
        with open(f, "w") as u:
            u.write("\n".join(righe) + "\n")
        return f

    def invia(self, conf, *argomenti, oggi=OGGI):
        env = dict(os.environ, XDG_STATE_HOME=self.stato, PC_OGGI=oggi)
        env.pop("PC_SMTP_PASSWORD", None)
        r = subprocess.run([PROGRAMMA, "invia", "--configurazione", conf] + list(argomenti),
                           capture_output=True, text=True, env=env, cwd=self.caso)
        self.assertNotIn(PASSWORD, r.stdout + r.stderr)
        return r

    def messaggi(self, maildir):
        out = []
        for f in sorted(glob.glob(os.path.join(maildir, "new", "*")), key=os.path.getmtime):
            with open(f, "rb") as u:
                out.append(email.message_from_binary_file(u, policy=policy.default))
        return out

    def giornale(self):
        f = os.path.join(self.stato, "produzione-camere", "invii.txt")
        if not os.path.exists(f):
            return []
        return [r.split("\t")[0] for r in open(f).read().splitlines() if r and not r.startswith("#")]

    def esegui(self, *argomenti):
        env = dict(os.environ, PCLocal="1", DIRKV=os.path.join(self.albergo, "storico"))
        return subprocess.run([PROGRAMMA] + list(argomenti), capture_output=True, text=True, env=env,
                              cwd=self.albergo, check=True).stdout

    # --- tests -----------------------------------------------------------
    def test_messaggio_cifre_e_secondo_invio(self):
        porta, maildir = self.avvia_server()
        conf = self.configurazione(porta)
        r = self.invia(conf)
        self.assertEqual(r.returncode, 0, r.stderr)
        [m] = self.messaggi(maildir)
        self.assertEqual(m["Subject"], "Produzione camere Hotel Demo - 10/03/2026")
        self.assertEqual(m["X-Destinatari-Busta"], "direttore@example.it, revenue@example.it")
        corpo = m.get_body(("plain",)).get_content()
        self.assertIn("Mese in corso", corpo)
        self.assertIn("<table", m.get_body(("html",)).get_content())
        self.assertNotIn("<img", m.get_body(("html",)).get_content())
        allegati = {p.get_filename(): p.get_payload(decode=True) for p in m.iter_attachments()}
        self.assertEqual(sorted(allegati), ["analisi-20260310.pdf", "analisi-20260310.xlsx", "riepilogo-20260310.csv"])
        self.assertTrue(allegati["analisi-20260310.pdf"].startswith(b"%PDF"))
        self.assertTrue(allegati["analisi-20260310.xlsx"].startswith(b"PK"))
        righe = {r["Periodo"]: r for r in csv.DictReader(io.StringIO(allegati["riepilogo-20260310.csv"].decode()), delimiter=";")}

        # Every figure is the analysis's for the same days, this year and last.
        for periodo, dal in (("Giorno", "10/03/2026"), ("Mese", "01/03/2026"), ("Anno", "01/01/2026")):
            uscita = os.path.join(self.caso, "a.csv")
            self.esegui("analisi", "--dal", dal, "--al", "10/03/2026", "--raggruppamento", "tipi", "--confronto",
                        "--formato", "csv", "--uscita", uscita)
            with open(uscita) as f:
                analisi = list(csv.DictReader(f, delimiter=";"))
            for a in analisi:
                if a["Data"] != "TOTALE":
                    continue
                nome = periodo if a["Colonna"] == "Totale albergo" else periodo + " " + a["Colonna"]
                with self.subTest(riga=nome):
                    s = righe[nome]
                    self.assertEqual((s["Dal"], s["Al"]), (dal, "10/03/2026"))
                    for k in ("Disponibili", "Vendute", "Occupazione", "Ricavo", "ADR", "RevPAR"):
                        self.assertEqual(s[k], a[k], k)
                    for k in ("Vendute_AP", "Occupazione_AP", "Ricavo_AP", "ADR_AP", "RevPAR_AP"):
                        self.assertEqual(s[k], a[k], k)
                    self.assertEqual(s["Disponibili_AP"], a["Disponibili"])

        # The same day again: nothing sent, said so, success; --forza sends it.
        r = self.invia(conf)
        self.assertEqual(r.returncode, 0)
        self.assertIn("gi\u00e0 stato inviato", r.stderr)
        self.assertEqual(len(self.messaggi(maildir)), 1)
        r = self.invia(conf, "--giorno", "10/03/2026")
        self.assertEqual((r.returncode, len(self.messaggi(maildir))), (0, 1))
        r = self.invia(conf, "--giorno", "10/03/2026", "--forza")
        self.assertEqual((r.returncode, len(self.messaggi(maildir))), (0, 2))
        self.assertEqual(self.giornale(), ["20260310", "20260310"])

    def test_sicurezza_e_rifiuti(self):
        casi = [
            # server mode, server certificate, configuration changes, exit code, words of the message
            ("starttls", "buono", {}, 0, ""),
            ("tls", "buono", {"sicurezza": "tls"}, 0, ""),
            ("starttls", "buono", {"certificato_ca": None}, 1, "certificato"),
            ("tls", "altro", {"sicurezza": "tls", "certificato_ca": os.path.join(self.dir, "altro.pem")}, 1, "certificato"),
            ("starttls", "buono", {"file_password": None, "utente": "report@example.it", "env": "sbagliata"}, 1, "535"),
            ("starttls", "buono", {"destinatari": "direttore@example.it, nessuno@example.it"}, 1, "550"),
            ("nessuna", "buono", {"sicurezza": "nessuna", "utente": None, "file_password": None}, 0, ""),
        ]
        for modo, cert, modifiche, codice, parole in casi:
            with self.subTest(modo=modo, cert=cert, modifiche=modifiche):
                shutil.rmtree(self.stato, ignore_errors=True)
                porta, maildir = self.avvia_server(modo, cert, utente=None if modo == "nessuna" else "report@example.it",
                                                   rifiuta=["nessuno@example.it"])
                modifiche = dict(modifiche)
                password = modifiche.pop("env", None)
                conf = self.configurazione(porta, **modifiche)
                if password:
                    os.environ["PC_SMTP_PASSWORD"] = password
                try:
                    env = dict(os.environ, XDG_STATE_HOME=self.stato, PC_OGGI=OGGI)
                    r = subprocess.run([PROGRAMMA, "invia", "--configurazione", conf], capture_output=True, text=True, env=env)
                finally:
                    os.environ.pop("PC_SMTP_PASSWORD", None)
                self.assertEqual(r.returncode, codice, r.stderr)
                self.assertNotIn(PASSWORD, r.stderr)
                if password:
                    self.assertNotIn(password, r.stderr)
                self.assertEqual(len(self.messaggi(maildir)), 1 - codice)
                self.assertEqual(self.giornale(), ["20260310"] if codice == 0 else [])
                if codice:
                    self.assertIn("smtp", r.stderr)
                    self.assertIn("127.0.0.1:%d" % porta, r.stderr)
                    self.assertIn(parole, r.stderr)

    def test_server_giu_poi_su_e_giorni_mancati(self):
        porta = porta_libera()
        conf = self.configurazione(porta, tentativi=3)
        r = self.invia(conf, oggi="06/03/2026")
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stderr.count("tentativo "), 3)
        self.assertIn("127.0.0.1:%d" % porta, r.stderr)
        self.assertEqual(self.giornale(), [])
        # The server is back and refuses the first attempt for a moment: the run retries and sends.
        porta, maildir = self.avvia_server(temporanei=1)
        conf = self.configurazione(porta, tentativi=3)
        r = self.invia(conf, oggi="06/03/2026")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("451", r.stderr)
        self.assertEqual(self.giornale(), ["20260305"])
        # Ten days later: the seven days up to yesterday, in order, and nothing older.
        r = self.invia(conf, oggi="16/03/2026")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("dal 06/03/2026 al 08/03/2026", r.stderr)
        soggetti = [m["Subject"][-10:] for m in self.messaggi(maildir)]
        attesi = ["05/03/2026"] + ["%02d/03/2026" % g for g in range(9, 16)]
        self.assertEqual(soggetti, attesi)
        self.assertEqual(self.giornale(), ["20260305"] + ["202603%02d" % g for g in range(9, 16)])

    def test_prova_e_password_esposta(self):
        porta, maildir = self.avvia_server()
        conf = self.configurazione(porta)
        r = self.invia(conf, "--prova", "prova@example.it")
        self.assertEqual(r.returncode, 0, r.stderr)
        [m] = self.messaggi(maildir)
        self.assertEqual(m["X-Destinatari-Busta"], "prova@example.it")
        self.assertTrue(m["Subject"].startswith("[Prova]"))
        self.assertEqual(self.giornale(), [])
        os.chmod(self.pw, 0o640)
        try:
            r = self.invia(conf)
        finally:
            os.chmod(self.pw, 0o600)
        self.assertEqual(r.returncode, 1)
        self.assertIn("leggibile da altri", r.stderr)
        self.assertEqual(len(self.messaggi(maildir)), 1)

    def test_righe_di_comando(self):
        conf = self.configurazione(25)
        casi = [
            (["riepilogo", "--giorno", "31/02/2026"], 2, "31/02/2026"),
            (["riepilogo", "--formato", "pdf"], 2, "pdf"),
            (["riepilogo", "--raggruppamento", "piani"], 2, "piani"),
            (["invia"], 2, "--configurazione"),
            (["invia", "--configurazione", conf, "--prova", "non-un-indirizzo"], 2, "non-un-indirizzo"),
            (["invia", "--configurazione", os.path.join(self.caso, "manca.ini")], 1, "manca.ini"),
            (["pianifica", "--configurazione", conf], 2, "--ora"),
            (["pianifica", "--configurazione", conf, "--ora", "25:00"], 2, "25:00"),
        ]
        env = dict(os.environ, PCLocal="1", DIRKV=os.path.join(self.albergo, "storico"), XDG_STATE_HOME=self.stato)
        for argomenti, codice, parola in casi:
            with self.subTest(argomenti=argomenti):
                r = subprocess.run([PROGRAMMA] + argomenti, capture_output=True, text=True, env=env, cwd=self.albergo)
                self.assertEqual(r.returncode, codice, r.stderr)
                self.assertIn(parola, r.stderr)
        # The summary on its own, as the mail's attachment has it.
        r = subprocess.run([PROGRAMMA, "riepilogo", "--giorno", "10/03/2026", "--formato", "csv"], capture_output=True,
                           text=True, env=env, cwd=self.albergo)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual([x.split(";")[0] for x in r.stdout.splitlines()], ["Periodo", "Giorno", "Mese", "Anno"])

    def test_pianifica(self):
        config = os.path.join(self.caso, "config")
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        env.pop("XDG_RUNTIME_DIR", None)
        conf = self.configurazione(25)
        r = subprocess.run([PROGRAMMA, "pianifica", "--configurazione", conf, "--ora", "7:3"], capture_output=True, text=True, env=env)
        self.assertEqual(r.returncode, 2)
        r = subprocess.run([PROGRAMMA, "pianifica", "--configurazione", conf, "--ora", "07:30"], capture_output=True, text=True, env=env)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("30 7 * * * '%s' invia --configurazione '%s'" % (os.path.realpath(PROGRAMMA), conf), r.stdout)
        unita = os.path.join(config, "systemd", "user", "produzione-camere-invio")
        with open(unita + ".timer") as f:
            timer = f.read()
        self.assertIn("OnCalendar=*-*-* 07:30:00", timer)
        self.assertIn("Persistent=true", timer)
        if shutil.which("systemd-analyze"):
            v = subprocess.run(["systemd-analyze", "verify", "--man=no", unita + ".service", unita + ".timer"],
                               capture_output=True, text=True)
            self.assertEqual(v.returncode, 0, v.stderr)
        r = subprocess.run([PROGRAMMA, "pianifica", "--rimuovi"], capture_output=True, text=True, env=env)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertFalse(os.path.exists(unita + ".timer") or os.path.exists(unita + ".service"))


if __name__ == "__main__":
    PROGRAMMA = os.path.abspath(sys.argv.pop(1))
    try:
        import aiosmtpd  # noqa: F401
    except ImportError:
        print("python3-aiosmtpd non installato: test saltato")
        sys.exit(77)
    if not shutil.which("openssl"):
        print("openssl non installato: test saltato")
        sys.exit(77)
    unittest.main(verbosity=2)
