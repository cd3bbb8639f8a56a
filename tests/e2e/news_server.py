#!/usr/bin/env python3
"""A news server for the end-to-end test, on 127.0.0.1 and a free port.

    news_server.py PORTFILE LOGFILE

Writes its port to PORTFILE, then answers one-line requests ("GET <target>\\n"), each connection
on a thread of its own, and appends "<target>" to LOGFILE for every request:
    .../good     an EUC-JP page with three headlines after the start marker "<!-- S -->"
    .../trickle  one byte every four seconds, never a whole page
"""
import os
import socket
import sys
import threading
import time

HEADLINES = [
    "遠くの行ほど小さく暗く、ゆっくり昇る",
    "井戸の後ろを流れるニュースの見出し",
    "テンキーの＋で次の見出しへ",
]
PAGE = (
    "<html><body><!-- S -->\n"
    + "".join('<a href="http://news.test/n?a=%d">%s</a><br>\n' % (i, h) for i, h in enumerate(HEADLINES))
    + "</body></html>\n"
).encode("euc_jp")


def serve(conn, log):
    with conn:
        conn.settimeout(5)
        request = b""
        try:
            while not request.endswith(b"\n") and len(request) < 1000:
                part = conn.recv(1)
                if not part:
                    return
                request += part
        except OSError:
            return
        words = request.decode("latin-1").split()
        target = words[1] if len(words) > 1 else ""
        with open(log, "a") as f:
            f.write(target + "\n")
        try:
            if target.endswith("/good"):
                conn.sendall(PAGE)
            elif target.endswith("/trickle"):
                for byte in b"<html>" * 10:
                    conn.sendall(bytes([byte]))
                    time.sleep(4)
        except OSError:
            pass


def main():
    port_file, log = sys.argv[1], sys.argv[2]
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(8)
    with open(port_file + ".new", "w") as f:
        f.write(str(server.getsockname()[1]))
    os.replace(port_file + ".new", port_file)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve, args=(conn, log), daemon=True).start()


if __name__ == "__main__":
    main()
