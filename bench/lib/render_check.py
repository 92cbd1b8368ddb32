"""Does a filled value show? Renders page 1 of the filled file and of the empty
form, and compares the pixels inside each checked field's rectangle.

A field counts as showing when enough pixels in its rectangle changed. Both
poppler (pdftoppm) and MuPDF (mutool draw) render, because a value that only
one kind of viewer shows is not filled for the users of the other.
"""

import os
import subprocess
import tempfile

DPI = 100
MIN_CHANGED_PIXELS = 12


def _read_pgm(path):
    with open(path, "rb") as f:
        data = f.read()
    # Binary PGM: magic, width, height, maxval, each followed by white space.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos : pos + 1].isspace():
            pos += 1
        if data[pos : pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end : end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    if fields[0] != b"P5":
        raise ValueError("%s is not a binary PGM file" % path)
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos : pos + width * height]


def render(pdf, renderer, folder):
    """Page 1 as a grey PGM; returns (width, height, pixels)."""
    base = os.path.join(folder, renderer)
    if renderer == "poppler":
        subprocess.run(
            ["pdftoppm", "-gray", "-r", str(DPI), "-f", "1", "-l", "1", "-singlefile", pdf, base],
            check=True,
            capture_output=True,
        )
        return _read_pgm(base + ".pgm")
    subprocess.run(
        ["mutool", "draw", "-q", "-r", str(DPI), "-c", "gray", "-o", base + ".pgm", pdf, "1"],
        check=True,
        capture_output=True,
    )
    return _read_pgm(base + ".pgm")


def _changed_pixels(empty, filled, rect, box):
    width, height, a = empty
    w2, h2, b = filled
    if (width, height) != (w2, h2):
        return 10**9  # a different page size is certainly a visible change
    scale = DPI / 72.0
    x0 = int((min(rect[0], rect[2]) - box[0]) * scale)
    x1 = int((max(rect[0], rect[2]) - box[0]) * scale)
    y0 = int((box[3] - max(rect[1], rect[3])) * scale)
    y1 = int((box[3] - min(rect[1], rect[3])) * scale)
    changed = 0
    for y in range(max(y0, 0), min(y1, height)):
        row = y * width
        for x in range(max(x0, 0), min(x1, width)):
            if abs(a[row + x] - b[row + x]) > 48:
                changed += 1
    return changed


def fields_shown(empty_pdf, filled_pdf, checks):
    """{renderer: number of checked fields whose value shows}."""
    result = {}
    with tempfile.TemporaryDirectory() as tmp:
        for renderer in ("poppler", "mupdf"):
            e_dir, f_dir = os.path.join(tmp, "e"), os.path.join(tmp, "f")
            os.makedirs(e_dir, exist_ok=True)
            os.makedirs(f_dir, exist_ok=True)
            try:
                empty = render(empty_pdf, renderer, e_dir)
                filled = render(filled_pdf, renderer, f_dir)
            except (subprocess.CalledProcessError, ValueError, OSError):
                result[renderer] = 0
                continue
            result[renderer] = sum(
                1 for c in checks if _changed_pixels(empty, filled, c["rect"], c["box"]) >= MIN_CHANGED_PIXELS
            )
    return result
