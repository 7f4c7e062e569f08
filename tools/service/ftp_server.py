"""The service's FTP server: one user whose home holds the accounting service's folder
with its ".mail" file, whose first line is where the notices go."""

import logging
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def prepare_home(home, service_folder, notice_address):
    folder = home / service_folder
    folder.mkdir(parents=True, exist_ok=True)
    (folder / f"{service_folder}.mail").write_bytes(f"{notice_address}\r\n".encode("ascii"))


class FtpServer:
    """Serves `home` to one user on 127.0.0.1 on a free port until stop()."""

    def __init__(self, home, user, password, log):
        authorizer = DummyAuthorizer()
        authorizer.add_user(user, password, str(home), perm="elradfmwMT")

        class Handler(FTPHandler):
            banner = "Servis Novak FTP ready."

            def on_file_received(self, file):
                log(f"FTP received {file}")

            def on_incomplete_file_received(self, file):
                log(f"FTP incomplete upload {file}")

        Handler.authorizer = authorizer
        self._server = FTPServer(("127.0.0.1", 0), Handler)
        _forward_commands_to(log)
        self.port = self._server.address[1]
        self._stopping = threading.Event()
        self._thread = threading.Thread(target=self._serve, name="ftp", daemon=True)

    def start(self):
        self._thread.start()

    def stop(self):
        self._stopping.set()
        self._thread.join()

    def _serve(self):
        # The I/O loop is not thread-safe, so it runs in slices here and is closed by
        # the same thread.
        while not self._stopping.is_set():
            self._server.ioloop.loop(0.1, blocking=False)
        self._server.close_all()


def _forward_commands_to(log):
    """pyftpdlib tells every command and transfer at level INFO; they go to our log."""
    class Forward(logging.Handler):
        def emit(self, record):
            log("FTP " + record.getMessage())

    logger = logging.getLogger("pyftpdlib")
    logger.handlers = [Forward()]
    logger.setLevel(logging.INFO)
    logger.propagate = False
