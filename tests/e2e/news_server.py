#!/usr/bin/env python3
"""A news server for the end-to-end tests and `make run NEWS=1`, on 127.0.0.1 and a free port.

    news_server.py PORTFILE [LOGFILE]

Writes its port to PORTFILE, then answers one-line requests ("GET <target>\\n"), each connection
on a thread of its own, and appends "<target>" to LOGFILE (when given) for every request:
    .../good     an EUC-JP page with three headlines after the start marker "<!-- S -->"
    .../live     the same form, headlines that change with every request: the first names the
                 request's number and time; with "s=2" in the target, a second set of headlines
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
LIVE = {
    "1": [
        "%s 第%d版　127.0.0.1 のニュース源から",
        "積み木は三次元の井戸を回りながら落ちる",
        "浮かぶ行は遠いほど小さく、暗く、ゆっくり",
    ],
    "2": [
        "%s 第%d版　二つ目のニュース源",
        "見出しは EUC-JP のページから切り出される",
        "テンキーの＋で次の見出しへ進む",
    ],
}
requests = 0
lock = threading.Lock()


def page(headlines):
    return (
        "<html><body><!-- S -->\n"
        + "".join('<a href="http://news.test/n?a=%d">%s</a><br>\n' % (i, h) for i, h in enumerate(headlines))
        + "</body></html>\n"
    ).encode("euc_jp")


PAGE = page(HEADLINES)


def live_page(target):
    global requests
    with lock:
        requests += 1
        n = requests
    lines = list(LIVE["2" if "s=2" in target else "1"])
    lines[0] = lines[0] % (time.strftime("%H:%M:%S"), n)
    return page(lines)


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
        if log:
            with open(log, "a") as f:
                f.write(target + "\n")
        try:
            if target.endswith("/good"):
                conn.sendall(PAGE)
            elif "/live" in target:
                conn.sendall(live_page(target))
            elif target.endswith("/trickle"):
                for byte in b"<html>" * 10:
                    conn.sendall(bytes([byte]))
                    time.sleep(4)
        except OSError:
            pass


def main():
    port_file = sys.argv[1]
    log = sys.argv[2] if len(sys.argv) > 2 else None
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
