#!/usr/bin/env python3
"""Scriptable HTTP test server for the web request conformance tests.

It listens on 127.0.0.1 and 127.0.0.2 (same port) and writes that port to
DIR/port once it accepts connections. Routes, by the path of the request
target (an absolute-form target, as a client sends it to a proxy, is served
the same way, so the server doubles as a simple HTTP proxy):

  /r/ID...     replies with the bytes of DIR/replies/ID exactly as written,
               then closes the connection
  /big/N...    a body of N bytes of a fixed pattern, with Content-Length
  other        404

Every request is recorded byte for byte (head and body) as
DIR/requests/KEY-SEQ, KEY being ID for /r/ routes and "other" otherwise, SEQ
counting from 1 per key. The server ends by itself after --lifetime seconds,
or as soon as the process that started it is gone.
"""
import argparse
import os
import re
import socket
import socketserver
import threading
import time

PATTERN = b"abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\n"
ADDRESSES = ("127.0.0.1", "127.0.0.2")


def pattern_bytes(n, cache={}):
    if n not in cache:
        cache.clear()
        cache[n] = (PATTERN * (n // len(PATTERN) + 1))[:n]
    return cache[n]


class Recorder:
    def __init__(self, directory):
        self.directory = directory
        self.lock = threading.Lock()
        self.counts = {}
        os.makedirs(os.path.join(directory, "requests"), exist_ok=True)
        os.makedirs(os.path.join(directory, "replies"), exist_ok=True)

    def record(self, key, data):
        with self.lock:
            seq = self.counts.get(key, 0) + 1
            self.counts[key] = seq
            path = os.path.join(self.directory, "requests", "%s-%d" % (key, seq))
            with open(path + ".tmp", "wb") as f:
                f.write(data)
            os.replace(path + ".tmp", path)


class Handler(socketserver.StreamRequestHandler):
    def handle(self):
        while self.serve_one():
            pass

    def serve_one(self):
        head = b""
        while True:
            line = self.rfile.readline(65537)
            if not line:
                return False
            head += line
            if line in (b"\r\n", b"\n"):
                break
        lines = head.split(b"\r\n")
        request_line = lines[0].split(b" ")
        target = request_line[1] if len(request_line) > 1 else b"/"
        length = 0
        expect_continue = False
        for header in lines[1:]:
            name, _, value = header.partition(b":")
            name = name.strip().lower()
            if name == b"content-length":
                length = int(value.strip() or b"0")
            elif name == b"expect" and value.strip().lower() == b"100-continue":
                expect_continue = True
        if expect_continue:
            self.wfile.write(b"HTTP/1.1 100 Continue\r\n\r\n")
            self.wfile.flush()
        body = self.rfile.read(length) if length else b""

        path = re.sub(rb"^[a-zA-Z]+://[^/]*", b"", target)
        scripted = re.match(rb"^/r/([A-Za-z0-9_.-]+)", path)
        big = re.match(rb"^/big/([0-9]+)", path)
        key = scripted.group(1).decode() if scripted else "other"
        self.server.recorder.record(key, head + body)

        if scripted:
            try:
                with open(os.path.join(self.server.recorder.directory, "replies", key), "rb") as f:
                    reply = f.read()
            except OSError:
                reply = b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"
            self.wfile.write(reply)
            self.wfile.flush()
            return False
        if big:
            n = int(big.group(1))
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                             b"Content-Length: %d\r\n\r\n" % n)
            data = memoryview(pattern_bytes(n))
            for start in range(0, n, 1 << 20):
                self.wfile.write(data[start:start + (1 << 20)])
            self.wfile.flush()
            return True
        self.wfile.write(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")
        self.wfile.flush()
        return True


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def listen(recorder):
    """Binds both addresses to one free port; retries when the second is taken."""
    for _ in range(50):
        first = Server((ADDRESSES[0], 0), Handler)
        port = first.server_address[1]
        try:
            second = Server((ADDRESSES[1], port), Handler)
        except OSError:
            first.server_close()
            continue
        for server in (first, second):
            server.recorder = recorder
        return port, (first, second)
    raise SystemExit("no free port on both loopback addresses")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--lifetime", type=float, default=900)
    args = parser.parse_args()

    recorder = Recorder(args.dir)
    port, servers = listen(recorder)
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    port_file = os.path.join(args.dir, "port")
    with open(port_file + ".tmp", "w") as f:
        f.write(str(port))
    os.replace(port_file + ".tmp", port_file)

    parent = os.getppid()
    deadline = time.monotonic() + args.lifetime
    while time.monotonic() < deadline and os.getppid() == parent:
        time.sleep(0.2)
    os._exit(0)


if __name__ == "__main__":
    main()
