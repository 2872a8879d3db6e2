#!/usr/bin/env python3
"""The update server as the end-to-end tests see it, started by them.

It serves HTTPS on port 443 of this machine, with a certificate for the
update host signed by a certificate authority it makes up at start (the
test trusts that authority in its own Wine prefix only). The tests run in a
private network where the update host's name means this machine
(scripts/private-net.sh), so the program reaches this server exactly as it
would reach the real one. What it answers is up to the test, and it logs
every connection, so a test can also tell that none was made.

    update_server.py FOLDER HOST PORT

FOLDER/answer        first line: a status code, optionally followed by
                     "hold" (wait for FOLDER/release before answering),
                     "trickle" (send the body one byte every half second),
                     "tricklehead" (the headers too),
                     "untrusted" (present a certificate for the host from an
                     authority nobody trusts) or "otherhost" (a certificate
                     from the trusted authority, for another host name); or
                     "refuse" (stop listening, as an unreachable host);
                     the rest of the file is the body
FOLDER/state         "listening" or "refusing", once that holds
FOLDER/ca.der        the certificate authority
FOLDER/requests.log  one line per request: the request line and the user
                     agent; a connection that sent none logs why
The server ends when FOLDER/stop appears or FOLDER goes away.
"""

import os
import socket
import ssl
import subprocess
import sys
import threading
import time

MAX_LIFETIME = 900  # seconds: a test that died never leaves a server behind for long
TRICKLE_SECONDS = 0.5  # far below any one read's time-out: only a limit on the whole exchange ends it
OTHER_HOST = "other-host.invalid"
REASONS = {200: "OK", 301: "Moved Permanently", 404: "Not Found"}


def make_certificates(folder, host):
    def openssl(*args):
        subprocess.run(["openssl", *args], cwd=folder, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def authority(name, subject):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".pem",
                "-days", "2", "-subj", "/CN=" + subject, "-addext", "basicConstraints=critical,CA:TRUE",
                "-addext", "keyUsage=critical,keyCertSign,cRLSign")

    def server(name, authority_name, server_host):
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".csr",
                "-subj", "/CN=" + server_host)
        with open(os.path.join(folder, name + ".ext"), "w") as ext:
            ext.write("subjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n" % server_host)
        openssl("x509", "-req", "-in", name + ".csr", "-CA", authority_name + ".pem", "-CAkey", authority_name + ".key",
                "-CAcreateserial", "-out", name + ".pem", "-days", "2", "-extfile", name + ".ext")

    authority("ca", "Nimbol Test Authority")
    server("server", "ca", host)
    # The same name and key usage as the trusted one: only its trust differs.
    authority("other-ca", "Nimbol Test Authority")
    server("server-untrusted", "other-ca", host)
    server("server-otherhost", "ca", OTHER_HOST)
    openssl("x509", "-in", "ca.pem", "-outform", "der", "-out", "ca.der")


def write_atomically(path, text):
    with open(path + ".tmp", "w") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


class Server:
    def __init__(self, folder, host, port):
        self.folder = folder
        self.host = host
        self.port = port
        self.log_lock = threading.Lock()
        self.tls = {}
        for kind, name in (("", "server"), ("untrusted", "server-untrusted"), ("otherhost", "server-otherhost")):
            self.tls[kind] = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            self.tls[kind].load_cert_chain(self.path(name + ".pem"), self.path(name + ".key"))

    def path(self, name):
        return os.path.join(self.folder, name)

    def log(self, line):
        with self.log_lock, open(self.path("requests.log"), "a") as f:
            f.write(line + "\n")

    def answer(self):
        try:
            with open(self.path("answer"), "rb") as f:
                data = f.read()
        except OSError:
            return ["404"], b""
        first, _, body = data.partition(b"\n")
        return first.decode().split(), body

    @staticmethod
    def read_head(stream):
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = stream.recv(1)
            if not chunk or len(head) > 65536:
                return None
            head += chunk
        return head.decode("latin-1").split("\r\n")

    def wait_for_release(self):
        release = self.path("release")
        while not os.path.exists(release):
            if not os.path.isdir(self.folder):
                return
            time.sleep(0.02)
        os.remove(release)

    def context_for(self, words):
        for kind in ("untrusted", "otherhost"):
            if kind in words:
                return self.tls[kind]
        return self.tls[""]

    def serve(self, client):
        context = self.context_for(self.answer()[0])
        with client, context.wrap_socket(client, server_side=True) as tls:
            head = self.read_head(tls)
            if head is None:
                self.log("connection without a request")
                return
            fields = dict(line.split(":", 1) for line in head[1:] if ":" in line)
            fields = {k.strip().lower(): v.strip() for k, v in fields.items()}
            sent_body = fields.get("content-length", "0") != "0" or "transfer-encoding" in fields
            self.log("%s agent=%s%s" % (head[0], fields.get("user-agent", ""), " with a body" if sent_body else ""))
            words, body = self.answer()
            if "hold" in words:
                self.wait_for_release()
            code = int(words[0]) if words and words[0].isdigit() else 404
            moved = "Location: https://%s/updates/moved.json\r\n" % self.host if 300 <= code < 400 else ""
            reply = ("HTTP/1.1 %d %s\r\nContent-Type: application/json\r\nContent-Length: %d\r\n%s"
                     "Connection: close\r\n\r\n" % (code, REASONS.get(code, "Status"), len(body), moved))
            whole = reply.encode() + body
            slow = len(reply) if "trickle" in words else 0 if "tricklehead" in words else len(whole)
            tls.sendall(whole[:slow])
            for i in range(slow, len(whole)):
                time.sleep(TRICKLE_SECONDS)
                tls.sendall(whole[i:i + 1])

    def guarded(self, client):
        try:
            self.serve(client)
        except (OSError, ssl.SSLError, ValueError) as error:
            self.log("connection failed: %s" % error)

    def listen(self):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", self.port))
        listener.listen(16)
        listener.settimeout(0.05)
        return listener

    def run(self):
        listener = None
        state = None
        started = time.monotonic()
        while (os.path.isdir(self.folder) and not os.path.exists(self.path("stop"))
               and time.monotonic() - started < MAX_LIFETIME):
            refusing = "refuse" in self.answer()[0]
            if refusing and listener:
                listener.close()
                listener = None
            elif not refusing and not listener:
                listener = self.listen()
            wanted = "refusing" if refusing else "listening"
            if state != wanted:
                write_atomically(self.path("state"), wanted)
                state = wanted
            if not listener:
                time.sleep(0.05)
                continue
            try:
                client, _ = listener.accept()
            except socket.timeout:
                continue
            client.settimeout(30)
            threading.Thread(target=self.guarded, args=(client,), daemon=True).start()


def main():
    folder, host, port = sys.argv[1], sys.argv[2], int(sys.argv[3])
    # Started from a Wine process: hold none of its pipes open.
    devnull = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(devnull, fd)
    try:
        make_certificates(folder, host)
        Server(folder, host, port).run()
    except Exception as error:  # the test reads why it never saw the server start
        write_atomically(os.path.join(folder, "state"), "failed: %s" % error)


if __name__ == "__main__":
    main()
