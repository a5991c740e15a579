#!/usr/bin/python3
"""A real SMTP server for the mail tests, on a free loopback port.

Prints the port on the first line of stdout once it accepts connections.
Stores each message in the Maildir given. STARTTLS (required) or implicit
TLS with the certificate given, AUTH LOGIN/PLAIN when a user is given,
recipients refused on request, the first N transactions answered with a
temporary failure.
"""
import argparse
import mailbox
import signal
import socket
import ssl
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


def porta_libera():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Gestore:
    def __init__(self, cartella, rifiuta, temporanei):
        self.maildir = mailbox.Maildir(cartella, create=True)
        self.rifiuta = {a.lower() for a in rifiuta}
        self.temporanei = temporanei

    async def handle_MAIL(self, server, session, envelope, address, options):
        if self.temporanei > 0:
            self.temporanei -= 1
            return "451 4.3.0 Servizio temporaneamente non disponibile"
        envelope.mail_from = address
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, options):
        if address.lower() in self.rifiuta:
            return "550 5.1.1 <%s>: utente sconosciuto" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        messaggio = mailbox.MaildirMessage(envelope.original_content)
        messaggio["X-Destinatari-Busta"] = ", ".join(envelope.rcpt_tos)
        self.maildir.add(messaggio)
        return "250 Messaggio accettato"


def main():
    a = argparse.ArgumentParser()
    a.add_argument("--maildir", required=True)
    a.add_argument("--modo", choices=["starttls", "tls", "nessuna"], default="starttls")
    a.add_argument("--certificato")
    a.add_argument("--chiave")
    a.add_argument("--utente")
    a.add_argument("--password")
    a.add_argument("--rifiuta", action="append", default=[])
    a.add_argument("--temporanei", type=int, default=0)
    o = a.parse_args()

    contesto = None
    if o.modo != "nessuna":
        contesto = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        contesto.load_cert_chain(o.certificato, o.chiave)

    parametri = {}
    if o.modo == "starttls":
        parametri.update(tls_context=contesto, require_starttls=True)
    if o.utente:
        def verifica(server, session, envelope, mechanism, auth_data):
            ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == o.utente
                  and auth_data.password.decode() == o.password)
            return AuthResult(success=ok, handled=False)
        parametri.update(authenticator=verifica, auth_required=True,
                         # with implicit TLS the server cannot tell that the session is encrypted
                         auth_require_tls=o.modo == "starttls")

    porta = porta_libera()
    controllore = Controller(Gestore(o.maildir, o.rifiuta, o.temporanei), hostname="127.0.0.1", port=porta,
                             ssl_context=contesto if o.modo == "tls" else None, server_hostname="127.0.0.1",
                             **parametri)
    controllore.start()
    print(porta, flush=True)
    fine = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: fine.set())
    fine.wait()
    controllore.stop()


if __name__ == "__main__":
    sys.exit(main())
