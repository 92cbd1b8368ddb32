"""Fills text fields with pypdf: pypdf_fill.py FORM.pdf FIELDS-BY-PAGE.json OUT.pdf

This pypdf matches widgets by their partial name, page by page, and asks
viewers to build the appearances (NeedAppearances), which is its way of
turning appearance generation on.
"""
import json
import sys

from pypdf import PdfReader, PdfWriter

reader = PdfReader(sys.argv[1])
writer = PdfWriter()
writer.clone_document_from_reader(reader)
by_page = json.load(open(sys.argv[2]))
for number, values in by_page.items():
    writer.update_page_form_field_values(writer.pages[int(number) - 1], values)
writer.set_need_appearances_writer()
with open(sys.argv[3], "wb") as f:
    writer.write(f)
