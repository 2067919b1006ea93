#!/usr/bin/python3
"""Reads the tables the engine wrote (written.json says what) with another program's reader
and compares. Usage: check_readers.py dbfread|perl|tdbf <folder> <work folder>.
Exits 77 (skipped) when the reader is not installed."""
import datetime
import json
import os
import shutil
import subprocess
import sys

SKIP = 77
here = os.path.dirname(os.path.abspath(__file__))


def decipher(folder, table):
    """A plain copy of an encrypted table and its memo file: the readers know no cipher."""
    key = table["password"].encode("cp1251")
    src = os.path.join(folder, table["file"])
    data = bytearray(open(src, "rb").read())
    header_length = int.from_bytes(data[8:10], "little")
    record_length = int.from_bytes(data[10:12], "little")

    def crypt(chunk):
        return bytes(((i % 256) | key[i % len(key)]) ^ b for i, b in enumerate(chunk))

    area_end = header_length - (296 if data[0] == 0x30 else 33) + 32
    data[32:area_end] = crypt(data[32:area_end])
    data[15] = 0
    count = (len(data) - header_length) // record_length
    for r in range(count):
        at = header_length + r * record_length
        data[at:at + record_length] = crypt(data[at:at + record_length])
    plain = "PLAIN" + table["file"]
    open(os.path.join(folder, plain), "wb").write(data)
    memo = bytearray(open(src[:-4] + ".DBT", "rb").read())
    block_size = int.from_bytes(memo[20:24], "little")
    for block in range(1, len(memo) // block_size + 1):
        at = block * block_size
        if memo[at:at + 2] == b"\xff\xff":
            length = int.from_bytes(memo[at + 4:at + 8], "little") - 8
            memo[at + 8:at + 8 + length] = crypt(memo[at + 8:at + 8 + length])
    open(os.path.join(folder, plain[:-4] + ".DBT"), "wb").write(memo)
    return plain


def normal(kind, value, encoding):
    """A value as written.json keeps it, from what a reader gave (bytes or objects)."""
    if value is None:
        return None
    if isinstance(value, bytes):
        value = value.decode(encoding)
    if kind in "NIBY":
        text = str(value).strip()
        return None if text == "" else round(float(text), 6)
    if kind == "D":
        if isinstance(value, datetime.date):
            return value.strftime("%Y%m%d")
        text = str(value).strip()
        return text or None
    if kind == "T":
        if isinstance(value, datetime.datetime):
            return value.strftime("%Y%m%d %H:%M:%S")
        return str(value).strip() or None
    if kind == "L":
        if isinstance(value, bool):
            return value
        text = str(value).strip()
        return None if text in ("", "?") else text[:1] in "TtYy1"
    if kind == "M":
        return value if value != "" else None
    return str(value).rstrip(" \0")


def _length_of(table, name):
    return next(f[2] for f in table["fields"] if f[0] == name)


def expected_value(kind, value):
    if kind in "NIBY":
        return None if value is None else round(float(value), 6)
    if kind == "D":
        return value
    if kind == "T":
        return value
    return value


def known_difference(reader, table, field, got, exp):
    """What a reader is known to read otherwise, whoever wrote the file."""
    name, kind, length, _ = field
    if reader == "dbfread" and table["version"] == 0x8B and kind == "M" and isinstance(got, str) and exp:
        # It takes a dBase IV memo's stored length (which counts the 8-byte block header)
        # as the text's, and so reads up to 8 bytes past it.
        return got.startswith(exp) and len(got) - len(exp) <= 8
    if reader == "tdbf" and kind == "C" and length > 255:
        return True  # it reads only the low length byte of a character field
    if reader == "tdbf" and kind == "Y" and exp is not None and exp < 0:
        return True  # it reads currency values as unsigned 32-bit
    return False


def compare(table, fields, rows, problems, reader):
    """rows: [(deleted, {name: value})] in file order."""
    want = table["records"]
    if len(rows) != len(want):
        problems.append("%s: %d records read, %d written" % (table["file"], len(rows), len(want)))
        return
    for i, (deleted, values) in enumerate(rows):
        if deleted != want[i]["deleted"]:
            problems.append("%s record %d: deleted %s" % (table["file"], i + 1, deleted))
        for name, kind, _, _ in table["fields"]:
            got = normal(kind, values.get(name), table["encoding"])
            exp = expected_value(kind, want[i]["values"][name])
            if kind == "C" and exp is not None:
                exp = exp.rstrip(" ")
            if known_difference(reader, table, (name, kind, _length_of(table, name), 0), got, exp):
                continue
            if got != exp and not (kind == "C" and got in (None, "") and exp in (None, "")):
                problems.append("%s record %d %s: read %r, wrote %r" % (table["file"], i + 1, name, got, exp))


def read_dbfread(path, table):
    try:
        import dbfread
    except ImportError:
        sys.exit(SKIP)
    encoding = table["encoding"]
    live = list(dbfread.DBF(path, encoding=encoding, char_decode_errors="strict", raw=False))
    dead = list(dbfread.DBF(path, encoding=encoding, char_decode_errors="strict").deleted)
    rows = []
    for record in table["records"]:
        source = dead if record["deleted"] else live
        values = dict(source.pop(0)) if source else {}
        rows.append((record["deleted"], values))
    return rows


def read_perl(path, table):
    if subprocess.run(["perl", "-MXBase", "-e", "1"], capture_output=True).returncode != 0:
        sys.exit(SKIP)
    out = subprocess.run(["perl", os.path.join(here, "dump.pl"), path], capture_output=True, check=True).stdout
    dump = json.loads(out)
    names = [f[0] for f in dump["fields"]]
    kinds = {f[0]: f[1] for f in table["fields"]}
    rows = []
    for deleted, values in dump["records"]:
        row = {n: (bytes.fromhex(v) if v is not None else None) for n, v in zip(names, values)}
        for n in names:
            # This reader gives integers unsigned and date-times as seconds since 1970 (UTC).
            if kinds.get(n) == "I" and row[n] is not None and int(row[n]) >= 2 ** 31:
                row[n] = str(int(row[n]) - 2 ** 32).encode()
            if kinds.get(n) == "T" and row[n] is not None:
                moment = datetime.datetime(1970, 1, 1) + datetime.timedelta(seconds=int(float(row[n])))
                row[n] = moment.strftime("%Y%m%d %H:%M:%S").encode()
        rows.append((bool(deleted), row))
    return rows


def read_tdbf(path, table, work):
    fpc = shutil.which("fpc")
    if not fpc:
        sys.exit(SKIP)
    program = os.path.join(work, "dump")
    if not os.path.exists(program):
        os.makedirs(work, exist_ok=True)
        shutil.copy(os.path.join(here, "dump.pas"), os.path.join(work, "dump.pas"))
        built = subprocess.run([fpc, "-O2", "dump.pas"], cwd=work, capture_output=True, text=True)
        if built.returncode != 0:
            sys.exit("the TDbf reader does not compile:\n" + built.stdout + built.stderr)
    # This reader looks for the memo file by a lower-case extension.
    copies = os.path.join(work, "tables")
    os.makedirs(copies, exist_ok=True)
    base = os.path.splitext(os.path.basename(path))[0]
    for name in os.listdir(os.path.dirname(path)):
        stem, ext = os.path.splitext(name)
        if stem == base:
            shutil.copy(os.path.join(os.path.dirname(path), name),
                        os.path.join(copies, stem + (ext if ext.upper() == ".DBF" else ext.lower())))
    out = subprocess.run([program, os.path.join(copies, os.path.basename(path))], capture_output=True,
                         check=True).stdout
    rows = []
    for line in out.splitlines():
        parts = line.split(b" ")
        if parts[0] == b"R":
            rows.append((parts[1] == b"1", {}))
        elif parts[0] == b"F":
            value = None if parts[3] == b"-" else bytes.fromhex(parts[3].decode().replace('""', ""))
            rows[-1][1][parts[1].decode()] = value
    return rows


def main():
    reader, folder, work = sys.argv[1], sys.argv[2], sys.argv[3]
    written = json.load(open(os.path.join(folder, "written.json")))
    problems = []
    for table in written["tables"]:
        path = os.path.join(folder, decipher(folder, table) if table["password"] else table["file"])
        if reader == "dbfread":
            rows = read_dbfread(path, table)
        elif reader == "perl":
            rows = read_perl(path, table)
        else:
            rows = read_tdbf(path, table, work)
        compare(table, table["fields"], rows, problems, reader)
    for p in problems:
        print(p)
    print("%s: %d tables, %d differences" % (reader, len(written["tables"]), len(problems)))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
