#include "button_appearance.h"

#include "engine/document/bounded_stream_decoding.h"

#include "da_parser.h"
#include "field_attributes.h"
#include "widget_frame.h"

#include <algorithm>
#include <regex>

namespace paginor::engine::forms {

namespace {

std::string strokeColorFromFill(std::string op) {
    auto endsWith = [&op](const std::string& tail) {
        return op.size() >= tail.size() &&
               op.compare(op.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (endsWith(" rg")) {
        op.replace(op.size() - 2, 2, "RG");
    } else if (endsWith(" g")) {
        op.back() = 'G';
    } else if (endsWith(" k")) {
        op.back() = 'K';
    } else {
        op = "0 G";
    }
    return op;
}

std::string markDrawing(const WidgetFrame& frame, ButtonMark mark, const std::string& color) {
    const double w = frame.width;
    const double h = frame.height;
    const double side = std::min(w, h);
    if (mark == ButtonMark::Dot) {
        // A filled circle from four Bezier quarters.
        const double r = side * 0.25;
        const double k = r * 0.5523;
        const double cx = w / 2;
        const double cy = h / 2;
        auto p = [](double x, double y) { return pdfNumber(x) + " " + pdfNumber(y); };
        return color + "\n" + p(cx + r, cy) + " m " + p(cx + r, cy + k) + " " + p(cx + k, cy + r) +
               " " + p(cx, cy + r) + " c " + p(cx - k, cy + r) + " " + p(cx - r, cy + k) + " " +
               p(cx - r, cy) + " c " + p(cx - r, cy - k) + " " + p(cx - k, cy - r) + " " +
               p(cx, cy - r) + " c " + p(cx + k, cy - r) + " " + p(cx + r, cy - k) + " " +
               p(cx + r, cy) + " c f\n";
    }
    // A tick, stroked in the colour /DA gives for filling.
    const std::string stroke = strokeColorFromFill(color);
    const double x0 = (w - side) / 2;
    const double y0 = (h - side) / 2;
    auto p = [&](double fx, double fy) {
        return pdfNumber(x0 + fx * side) + " " + pdfNumber(y0 + fy * side);
    };
    return stroke + "\n" + pdfNumber(side * 0.1) + " w 1 J 1 j\n" + p(0.22, 0.52) + " m " +
           p(0.42, 0.3) + " l " + p(0.8, 0.76) + " l S\n";
}

} // namespace

bool appearanceLacksItsFont(QPDFObjectHandle stream) {
    if (!stream.isStream()) {
        return false;
    }
    std::string content;
    try {
        content = decodeStreamData(stream, "the appearance stream of a button");
    } catch (const StreamTooLarge&) {
        throw;
    } catch (const std::exception&) {
        return false;
    }
    QPDFObjectHandle resources = stream.getDict().getKey("/Resources");
    QPDFObjectHandle fonts =
        resources.isDictionary() ? resources.getKey("/Font") : QPDFObjectHandle::newNull();
    const std::regex selection(R"(/([^\s/\[\]()<>]*)\s+[-+0-9.]+\s+Tf)");
    for (auto it = std::sregex_iterator(content.begin(), content.end(), selection);
         it != std::sregex_iterator(); ++it) {
        if (!fonts.isDictionary() || !fonts.hasKey("/" + (*it)[1].str())) {
            return true;
        }
    }
    return false;
}

QPDFObjectHandle drawButtonState(FormContext& context, QPDFObjectHandle widget, bool on,
                                 ButtonMark mark) {
    WidgetFrame frame;
    if (!readWidgetFrame(widget, frame)) {
        return QPDFObjectHandle::newNull();
    }
    std::string content = drawFrame(frame);
    if (on) {
        QPDFObjectHandle da = inheritedAttribute(widget, "/DA");
        const std::string color = da.isString()
                                      ? parseDefaultAppearance(da.getStringValue()).colorOperator
                                      : std::string("0 g");
        content += markDrawing(frame, mark, color);
    }
    const AppearanceDraft draft = appearanceDraft(frame, content, QPDFObjectHandle::newNull());
    return context.changes().newStream(draft.content, draft.dictionary);
}

QPDFObjectHandle completeButtonAppearances(FormContext& context, QPDFObjectHandle widget,
                                           const std::string& stateKey, ButtonMark mark) {
    QPDFObjectHandle ap = widget.getKey("/AP");
    QPDFObjectHandle normal = ap.isDictionary() ? ap.getKey("/N") : QPDFObjectHandle::newNull();
    const bool off = stateKey == "/Off";
    const bool hasState = normal.isDictionary() && normal.getKey(stateKey).isStream();
    const bool hasOff = normal.isDictionary() && normal.getKey("/Off").isStream();
    if (hasState && (off || hasOff)) {
        return QPDFObjectHandle::newNull();
    }
    QPDFObjectHandle offState =
        hasOff ? QPDFObjectHandle::newNull() : drawButtonState(context, widget, false, mark);
    QPDFObjectHandle onState = hasState || off ? QPDFObjectHandle::newNull()
                                               : drawButtonState(context, widget, true, mark);
    if ((!hasOff && offState.isNull()) || (!hasState && !off && onState.isNull())) {
        return QPDFObjectHandle::newNull();
    }
    QPDFObjectHandle states =
        normal.isDictionary() ? normal.shallowCopy() : QPDFObjectHandle::newDictionary();
    if (!hasOff) {
        states.replaceKey("/Off", offState);
    }
    if (!onState.isNull()) {
        states.replaceKey(stateKey, onState);
    }
    return states;
}

} // namespace paginor::engine::forms
