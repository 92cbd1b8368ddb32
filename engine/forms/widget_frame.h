// A widget's box as an appearance stream sees it: size in its own upright
// space (after /MK /R rotation), background and border, and the stream that
// carries a drawing into /AP.
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <initializer_list>
#include <string>
#include <vector>

namespace paginor::engine::forms {

struct PdfColor {
    std::vector<double> components; // 1 gray, 3 RGB, 4 CMYK; empty means none
    bool present() const { return !components.empty(); }
    std::string fillOperator() const;
    std::string strokeOperator() const;
};

struct WidgetFrame {
    double width = 0;
    double height = 0;
    int rotation = 0; // 0, 90, 180 or 270
    PdfColor background;
    PdfColor border;
    double borderWidth = 0; // 0 when no border is drawn
    char borderStyle = 'S'; // S solid, D dashed, B beveled, I inset, U underline
    std::vector<double> dashes;

    // Room the border takes on each side.
    double inset() const {
        return borderStyle == 'B' || borderStyle == 'I' ? 2 * borderWidth : borderWidth;
    }
};

// False when the widget has no usable /Rect.
bool readWidgetFrame(QPDFObjectHandle widget, WidgetFrame& frame);

// Background and border drawing operators.
std::string drawFrame(const WidgetFrame& frame);

// An appearance drawn but not yet in the document: a write draws every
// widget first and changes the document only once all of them succeeded.
struct AppearanceDraft {
    std::string content;
    QPDFObjectHandle dictionary; // direct
};

// A form XObject over the frame's box, rotated back onto the page.
AppearanceDraft appearanceDraft(const WidgetFrame& frame, const std::string& content,
                                QPDFObjectHandle resources);

// Formats a number for a content stream: short, no exponent.
std::string pdfNumber(double value);

// An array of numbers formatted as pdfNumber does (qpdf's own conversion of
// doubles goes through a string stream, a large part of drawing a widget).
QPDFObjectHandle numberArray(std::initializer_list<double> values);

// A name token for a content stream ("/" included), escaping what must be.
std::string pdfNameToken(const std::string& name);

} // namespace paginor::engine::forms
