"""A real HTTP/1.1 server (http.server) for the descriptor fetches, plain or over TLS.

Usage: http_server.py <tls> '<routes json>'
  tls: "none", "any" (TLS 1.0 to 1.3) or one version ("TLSv1", "TLSv1_1", "TLSv1_2");
       "signed": TLS 1.2 with a certificate for 127.0.0.1 from an authority of its own, whose
       certificate follows the READY line as "AUTHORITY <hex of its DER form>"
  routes: {"/path": {"status": 200, "body": "text", "chunked": false, "headers": {...}}}
Other paths get 404. Prints "CONNECT", "REQUEST <line>", "HEADER <line>" and "CLOSED"
for each connection and request, in order.
"""
import json
import os
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

ROUTES = {}
PRINT_LOCK = threading.Lock()


def say(text):
    with PRINT_LOCK:
        print(text, flush=True)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def setup(self):
        super().setup()
        say("CONNECT")

    def finish(self):
        super().finish()
        say("CLOSED")

    def log_message(self, *args):
        pass

    def do_GET(self):
        say("REQUEST " + self.requestline)
        for line in str(self.headers).splitlines():
            if line:
                say("HEADER " + line)
        route = ROUTES.get(self.path, {"status": 404, "body": "<html>Not Found</html>"})
        body = route.get("body", "").encode("latin-1")
        self.send_response(route.get("status", 200))
        for name, value in route.get("headers", {}).items():
            self.send_header(name, value)
        if route.get("chunked"):
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for start in range(0, len(body), 3):
                piece = body[start:start + 3]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
        else:
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)


def main():
    tls = sys.argv[1]
    ROUTES.update(json.loads(sys.argv[2]))
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    authority = None
    if tls == "signed":
        import ssl
        from selfsigned import make_signed_certificate
        cert, key, authority = make_signed_certificate()
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.minimum_version = ssl.TLSVersion.TLSv1_2
        context.load_cert_chain(cert, key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    elif tls != "none":
        from selfsigned import server_context
        server.socket = server_context(None if tls == "any" else tls).wrap_socket(server.socket, server_side=True)
    say("READY %d" % server.server_address[1])
    if authority:
        import ssl
        with open(authority) as pem:
            say("AUTHORITY " + ssl.PEM_cert_to_DER_cert(pem.read()).hex())
    server.serve_forever()


if __name__ == "__main__":
    main()
