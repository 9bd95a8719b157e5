#!/usr/bin/python3
"""A real SMTP server on 127.0.0.1 for the mail tests (Debian's python3-aiosmtpd, hence /usr/bin/python3).

Prints "READY <port>", then one JSON line per message it receives; stops when its standard input closes.
"""

import argparse
import base64
import json
import logging
import os
import socket
import ssl
import subprocess
import sys
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def free_port():
    # aiosmtpd 1.4 cannot listen on port 0: take one the system hands out and give it back.
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def make_certificates(folder):
    """A throw-away certificate authority and a server certificate for localhost and 127.0.0.1."""
    ca_pem = os.path.join(folder, "ca.pem")
    server_pem = os.path.join(folder, "server.pem")
    server_key = os.path.join(folder, "server.key")
    if os.path.exists(server_pem):
        return ca_pem, server_pem, server_key
    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    run = lambda *args: subprocess.run(["openssl", *args], check=True, capture_output=True)
    run("req", "-x509", *ec, "-keyout", os.path.join(folder, "ca.key"), "-out", ca_pem, "-days", "2",
        "-subj", "/CN=Trevisk Test CA", "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    run("req", *ec, "-keyout", server_key, "-out", os.path.join(folder, "server.csr"), "-subj", "/CN=localhost")
    extensions = os.path.join(folder, "server.ext")
    with open(extensions, "w") as f:
        f.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n"
                "basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")
    run("x509", "-req", "-in", os.path.join(folder, "server.csr"), "-CA", ca_pem,
        "-CAkey", os.path.join(folder, "ca.key"), "-CAcreateserial", "-out", server_pem,
        "-days", "2", "-extfile", extensions)
    return ca_pem, server_pem, server_key


class Recorder:
    def __init__(self, options):
        self.options = options

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        if self.options.no_ehlo:
            return ["502 5.5.1 EHLO not implemented"]
        session.host_name = hostname
        return responses

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.options.reject_rcpt:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 2.1.5 OK"

    async def handle_DATA(self, server, session, envelope):
        print(json.dumps({
            "hello": session.host_name,
            "extended": session.extended_smtp,
            "tls": session.ssl is not None or server.transport.get_extra_info("ssl_object") is not None,
            "login": getattr(session.auth_data, "login", b"").decode() if session.authenticated else None,
            "mechanism": server.recorded_mechanism if session.authenticated else None,
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "data": base64.b64encode(envelope.original_content).decode(),
        }), flush=True)
        if self.options.reject_data:
            return "554 5.7.1 Message rejected as spam"
        return "250 2.0.0 Accepted"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert-dir", help="folder for the throw-away certificates (made once, then reused)")
    parser.add_argument("--starttls", action="store_true", help="require STARTTLS")
    parser.add_argument("--tls", action="store_true", help="implicit TLS from the first byte")
    parser.add_argument("--auth", help="USER:PASSWORD that a client must log in with")
    parser.add_argument("--no-plain", action="store_true", help="offer AUTH LOGIN only")
    parser.add_argument("--reject-rcpt", action="append", default=[], help="refuse this recipient")
    parser.add_argument("--reject-data", action="store_true", help="refuse every message after its data")
    parser.add_argument("--no-ehlo", action="store_true", help="answer EHLO as an old server does")
    options = parser.parse_args()
    # Clients that give up on purpose (an untrusted certificate) would fill the test log with tracebacks.
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)
    warnings.simplefilter("ignore")

    context = None
    if options.starttls or options.tls:
        _, certificate, key = make_certificates(options.cert_dir)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(certificate, key)

    user, password = (options.auth.split(":", 1) if options.auth else (None, None))

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login.decode() == user and auth_data.password.decode() == password)
        if ok:
            server.recorded_mechanism = mechanism
        return AuthResult(success=ok, handled=False, auth_data=auth_data)

    class Server(SMTP):
        recorded_mechanism = None

    class RecordingController(Controller):
        def factory(self):
            return Server(self.handler, **self.SMTP_kwargs)

    smtp_options = {}
    if options.starttls:
        smtp_options.update(tls_context=context, require_starttls=True)
    if options.auth:
        # With implicit TLS the whole connection is encrypted, which aiosmtpd does not count as TLS.
        smtp_options.update(auth_required=True, authenticator=authenticator, auth_require_tls=not options.tls)
        if options.no_plain:
            smtp_options.update(auth_exclude_mechanism=["PLAIN"])
    port = free_port()
    controller = RecordingController(Recorder(options), hostname="127.0.0.1", port=port,
                                     ssl_context=context if options.tls else None,
                                     server_hostname="smtp.test", **smtp_options)
    controller.start()
    print("READY %d" % port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
