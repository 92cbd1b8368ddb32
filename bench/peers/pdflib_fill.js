// Fills text fields with pdf-lib (appearances are rebuilt on save).
//   node pdflib_fill.js one FORM.pdf FIELDS.json OUT.pdf
//   node pdflib_fill.js batch FORM.pdf COLUMNS.json ROWS.csv OUTDIR
// FIELDS.json is [{"name", "value"}]; COLUMNS.json lists the field of each
// CSV column. The CSV is the benchmark's own: no quotes, no commas in values.
"use strict";
const fs = require("fs");
const path = require("path");
const { PDFDocument } = require(path.join(__dirname, "..", "node", "node_modules", "pdf-lib"));

async function fill(bytes, pairs) {
  const doc = await PDFDocument.load(bytes);
  const form = doc.getForm();
  for (const [name, value] of pairs) form.getTextField(name).setText(value);
  return doc.save();
}

async function main() {
  const [mode, formPath, ...rest] = process.argv.slice(2);
  const bytes = fs.readFileSync(formPath);
  if (mode === "one") {
    const fields = JSON.parse(fs.readFileSync(rest[0], "utf8"));
    fs.writeFileSync(rest[1], await fill(bytes, fields.map((f) => [f.name, f.value])));
    return;
  }
  const columns = JSON.parse(fs.readFileSync(rest[0], "utf8"));
  const lines = fs.readFileSync(rest[1], "utf8").split(/\r?\n/).filter((l) => l.length > 0);
  for (let row = 1; row < lines.length; ++row) {
    const values = lines[row].split(",");
    const out = await fill(bytes, columns.map((name, i) => [name, values[i]]));
    fs.writeFileSync(path.join(rest[2], `${row}.pdf`), out);
  }
}

main().catch((e) => {
  console.error(e.stack || String(e));
  process.exit(1);
});
