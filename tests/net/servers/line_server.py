"""A scripted line server: one script per accepted connection, run in order.

Usage: line_server.py '<json>' where the JSON is a list of connections, each a list of steps:
  {"send": "text"}        send the text (\\r\\n written out in the JSON as needed)
  {"send_repeat": "text"} send the text again and again until the client goes
  {"read": n}             read n lines and print each as "GOT <line>"
  {"sleep": seconds}      wait
  {"tls": "TLSv1_2"}      switch the connection to TLS of that version (null: any)
  {"close": true}         close the connection
  {"reset": true}         abort the connection with a reset
Every line the client sends after the script ends is printed as "GOT <line>" until it closes.
"""
import json
import os
import socket
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))


def run_connection(conn, steps):
    reader = conn.makefile("rb")
    for step in steps:
        if "send" in step:
            conn.sendall(step["send"].encode("latin-1"))
        elif "send_repeat" in step:
            try:
                while True:
                    conn.sendall(step["send_repeat"].encode("latin-1"))
            except OSError:
                return
        elif "read" in step:
            for _ in range(step["read"]):
                line = reader.readline()
                if not line:
                    return
                print("GOT " + line.decode("latin-1").rstrip("\r\n"), flush=True)
        elif "sleep" in step:
            time.sleep(step["sleep"])
        elif "tls" in step:
            from selfsigned import server_context
            conn = server_context(step["tls"]).wrap_socket(conn, server_side=True)
            reader = conn.makefile("rb")
            print("TLS " + conn.version(), flush=True)
        elif "close" in step:
            conn.close()
            return
        elif "reset" in step:
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            conn.close()
            return
    while True:
        line = reader.readline()
        if not line:
            break
        print("GOT " + line.decode("latin-1").rstrip("\r\n"), flush=True)
    conn.close()


def main():
    script = json.loads(sys.argv[1])
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    print("READY %d" % listener.getsockname()[1], flush=True)
    for steps in script:
        conn, _ = listener.accept()
        try:
            run_connection(conn, steps)
        except OSError as error:
            print("ERROR %s" % error, flush=True)
    time.sleep(30)


if __name__ == "__main__":
    main()
