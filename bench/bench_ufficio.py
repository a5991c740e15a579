#!/usr/bin/python3
"""Load on the chain office's chain page: N concurrent clients (default 50),
each with its own session and keep-alive connection, for S seconds (default
30), on a private PostgreSQL with the demo chain (as the tests build it).
Prints requests, errors, throughput and the latency percentiles.

    bench/bench_ufficio.py build/src/app/produzione-camere [--clienti 50] [--secondi 30]
"""

import argparse
import http.client
import os
import sys
import threading
import time
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "ufficio"))
from ComuneUfficio import Catena  # noqa: E402


def cliente(porta, password, fine, tempi, errori, lucchetto):
    def connetti():
        return http.client.HTTPConnection("127.0.0.1", porta, timeout=60)
    c = connetti()
    c.request("POST", "/login", urllib.parse.urlencode({"utente": "direttore", "password": password}),
              {"Content-Type": "application/x-www-form-urlencoded"})
    r = c.getresponse()
    r.read()
    biscotto = r.getheader("Set-Cookie").split(";")[0]
    if r.will_close:
        c.close()
        c = connetti()
    miei, sbagli = [], 0
    while time.monotonic() < fine:
        inizio = time.monotonic()
        try:
            c.request("GET", "/?giorno=15/03/2026", headers={"Cookie": biscotto})
            r = c.getresponse()
            corpo = r.read()
            if r.status != 200 or b"Totale catena" not in corpo:
                sbagli += 1
            miei.append(time.monotonic() - inizio)
            if r.will_close:
                c.close()
                c = connetti()
        except (OSError, http.client.HTTPException):
            sbagli += 1
            c.close()
            c = connetti()
    c.close()
    with lucchetto:
        tempi.extend(miei)
        errori.append(sbagli)


def main():
    a = argparse.ArgumentParser()
    a.add_argument("programma")
    a.add_argument("--clienti", type=int, default=50)
    a.add_argument("--secondi", type=float, default=30)
    o = a.parse_args()
    catena = Catena(o.programma)
    try:
        catena.avvia_ufficio()
        tempi, errori, lucchetto = [], [], threading.Lock()
        fine = time.monotonic() + o.secondi
        fili = [threading.Thread(target=cliente, args=(catena.porta, catena.password, fine, tempi, errori, lucchetto))
                for _ in range(o.clienti)]
        inizio = time.monotonic()
        for f in fili:
            f.start()
        for f in fili:
            f.join()
        durata = time.monotonic() - inizio
        tempi.sort()

        def p(q):
            return tempi[min(len(tempi) - 1, int(q * len(tempi)))] * 1000 if tempi else float("nan")
        print("clienti %d, %.0f s: %d richieste, %d errori, %.0f richieste/s" %
              (o.clienti, durata, len(tempi), sum(errori), len(tempi) / durata))
        print("latenza: p50 %.1f ms, p90 %.1f ms, p99 %.1f ms, massima %.1f ms" % (p(0.5), p(0.9), p(0.99), p(1.0)))
        codice = catena.ferma_ufficio()
        print("SIGTERM: uscita %s" % codice)
        return 0 if sum(errori) == 0 and codice == 0 else 1
    finally:
        catena.chiudi()


if __name__ == "__main__":
    sys.exit(main())
