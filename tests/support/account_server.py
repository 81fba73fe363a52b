#!/usr/bin/env python3
"""A provider's account over HTTP on 127.0.0.1 for the tests: its player API
(player_api.php: the login, get_live_categories, get_live_streams), its guide
(xmltv.php), its channels (/live/U/P/ID.ts) and its catch-up
(/timeshift/U/P/MINUTES/YYYY-MM-DD:HH-MM/ID.ts), as such services answer:
numbers as strings, nulls, a category with no channel, a channel in none.

    account_server.py CLIP.ts USER PASSWORD STATE_FILE

CLIP.ts is what every channel and every programme watched back sends. The
login says the account is active until 2027-03-01 with one connection, or
expired while STATE_FILE holds "expired". A wrong user or password gets
{"user_info":{"auth":0}}. It prints its port on the first line, then one line
per request ("request PATH"), flushed.
"""
import http.server
import json
import os
import sys
import urllib.parse


def main():
    clip, user, password, state_file = sys.argv[1:5]
    with open(clip, "rb") as f:
        video = f.read()

    def login():
        expired = os.path.exists(state_file) and open(state_file).read().strip() == "expired"
        return {"user_info": {"auth": 1, "status": "Expired" if expired else "Active",
                              "exp_date": "1767139200" if expired else "1803859200",
                              "max_connections": "1", "active_cons": "0"},
                "server_info": {"timezone": "Europe/Berlin", "url": "127.0.0.1"}}

    categories = [{"category_id": "1", "category_name": "新闻"},
                  {"category_id": 2, "category_name": "空的"}]
    streams = [{"stream_id": "101", "name": "新闻台", "category_id": "1", "tv_archive": "1",
                "tv_archive_duration": "2", "epg_channel_id": "news.test", "stream_icon": None},
               {"stream_id": 102, "name": "散台", "category_id": None, "tv_archive": 0,
                "tv_archive_duration": None, "epg_channel_id": None, "stream_icon": ""}]

    class Handler(http.server.BaseHTTPRequestHandler):
        def answer(self, body, kind):
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            print("request", self.path, flush=True)
            url = urllib.parse.urlsplit(self.path)
            query = dict(urllib.parse.parse_qsl(url.query))
            if url.path in ("/player_api.php", "/xmltv.php"):
                if query.get("username") != user or query.get("password") != password:
                    self.answer(json.dumps({"user_info": {"auth": 0}}).encode(), "application/json")
                    return
                if url.path == "/xmltv.php":
                    self.answer(b'<?xml version="1.0"?><tv><channel id="news.test"/></tv>', "application/xml")
                    return
                action = query.get("action", "")
                body = {"": login(), "get_live_categories": categories,
                        "get_live_streams": streams}.get(action, [])
                self.answer(json.dumps(body, ensure_ascii=False).encode(), "application/json")
                return
            parts = url.path.split("/")
            if len(parts) > 3 and parts[1] in ("live", "timeshift") and parts[2] == user and parts[3] == password:
                self.answer(video, "video/mp2t")
                return
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()

        def log_message(self, *_):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
