#!/usr/bin/env python3
"""A live MPEG-TS stream over HTTP on 127.0.0.1 for the tests, sent at the
pace it plays (no length, as a live channel is), with the faults live servers
have: a connection dropped after some seconds, a server that then refuses
every connection, a stream that pauses before it has filled the player's
buffer, a server that answers 403 unless the request carries certain headers,
a service that allows one connection at a time (a second one is refused with
403 while the first is open, or the older one is cut), and counts a closed
connection a while after it closed, as real services do.

    live_stream_server.py FILE.ts SECONDS [--drop-first N] [--drop-after S]
                          [--then-refuse] [--pause-at-start S]
                          [--require "Header: value"]…
                          [--one-connection refuse|cut-older] [--release-after S]

FILE.ts lasts SECONDS; it is sent round and round. The first N connections
(default 0) are cut after S seconds; with --then-refuse the server stops
listening after that. It prints its port on the first line, then one line
per connection ("connection 1", …), flushed, so a test can count them.
"""
import argparse
import http.server
import socket
import sys
import threading
import time

PACKETS = 188 * 7


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("seconds", type=float)
    parser.add_argument("--drop-first", type=int, default=0)
    parser.add_argument("--drop-after", type=float, default=3.0)
    parser.add_argument("--then-refuse", action="store_true")
    parser.add_argument("--pause-at-start", type=float, default=0.0)
    parser.add_argument("--require", action="append", default=[])
    parser.add_argument("--one-connection", choices=["refuse", "cut-older"])
    parser.add_argument("--release-after", type=float, default=0.0)
    options = parser.parse_args()
    data = open(options.file, "rb").read()
    rate = len(data) / options.seconds  # bytes per second of playing
    lock = threading.Lock()
    connections = [0]
    serving = [None]  # the connection streamed to, when one connection is allowed
    released = [None, 0.0]  # the connection the server noticed closed, and when

    def notice_closed(connection):
        """The server learns that a connection it served has closed (under the lock)."""
        if released[0] is not connection:
            released[0], released[1] = connection, time.monotonic()


    def is_open(connection):
        """Whether the player still holds this connection (it sends nothing more)."""
        try:
            return connection.recv(1, socket.MSG_PEEK | socket.MSG_DONTWAIT) != b""
        except BlockingIOError:
            return True
        except OSError:
            return False

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def log_message(self, *arguments):
            pass

        def do_GET(self):
            with lock:
                connections[0] += 1
                number = connections[0]
            print(f"connection {number}", flush=True)
            for required in options.require:
                name, _, value = required.partition(":")
                if self.headers.get(name.strip()) != value.strip():
                    self.send_response(403)
                    self.end_headers()
                    return
            if options.one_connection:
                with lock:
                    older = serving[0]
                    held = older is not None and is_open(older)
                    if older is not None and not held:
                        notice_closed(older)
                        held = time.monotonic() - released[1] < options.release_after
                    if held:
                        if options.one_connection == "refuse":
                            self.send_response(403, "max connections")
                            self.end_headers()
                            return
                        try:
                            older.shutdown(socket.SHUT_RDWR)
                        except OSError:
                            pass
                    serving[0] = self.connection
            dropping = number <= options.drop_first
            self.send_response(200)
            self.send_header("Content-Type", "video/mp2t")
            self.send_header("Cache-Control", "no-cache")
            self.end_headers()
            start = time.monotonic()
            sent = 0
            paused = options.pause_at_start <= 0
            try:
                while True:
                    elapsed = time.monotonic() - start
                    if dropping and elapsed >= options.drop_after:
                        break
                    # Ahead by a quarter of a second, as a live server keeps a little in hand.
                    while sent < (elapsed + 0.25) * rate:
                        at = sent % len(data)
                        chunk = data[at:at + PACKETS]
                        self.wfile.write(chunk)
                        sent += len(chunk)
                        if not paused and sent >= 0.1 * rate:
                            # A tenth of a second, then nothing for a while.
                            self.wfile.flush()
                            time.sleep(options.pause_at_start)
                            start += options.pause_at_start
                            paused = True
                    self.wfile.flush()
                    time.sleep(0.02)
            except (BrokenPipeError, ConnectionResetError):
                with lock:
                    if serving[0] is self.connection:
                        notice_closed(self.connection)
                return
            # Cut off: no orderly end of the stream, as a dying server does.
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            if options.then_refuse and number >= options.drop_first:
                threading.Thread(target=server.shutdown, daemon=True).start()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    server.serve_forever()
    server.server_close()
    # Refusing from now on: nothing listens any more; stay alive for the test to stop.
    while True:
        time.sleep(1)


if __name__ == "__main__":
    sys.exit(main())
