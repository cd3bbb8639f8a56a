#!/usr/bin/env python3
"""Local servers for the fetch tests through the system's HTTP client: tls_servers.py DIR CMD...

Makes a test certificate authority and host certificates with openssl in DIR, starts on
127.0.0.1 (each on a free port) the servers below, runs CMD with their ports in the environment
and exits with CMD's exit code, the servers stopped.

  KV_HTTP_PORT     plain HTTP/1.1           KV_HTTPS_PORT      HTTPS, a certificate for localhost
  KV_UNKNOWN_PORT  HTTPS, another authority KV_EXPIRED_PORT    HTTPS, expired a year ago
  KV_WRONGHOST_PORT HTTPS, for other.test   KV_STALL_PORT      accepts and never answers
  KV_REFUSED_PORT  a port that was free a moment ago (a refused connection)
  KV_PROXY_PORT    a proxy that tunnels CONNECT to 127.0.0.1 and logs each one to DIR/proxy.log
  KV_TLS_DIR       DIR as a Windows path
  KV_TLS_CA        the authority's certificate (DER) as a Windows path (Z:...)

The HTTP(S) servers answer /page (an EUC-JP page of three headlines after "<!-- S -->", links
"/n?a="), /r/N (a redirect to /r/N-1; /r/0 is the page), /trickle (a byte every four seconds);
other paths get 404.
"""
import http.server
import os
import socket
import socketserver
import ssl
import subprocess
import sys
import threading
import time

HEADLINES = ["暗号の向こうの見出し", "証明書を確かめて読む", "三つ目の記事"]


def page():
    links = "".join('<a href="/n?a=%d">%s</a>\n' % (i, h) for i, h in enumerate(HEADLINES))
    return ("<html><body><!-- S -->\n" + links + "</body></html>\n").encode("euc_jp")


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def make_certificates(d):
    key = ["-newkey", "rsa:2048", "-nodes"]
    for ca in ("ca", "other-ca"):
        openssl("req", "-x509", *key, "-keyout", ca + ".key", "-out", ca + ".pem", "-days", "3",
                "-subj", "/CN=KORAVEN test authority " + ca, "-addext", "basicConstraints=critical,CA:TRUE",
                "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=d)
    openssl("x509", "-in", "ca.pem", "-outform", "der", "-out", "ca.der", cwd=d)
    with open(os.path.join(d, "ca.cnf"), "w") as f:
        f.write("[ca]\ndefault_ca=d\n[d]\ndatabase=index.txt\nserial=serial\nnew_certs_dir=.\n"
                "default_md=sha256\npolicy=p\ncopy_extensions=copy\n[p]\ncommonName=supplied\n")
    for name, host, ca, dates in (("good", "localhost", "ca", ["-days", "3"]),
                                  ("unknown", "localhost", "other-ca", ["-days", "3"]),
                                  ("wronghost", "other.test", "ca", ["-days", "3"]),
                                  ("expired", "localhost", "ca",
                                   ["-startdate", "20240101000000Z", "-enddate", "20250101000000Z"])):
        open(os.path.join(d, "index.txt"), "w").close()
        with open(os.path.join(d, "serial"), "w") as f:
            f.write("%02X\n" % (len(os.listdir(d)) + 16))
        openssl("req", *key, "-keyout", name + ".key", "-out", name + ".csr", "-subj", "/CN=" + host,
                "-addext", "subjectAltName=DNS:" + host, cwd=d)
        openssl("ca", "-batch", "-notext", "-config", "ca.cnf", "-cert", ca + ".pem", "-keyfile",
                ca + ".key", "-in", name + ".csr", "-out", name + ".pem", *dates, cwd=d)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send_page(self, body):
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=EUC-JP")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        p = self.path
        if "://" in p:  # the absolute form, which a server must take too (Wine sends it through a tunnel)
            p = "/" + p.split("://", 1)[1].partition("/")[2]
        try:
            if p == "/page" or p == "/r/0":
                self.send_page(page())
            elif p.startswith("/r/") and p[3:].isdigit():
                self.send_response(302)
                self.send_header("Location", "/r/%d" % (int(p[3:]) - 1))
                self.send_header("Content-Length", "0")
                self.end_headers()
            elif p == "/trickle":
                self.send_response(200)
                self.send_header("Content-Length", "1000")
                self.end_headers()
                for byte in b"<html>" * 10:
                    self.wfile.write(bytes([byte]))
                    self.wfile.flush()
                    time.sleep(4)
            else:
                self.send_response(404)
                self.send_header("Content-Length", "0")
                self.end_headers()
        except OSError:
            pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # a refused certificate ends the client's handshake: expected here


def https_server(d, name):
    server = Server(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(d, name + ".pem"), os.path.join(d, name + ".key"))
    server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    return server


def stall_server(held):
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    s.listen(8)

    def run():
        while True:
            held.append(s.accept()[0])  # kept open, never answered
    threading.Thread(target=run, daemon=True).start()
    return s.getsockname()[1]


def proxy_server(log):
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    s.listen(8)

    def pipe(a, b):
        try:
            while True:
                data = a.recv(65536)
                if not data:
                    break
                b.sendall(data)
        except OSError:
            pass
        finally:
            for c in (a, b):
                try:
                    c.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

    def tunnel(c):
        head = b""
        while b"\r\n\r\n" not in head and len(head) < 8192:
            part = c.recv(1024)
            if not part:
                return c.close()
            head += part
        line = head.split(b"\r\n")[0].decode("latin-1")
        with open(log, "a") as f:
            f.write(line + "\n")
        words = line.split()
        if len(words) < 2 or words[0] != "CONNECT":
            c.sendall(b"HTTP/1.1 405 Not Allowed\r\nContent-Length: 0\r\n\r\n")
            return c.close()
        port = int(words[1].rsplit(":", 1)[1])
        upstream = socket.create_connection(("127.0.0.1", port))
        c.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
        threading.Thread(target=pipe, args=(upstream, c), daemon=True).start()
        pipe(c, upstream)

    def run():
        while True:
            threading.Thread(target=tunnel, args=(s.accept()[0],), daemon=True).start()
    threading.Thread(target=run, daemon=True).start()
    return s.getsockname()[1]


def main():
    d = os.path.abspath(sys.argv[1])
    os.makedirs(d, exist_ok=True)
    make_certificates(d)
    env = dict(os.environ)
    servers = {"KV_HTTP_PORT": Server(("127.0.0.1", 0), Handler),
               "KV_HTTPS_PORT": https_server(d, "good"),
               "KV_UNKNOWN_PORT": https_server(d, "unknown"),
               "KV_EXPIRED_PORT": https_server(d, "expired"),
               "KV_WRONGHOST_PORT": https_server(d, "wronghost")}
    for key, server in servers.items():
        threading.Thread(target=server.serve_forever, daemon=True).start()
        env[key] = str(server.server_address[1])
    held = []
    env["KV_STALL_PORT"] = str(stall_server(held))
    open(os.path.join(d, "proxy.log"), "w").close()
    env["KV_PROXY_PORT"] = str(proxy_server(os.path.join(d, "proxy.log")))
    free = socket.socket()
    free.bind(("127.0.0.1", 0))
    env["KV_REFUSED_PORT"] = str(free.getsockname()[1])
    free.close()
    env["KV_TLS_CA"] = "Z:" + os.path.join(d, "ca.der").replace("/", "\\")
    env["KV_TLS_DIR"] = "Z:" + d.replace("/", "\\")
    sys.exit(subprocess.run(sys.argv[2:], env=env).returncode)


main()
