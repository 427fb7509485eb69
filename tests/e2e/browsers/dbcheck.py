"""What the browsers' end-to-end checks share: a database read without being
changed, and a check that prints its outcome and is remembered."""
import sqlite3
import sys

failures = 0


def rows(path, sql):
    return sqlite3.connect("file:" + path + "?mode=ro", uri=True).execute(sql).fetchall()


def check(what, cond):
    global failures
    print(("ok: " if cond else "FAILED: ") + what)
    failures += 0 if cond else 1


def finish():
    sys.exit(1 if failures else 0)
