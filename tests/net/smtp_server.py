"""A real SMTP server for the tests (aiosmtpd) on 127.0.0.1, started with the options the case needs.

Prints "READY <port>", then one line per event the test checks:
EHLO <name> / TLS <version> / AUTH <mechanism> <user hex> <password hex> / MAIL <address> /
RCPT <address> / RSET / DATA <hex of the message> / QUIT.
"""
import argparse
import warnings
import asyncio
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult

warnings.filterwarnings("ignore")


def say(line):
    print(line, flush=True)


def certificate():
    """A self-signed certificate made for this server, as the client checks none."""
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "servers"))
    from selfsigned import make_certificate
    return make_certificate()


def tls_context(args):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(*certificate())
    # TLS 1.0 and 1.1 need the lowest security level of OpenSSL 3.
    context.set_ciphers("DEFAULT:@SECLEVEL=0")
    context.minimum_version = ssl.TLSVersion.TLSv1
    versions = {"1.0": ssl.TLSVersion.TLSv1, "1.1": ssl.TLSVersion.TLSv1_1, "1.2": ssl.TLSVersion.TLSv1_2}
    if args.tls_version in versions:
        context.minimum_version = context.maximum_version = versions[args.tls_version]
    else:
        context.maximum_version = ssl.TLSVersion.TLSv1_2
    return context


class Handler:
    def __init__(self, args):
        self.args = args

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        say("EHLO " + hostname)
        session.host_name = hostname
        tls = server.transport.get_extra_info("ssl_object")
        if tls is not None:
            say("TLS " + tls.version())
        if self.args.auth_equals:
            responses = ["250-AUTH=LOGIN" if r.startswith("250-AUTH ") else r for r in responses]
        return responses

    async def handle_MAIL(self, server, session, envelope, address, options):
        say("MAIL " + address)
        envelope.mail_from = address
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, options):
        say("RCPT " + address)
        if address in self.args.refuse:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_RSET(self, server, session, envelope):
        say("RSET")
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        say("DATA " + envelope.original_content.hex())
        return "250 Message accepted"

    async def handle_QUIT(self, server, session, envelope):
        say("QUIT")
        return "221 Bye"


def authenticator(server, session, envelope, mechanism, data):
    say("AUTH %s %s %s" % (mechanism, data.login.hex(), data.password.hex()))
    ok = data.login == b"uporabnik" and data.password == b"geslo"
    return AuthResult(success=ok, handled=False)


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--starttls", choices=["none", "offered", "required"], default="none")
    parser.add_argument("--implicit-tls", action="store_true")
    parser.add_argument("--tls-version", default="any")
    parser.add_argument("--only-plain", action="store_true")
    parser.add_argument("--auth-equals", action="store_true")
    parser.add_argument("--refuse", action="append", default=[])
    args = parser.parse_args()

    starttls = tls_context(args) if args.starttls != "none" else None
    loop = asyncio.get_running_loop()

    def factory():
        return SMTP(
            Handler(args),
            hostname="test.smtp",
            tls_context=starttls,
            require_starttls=args.starttls == "required",
            auth_require_tls=False,
            auth_exclude_mechanism=["LOGIN"] if args.only_plain else [],
            authenticator=authenticator,
            loop=loop,
        )

    server = await loop.create_server(
        factory, "127.0.0.1", 0, ssl=tls_context(args) if args.implicit_tls else None)
    say("READY %d" % server.sockets[0].getsockname()[1])
    await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        sys.exit(0)
