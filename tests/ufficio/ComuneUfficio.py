"""What the office's tests share: a private PostgreSQL, the demo chain imported
into it, a user, and the office started on a free loopback port."""

import http.cookiejar
import os
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request

BIN = "/usr/lib/postgresql/15/bin"
SALTA = 77
OSTILE = "<script>alert('x')</script> & \"Lido\""


def salta(motivo):
    print("SALTATO: " + motivo)
    sys.exit(SALTA)


def porta_libera():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Catena:
    """PostgreSQL in a temporary folder, two properties imported from the demo
    hotel (one with a hostile name), users direttore (all) and roma (one)."""

    def __init__(self, programma):
        if not os.path.exists(BIN + "/initdb"):
            salta("PostgreSQL 15 assente (" + BIN + "): installare postgresql-15")
        self.programma = os.path.abspath(programma)
        self.dir = tempfile.mkdtemp(prefix="pc-ufficio-")
        os.chmod(self.dir, 0o755)
        self.pg = None
        self.come = []
        if os.geteuid() == 0:
            p = pwd.getpwnam("postgres")
            os.chown(self.dir, p.pw_uid, p.pw_gid)
            self.come = ["runuser", "-u", "postgres", "--"]
        self.porta_pg = porta_libera()
        dati = self.dir + "/data"
        subprocess.run(self.come + [BIN + "/initdb", "-D", dati, "-A", "trust", "-U", "pc", "--no-sync", "-E", "UTF8",
                                    "--locale=C"], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(self.come + [BIN + "/pg_ctl", "-D", dati, "-o",
                                    "-k " + self.dir + " -p " + str(self.porta_pg) + " -h '' -c fsync=off",
                                    "-l", self.dir + "/log", "-w", "start"], check=True, stdout=subprocess.DEVNULL)
        with open(dati + "/postmaster.pid") as f:
            self.pg = int(f.readline())
        try:
            self.prepara()
        except BaseException:
            self.chiudi()
            raise

    def prepara(self):
        self.url = "postgresql://pc@/postgres?host=%s&port=%d" % (self.dir, self.porta_pg)
        self.lavoro = tempfile.mkdtemp(prefix="pc-ufficio-lavoro-")
        self.demo = self.lavoro + "/demo"
        self.comando(["demo", self.demo])
        for nome in ("Hotel Roma", OSTILE):
            self.comando(["importa", "--archivio", self.url, "--struttura", nome], cwd=self.demo,
                         env={"DIRKV": self.demo + "/storico"})
        self.password = "segreta-del-direttore"
        self.comando(["utenti", "aggiungi", "direttore", "--archivio", self.url], ingresso=self.password + "\n")
        self.comando(["utenti", "aggiungi", "roma", "--archivio", self.url, "--struttura", "Hotel Roma"],
                     ingresso="password-di-roma\n")
        self.ufficio = None

    def ambiente(self, altro=None):
        env = dict(os.environ)
        env.pop("PC_ARCHIVIO", None)
        env.pop("PC_STRUTTURA", None)
        env["PCLocal"] = "7"
        env.update(altro or {})
        return env

    def comando(self, argomenti, cwd=None, env=None, ingresso=None, controlla=True):
        r = subprocess.run([self.programma] + argomenti, cwd=cwd or self.lavoro, env=self.ambiente(env),
                           input=(ingresso or "").encode(), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if controlla and r.returncode != 0:
            raise AssertionError("%s: uscita %d\n%s" % (argomenti, r.returncode, r.stderr.decode()))
        return r

    def avvia_ufficio(self):
        self.porta = porta_libera()
        self.registro = open(self.lavoro + "/ufficio.log", "wb")
        self.messaggi = open(self.lavoro + "/ufficio.err", "w+b")
        self.ufficio = subprocess.Popen([self.programma, "ufficio", "--archivio", self.url, "--porta", str(self.porta)]
                                        + os.environ.get("PC_UFFICIO_OPZIONI", "").split(),
                                        env=self.ambiente(), stdout=self.registro, stderr=self.messaggi)
        self.base = "http://127.0.0.1:%d" % self.porta
        for _ in range(200):
            try:
                urllib.request.urlopen(self.base + "/login", timeout=2).read()
                return
            except (urllib.error.URLError, ConnectionError):
                if self.ufficio.poll() is not None:
                    self.messaggi.seek(0)
                    raise AssertionError("ufficio non avviato: " + self.messaggi.read().decode())
                time.sleep(0.1)
        raise AssertionError("ufficio non raggiungibile")

    def ferma_ufficio(self):
        """SIGTERM; the exit code."""
        if not self.ufficio:
            return None
        self.ufficio.send_signal(signal.SIGTERM)
        codice = self.ufficio.wait(timeout=60)
        self.ufficio = None
        self.registro.close()
        self.messaggi.close()
        return codice

    def chiudi(self):
        if self.ufficio:
            self.ufficio.terminate()
            try:
                self.ufficio.wait(timeout=60)
            except subprocess.TimeoutExpired:
                self.ufficio.kill()
                self.ufficio.wait()
            self.registro.close()
            self.messaggi.close()
        if self.pg:
            os.kill(self.pg, signal.SIGINT)
            for _ in range(400):
                try:
                    os.kill(self.pg, 0)
                except ProcessLookupError:
                    break
                time.sleep(0.05)
        shutil.rmtree(self.dir, ignore_errors=True)
        shutil.rmtree(self.lavoro, ignore_errors=True)


class NonSeguire(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, *a, **k):
        return None


class Cliente:
    """An HTTP client with its own cookies; redirects are not followed."""

    def __init__(self, base):
        self.base = base
        self.biscotti = http.cookiejar.CookieJar()
        self.apri = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(self.biscotti), NonSeguire).open

    def richiesta(self, percorso, dati=None, parametri=None, intestazioni=None):
        """(status, headers, body bytes)"""
        url = self.base + percorso
        if parametri:
            url += "?" + urllib.parse.urlencode(parametri)
        corpo = urllib.parse.urlencode(dati).encode() if dati is not None else None
        try:
            with self.apri(urllib.request.Request(url, data=corpo, headers=intestazioni or {}), timeout=120) as r:
                return r.status, r.headers, r.read()
        except urllib.error.HTTPError as e:
            return e.code, e.headers, e.read()

    def accedi(self, utente, password):
        return self.richiesta("/login", {"utente": utente, "password": password})


def riga_csv(testo, data, colonna):
    """The fields of the analysis csv's line for a date (or TOTALE) and a column."""
    for riga in testo.splitlines():
        campi = riga.split(";")
        if campi[0] == data and campi[1].strip('"') == colonna:
            return campi
    raise AssertionError("riga %s;%s assente" % (data, colonna))


def numero_csv(campo):
    """'1.234,5' style fields of the csv (no thousands there) as a '.' decimal text."""
    return campo.replace(",", ".")
