#!/usr/bin/env python3
"""The common way to take an XMLTV guide: xml.etree.ElementTree.iterparse into
sqlite3, one transaction, indexed by channel and start. Prints the seconds it
took, from the first byte to the index made. Arguments: the guide, the database.
With --search, the database, a word and now: the slowest of five searches for
the word in titles and descriptions with LIKE, as the player orders them."""
import gzip
import sqlite3
import sys
import time
import xml.etree.ElementTree as ET
from datetime import datetime


def parse_time(text):
    return int(datetime.strptime(text, "%Y%m%d%H%M%S %z").timestamp())


def search(database, word, now):
    db = sqlite3.connect(database)
    slowest = 0
    for _ in range(5):
        start = time.monotonic()
        db.execute("SELECT channel, start, stop, title, description FROM programmes "
                   "WHERE title LIKE ?1 OR description LIKE ?1 "
                   "ORDER BY stop <= ?2, CASE WHEN stop > ?2 THEN start ELSE -start END LIMIT 300",
                   ("%" + word + "%", now)).fetchall()
        slowest = max(slowest, time.monotonic() - start)
    print(f"{slowest:.4f}")


def main():
    if sys.argv[1] == "--search":
        search(sys.argv[2], sys.argv[3], int(sys.argv[4]))
        return
    path, database = sys.argv[1], sys.argv[2]
    start = time.monotonic()
    with open(path, "rb") as probe:
        gzipped = probe.read(2) == b"\x1f\x8b"
    source = gzip.open(path, "rb") if gzipped else open(path, "rb")
    db = sqlite3.connect(database)
    db.execute("CREATE TABLE programmes(channel TEXT, start INTEGER, stop INTEGER, title TEXT, description TEXT)")
    rows = []
    for _, element in ET.iterparse(source, events=("end",)):
        if element.tag == "programme":
            rows.append((element.get("channel"), parse_time(element.get("start")), parse_time(element.get("stop")),
                         element.findtext("title"), element.findtext("desc")))
            element.clear()
            if len(rows) >= 10000:
                db.executemany("INSERT INTO programmes VALUES(?, ?, ?, ?, ?)", rows)
                rows.clear()
        elif element.tag == "channel":
            element.clear()
    db.executemany("INSERT INTO programmes VALUES(?, ?, ?, ?, ?)", rows)
    db.execute("CREATE INDEX programmes_by_channel ON programmes(channel, start)")
    db.commit()
    print(f"{time.monotonic() - start:.3f}")


main()
