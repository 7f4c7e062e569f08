"""A scripted FTP server for the faults a real server will not produce.

It answers the commands of a plain passive session with fixed replies, which options
replace. Every command line received is printed as "CMD <line>", every control connection
as "CONNECT", data connections as "DATA-FROM <address>", stored files as "STORED <name> <bytes>".

Options (each may repeat where it makes sense):
  --bind ADDRESS           listen there (default 127.0.0.1)
  --greeting TEXT          the greeting lines (default "220 scripted")
  --features A,B           FEAT lines (default "MLSD,UTF8"); "none" answers FEAT with 500
  --reply VERB=TEXT        reply TEXT (lines split at "|") to the command VERB instead of the default
  --close-after VERB       after replying to VERB on the first connection, close it
  --silent-after VERB      after VERB is received, never reply again (but stay connected)
  --pasv-announce ADDRESS  announce this address in 227 (the data listener is on --bind)
  --listing TEXT           MLSD data, lines split at "|"
  --file NAME=TEXT         a file RETR can fetch
  --file-size NAME=BYTES   a file RETR can fetch, of that many "x" bytes
  --stall-data VERB        after the preliminary reply to VERB, neither send nor read data
  --cut-stor BYTES         read at most BYTES of a STOR, then close the data connection
  --cut-reply TEXT         the final reply after a cut STOR (default 426)
"""
import argparse
import select
import socket
import struct
import sys
import threading


LOCK = threading.Lock()


def say(text):
    say_bytes(text.encode("utf-8"))


def say_bytes(data):
    with LOCK:
        sys.stdout.buffer.write(data + b"\n")
        sys.stdout.buffer.flush()


def lines_of(text):
    return "".join(line + "\r\n" for line in text.split("|"))


class Session:
    def __init__(self, conn, options, number):
        self.conn = conn
        self.options = options
        self.number = number
        self.reader = conn.makefile("rb")
        self.data_listener = None
        self.silent = False

    def send(self, text):
        if not self.silent:
            self.conn.sendall(text.encode("utf-8"))

    def open_data(self):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.bind((self.options.bind, 0))
        listener.listen(1)
        self.data_listener = listener
        port = listener.getsockname()[1]
        address = (self.options.pasv_announce or self.options.bind).replace(".", ",")
        return "227 Entering Passive Mode (%s,%d,%d).\r\n" % (address, port // 256, port % 256)

    def accept_data(self):
        self.data_listener.settimeout(10)
        data, peer = self.data_listener.accept()
        self.data_listener.close()
        self.data_listener = None
        say("DATA-FROM %s" % peer[0])
        return data

    def default_reply(self, verb, argument):
        o = self.options
        if verb == "USER":
            return "331 Password required\r\n"
        if verb == "PASS":
            return "230 Logged in\r\n"
        if verb == "FEAT":
            if o.features == "none":
                return "500 FEAT not understood\r\n"
            return "211-Features:\r\n" + "".join(" %s\r\n" % f for f in o.features.split(",") if f) + "211 End\r\n"
        if verb in ("HOST", "CLNT", "TYPE", "PRET"):
            return {"HOST": "220 Host accepted\r\n", "CLNT": "200 Noted\r\n",
                    "TYPE": "200 Type set to I\r\n", "PRET": "200 Ready\r\n"}[verb]
        if verb == "SYST":
            return "215 UNIX Type: L8\r\n"
        if verb == "CWD":
            return "250 Directory changed\r\n"
        if verb == "PASV":
            return self.open_data()
        if verb == "QUIT":
            return "221 Bye\r\n"
        return "500 Unknown command\r\n"

    def stall(self, verb):
        data = self.accept_data()
        self.send("150 Opening data connection\r\n")
        say("STALLED %s" % verb)
        # Until the client gives up and speaks on the control connection again.
        select.select([self.conn], [], [], 60)
        data.close()

    def transfer(self, verb, argument):
        if verb in self.options.stall_data:
            self.stall(verb)
        elif verb == "MLSD":
            data = self.accept_data()
            self.send("150 Listing\r\n")
            data.sendall(lines_of(self.options.listing).encode("utf-8") if self.options.listing else b"")
            data.close()
            self.send("226 Done\r\n")
        elif verb == "RETR":
            files = dict(f.split("=", 1) for f in self.options.file)
            files.update((n, "x" * int(b)) for n, b in (f.split("=", 1) for f in self.options.file_size))
            if argument not in files:
                self.send("550 No such file\r\n")
                return
            data = self.accept_data()
            self.send("150 Sending\r\n")
            try:
                data.sendall(files[argument].encode("utf-8"))
            except OSError:  # the client stopped reading and closed the data connection
                data.close()
                self.send("426 Connection closed; transfer aborted.\r\n")
                return
            data.close()
            self.send("226 Done\r\n")
        elif verb == "STOR":
            data = self.accept_data()
            self.send("150 Receiving\r\n")
            size = 0
            limit = self.options.cut_stor
            while limit < 0 or size < limit:
                chunk = data.recv(65536 if limit < 0 else min(65536, limit - size))
                if not chunk:
                    break
                size += len(chunk)
            cut = limit >= 0 and size >= limit
            if cut:
                data.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            data.close()
            say("STORED %s %d" % (argument, size))
            self.send(lines_of(self.options.cut_reply) if cut else "226 Stored\r\n")

    def run(self):
        self.send(lines_of(self.options.greeting))
        replies = dict(r.split("=", 1) for r in self.options.reply)
        while True:
            raw = self.reader.readline()
            if not raw:
                return
            say_bytes(b"CMD " + raw.rstrip(b"\r\n"))
            line = raw.decode("latin-1").rstrip("\r\n")
            verb, _, argument = line.partition(" ")
            verb = verb.upper()
            if verb in self.options.silent_after:
                self.silent = True
            if verb in replies:
                self.send(lines_of(replies[verb]))
            elif verb in ("MLSD", "RETR", "STOR"):
                self.transfer(verb, argument)
            else:
                self.send(self.default_reply(verb, argument))
            if verb in self.options.close_after and self.number == 1:
                self.conn.close()
                return
            if verb == "QUIT":
                self.conn.close()
                return


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--greeting", default="220 scripted")
    parser.add_argument("--features", default="MLSD,UTF8")
    parser.add_argument("--reply", action="append", default=[])
    parser.add_argument("--close-after", action="append", default=[])
    parser.add_argument("--silent-after", action="append", default=[])
    parser.add_argument("--pasv-announce", default="")
    parser.add_argument("--listing", default="")
    parser.add_argument("--file", action="append", default=[])
    parser.add_argument("--file-size", action="append", default=[])
    parser.add_argument("--stall-data", action="append", default=[])
    parser.add_argument("--cut-stor", type=int, default=-1)
    parser.add_argument("--cut-reply", default="426 Connection closed; transfer aborted.")
    options = parser.parse_args()

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((options.bind, 0))
    listener.listen(4)
    say("READY %d" % listener.getsockname()[1])
    number = 0
    while True:
        conn, _ = listener.accept()
        number += 1
        say("CONNECT")
        threading.Thread(target=lambda c=conn, n=number: run_safely(c, options, n), daemon=True).start()


def run_safely(conn, options, number):
    try:
        Session(conn, options, number).run()
    except OSError as error:
        say("ERROR %s" % error)


if __name__ == "__main__":
    main()
