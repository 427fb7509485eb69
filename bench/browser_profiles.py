"""The browser benchmark's profiles: the real ones tests/browsers/make_profiles.sh
made, laid out as on Windows under OUT/Local and OUT/Roaming, copied to
CHROMIUM Chromium profiles and FIREFOX Firefox profiles, each grown to a
used browser's size: thousands of addresses, visits, cookies (a tenth of
them the kept site's), form entries and icons, and a thousand cache files.
Usage: browser_profiles.py SOURCE OUT CHROMIUM FIREFOX"""
import glob
import os
import random
import shutil
import sqlite3
import sys

source, out, chromium_count, firefox_count = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
ADDRESSES, VISITS, COOKIES, FORMS, ICONS, CACHE_FILES = 10000, 30000, 3000, 2000, 1000, 1000
random.seed(7)
TIME = 13400000000000000  # microseconds since 1601, as Chromium counts


def site(i):
    return "kept.example" if i % 10 == 0 else f"site{i % 400}.example"


def grow(db, table, count, change):
    """Adds `count` copies of the table's first row, `change(i, row)` making each one its own."""
    cursor = db.execute(f"SELECT * FROM {table} LIMIT 1")
    columns = [d[0] for d in cursor.description]
    first = cursor.fetchone()
    rows = []
    for i in range(count):
        row = dict(zip(columns, first))
        if "id" in row:
            row["id"] = None
        change(i, row)
        rows.append(tuple(row[c] for c in columns))
    marks = ", ".join("?" * len(columns))
    db.executemany(f"INSERT INTO {table} ({', '.join(columns)}) VALUES ({marks})", rows)


def insert(db, table, columns, rows):
    marks = ", ".join("?" * len(columns))
    db.executemany(f"INSERT INTO {table} ({', '.join(columns)}) VALUES ({marks})", rows)


def cache_files(folder):
    os.makedirs(folder, exist_ok=True)
    for i in range(CACHE_FILES):
        with open(os.path.join(folder, f"grown_{i:05d}"), "wb") as f:
            f.write(os.urandom(random.randint(512, 8192)))


def chromium(profile):
    with sqlite3.connect(os.path.join(profile, "History")) as db:
        insert(db, "urls", ["url", "title", "visit_count", "last_visit_time"],
               [(f"http://{site(i)}/page{i}", f"Page {i}", 3, TIME + i) for i in range(ADDRESSES)])
        first = db.execute("SELECT min(id) FROM urls WHERE url LIKE '%/page0'").fetchone()[0]
        insert(db, "visits", ["url", "visit_time", "transition"],
               [(first + i % ADDRESSES, TIME + i, 805306368) for i in range(VISITS)])
    with sqlite3.connect(os.path.join(profile, "Network", "Cookies")) as db:
        grow(db, "cookies", COOKIES,
             lambda i, row: row.update(host_key="." + site(i), name=f"grown{i}", creation_utc=TIME + i))
    with sqlite3.connect(os.path.join(profile, "Web Data")) as db:
        insert(db, "autofill", ["name", "value", "value_lower"], [("q", f"Search {i}", f"search {i}") for i in range(FORMS)])
    with sqlite3.connect(os.path.join(profile, "Favicons")) as db:
        insert(db, "favicons", ["id", "url"], [(i + 1, f"http://{site(i)}/favicon.ico") for i in range(ICONS)])
        insert(db, "favicon_bitmaps", ["icon_id", "image_data", "width", "height"],
               [(i + 1, os.urandom(1024), 16, 16) for i in range(ICONS)])
        insert(db, "icon_mapping", ["page_url", "icon_id"],
               [(f"http://{site(i)}/page{i}", i % ICONS + 1) for i in range(ADDRESSES)])
    cache_files(os.path.join(profile, "Cache", "Cache_Data"))
    os.makedirs(os.path.join(profile, "Sessions"), exist_ok=True)
    for name in ("Session_1", "Tabs_1"):
        with open(os.path.join(profile, "Sessions", name), "wb") as f:
            f.write(os.urandom(20000))


def firefox(profile, cache):
    with sqlite3.connect(os.path.join(profile, "places.sqlite")) as db:
        origin = db.execute("SELECT max(id) FROM moz_origins").fetchone()[0]
        insert(db, "moz_origins", ["id", "prefix", "host", "frecency"],
               [(origin + 1 + i, "http://", f"site{i}.example", 1) for i in range(400)])
        insert(db, "moz_places", ["url", "title", "rev_host", "visit_count", "last_visit_date", "guid", "origin_id"],
               [(f"http://{site(i)}/page{i}", f"Page {i}", site(i)[::-1] + ".", 3, TIME // 10 + i, f"grown{i:07d}",
                 origin + 1 + i % 400) for i in range(ADDRESSES)])
        first = db.execute("SELECT min(id) FROM moz_places WHERE guid LIKE 'grown%'").fetchone()[0]
        insert(db, "moz_historyvisits", ["place_id", "visit_date", "visit_type"],
               [(first + i % ADDRESSES, TIME // 10 + i, 1) for i in range(VISITS)])
    with sqlite3.connect(os.path.join(profile, "cookies.sqlite")) as db:
        grow(db, "moz_cookies", COOKIES, lambda i, row: row.update(host="." + site(i), name=f"grown{i}"))
    with sqlite3.connect(os.path.join(profile, "formhistory.sqlite")) as db:
        grow(db, "moz_formhistory", FORMS, lambda i, row: row.update(value=f"search {i}", guid=f"grown{i:07d}"))
    with sqlite3.connect(os.path.join(profile, "favicons.sqlite")) as db:
        insert(db, "moz_icons", ["id", "icon_url", "fixed_icon_url_hash", "data"],
               [(100000 + i, f"http://{site(i)}/favicon.ico", i, os.urandom(1024)) for i in range(ICONS)])
        insert(db, "moz_pages_w_icons", ["id", "page_url", "page_url_hash"],
               [(100000 + i, f"http://{site(i)}/page{i}", i) for i in range(ADDRESSES)])
        insert(db, "moz_icons_to_pages", ["page_id", "icon_id"],
               [(100000 + i, 100000 + i % ICONS) for i in range(ADDRESSES)])
    cache_files(os.path.join(cache, "cache2", "entries"))


shutil.rmtree(out, ignore_errors=True)
user_data = os.path.join(out, "Local", "Google", "Chrome", "User Data")
os.makedirs(user_data)
shutil.copy(os.path.join(source, "chromium", "Local State"), user_data)
for n in range(chromium_count):
    profile = os.path.join(user_data, "Default" if n == 0 else f"Profile {n}")
    shutil.copytree(os.path.join(source, "chromium", "Default"), profile, symlinks=True)
    os.makedirs(os.path.join(profile, "Network"), exist_ok=True)
    os.replace(os.path.join(profile, "Cookies"), os.path.join(profile, "Network", "Cookies"))
    chromium(profile)

real = glob.glob(os.path.join(source, "firefox", "home", ".config", "mozilla", "firefox", "*.corvane"))[0]
real_cache = os.path.join(source, "firefox", "home", ".cache", "mozilla", "firefox", os.path.basename(real))
roaming = os.path.join(out, "Roaming", "Mozilla", "Firefox")
os.makedirs(os.path.join(roaming, "Profiles"))
ini = ""
for n in range(firefox_count):
    name = f"p{n}.corvane"
    profile = os.path.join(roaming, "Profiles", name)
    cache = os.path.join(out, "Local", "Mozilla", "Firefox", "Profiles", name)
    shutil.copytree(real, profile, symlinks=True)
    shutil.copytree(real_cache, cache, symlinks=True)
    firefox(profile, cache)
    ini += f"[Profile{n}]\r\nName=corvane{n}\r\nIsRelative=1\r\nPath=Profiles/{name}\r\n\r\n"
with open(os.path.join(roaming, "profiles.ini"), "w", newline="") as f:
    f.write(ini)
