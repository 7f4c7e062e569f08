"""The maker's web server for the update tests: serves a folder over HTTP (or HTTPS with
--cert/--key) on 127.0.0.1 and prints "READY <port>". Besides plain files it has the faults
a real server will not produce on request:
  /short/<path>   announces 1000 bytes more than it sends, then closes
  /slow/<path>    sends the file in 4 KiB pieces, 20 ms apart
  /silent/<path>  accepts the request and never answers
  /nolength/<path> sends the file without a Content-Length, then closes
  /cut/<path>     sends the first half of the file without a Content-Length, then closes
Every request line is printed as "GET <path> | Accept: <value>"."""
import argparse
import http.server
import os
import ssl
import sys
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_GET(self):
        print("GET %s | Accept: %s" % (self.path, self.headers.get("Accept", "")), flush=True)
        for prefix, action in (("/short/", self.send_short), ("/slow/", self.send_slow), ("/silent/", self.stay_silent),
                               ("/nolength/", self.send_without_length), ("/cut/", self.send_half_without_length)):
            if self.path.startswith(prefix):
                return action(self.path[len(prefix) - 1:])
        return super().do_GET()

    def local(self, path):
        return self.translate_path(path)

    def send_head_for(self, path, extra):
        data = open(self.local(path), "rb").read()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data) + extra))
        self.send_header("Last-Modified", self.date_time_string(int(os.path.getmtime(self.local(path)))))
        self.end_headers()
        return data

    def send_short(self, path):
        data = self.send_head_for(path, 1000)
        self.wfile.write(data)
        self.wfile.flush()
        self.close_connection = True

    def send_slow(self, path):
        data = self.send_head_for(path, 0)
        try:
            for at in range(0, len(data), 4096):
                self.wfile.write(data[at:at + 4096])
                self.wfile.flush()
                time.sleep(0.02)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def send_unannounced(self, data):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.end_headers()
        self.wfile.write(data)
        self.wfile.flush()
        self.close_connection = True

    def send_without_length(self, path):
        self.send_unannounced(open(self.local(path), "rb").read())

    def send_half_without_length(self, path):
        data = open(self.local(path), "rb").read()
        self.send_unannounced(data[:len(data) // 2])

    def stay_silent(self, path):
        time.sleep(30)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    os.chdir(args.root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print("READY %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
