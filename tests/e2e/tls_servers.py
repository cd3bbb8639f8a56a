#!/usr/bin/env python3
"""tls_servers.py DIR CMD...: runs CMD with local servers on 127.0.0.1, their ports in KV_*_PORT.

Makes a test authority (its DER in KV_TLS_CA, a Windows path) and certificates in DIR.
KV_HTTP_PORT plain HTTP/1.1; KV_HTTPS_PORT, KV_UNKNOWN_PORT, KV_EXPIRED_PORT HTTPS with a
certificate for localhost: good, of an unknown authority, expired; KV_STALL_PORT never answers;
KV_PROXY_PORT tunnels CONNECT, logged to KV_TLS_DIR\\proxy.log. /page is an EUC-JP page of three
headlines after "<!-- S -->" (links "/n?a="), /chunked the same in chunks, /r/N redirects to
/r/N-1 (/r/0 is the page), /dtd a feed whose document type declares entities, one of them
/external (which, fetched, is logged to KV_TLS_DIR\\external.log), anything else is 404.
"""
import http.server
import os
import socket
import socketserver
import ssl
import subprocess
import sys
import threading

HEADLINES = ["暗号の向こうの見出し", "証明書を確かめて読む", "三つ目の記事"]


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True)


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
    for name, ca, dates in (("good", "ca", ["-days", "3"]), ("unknown", "other-ca", ["-days", "3"]),
                            ("expired", "ca", ["-startdate", "20240101000000Z", "-enddate", "20250101000000Z"])):
        open(os.path.join(d, "index.txt"), "w").close()
        with open(os.path.join(d, "serial"), "w") as f:
            f.write("%02X\n" % (len(os.listdir(d)) + 16))
        openssl("req", *key, "-keyout", name + ".key", "-out", name + ".csr", "-subj", "/CN=localhost",
                "-addext", "subjectAltName=DNS:localhost", cwd=d)
        openssl("ca", "-batch", "-notext", "-config", "ca.cnf", "-cert", ca + ".pem", "-keyfile",
                ca + ".key", "-in", name + ".csr", "-out", name + ".pem", *dates, cwd=d)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        # The absolute form too, which Wine sends through a tunnel.
        p = "/" + self.path.split("://", 1)[1].partition("/")[2] if "://" in self.path else self.path
        body = b""
        links = "".join('<a href="/n?a=%d">%s</a>\n' % (i, h) for i, h in enumerate(HEADLINES))
        page = ("<html><body><!-- S -->\n" + links + "</body></html>\n").encode("euc_jp")
        if p in ("/page", "/r/0"):
            self.send_response(200)
            body = page
        elif p == "/chunked":
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for part in (page[:40], page[40:], b""):
                self.wfile.write(b"%x\r\n%s\r\n" % (len(part), part))
            return
        elif p == "/dtd":
            self.send_response(200)
            body = ('<?xml version="1.0"?><!DOCTYPE rss [<!ENTITY a "aaaaaaaa"><!ENTITY b "&a;&a;&a;&a;">'
                    '<!ENTITY c SYSTEM "http://127.0.0.1:%d/external">]><rss><channel><item>'
                    '<title>&b;&c;</title></item></channel></rss>' % self.server.server_address[1]).encode()
        elif p == "/external":
            with open(os.path.join(self.server.dir, "external.log"), "a") as f:
                f.write(p + "\n")
            self.send_response(200)
        elif p.startswith("/r/") and p[3:].isdigit():
            self.send_response(302)
            self.send_header("Location", "/r/%d" % (int(p[3:]) - 1))
        else:
            self.send_response(404)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


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


def pipe(a, b):
    try:
        while data := a.recv(65536):
            b.sendall(data)
    except OSError:
        pass
    for c in (a, b):
        try:
            c.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


class Proxy(socketserver.StreamRequestHandler):
    def handle(self):
        line = self.rfile.readline(8192).decode("latin-1").strip()
        while self.rfile.readline(8192) not in (b"\r\n", b""):
            pass
        with open(self.server.log, "a") as f:
            f.write(line + "\n")
        words = line.split()
        if len(words) < 2 or words[0] != "CONNECT":
            return
        upstream = socket.create_connection(("127.0.0.1", int(words[1].rsplit(":", 1)[1])))
        self.wfile.write(b"HTTP/1.1 200 Connection established\r\n\r\n")
        threading.Thread(target=pipe, args=(upstream, self.connection), daemon=True).start()
        pipe(self.connection, upstream)


def main():
    d = os.path.abspath(sys.argv[1])
    os.makedirs(d, exist_ok=True)
    make_certificates(d)
    env = dict(os.environ)
    servers = {"KV_HTTP_PORT": Server(("127.0.0.1", 0), Handler),
               "KV_PROXY_PORT": Server(("127.0.0.1", 0), Proxy)}
    servers["KV_PROXY_PORT"].log = os.path.join(d, "proxy.log")
    servers["KV_HTTP_PORT"].dir = d
    open(servers["KV_PROXY_PORT"].log, "w").close()
    for key, name in (("HTTPS", "good"), ("UNKNOWN", "unknown"), ("EXPIRED", "expired")):
        servers["KV_%s_PORT" % key] = https_server(d, name)
    for key, server in servers.items():
        threading.Thread(target=server.serve_forever, daemon=True).start()
        env[key] = str(server.server_address[1])
    stall = socket.create_server(("127.0.0.1", 0))  # never accepted: a handshake waits in its backlog
    env["KV_STALL_PORT"] = str(stall.getsockname()[1])
    env["KV_TLS_CA"] = "Z:" + os.path.join(d, "ca.der").replace("/", "\\")
    env["KV_TLS_DIR"] = "Z:" + d.replace("/", "\\")
    sys.exit(subprocess.run(sys.argv[2:], env=env).returncode)


main()
