"""A scripted SMTP peer for the faults a real server will not produce.

argv[1] is a JSON object: "greeting" (text sent on connect) and "replies", a list with one entry
per line the client sends, in order. An entry is the text to send (CRLF is added per line), or:
  "HANG"        send nothing more and keep the connection open
  "CLOSE"       close the connection
  "ENDLESS"     a multi-line reply whose lines keep coming and never end
  "NOTLS:<text>" send <text>, then bytes that are no TLS record, and close
After a reply that starts with "354" the message up to the "." line is read; the next entry answers ".".
When the list runs out, QUIT gets "221 Bye" and anything else "500 Unexpected".
Prints "READY <port>", then "LINE <text>" for each line received and "MESSAGE <hex>" for a message.
"""
import json
import socket
import sys
import time


def say(line):
    print(line, flush=True)


def send(conn, text):
    conn.sendall(("\r\n".join(text.split("\n")) + "\r\n").encode("latin-1"))


def serve(conn, script):
    reader = conn.makefile("rb")
    if script.get("greeting") is not None:
        send(conn, script["greeting"])
    replies = list(script.get("replies", []))
    while True:
        raw = reader.readline()
        if not raw:
            return
        line = raw.rstrip(b"\r\n").decode("latin-1")
        say("LINE " + line)
        reply = replies.pop(0) if replies else ("221 Bye" if line.upper() == "QUIT" else "500 Unexpected")
        if reply == "HANG":
            while reader.readline():
                pass
            return
        if reply == "CLOSE":
            return
        if reply == "ENDLESS":
            while True:
                send(conn, "250-and more")
        if reply.startswith("NOTLS:"):
            send(conn, reply[6:])
            time.sleep(0.2)
            conn.sendall(b"this is no tls\r\n" * 4)
            return
        send(conn, reply)
        if line.upper() == "QUIT":
            return
        if reply.startswith("354"):
            message = b""
            while True:
                raw = reader.readline()
                if not raw or raw == b".\r\n":
                    break
                message += raw
            say("MESSAGE " + message.hex())
            reply = replies.pop(0) if replies else "250 Queued"
            say("LINE .")
            send(conn, reply)


def main():
    script = json.loads(sys.argv[1])
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    say("READY %d" % listener.getsockname()[1])
    while True:
        conn, _ = listener.accept()
        try:
            serve(conn, script)
        except OSError:
            pass
        finally:
            conn.close()
        say("CLOSED")


if __name__ == "__main__":
    main()
