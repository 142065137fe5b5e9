#!/usr/bin/env python3
"""The web server of the mailer's end-to-end test.

Listens on a free port of 127.0.0.1, writes the port to PORT_FILE, and for
every request appends one JSON line to LOG_FILE: the request target as it
arrived, the Host header, the path and the query as a server reads it
(split on "&" and "=", percent-decoded as UTF-8, "+" as a space).
    server.py LOG_FILE PORT_FILE
"""
import http.server
import json
import os
import sys
import urllib.parse

log_file, port_file = sys.argv[1], sys.argv[2]


class Recorder(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        path, _, query = self.path.partition("?")
        record = {
            "target": self.path,
            "host": self.headers.get("Host", ""),
            "path": path,
            "query": urllib.parse.parse_qsl(query, keep_blank_values=True),
        }
        with open(log_file, "a", encoding="utf-8") as f:
            f.write(json.dumps(record, ensure_ascii=False) + "\n")
        body = b"<!DOCTYPE html><html><body>Thank you.</body></html>"
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Recorder)
# Written aside and renamed into place so that a reader never sees half a
# number.
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.replace(port_file + ".tmp", port_file)
server.serve_forever()
