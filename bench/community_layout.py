#!/usr/bin/env python3
"""Lays out, under STOCK/Roaming and STOCK/Local, some twenty applications of
the Winapp2 project's file as their entries describe them: for each chosen
entry its detected folder and about FILES files its FileKeys take (in
subfolders for those that go into folders), plus files they leave. Prints
the chosen entries' names, one a line.
Usage: community_layout.py WINAPP2.INI STOCK [ENTRIES] [FILES]"""
import os
import sys

ini, stock = sys.argv[1], sys.argv[2]
wanted = int(sys.argv[3]) if len(sys.argv) > 3 else 20
files_each = int(sys.argv[4]) if len(sys.argv) > 4 else 1000
bases = {"%appdata%": "Roaming", "%localappdata%": "Local"}

entries, current = [], None
for line in open(ini, encoding="utf-8", errors="replace"):
    line = line.rstrip("\r\n")
    if line.startswith("["):
        current = {"name": line[1:-1].removesuffix(" *"), "keys": []}
        entries.append(current)
    elif current is not None and "=" in line:
        key, value = line.split("=", 1)
        current["keys"].append((key.rstrip("0123456789"), value))


def base_and_rest(path):
    head, _, rest = path.partition("\\")
    return bases.get(head.lower()), rest


chosen = []
for e in entries:
    kinds = [k for k, _ in e["keys"]]
    detects = [v for k, v in e["keys"] if k == "DetectFile"]
    filekeys = [v for k, v in e["keys"] if k == "FileKey"]
    if kinds.count("ExcludeKey") or kinds.count("Detect") or len(detects) != 1 or len(filekeys) < 3:
        continue
    base, rest = base_and_rest(detects[0])
    if not base or "*" in rest or "?" in rest:
        continue
    usable = True
    for value in filekeys:
        parts = value.split("|")
        folder_base, folder = base_and_rest(parts[0])
        if len(parts) < 2 or not folder_base or "*" in folder or "?" in folder or "%" in folder:
            usable = False
        if any(p.lower().startswith(("login", "key4", "logins")) or "journal" in p.lower() for p in parts[1].split(";")):
            usable = False
    if any(k == "RegKey" and not v.startswith("HKCU\\") for k, v in e["keys"]):
        usable = False
    if usable and not any(c["name"].lower() == e["name"].lower() for c in chosen):
        chosen.append(e)
    if len(chosen) == wanted:
        break

for e in chosen:
    base, rest = base_and_rest([v for k, v in e["keys"] if k == "DetectFile"][0])
    os.makedirs(os.path.join(stock, base, *rest.split("\\")), exist_ok=True)
    filekeys = [v for k, v in e["keys"] if k == "FileKey"]
    per_key = max(1, files_each // len(filekeys))
    for value in filekeys:
        parts = value.split("|")
        base, folder = base_and_rest(parts[0])
        into = len(parts) > 2 and parts[2].upper() in ("RECURSE", "REMOVESELF")
        target = os.path.join(stock, base, *folder.split("\\"))
        pattern = next((p.strip() for p in parts[1].split(";") if "*" in p), parts[1].split(";")[0].strip())
        count = per_key if "*" in pattern else 1
        for i in range(count):
            name = pattern.replace("*", f"f{i}", 1).replace("*", "").replace("?", "x")
            where = os.path.join(target, f"sub{i % 10}") if into else target
            os.makedirs(where, exist_ok=True)
            open(os.path.join(where, name), "w").close()
        # A file the key may not take.
        os.makedirs(target, exist_ok=True)
        open(os.path.join(target, "other.none"), "w").close()
    print(e["name"])
