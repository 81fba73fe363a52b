#!/usr/bin/env python3
"""Lists by address over HTTP on 127.0.0.1 for the tests, as list hosts send
them: gzip bytes under a name without ".gz" and without a Content-Encoding,
403 with a web page unless the request carries the User-Agent asked for, and
a web page with status 200 in place of the list while FOLDER/NAME.html exists.

    list_server.py FOLDER --require-agent AGENT

GET /NAME serves FOLDER/NAME, read again at each request. It prints its port
on the first line, then one line per request ("request /NAME"), flushed.
"""
import argparse
import gzip
import http.server
import os
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--require-agent", default="")
    args = parser.parse_args()

    class Handler(http.server.BaseHTTPRequestHandler):
        def answer(self, status, body, kind):
            self.send_response(status)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            print("request", self.path, flush=True)
            page = b"<!DOCTYPE html><html><body>Forbidden</body></html>"
            if args.require_agent and self.headers.get("User-Agent") != args.require_agent:
                self.answer(403, page, "text/html")
                return
            path = os.path.join(args.folder, os.path.basename(self.path))
            if os.path.exists(path + ".html"):
                self.answer(200, page, "text/html")
                return
            if not os.path.exists(path):
                self.answer(404, page, "text/html")
                return
            with open(path, "rb") as list_file:
                self.answer(200, gzip.compress(list_file.read()), "text/plain")

        def log_message(self, *_):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
