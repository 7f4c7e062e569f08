"""A real FTP server (pyftpdlib) on 127.0.0.1 for the upload tests.

Usage: ftp_server.py <home folder> [permissions]
The user "user" with the password "secret" has the pyftpdlib permissions given (default
"elradfmwMT": list, read and write) in the home folder. Prints "READY <port>".
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    home = sys.argv[1]
    permissions = sys.argv[2] if len(sys.argv) > 2 else "elradfmwMT"
    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user("user", "secret", home, perm=permissions)
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "qx test server ready"
    server = FTPServer(("127.0.0.1", 0), handler)
    print("READY %d" % server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
