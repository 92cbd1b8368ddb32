// Small helpers for writing sample PDFs with qpdf: pages with text, and
// deterministic output.
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <string>
#include <vector>

namespace samples {

// A line of text at (x, y) in points, in the page font /F1 (or /F2).
struct TextLine {
    double x;
    double y;
    std::string text;
    double size = 12;
    const char* font = "/F1";
};

// Escapes text for a PDF literal string.
std::string literal(const std::string& text);

QPDFObjectHandle standardFont(QPDF& pdf, const std::string& baseFont);

// Adds an A4-sized page showing `lines` (plus `extraContent` operators) with
// Helvetica as /F1 and Times-Roman as /F2, and answers the page dictionary.
QPDFObjectHandle addTextPage(QPDF& pdf, const std::vector<TextLine>& lines,
                             const std::string& extraContent = "");

// Sets the Info dictionary and an XMP packet that agrees with it.
void describe(QPDF& pdf, const std::string& title, const std::string& author,
              const std::string& subject);

// Writes with fixed IDs so regenerating gives the same bytes.
void writeDeterministic(QPDF& pdf, const std::string& path);

} // namespace samples
