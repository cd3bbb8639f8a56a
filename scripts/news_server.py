#!/usr/bin/env python3
"""News source of the end-to-end tests and `make run NEWS=1`: news_server.py PORTFILE [LOGFILE]
On 127.0.0.1, a free port (written to PORTFILE); one-line requests ("GET <target>"), each target
logged: .../good an EUC-JP page of three headlines after "<!-- S -->"; .../live the same form,
the first headline naming the request's number and time ("s=2": a second set); .../trickle a
byte every four seconds, never a whole page."""
import os, socket, sys, threading, time

GOOD = ["遠くの行ほど小さく暗く、ゆっくり昇る", "井戸の後ろを流れるニュースの見出し", "テンキーの＋で次の見出しへ"]
LIVE = {"1": ["%s 第%d版　127.0.0.1 のニュース源から", "積み木は三次元の井戸を回りながら落ちる", "浮かぶ行は遠いほど小さく、暗く、ゆっくり"],
        "2": ["%s 第%d版　二つ目のニュース源", "見出しは EUC-JP のページから切り出される", "テンキーの＋で次の見出しへ進む"]}
count = [0]
lock = threading.Lock()


def page(lines):
    links = "".join('<a href="http://news.test/n?a=%d">%s</a><br>\n' % (i, h) for i, h in enumerate(lines))
    return ("<html><body><!-- S -->\n" + links + "</body></html>\n").encode("euc_jp")


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
            words = request.decode("latin-1").split()
            target = words[1] if len(words) > 1 else ""
            if log:
                with lock, open(log, "a") as f:
                    f.write(target + "\n")
            if target.endswith("/good"):
                conn.sendall(page(GOOD))
            elif "/live" in target:
                with lock:
                    count[0] += 1
                    lines = list(LIVE["2" if "s=2" in target else "1"])
                    lines[0] %= (time.strftime("%H:%M:%S"), count[0])
                conn.sendall(page(lines))
            elif target.endswith("/trickle"):
                for byte in b"<html>" * 10:
                    conn.sendall(bytes([byte]))
                    time.sleep(4)
        except OSError:
            pass


server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
server.bind(("127.0.0.1", 0))
server.listen(8)
with open(sys.argv[1] + ".new", "w") as f:
    f.write(str(server.getsockname()[1]))
os.replace(sys.argv[1] + ".new", sys.argv[1])
while True:
    conn, _ = server.accept()
    threading.Thread(target=serve, args=(conn, sys.argv[2] if len(sys.argv) > 2 else None), daemon=True).start()
