"""Serves the folder argv[1] over plain HTTP on 127.0.0.1, as the service's fallback web root.

Prints "READY <port>", then "GET <path>" for every request.
"""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        print("GET " + self.path, flush=True)
        super().do_GET()

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=sys.argv[1]))
print("READY %d" % server.server_address[1], flush=True)
server.serve_forever()
