"""The service's web root: static files over HTTP, or over HTTPS when given a TLS context."""

import functools
import http.server
import ssl
import threading


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    log = print

    def log_message(self, format, *args):
        self.log(f"{self.server.scheme.upper()} {self.address_string()} {format % args}")


class _Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, handler, context, log):
        self.context, self.log = context, log
        self.scheme = "https" if context else "http"
        super().__init__(("127.0.0.1", 0), handler)

    def finish_request(self, request, client_address):
        # The handshake runs here, on the request's own thread, so that a client that
        # never completes it cannot stall the server.
        if self.context is None:
            return super().finish_request(request, client_address)
        request.settimeout(10)
        try:
            tls = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as error:
            self.log(f"HTTPS {client_address[0]} TLS handshake failed: {error}")
            return
        try:
            super().finish_request(tls, client_address)
        finally:
            tls.close()


class WebServer:
    """Serves `folder` on 127.0.0.1 on a free port until stop()."""

    def __init__(self, folder, log, context=None):
        handler = functools.partial(type("Handler", (_QuietHandler,), {"log": staticmethod(log)}),
                                    directory=str(folder))
        self._server = _Server(handler, context, log)
        self.port = self._server.server_address[1]
        self.root = f"{self._server.scheme}://127.0.0.1:{self.port}"
        self._thread = threading.Thread(target=self._server.serve_forever, kwargs={"poll_interval": 0.1},
                                        name=self.root, daemon=True)

    def start(self):
        self._thread.start()

    def stop(self):
        self._server.shutdown()
        self._server.server_close()
        self._thread.join()
