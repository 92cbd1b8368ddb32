#include "widget_frame.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace paginor::engine::forms {

namespace {

PdfColor readColor(QPDFObjectHandle array) {
    PdfColor color;
    if (!array.isArray()) {
        return color;
    }
    const int n = array.getArrayNItems();
    if (n != 1 && n != 3 && n != 4) {
        return color;
    }
    for (int i = 0; i < n; ++i) {
        QPDFObjectHandle item = array.getArrayItem(i);
        if (!item.isNumber()) {
            return {};
        }
        color.components.push_back(item.getNumericValue());
    }
    return color;
}

double numberOr(QPDFObjectHandle value, double fallback) {
    return value.isNumber() ? value.getNumericValue() : fallback;
}

std::string colorOperator(const PdfColor& color, bool stroke) {
    std::string op;
    for (double c : color.components) {
        op += pdfNumber(c) + " ";
    }
    switch (color.components.size()) {
    case 1:
        return op + (stroke ? "G" : "g");
    case 3:
        return op + (stroke ? "RG" : "rg");
    case 4:
        return op + (stroke ? "K" : "k");
    default:
        return {};
    }
}

std::string rectangle(double x, double y, double w, double h) {
    return pdfNumber(x) + " " + pdfNumber(y) + " " + pdfNumber(w) + " " + pdfNumber(h) + " re";
}

std::string polygon(std::initializer_list<std::pair<double, double>> points) {
    std::string ops;
    const char* op = " m ";
    for (const auto& [x, y] : points) {
        ops += pdfNumber(x) + " " + pdfNumber(y) + op;
        op = " l ";
    }
    return ops + "f\n";
}

} // namespace

std::string pdfNumber(double value) {
    if (!std::isfinite(value)) {
        return "0";
    }
    char buffer[64];
    // to_chars: snprintf's locale-aware formatting costs ten times more.
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
    if (error != std::errc()) {
        return "0";
    }
    std::string text(buffer, end);
    while (!text.empty() && text.back() == '0') {
        text.pop_back();
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text == "-0" || text.empty() ? "0" : text;
}

QPDFObjectHandle numberArray(std::initializer_list<double> values) {
    QPDFObjectHandle array = QPDFObjectHandle::newArray();
    for (double value : values) {
        array.appendItem(QPDFObjectHandle::newReal(pdfNumber(value)));
    }
    return array;
}

std::string pdfNameToken(const std::string& name) {
    std::string token = "/";
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte > 0x7E || std::strchr("#/()<>[]{}%", c) != nullptr) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "#%02X", byte);
            token += hex;
        } else {
            token += c;
        }
    }
    return token;
}

std::string PdfColor::fillOperator() const {
    return colorOperator(*this, false);
}
std::string PdfColor::strokeOperator() const {
    return colorOperator(*this, true);
}

bool readWidgetFrame(QPDFObjectHandle widget, WidgetFrame& frame) {
    QPDFObjectHandle rect = widget.getKey("/Rect");
    if (!rect.isArray() || rect.getArrayNItems() != 4) {
        return false;
    }
    double r[4];
    for (int i = 0; i < 4; ++i) {
        QPDFObjectHandle item = rect.getArrayItem(i);
        if (!item.isNumber()) {
            return false;
        }
        r[i] = item.getNumericValue();
    }
    frame.width = std::fabs(r[2] - r[0]);
    frame.height = std::fabs(r[3] - r[1]);
    if (!std::isfinite(frame.width) || !std::isfinite(frame.height)) {
        return false;
    }
    QPDFObjectHandle mk = widget.getKey("/MK");
    if (mk.isDictionary()) {
        const long rotation = static_cast<long>(numberOr(mk.getKey("/R"), 0));
        frame.rotation = static_cast<int>(((rotation % 360) + 360) % 360 / 90 * 90);
        frame.background = readColor(mk.getKey("/BG"));
        frame.border = readColor(mk.getKey("/BC"));
    }
    if (frame.rotation == 90 || frame.rotation == 270) {
        std::swap(frame.width, frame.height);
    }
    double width = 1;
    QPDFObjectHandle bs = widget.getKey("/BS");
    QPDFObjectHandle border = widget.getKey("/Border");
    if (bs.isDictionary()) {
        width = numberOr(bs.getKey("/W"), 1);
        QPDFObjectHandle style = bs.getKey("/S");
        if (style.isName() && style.getName().size() == 2) {
            frame.borderStyle = style.getName()[1];
        }
        QPDFObjectHandle dashes = bs.getKey("/D");
        if (dashes.isArray()) {
            for (int i = 0; i < dashes.getArrayNItems(); ++i) {
                frame.dashes.push_back(numberOr(dashes.getArrayItem(i), 3));
            }
        }
    } else if (border.isArray() && border.getArrayNItems() >= 3) {
        width = numberOr(border.getArrayItem(2), 1);
    }
    if (std::string("SDBIU").find(frame.borderStyle) == std::string::npos) {
        frame.borderStyle = 'S';
    }
    frame.borderWidth = frame.border.present() && width > 0 && width < 100 ? width : 0;
    return true;
}

std::string drawFrame(const WidgetFrame& frame) {
    std::string ops;
    const double w = frame.width;
    const double h = frame.height;
    if (frame.background.present()) {
        ops += frame.background.fillOperator() + "\n" + rectangle(0, 0, w, h) + " f\n";
    }
    const double bw = frame.borderWidth;
    if (bw <= 0) {
        return ops;
    }
    if (frame.borderStyle == 'B' || frame.borderStyle == 'I') {
        // Light upper-left and dark lower-right bands inside the border.
        const double a = bw, b = 2 * bw;
        ops += (frame.borderStyle == 'B' ? "1 g\n" : "0.5 g\n") +
               polygon({{a, a}, {a, h - a}, {w - a, h - a}, {w - b, h - b}, {b, h - b}, {b, b}});
        ops += "0.75 g\n" +
               polygon({{w - a, h - a}, {w - a, a}, {a, a}, {b, b}, {w - b, b}, {w - b, h - b}});
    }
    ops += frame.border.strokeOperator() + "\n" + pdfNumber(bw) + " w\n";
    if (frame.borderStyle == 'U') {
        ops += "0 " + pdfNumber(bw / 2) + " m " + pdfNumber(w) + " " + pdfNumber(bw / 2) + " l S\n";
        return ops;
    }
    if (frame.borderStyle == 'D') {
        ops += "[";
        for (double d : frame.dashes.empty() ? std::vector<double>{3} : frame.dashes) {
            ops += pdfNumber(d) + " ";
        }
        ops += "] 0 d\n";
    }
    ops += rectangle(bw / 2, bw / 2, w - bw, h - bw) + " S\n";
    return ops;
}

AppearanceDraft appearanceDraft(const WidgetFrame& frame, const std::string& content,
                                QPDFObjectHandle resources) {
    QPDFObjectHandle dict = QPDFObjectHandle::newDictionary();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
    dict.replaceKey("/BBox", numberArray({0, 0, frame.width, frame.height}));
    if (frame.rotation != 0) {
        // Viewers fit the transformed box to /Rect, so only the turn matters.
        const double c = frame.rotation == 180 ? -1 : 0;
        const double s = frame.rotation == 90 ? 1 : frame.rotation == 270 ? -1 : 0;
        dict.replaceKey("/Matrix", numberArray({c, s, -s, c, 0, 0}));
    }
    if (resources.isDictionary()) {
        dict.replaceKey("/Resources", resources);
    }
    return AppearanceDraft{content, dict};
}

} // namespace paginor::engine::forms
