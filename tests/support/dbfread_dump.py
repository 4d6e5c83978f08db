#!/usr/bin/python3
# Prints DBF tables as the python dbfread module reads them, for tests that check
# written tables with a reader that is not the project's own. Per table:
#   T <path>
#   H <version> <header record count> <language driver> <header length> <record length> <year> <month> <day>
#   F <name> <type> <length> <decimals>          (one line per field)
#   R|D <field text> ...                         (records in file order, D when deleted)
# Fields are tab-separated; field texts are the raw bytes decoded from code page
# 866, with backslash, tab, CR and LF escaped as \\ \t \r \n. Exit status 3 when
# the module is missing.
import sys

try:
    from dbfread import DBF
except ImportError:
    print("dbfread is not installed", file=sys.stderr)
    sys.exit(3)


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def deletion_flags(path, header):
    flags = []
    with open(path, "rb") as f:
        while True:
            f.seek(header.headerlen + len(flags) * header.recordlen)
            flag = f.read(1)
            if flag in (b"\x1a", b""):
                return flags
            flags.append(flag == b"*")


def dump(path):
    table = DBF(path, encoding="cp866", raw=True)
    h = table.header
    print("T\t" + path)
    print("H\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d" % (h.dbversion, h.numrecords, h.language_driver,
                                                 h.headerlen, h.recordlen, h.year, h.month, h.day))
    for f in table.fields:
        print("F\t%s\t%s\t%d\t%d" % (f.name, f.type, f.length, f.decimal_count))
    active, deleted = iter(table.records), iter(table.deleted)
    for is_deleted in deletion_flags(path, h):
        record = next(deleted if is_deleted else active)
        texts = [escape(value.decode("cp866")) for value in record.values()]
        print("\t".join(["D" if is_deleted else "R"] + texts))


sys.stdout.reconfigure(encoding="utf-8", newline="\n")
for table_path in sys.argv[1:]:
    dump(table_path)
