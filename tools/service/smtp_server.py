"""The service's SMTP server: AUTH LOGIN for one account, STARTTLS or implicit TLS or
none, and every message kept as NNNN.eml (with NNNN.json for the envelope) and told in
the log with its subject decoded."""

import asyncio
import email
import email.policy
import json
import logging
import re
import threading
import warnings

from aiosmtpd.smtp import SMTP, AuthResult

# TLS modes, with the code the mail descriptor carries for each (sifriranje).
TLS_MODES = {"none": 0, "implicit": 1, "starttls": 2}

# aiosmtpd warns about its own use of a deprecated attribute at every login, and about
# AUTH without STARTTLS, which is what the service's plain and implicit modes are.
logging.getLogger("mail.log").setLevel(logging.ERROR)


class _Keeper:
    def __init__(self, folder, log):
        self.folder, self.log = folder, log
        self.count = len(list(folder.glob("*.eml")))

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        stem = self.folder / f"{self.count:04d}"
        stem.with_suffix(".eml").write_bytes(envelope.original_content or envelope.content)
        login = session.auth_data.login.decode("latin-1") if session.auth_data else None
        details = {"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos, "login": login,
                   "tls": server.transport.get_extra_info("ssl_object") is not None}
        stem.with_suffix(".json").write_text(json.dumps(details, ensure_ascii=False, indent=2), encoding="utf-8")
        self._tell(stem.name, envelope)
        return "250 Message accepted for delivery"

    def _tell(self, name, envelope):
        message = email.message_from_bytes(envelope.content, policy=email.policy.default)
        body = message.get_body(("html", "plain"))
        text = body.get_content() if body else ""
        text = re.sub(r"<br\s*/?>", "\n", text)
        self.log(f"SMTP message {name} from {message.get('From')} to {', '.join(envelope.rcpt_tos)}\n"
                 f"  Subject: {message.get('Subject')}\n  " + "\n  ".join(text.splitlines()))


class SmtpServer:
    """Listens on 127.0.0.1 on a free port and keeps the messages in `folder`."""

    def __init__(self, folder, user, password, tls_mode, context, log):
        folder.mkdir(parents=True, exist_ok=True)
        keeper = _Keeper(folder, log)
        account = (user.encode(), password.encode())

        def authenticate(server, session, envelope, mechanism, auth_data):
            return AuthResult(success=(auth_data.login, auth_data.password) == account, auth_data=auth_data)

        def protocol():
            with warnings.catch_warnings():
                # With implicit TLS, which aiosmtpd does not count as TLS, or without any,
                # AUTH must be offered over what aiosmtpd takes for plain text.
                warnings.simplefilter("ignore")
                return SMTP(keeper, hostname="smtp.servis-novak.example.com", loop=self._loop,
                            tls_context=context if tls_mode == "starttls" else None,
                            auth_required=True, auth_require_tls=tls_mode == "starttls",
                            authenticator=authenticate)

        self._loop = asyncio.new_event_loop()
        self._server = self._loop.run_until_complete(self._loop.create_server(
            protocol, "127.0.0.1", 0, ssl=context if tls_mode == "implicit" else None))
        self.port = self._server.sockets[0].getsockname()[1]
        self._thread = threading.Thread(target=self._loop.run_forever, name="smtp", daemon=True)

    def start(self):
        self._thread.start()

    def stop(self):
        asyncio.run_coroutine_threadsafe(self._close(), self._loop).result(timeout=5)
        self._loop.call_soon_threadsafe(self._loop.stop)
        self._thread.join()
        self._loop.close()

    async def _close(self):
        """Stops listening and ends the sessions still open."""
        self._server.close()
        sessions = [task for task in asyncio.all_tasks() if task is not asyncio.current_task()]
        for task in sessions:
            task.cancel()
        await asyncio.gather(*sessions, return_exceptions=True)
