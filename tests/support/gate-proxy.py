#!/usr/bin/env python3
"""A forwarding HTTP server whose gate can be shut: while FLAG exists, every request is accepted and then held
without an answer (a server that never answers); when FLAG is removed, the held requests go on to UPSTREAM.

    gate-proxy.py UPSTREAM_BASE_URL FLAG_FILE LOG_FILE

Prints "listening on http://127.0.0.1:PORT" once ready. LOG_FILE gets "held PATH" when a request is held and
"passed PATH STATUS" when it was answered."""
import http.server
import os
import socketserver
import sys
import time
import urllib.error
import urllib.request

upstream, flag, log_path = sys.argv[1].rstrip("/"), sys.argv[2], sys.argv[3]


def log(line):
    with open(log_path, "a", encoding="utf-8") as f:
        f.write(line + "\n")


class Gate(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if os.path.exists(flag):
            log("held " + self.path)
            while os.path.exists(flag):
                time.sleep(0.05)
        try:
            with urllib.request.urlopen(upstream + self.path, timeout=30) as reply:
                status, body, ctype = reply.status, reply.read(), reply.headers.get("Content-Type")
        except urllib.error.HTTPError as e:
            status, body, ctype = e.code, e.read(), e.headers.get("Content-Type")
        try:
            self.send_response(status)
            if ctype:
                self.send_header("Content-Type", ctype)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        except OSError:
            pass  # the client gave up waiting
        log("passed %s %d" % (self.path, status))

    def log_message(self, *args):
        pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


server = Server(("127.0.0.1", 0), Gate)
print("listening on http://127.0.0.1:%d" % server.server_address[1], flush=True)
server.serve_forever()
