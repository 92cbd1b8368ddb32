"""A small PDF writer for benchmark inputs: text pages and plain text-field forms.

Standard library only, so inputs can be made before any PDF tool is installed.
Text uses the standard Helvetica font, which every reader knows without an
embedded font program.
"""

import random
import struct
import zlib

WORDS = (
    "invoice order amount total payment account customer address balance due "
    "date number record report quarter annual tax return form field value page "
    "document section summary statement credit debit shipment delivery contract "
    "signature approval review schedule period office branch region product"
).split()


def _escape(text):
    return text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")


class PdfWriter:
    def __init__(self):
        self.objects = []  # bytes per object, index = number - 1

    def reserve(self):
        self.objects.append(None)
        return len(self.objects)

    def set(self, number, body):
        self.objects[number - 1] = body.encode("latin-1") if isinstance(body, str) else body

    def add(self, body):
        number = self.reserve()
        self.set(number, body)
        return number

    def add_stream(self, data, extra=""):
        data = data.encode("latin-1") if isinstance(data, str) else data
        return self.add(b"<< /Length %d %s >>\nstream\n" % (len(data), extra.encode()) + data + b"\nendstream")

    def write(self, path, root):
        info = self.add("<< /Producer (Paginor benchmark inputs) >>")
        out = bytearray(b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n")
        offsets = []
        for number, body in enumerate(self.objects, start=1):
            offsets.append(len(out))
            out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
        xref = len(out)
        out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(self.objects) + 1)
        for offset in offsets:
            out += b"%010d 00000 n \n" % offset
        out += b"trailer\n<< /Size %d /Root %d 0 R /Info %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
            len(self.objects) + 1,
            root,
            info,
            xref,
        )
        with open(path, "wb") as f:
            f.write(out)


def _text_page_content(rng, title, lines=48):
    parts = ["BT /F1 14 Tf 56 750 Td (%s) Tj ET" % _escape(title)]
    parts.append("BT /F1 10 Tf 12 TL 56 720 Td")
    for _ in range(lines):
        words = " ".join(rng.choice(WORDS) for _ in range(rng.randint(9, 13)))
        parts.append("(%s) '" % _escape(words))
    parts.append("ET")
    return "\n".join(parts)


def write_text_document(path, pages, label, seed):
    """A document of `pages` pages of running text, about 500 words a page."""
    rng = random.Random(seed)
    w = PdfWriter()
    catalog, page_tree = w.reserve(), w.reserve()
    font = w.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")
    kids = []
    for n in range(1, pages + 1):
        content = w.add_stream(_text_page_content(rng, "%s, page %d" % (label, n)))
        kids.append(
            w.add(
                "<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792] "
                "/Resources << /Font << /F1 %d 0 R >> >> /Contents %d 0 R >>" % (page_tree, font, content)
            )
        )
    w.set(page_tree, "<< /Type /Pages /Count %d /Kids [%s] >>" % (pages, " ".join("%d 0 R" % k for k in kids)))
    w.set(catalog, "<< /Type /Catalog /Pages %d 0 R >>" % page_tree)
    w.write(path, catalog)


FIELDS_PER_PAGE = 50


def field_name(index):
    return "field%05d" % index


def field_rect(index):
    slot = index % FIELDS_PER_PAGE
    col, row = slot % 2, slot // 2
    x = 56 + col * 260
    y = 740 - row * 28
    return (x + 70, y - 4, x + 250, y + 14)


IMAGE_SIDE = 1024  # pixels; an RGB image of this side holds 3 MiB


def _image_page(w, page_tree, seed, megabytes_left):
    """A page showing one incompressible RGB image (unfiltered), at most 3 MiB."""
    rows = min(IMAGE_SIDE, max(1, megabytes_left * 1024 * 1024 // (IMAGE_SIDE * 3)))
    data = random.Random(seed).randbytes(IMAGE_SIDE * rows * 3)
    image = w.add_stream(
        data,
        "/Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceRGB /BitsPerComponent 8"
        % (IMAGE_SIDE, rows),
    )
    content = w.add_stream("q 500 0 0 %d 56 100 cm /Im1 Do Q" % max(1, rows * 500 // IMAGE_SIDE))
    page = w.add(
        "<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792] /Resources << /XObject << /Im1 %d 0 R >> >> "
        "/Contents %d 0 R >>" % (page_tree, image, content)
    )
    return page, len(data)


def write_form(path, fields, image_megabytes=0):
    """A form of `fields` single-widget text fields, 50 a page, each with a label,
    followed by pages of images holding `image_megabytes` MiB in all."""
    w = PdfWriter()
    catalog, page_tree, acroform = w.reserve(), w.reserve(), w.reserve()
    font = w.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")
    kids, all_fields = [], []
    pages = (fields + FIELDS_PER_PAGE - 1) // FIELDS_PER_PAGE
    for p in range(pages):
        page = w.reserve()
        first = p * FIELDS_PER_PAGE
        indexes = range(first, min(first + FIELDS_PER_PAGE, fields))
        labels = []
        annots = []
        for i in indexes:
            x0, y0, x1, y1 = field_rect(i)
            labels.append("BT /F1 9 Tf %d %d Td (Item %d) Tj ET" % (x0 - 66, y0 + 4, i + 1))
            labels.append("0.6 g %d %d %d %d re f 0 g" % (x0, y0 - 1, x1 - x0, 1))
            annots.append(
                w.add(
                    "<< /Type /Annot /Subtype /Widget /FT /Tx /T (%s) /Rect [%d %d %d %d] "
                    "/F 4 /P %d 0 R /DA (/Helv 10 Tf 0 g) /MK << /BC [0.5 0.5 0.5] >> >>"
                    % (field_name(i), x0, y0, x1, y1, page)
                )
            )
        content = w.add_stream("\n".join(labels))
        w.set(
            page,
            "<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 %d 0 R >> >> "
            "/Contents %d 0 R /Annots [%s] >>"
            % (page_tree, font, content, " ".join("%d 0 R" % a for a in annots)),
        )
        kids.append(page)
        all_fields.extend(annots)
    left = image_megabytes * 1024 * 1024
    while left > 0:
        page, size = _image_page(w, page_tree, len(kids), (left + 1024 * 1024 - 1) // (1024 * 1024))
        kids.append(page)
        left -= size
    helv = w.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding /Name /Helv >>")
    w.set(
        acroform,
        "<< /Fields [%s] /DA (/Helv 0 Tf 0 g) /DR << /Font << /Helv %d 0 R >> >> >>"
        % (" ".join("%d 0 R" % f for f in all_fields), helv),
    )
    w.set(page_tree, "<< /Type /Pages /Count %d /Kids [%s] >>" % (len(kids), " ".join("%d 0 R" % k for k in kids)))
    w.set(catalog, "<< /Type /Catalog /Pages %d 0 R /AcroForm %d 0 R >>" % (page_tree, acroform))
    w.write(path, catalog)


def _s15(value):
    return struct.pack(">i", int(round(value * 65536)))


def _icc_tag_xyz(x, y, z):
    return b"XYZ " + b"\0" * 4 + _s15(x) + _s15(y) + _s15(z)


def srgb_like_icc_profile():
    """A small ICC v2 display profile (sRGB primaries adapted to D50, gamma 2.2),
    built here so that the input carries no third-party profile."""
    description = b"Paginor benchmark RGB"
    tags = [
        (b"desc", b"desc" + b"\0" * 4 + struct.pack(">I", len(description) + 1) + description + b"\0"
         + b"\0" * 8 + b"\0" * 3 + b"\0" * 67),
        (b"cprt", b"text" + b"\0" * 4 + b"No copyright, generated\0"),
        (b"wtpt", _icc_tag_xyz(0.9642, 1.0, 0.8249)),
        (b"rXYZ", _icc_tag_xyz(0.4361, 0.2225, 0.0139)),
        (b"gXYZ", _icc_tag_xyz(0.3851, 0.7169, 0.0971)),
        (b"bXYZ", _icc_tag_xyz(0.1431, 0.0606, 0.7141)),
    ]
    curve = b"curv" + b"\0" * 4 + struct.pack(">IH", 1, 0x0233) + b"\0\0"
    tags += [(b"rTRC", curve), (b"gTRC", curve), (b"bTRC", curve)]
    table_size = 4 + 12 * len(tags)
    offset = 128 + table_size
    table, data = struct.pack(">I", len(tags)), b""
    for signature, body in tags:
        body += b"\0" * (-len(body) % 4)
        table += signature + struct.pack(">II", offset + len(data), len(body))
        data += body
    size = 128 + table_size + len(data)
    header = (struct.pack(">I", size) + b"\0" * 4 + struct.pack(">I", 0x02100000) + b"mntrRGB XYZ "
              + struct.pack(">6H", 2026, 1, 1, 0, 0, 0) + b"acsp" + b"\0" * 24 + struct.pack(">I", 0)
              + _s15(0.9642) + _s15(1.0) + _s15(0.8249) + b"\0" * 48)
    assert len(header) == 128
    return header + table + data


def _photo(rng, width, height):
    """RGB samples of a smooth picture with some noise, like a photograph."""
    rows = bytearray()
    cx, cy = rng.uniform(0, width), rng.uniform(0, height)
    for y in range(height):
        for x in range(width):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            rows += bytes(((int(d * 3) + rng.randint(0, 12)) % 256, (x * 4) % 256, (y * 4 + rng.randint(0, 8)) % 256))
    return bytes(rows)


def _report_page_content(rng, title, number):
    """A page of a printed report: a coloured heading, two fonts, a table with
    rules in ICC colours, a photograph and a footer."""
    ops = ["/CS0 cs 0.10 0.25 0.55 sc", "BT /F2 18 Tf 56 740 Td (%s) Tj ET" % _escape(title)]
    ops.append("/CS0 CS 0.10 0.25 0.55 SC 1.5 w 56 730 m 556 730 l S")
    ops.append("q 160 0 0 100 396 600 cm /Im0 Do Q")
    ops.append("/CS0 cs 0.15 0.15 0.15 sc BT /F1 10 Tf 12 TL 56 705 Td")
    for _ in range(9):
        ops.append("(%s) '" % _escape(" ".join(rng.choice(WORDS) for _ in range(rng.randint(6, 8)))))
    ops.append("ET")
    y = 560
    for row in range(12):
        shade = 0.92 if row % 2 else 0.98
        ops.append("/CS0 cs %.2f %.2f %.2f sc 56 %d 500 16 re f" % (shade, shade, 1.0, y - 4))
        ops.append("/CS0 cs 0 0 0 sc BT /F1 9 Tf")
        for col, x in enumerate((60, 200, 320, 440)):
            cell = rng.choice(WORDS).capitalize() if col == 0 else "%d.%02d" % (rng.randint(10, 99999), rng.randint(0, 99))
            ops.append("1 0 0 1 %d %d Tm (%s) Tj" % (x, y, _escape(cell)))
        ops.append("ET")
        y -= 16
    ops.append("/CS0 cs 0.15 0.15 0.15 sc BT /F2 10 Tf 12 TL 56 350 Td")
    for _ in range(20):
        ops.append("(%s) '" % _escape(" ".join(rng.choice(WORDS) for _ in range(rng.randint(9, 12)))))
    ops.append("ET")
    ops.append("/CS0 cs 0.4 0.4 0.4 sc BT /F1 8 Tf 290 40 Td (%d) Tj ET" % number)
    return "\n".join(ops)


def write_icc_report(path, pages, seed):
    """A report as design programs export it: Flate-compressed pages whose text,
    rules and photographs use an ICC-based colour space (one embedded profile
    shared by every page, the photographs' too), with an output intent."""
    rng = random.Random(seed)
    w = PdfWriter()
    catalog, page_tree = w.reserve(), w.reserve()
    profile = zlib.compress(srgb_like_icc_profile())
    icc = w.add_stream(profile, "/N 3 /Alternate /DeviceRGB /Filter /FlateDecode")
    helvetica = w.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")
    times = w.add("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding /WinAnsiEncoding >>")
    intent = w.add("<< /Type /OutputIntent /S /GTS_PDFX /OutputConditionIdentifier (Generated RGB) "
                   "/DestOutputProfile %d 0 R >>" % icc)
    kids = []
    for n in range(1, pages + 1):
        image = w.add_stream(
            zlib.compress(_photo(rng, 48, 30)),
            "/Type /XObject /Subtype /Image /Width 48 /Height 30 /BitsPerComponent 8 "
            "/ColorSpace [/ICCBased %d 0 R] /Filter /FlateDecode" % icc,
        )
        content = w.add_stream(
            zlib.compress(_report_page_content(rng, "Annual report, section %d" % n, n).encode("latin-1")),
            "/Filter /FlateDecode",
        )
        kids.append(
            w.add(
                "<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792] /Resources << "
                "/Font << /F1 %d 0 R /F2 %d 0 R >> /ColorSpace << /CS0 [/ICCBased %d 0 R] >> "
                "/XObject << /Im0 %d 0 R >> >> /Contents %d 0 R >>" % (page_tree, helvetica, times, icc, image, content)
            )
        )
    w.set(page_tree, "<< /Type /Pages /Count %d /Kids [%s] >>" % (pages, " ".join("%d 0 R" % k for k in kids)))
    w.set(catalog, "<< /Type /Catalog /Pages %d 0 R /OutputIntents [%d 0 R] >>" % (page_tree, intent))
    w.write(path, catalog)
