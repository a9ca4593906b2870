#!/usr/bin/env python3
"""Tables as the parser reads them, against LibreOffice's reading of the same files.

usage: table_comparison.py RTFDUMP FILE.rtf...   (LibreOffice's soffice on the PATH)

Each file is converted to ODT with LibreOffice (headless); for each table of the body, in order,
the number of rows, the cells of each row and the widths of the table's columns are compared
with what `rtfdump --model` prints. Columns are the grid that all the rows' cell edges make
together, as in ODF; a width agrees within 1 %. Prints one line per file that differs, and a
summary; the exit status is 0 whatever differs, since differences are reported, not failed.
"""

import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zipfile
from pathlib import Path

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
}
TWIPS = {"in": 1440.0, "cm": 1440.0 / 2.54, "mm": 144.0 / 2.54, "pt": 20.0}
TOLERANCE = 0.01


def twips(length):
    for unit, factor in TWIPS.items():
        if length.endswith(unit):
            return float(length[: -len(unit)]) * factor
    raise ValueError(length)


def ours(rtfdump, path):
    """Body tables as [rows], each row a list of (left, right, merged across, merged down)."""
    out = subprocess.run([rtfdump, "--model", str(path)], capture_output=True, text=True)
    tables, row = {}, None
    for line in out.stdout.splitlines():
        fields = line.split("\t")
        if fields[0] == "T":
            level, table = int(fields[3]), int(fields[4])
            row = [] if level == 1 else None
            if row is not None:
                tables.setdefault(table, []).append(row)
        elif fields[0] == "C" and row is not None:
            left, right = int(fields[3]), int(fields[4])
            across, down = int(fields[10]), int(fields[11])
            row.append((left, right, across == 2, down == 2))
    return [tables[key] for key in sorted(tables)]


def libreoffice(path, workdir):
    subprocess.run(
        ["soffice", "--headless", "--convert-to", "odt", "--outdir", workdir, str(path)],
        capture_output=True,
        timeout=120,
    )
    odt = Path(workdir) / (path.stem + ".odt")
    if not odt.exists():
        return None
    with zipfile.ZipFile(odt) as archive:
        root = ElementTree.fromstring(archive.read("content.xml"))
    widths = {}
    for style in root.iter(f"{{{NS['style']}}}style"):
        properties = style.find("style:table-column-properties", NS)
        if properties is not None:
            width = properties.get(f"{{{NS['style']}}}column-width")
            if width:
                widths[style.get(f"{{{NS['style']}}}name")] = twips(width)
    text = root.find("office:body/office:text", NS)
    tables = []
    for table in text.iter(f"{{{NS['table']}}}table"):
        if is_nested(table, text):
            continue
        columns = []
        for column in own(table, "table-column"):
            repeat = int(column.get(f"{{{NS['table']}}}number-columns-repeated", "1"))
            columns += [widths.get(column.get(f"{{{NS['table']}}}style-name"), 0.0)] * repeat
        rows = []
        for row in own(table, "table-row"):
            cells, column = [], 0
            for cell in row:
                span = int(cell.get(f"{{{NS['table']}}}number-columns-spanned", "1"))
                repeat = int(cell.get(f"{{{NS['table']}}}number-columns-repeated", "1"))
                for _ in range(repeat):
                    if cell.tag == f"{{{NS['table']}}}table-cell":
                        cells.append(sum(columns[column : column + span]))
                    column += span if cell.tag == f"{{{NS['table']}}}table-cell" else 1
            rows.append(cells)
        tables.append((rows, columns))
    return tables


def parents_of(root):
    return {child: parent for parent in root.iter() for child in parent}


_parents = {}


def is_nested(table, text):
    parents = _parents.setdefault(id(text), parents_of(text))
    node = parents.get(table)
    while node is not None and node is not text:
        if node.tag == f"{{{NS['table']}}}table-cell":
            return True
        node = parents.get(node)
    return False


def own(element, tag):
    """A table's rows or columns, in their groups too, but not those of the tables in its cells."""
    for child in element:
        if child.tag == f"{{{NS['table']}}}{tag}":
            yield child
        elif child.tag != f"{{{NS['table']}}}table-cell":
            yield from own(child, tag)


def grid(rows):
    edges = sorted({edge for row in rows for cell in row for edge in cell[:2]})
    return [b - a for a, b in zip(edges, edges[1:])]


def close(a, b):
    # LibreOffice keeps lengths in hundredths of a millimetre: an edge may move by a twip.
    return abs(a - b) <= max(TOLERANCE * b, 1.5)


def widths_of(row):
    """The widths of a row's cells as LibreOffice shows them: a cell merged into the one before
    widens it, one merged into the one above is covered."""
    widths = []
    for left, right, across, down in row:
        if across and widths:
            widths[-1] += right - left
        elif not down:
            widths.append(right - left)
    return widths


def compare_rows(mine, theirs):
    """Row by row, whatever table each row is put in."""
    rows = [row for table in mine for row in table]
    their_rows = [row for table, _ in theirs for row in table]
    if len(rows) != len(their_rows):
        return [f"rows {len(rows)} / {len(their_rows)}"]
    problems = []
    for number, (row, their_widths) in enumerate(zip(rows, their_rows), 1):
        widths = widths_of(row)
        if len(widths) != len(their_widths):
            problems.append(f"row {number}: cells {len(widths)} / {len(their_widths)}")
        elif not all(close(a, b) for a, b in zip(widths, their_widths)):
            problems.append(f"row {number}: widths {widths} / {[round(w) for w in their_widths]}")
    return problems


def compare(mine, theirs):
    problems = []
    if len(mine) != len(theirs):
        problems.append(f"tables {len(mine)} / LibreOffice {len(theirs)}")
    for number, (rows, (their_rows, their_columns)) in enumerate(zip(mine, theirs), 1):
        cells = [len(widths_of(row)) for row in rows]
        their_cells = [len(row) for row in their_rows]
        if len(rows) != len(their_rows):
            problems.append(f"table {number}: rows {len(rows)} / {len(their_rows)}")
        elif cells != their_cells:
            problems.append(f"table {number}: cells {cells} / {their_cells}")
        columns = grid(rows)
        if len(columns) != len(their_columns):
            problems.append(f"table {number}: columns {len(columns)} / {len(their_columns)}")
        elif not all(close(a, b) for a, b in zip(columns, their_columns)):
            problems.append(
                f"table {number}: widths {[round(a) for a in columns]} / "
                f"{[round(b) for b in their_columns]}"
            )
    return problems


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    rtfdump, files = sys.argv[1], [Path(name) for name in sys.argv[2:]]
    compared = differing = 0
    with tempfile.TemporaryDirectory() as workdir:
        for path in files:
            mine = ours(rtfdump, path)
            if not mine:
                continue
            theirs = libreoffice(path, workdir)
            if theirs is None:
                print(f"{path.name}: LibreOffice did not convert it")
                continue
            compared += 1
            problems = compare(mine, theirs)
            if problems:
                differing += 1
                by_row = compare_rows(mine, theirs)
                verdict = "rows and cells agree row by row" if not by_row else "; ".join(by_row)
                print(f"{path.name}: " + "; ".join(problems) + f" [{verdict}]")
    print(f"{compared} files with tables compared, {differing} differ")


if __name__ == "__main__":
    main()
