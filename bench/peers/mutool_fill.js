// Fills text fields with MuPDF's JavaScript: mutool run mutool_fill.js FORM.pdf FIELDS.json OUT.pdf
// FIELDS.json is [{"name": fully qualified name, "value": text}, ...].
// The widget objects of this MuPDF do not tell their field name, so the
// field tree is walked to set /V, the stale appearance is dropped, and every
// widget is then asked to rebuild its appearance.

function fillDocument(doc, values) {
  var acroForm = doc.getTrailer().get("Root").get("AcroForm");
  function visit(field, prefix) {
    var partial = field.get("T");
    var name = prefix;
    if (partial && partial.isString()) name = prefix ? prefix + "." + partial.asString() : partial.asString();
    var kids = field.get("Kids");
    var hasFieldKids = false;
    if (kids && kids.isArray()) {
      for (var i = 0; i < kids.length; ++i) {
        var t = kids.get(i).get("T");
        if (t && t.isString()) { hasFieldKids = true; visit(kids.get(i), name); }
      }
    }
    if (hasFieldKids || !values.hasOwnProperty(name)) return;
    field.put("V", doc.newString(values[name]));
    if (kids && kids.isArray()) {
      for (var k = 0; k < kids.length; ++k) kids.get(k).delete("AP");
    } else {
      field.delete("AP");
    }
  }
  var fields = acroForm.get("Fields");
  for (var i = 0; i < fields.length; ++i) visit(fields.get(i), "");
  var count = doc.countPages();
  for (var p = 0; p < count; ++p) {
    var widgets = doc.loadPage(p).getWidgets();
    for (var w = 0; w < widgets.length; ++w) widgets[w].update();
  }
}

function valueMap(jsonPath) {
  var list = JSON.parse(read(jsonPath));
  var map = {};
  for (var i = 0; i < list.length; ++i) map[list[i].name] = list[i].value;
  return map;
}

if (typeof exports !== "undefined") exports.fillDocument = fillDocument;
if (typeof batchMode === "undefined") {
  var doc = new PDFDocument(scriptArgs[0]);
  fillDocument(doc, valueMap(scriptArgs[1]));
  doc.save(scriptArgs[2], "");
}
