// One mutool process fills the form once per CSV row:
//   mutool run mutool_batch.js FILL.js FORM.pdf COLUMNS.json ROWS.csv OUTDIR
// FILL.js is mutool_fill.js, whose fillDocument does the work.
var batchMode = true;
// require() adds the ".js" itself.
var fillDocument = require(scriptArgs[0].replace(/\.js$/, "")).fillDocument;
var columns = JSON.parse(read(scriptArgs[2]));
var lines = read(scriptArgs[3]).split(/\r?\n/);
for (var row = 1; row < lines.length; ++row) {
  if (lines[row].length === 0) continue;
  var values = lines[row].split(",");
  var map = {};
  for (var c = 0; c < columns.length; ++c) map[columns[c]] = values[c];
  var doc = new PDFDocument(scriptArgs[1]);
  fillDocument(doc, map);
  doc.save(scriptArgs[4] + "/" + row + ".pdf", "");
}
