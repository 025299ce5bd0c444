#!/usr/bin/env python3
"""A stand-in for the rank lookup service, for tests and for trying the
program offline.

It answers POST /rank/rank.php with the form fields daqu (network label) and
nickname (player name), both UTF-8, with an HTML page in UTF-8 that declares
its charset near the top. A known player gets a two-column table, one row per
field: the header cell ends its line with CR LF and the value cell follows on
the next line. An unknown player gets a page without the table.

Every request is recorded byte for byte, as received (request line, header
lines, blank line, body), in RECORD_DIR/0001.http, 0002.http, ... Each file
appears complete (written aside and renamed), so a test may poll for it.

The service stops by itself after --lifetime seconds, and on SIGTERM or SIGINT.
Standard library only.

    sample_rank_service.py --port 0 --port-file /tmp/port --record-dir /tmp/requests
"""

import argparse
import html
import os
import signal
import socket
import socketserver
import sys
import threading
import urllib.parse

PATH = "/rank/rank.php"
FIELDS = ("段位", "隐藏分", "排位胜场", "排位胜率", "最近登录")
MAX_HEADER_BYTES = 64 * 1024
MAX_BODY_BYTES = 1024 * 1024

# (network label, player name) -> the five values in FIELDS order. The empty
# label is what the program sends for the education network and for no pick.
PLAYERS = {
    ("电信一", "Abc"): ("钻石 II", "2345", "312", "54%", "2024-05-01 21:13"),
    ("电信一", "疾风剑豪"): ("大师", "2688", "1024", "61%", "2024-05-03 09:05"),
    ("网通三", "Faker Jr"): ("王者", "3012", "876", "66%", "2024-05-02 23:59"),
    ("电信十九", "小 明"): ("黄金 I", "1876", "203", "51%", "2024-04-30 12:00"),
    ("", "Abc"): ("白银 III", "1320", "45", "48%", "2024-04-28 18:30"),
}


def rank_page(region, name):
    """The HTML reply for one query, as text (the caller encodes it as UTF-8)."""
    lines = [
        "<!DOCTYPE html>",
        "<html>",
        "<head>",
        '<meta charset="utf-8">',
        "<title>英雄联盟隐藏分查询</title>",
        "</head>",
        "<body>",
    ]
    who = html.escape(name) + "（" + (html.escape(region) or "教育网") + "）"
    values = PLAYERS.get((region, name))
    if values is None:
        lines.append("<p>没有找到玩家 " + who + " 的数据。</p>")
    else:
        lines.append("<h1>" + who + "</h1>")
        lines.append('<table class="rank">')
        for field, value in zip(FIELDS, values):
            lines += ["  <tr>", "    <td>" + field + "</td>", "    <td>" + html.escape(value) + "</td>", "  </tr>"]
        lines.append("</table>")
    lines += ["</body>", "</html>", ""]
    return "\r\n".join(lines)


class Recorder:
    def __init__(self, directory):
        self.directory = directory
        self.count = 0
        self.lock = threading.Lock()
        if directory:
            os.makedirs(directory, exist_ok=True)

    def record(self, raw):
        if not self.directory:
            return
        with self.lock:
            self.count += 1
            name = "%04d.http" % self.count
        path = os.path.join(self.directory, name)
        with open(path + ".part", "wb") as f:
            f.write(raw)
        os.replace(path + ".part", path)


class Handler(socketserver.StreamRequestHandler):
    timeout = 30  # a client that stalls loses its connection, not the service

    def handle(self):
        try:
            head = self.read_head()
            if head is None:
                return
            request_line, headers = self.parse_head(head)
            length = self.content_length(headers)
            if length is None:
                self.server.recorder.record(head)
                return self.reply(400, "text/plain; charset=utf-8", "bad Content-Length\n")
            if length > MAX_BODY_BYTES:
                self.server.recorder.record(head)
                return self.reply(413, "text/plain; charset=utf-8", "body too large\n")
            body = self.rfile.read(length)
            self.server.recorder.record(head + body)
            self.answer(request_line, body)
        except (OSError, ValueError):
            pass  # the client went away or sent something unreadable

    def read_head(self):
        """The request line and header lines up to and including the blank line."""
        head = b""
        while True:
            line = self.rfile.readline(MAX_HEADER_BYTES + 1)
            if not line:
                return None
            if line in (b"\r\n", b"\n"):
                if head:
                    return head + line
                continue  # blank lines before the request line are allowed
            head += line
            if len(head) > MAX_HEADER_BYTES:
                raise ValueError("header too large")

    @staticmethod
    def parse_head(head):
        lines = head.decode("latin-1").splitlines()
        headers = {}
        for line in lines[1:]:
            name, sep, value = line.partition(":")
            if sep:
                headers[name.strip().lower()] = value.strip()
        return lines[0], headers

    @staticmethod
    def content_length(headers):
        value = headers.get("content-length", "0")
        return int(value) if value.isdigit() else None

    def answer(self, request_line, body):
        parts = request_line.split()
        method, target = (parts[0], parts[1]) if len(parts) >= 2 else ("", "")
        if urllib.parse.urlsplit(target).path != PATH:
            return self.reply(404, "text/html", "<html><body><h1>404 Not Found</h1></body></html>\r\n")
        if method != "POST":
            return self.reply(405, "text/html", "<html><body><h1>405 Method Not Allowed</h1></body></html>\r\n",
                              [("Allow", "POST")])
        form = urllib.parse.parse_qs(body.decode("latin-1"), keep_blank_values=True, encoding="utf-8",
                                     errors="replace")
        region = form.get("daqu", [""])[0]
        name = form.get("nickname", [""])[0]
        self.reply(200, "text/html", rank_page(region, name))

    def reply(self, status, content_type, text, extra=()):
        reasons = {200: "OK", 400: "Bad Request", 404: "Not Found", 405: "Method Not Allowed",
                   413: "Payload Too Large"}
        body = text.encode("utf-8")
        head = ["HTTP/1.1 %d %s" % (status, reasons[status]), "Content-Type: " + content_type,
                "Content-Length: %d" % len(body), "Connection: close"]
        head += ["%s: %s" % pair for pair in extra]
        self.wfile.write(("\r\n".join(head) + "\r\n\r\n").encode("latin-1") + body)
        self.wfile.flush()


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def write_atomically(path, text):
    with open(path + ".part", "w") as f:
        f.write(text)
    os.replace(path + ".part", path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--host", default="127.0.0.1", help="address to listen on (default 127.0.0.1)")
    parser.add_argument("--port", type=int, default=0, help="port; 0 picks a free one (default)")
    parser.add_argument("--port-file", help="write the port number here once listening")
    parser.add_argument("--record-dir", help="record each request here, one file per request")
    parser.add_argument("--lifetime", type=float, default=600, help="stop after this many seconds (default 600)")
    args = parser.parse_args()

    try:
        server = Server((args.host, args.port), Handler)
    except OSError as error:
        print("sample_rank_service: cannot listen on %s:%d: %s" % (args.host, args.port, error), file=sys.stderr)
        return 1
    server.recorder = Recorder(args.record_dir)
    port = server.server_address[1]

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    thread = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True)
    thread.start()

    print(port, flush=True)
    if args.port_file:
        write_atomically(args.port_file, "%d\n" % port)
    print("sample_rank_service: http://%s:%d%s, for %g s" % (args.host, port, PATH, args.lifetime),
          file=sys.stderr, flush=True)

    stop.wait(args.lifetime)
    server.shutdown()
    server.server_close()
    thread.join()
    return 0


if __name__ == "__main__":
    sys.exit(main())
