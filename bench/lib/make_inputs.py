"""Makes every benchmark input under one folder: forms, field lists, CSV rows,
documents to assemble and text documents, plus the scenario scripts that
need the form's field names written into them.

Field information is read with `qpdf --json`, so only qpdf is needed here.
"""

import csv
import hashlib
import json
import os
import shutil
import subprocess
from xml.sax.saxutils import quoteattr, escape

import pdf_writer

PATHS = {}
BENCH = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Real forms tried in order for "fill one form"; a generated one stands in.
CORPUS_FORMS = ("irs-1040-prefilled.pdf", "ca-cannabis-duty-return-comb.pdf")

FULL = {
    "generated_form_fields": 150,
    "batch_rows": 500,
    "batch_columns": 10,
    "assemble_files": 50,
    "assemble_pages": 20,
    "text_pages": (50, 300, 1200),
    "icc_report_pages": 155,
    "many_fields": (100, 1000, 10000),
    "append_fields": 16,
    "append_counts": (100, 200),
    "image_megabytes": 50,
}
SMOKE = {
    "generated_form_fields": 12,
    "batch_rows": 2,
    "batch_columns": 4,
    "assemble_files": 3,
    "assemble_pages": 2,
    "text_pages": (2, 4),
    "icc_report_pages": 2,
    "many_fields": (10, 20),
    "append_fields": 4,
    "append_counts": (2, 4),
    "image_megabytes": 1,
}

# Fields of the image scenario's form (written: the first IMAGE_FORM_WRITTEN).
IMAGE_FORM_FIELDS = 20
IMAGE_FORM_WRITTEN = 10


def corpus_dir():
    env = os.environ.get("PAGINOR_CORPUS")
    if env:
        return env
    return os.path.join(os.path.dirname(os.path.dirname(BENCH)), "shared", "corpus")


def _text(value):
    # qpdf's JSON marks strings "u:" (text) or "b:" (bytes as hex).
    if isinstance(value, str) and value.startswith("u:"):
        return value[2:]
    if isinstance(value, str) and value.startswith("b:"):
        return bytes.fromhex(value[2:]).decode("latin-1")
    return value


def text_fields(pdf):
    """Terminal text fields in page order: name, partial name, MaxLen, page, rect."""
    raw = subprocess.run(
        ["qpdf", "--json", "--json-key=qpdf", "--json-key=pages", "--json-key=acroform", pdf],
        check=True,
        capture_output=True,
    ).stdout
    doc = json.loads(raw)
    objects = doc["qpdf"][1]

    def obj(ref):
        return objects.get("obj:" + ref, {}).get("value", {})

    def inherited(ref, key):
        seen = set()
        while ref and ref not in seen:
            seen.add(ref)
            d = obj(ref)
            if key in d:
                return d[key]
            ref = d.get("/Parent")
        return None

    page_boxes = {}
    for page in doc["pages"]:
        box = inherited(page["object"], "/CropBox") or inherited(page["object"], "/MediaBox")
        page_boxes[page["pageposfrom1"]] = [float(v) for v in box]

    fields, seen = [], set()
    for f in doc["acroform"]["fields"]:
        if f["fieldtype"] != "/Tx" or f["fullname"] in seen:
            continue
        ff = inherited(f["object"], "/Ff") or 0
        if ff & 1:  # read-only: a user does not fill it
            continue
        seen.add(f["fullname"])
        widget = obj(f["annotation"]["object"])
        max_len = inherited(f["object"], "/MaxLen")
        fields.append(
            {
                "name": f["fullname"],
                "partial": f["partialname"],
                "max_len": int(max_len) if max_len else None,
                "comb": bool(ff & (1 << 24)),
                "page": f["pageposfrom1"],
                "rect": [float(v) for v in widget.get("/Rect", [0, 0, 0, 0])],
            }
        )
    return fields, page_boxes


def clip(value, max_len):
    return value[:max_len] if max_len else value


def calc_text(value):
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"').replace("¶", "\\¶") + '"'


def xfdf(values):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<xfdf xmlns="http://ns.adobe.com/xfdf/" xml:space="preserve">', "<fields>"]
    for name, value in values:
        lines.append("<field name=%s><value>%s</value></field>" % (quoteattr(name), escape(value)))
    lines += ["</fields>", "</xfdf>", ""]
    return "\n".join(lines)


def expand_template(template, out_path, **replacements):
    replacements.update(INPUT=PATHS["input"], OUT=PATHS["out"])
    with open(os.path.join(BENCH, "calc", template), encoding="utf-8") as f:
        text = f.read()
    for key, value in replacements.items():
        text = text.replace("{{%s}}" % key, value)
    with open(out_path, "w", encoding="utf-8") as f:
        f.write(text)


def check_fields(fields, page_boxes, count):
    """The widest fields of page 1 whose render is compared with the empty form."""
    first = [f for f in fields if f["page"] == 1 and f["rect"][2] - f["rect"][0] > 20]
    first.sort(key=lambda f: -(f["rect"][2] - f["rect"][0]) * (f["rect"][3] - f["rect"][1]))
    return [{"name": f["name"], "rect": f["rect"], "page": 1, "box": page_boxes[1]} for f in first[:count]]


def make_fill(root, sizes):
    d = os.path.join(root, "fill")
    os.makedirs(d, exist_ok=True)
    form = os.path.join(d, "form.pdf")
    source = None
    for name in CORPUS_FORMS:
        candidate = os.path.join(corpus_dir(), "forms", name)
        if os.path.exists(candidate) and sizes is FULL:
            source = candidate
            break
    if source:
        shutil.copyfile(source, form)
    else:
        pdf_writer.write_form(form, sizes["generated_form_fields"])
    fields, boxes = text_fields(form)
    values = [(f["name"], clip("A%d" % (i + 1), f["max_len"])) for i, f in enumerate(fields)]
    with open(os.path.join(d, "fields.json"), "w") as f:
        json.dump([{"name": n, "value": v} for n, v in values], f)
    partial = {}
    for f, (_, v) in zip(fields, values):
        partial.setdefault(str(f["page"]), {})[f["partial"]] = v
    with open(os.path.join(d, "fields-by-page.json"), "w") as f:
        json.dump(partial, f)
    with open(os.path.join(d, "fill.xfdf"), "w", encoding="utf-8") as f:
        f.write(xfdf(values))
    lines = "\n".join("QELT_SetPDFFieldValue ( %s ; %s )" % (calc_text(n), calc_text(v)) for n, v in values)
    expand_template("fill_one.calc", os.path.join(d, "fill_one.calc"), FIELD_LINES=lines)
    checks = check_fields(fields, boxes, 6)
    for c in checks:
        c["value"] = dict(values)[c["name"]]
    meta = {"source": os.path.basename(source) if source else "generated", "fields": len(fields), "checks": checks}
    with open(os.path.join(d, "meta.json"), "w") as f:
        json.dump(meta, f, indent=1)
    return fields, boxes


def make_batch(root, sizes, fields, boxes):
    d = os.path.join(root, "batch")
    os.makedirs(os.path.join(d, "xfdf"), exist_ok=True)
    # Mail-merge style: the first columns of wide, unlimited fields on page 1.
    chosen = [f for f in fields if not f["max_len"] and f["rect"][2] - f["rect"][0] > 60]
    chosen = chosen[: sizes["batch_columns"]]
    columns = ["c%d" % (i + 1) for i in range(len(chosen))]
    rows = []
    for r in range(1, sizes["batch_rows"] + 1):
        rows.append(["Row %d column %d" % (r, c + 1) for c in range(len(chosen))])
    with open(os.path.join(d, "rows.csv"), "w", newline="", encoding="utf-8") as f:
        w = csv.writer(f, lineterminator="\r\n")
        w.writerow(columns)
        w.writerows(rows)
    for r, row in enumerate(rows, start=1):
        with open(os.path.join(d, "xfdf", "%d.xfdf" % r), "w", encoding="utf-8") as f:
            f.write(xfdf([(fd["name"], v) for fd, v in zip(chosen, row)]))
    with open(os.path.join(d, "columns.json"), "w") as f:
        json.dump([fd["name"] for fd in chosen], f)
    lines = "\n".join(
        "QELT_SetPDFFieldValue ( %s ; $%s )" % (calc_text(fd["name"]), col) for fd, col in zip(chosen, columns)
    )
    expand_template("batch.calc", os.path.join(d, "batch.calc"), FIELD_LINES=lines)
    checks = check_fields(chosen, boxes, len(chosen))
    for c in checks:
        c["value"] = rows[0][[fd["name"] for fd in chosen].index(c["name"])]
    with open(os.path.join(d, "meta.json"), "w") as f:
        json.dump({"rows": len(rows), "columns": len(chosen), "checks": checks}, f, indent=1)


def one_row_csv(path, row):
    with open(path, "w", newline="", encoding="utf-8") as f:
        w = csv.writer(f, lineterminator="\r\n")
        w.writerow(list(row))
        w.writerow(list(row.values()))


def make_assemble(root, sizes):
    d = os.path.join(root, "assemble")
    os.makedirs(d, exist_ok=True)
    for i in range(1, sizes["assemble_files"] + 1):
        pdf_writer.write_text_document(
            os.path.join(d, "part-%02d.pdf" % i), sizes["assemble_pages"], "Part %d" % i, seed=1000 + i
        )
    with open(os.path.join(d, "meta.json"), "w") as f:
        json.dump({"files": sizes["assemble_files"], "pages": sizes["assemble_files"] * sizes["assemble_pages"]}, f)


def make_text(root, sizes):
    d = os.path.join(root, "text")
    os.makedirs(d, exist_ok=True)
    for pages in sizes["text_pages"]:
        pdf_writer.write_text_document(os.path.join(d, "doc-%d.pdf" % pages), pages, "Report", seed=pages)
    # Like a report exported from a layout program: ICC-based colours and an
    # output intent, which make text extraction pay for colour management.
    pdf_writer.write_icc_report(os.path.join(d, "icc-report.pdf"), sizes["icc_report_pages"], seed=155)


def make_many_fields(root, sizes):
    d = os.path.join(root, "fields")
    os.makedirs(d, exist_ok=True)
    for n in sizes["many_fields"]:
        pdf_writer.write_form(os.path.join(d, "form-%d.pdf" % n), n)


def make_append_growth(root, sizes):
    d = os.path.join(root, "append")
    os.makedirs(d, exist_ok=True)
    pdf_writer.write_form(os.path.join(d, "form.pdf"), sizes["append_fields"])


def make_images(root, sizes):
    """The same small form twice, once followed by pages of images: what a
    save costs beyond the change shows as the difference."""
    d = os.path.join(root, "images")
    os.makedirs(d, exist_ok=True)
    pdf_writer.write_form(os.path.join(d, "small.pdf"), IMAGE_FORM_FIELDS)
    pdf_writer.write_form(os.path.join(d, "images.pdf"), IMAGE_FORM_FIELDS, sizes["image_megabytes"])
    lines = "\n".join(
        'QELT_SetPDFFieldValue ( "%s" ; "Value %d" )' % (pdf_writer.field_name(i), i + 1)
        for i in range(IMAGE_FORM_WRITTEN)
    )
    expand_template("fill_ten.calc", os.path.join(d, "fill_ten.calc"), FIELD_LINES=lines)
    with open(os.path.join(d, "meta.json"), "w") as f:
        json.dump({"megabytes": sizes["image_megabytes"], "written": IMAGE_FORM_WRITTEN}, f)


def _source_digest():
    digest = hashlib.sha256()
    for folder in ("lib", "calc"):
        for name in sorted(os.listdir(os.path.join(BENCH, folder))):
            path = os.path.join(BENCH, folder, name)
            if os.path.isfile(path):
                with open(path, "rb") as f:
                    digest.update(name.encode() + f.read())
    return digest.hexdigest()


def make_all(root, out_root, smoke):
    """Makes the inputs under `root` unless the same sources made them already."""
    PATHS.update(input=root, out=out_root)
    sizes = SMOKE if smoke else FULL
    stamp = os.path.join(root, "complete.json")
    wanted = {
        "sizes": {k: list(v) if isinstance(v, tuple) else v for k, v in sizes.items()},
        "sources": _source_digest(),
        "out": out_root,
    }
    if os.path.exists(stamp):
        with open(stamp) as f:
            if json.load(f) == wanted:
                return
    os.makedirs(root, exist_ok=True)
    fields, boxes = make_fill(root, sizes)
    make_batch(root, sizes, fields, boxes)
    make_assemble(root, sizes)
    make_text(root, sizes)
    make_many_fields(root, sizes)
    make_append_growth(root, sizes)
    make_images(root, sizes)
    with open(stamp, "w") as f:
        json.dump(wanted, f)
