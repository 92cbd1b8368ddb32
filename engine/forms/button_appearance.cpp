#include "button_appearance.h"

#include "engine/document/bounded_stream_decoding.h"
#include "engine/incremental/document_changes.h"

#include "font_selection.h"
#include "standard_font_metrics.h"
#include "widget_frame.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <regex>
#include <vector>

namespace paginor::engine::forms {

namespace {

constexpr double kCaptionFill = 0.8; // of the room inside the border, for size 0

bool isFourNumbers(QPDFObjectHandle array) {
    if (!array.isArray() || array.getArrayNItems() != 4) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (!array.getArrayItem(i).isNumber()) {
            return false;
        }
    }
    return true;
}

bool hasArea(QPDFObjectHandle box) {
    const double width =
        box.getArrayItem(2).getNumericValue() - box.getArrayItem(0).getNumericValue();
    const double height =
        box.getArrayItem(3).getNumericValue() - box.getArrayItem(1).getNumericValue();
    return width != 0 && height != 0;
}

// A stream's decoded content ("" when it does not decode); a stream over the
// limit throws StreamTooLarge rather than pass for blank.
std::string streamContent(QPDFObjectHandle stream) {
    try {
        return decodeStreamData(stream, "the appearance stream of a button");
    } catch (const StreamTooLarge&) {
        throw;
    } catch (const std::exception&) {
        return {};
    }
}

bool blank(const std::string& content) {
    return std::all_of(content.begin(), content.end(),
                       [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; });
}

// The caption byte: the first of /MK /CA, else the mark's ZapfDingbats code.
unsigned char captionOf(QPDFObjectHandle widget, ButtonMark mark) {
    QPDFObjectHandle mk = widget.getKey("/MK");
    QPDFObjectHandle caption = mk.isDictionary() ? mk.getKey("/CA") : QPDFObjectHandle::newNull();
    if (caption.isString() && !caption.getStringValue().empty()) {
        return static_cast<unsigned char>(caption.getStringValue()[0]);
    }
    return mark == ButtonMark::Check ? '4' : 'l';
}

// The caption in ZapfDingbats, centred on its outline.
std::string captionDrawing(QPDF& pdf, QPDFObjectHandle widget, const WidgetFrame& frame,
                           ButtonMark mark) {
    const unsigned char code = captionOf(widget, mark);
    StandardGlyph glyph{800, 0, 700}; // when the URW fonts are not installed
    if (const auto measured =
            standardGlyphForCode(StandardFont{StandardFamily::ZapfDingbats}, code)) {
        glyph = *measured;
    }
    const double height = std::max(glyph.top - glyph.bottom, 1.0);
    const double width = std::max(glyph.width, 1.0);
    const DefaultAppearance appearance = variableTextStyle(pdf, widget).appearance;
    double size = appearance.fontSize;
    if (size <= 0) {
        const double room = 2 * frame.inset() + 2;
        size = kCaptionFill *
               std::min((frame.width - room) * 1000 / width, (frame.height - room) * 1000 / height);
        size = std::max(size, 1.0);
    }
    const double x = (frame.width - width * size / 1000) / 2;
    const double y = (frame.height - height * size / 1000) / 2 - glyph.bottom * size / 1000;
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", code);
    return "q BT " + appearance.colorOperator + " /ZaDb " + pdfNumber(size) + " Tf " +
           pdfNumber(x) + " " + pdfNumber(y) + " Td <" + hex + "> Tj ET Q\n";
}

} // namespace

bool appearanceLacksItsFont(QPDFObjectHandle stream) {
    if (!stream.isStream()) {
        return false;
    }
    const std::string content = streamContent(stream);
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

bool drawableStateAppearance(QPDFObjectHandle appearance, bool onState) {
    if (!appearance.isStream()) {
        return false;
    }
    QPDFObjectHandle dict = appearance.getDict();
    QPDFObjectHandle box = dict.getKey("/BBox");
    if (!dict.getKey("/Subtype").isNameAndEquals("/Form") || !isFourNumbers(box)) {
        return false;
    }
    if (!onState) {
        return true;
    }
    return hasArea(box) && !blank(streamContent(appearance)) && !appearanceLacksItsFont(appearance);
}

QPDFObjectHandle drawButtonState(FormContext& context, QPDFObjectHandle widget, bool on,
                                 ButtonMark mark) {
    WidgetFrame frame;
    if (!readWidgetFrame(widget, frame) || frame.width <= 0 || frame.height <= 0) {
        return QPDFObjectHandle::newNull();
    }
    std::string content = drawFrame(frame);
    QPDFObjectHandle resources = QPDFObjectHandle::newNull();
    if (on) {
        content += captionDrawing(context.pdf(), widget, frame, mark);
        // A standard font: every viewer has it, so nothing is embedded.
        resources = QPDFObjectHandle::parse(
            "<< /Font << /ZaDb << /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >> >> >>");
    }
    const AppearanceDraft draft = appearanceDraft(frame, content, resources);
    return context.changes().newStream(draft.content, draft.dictionary);
}

QPDFObjectHandle completeButtonAppearances(FormContext& context, QPDFObjectHandle widget,
                                           const std::string& stateKey, ButtonMark mark) {
    QPDFObjectHandle ap = widget.getKey("/AP");
    QPDFObjectHandle normal = ap.isDictionary() ? ap.getKey("/N") : QPDFObjectHandle::newNull();
    const bool hasStates = normal.isDictionary();
    // A single stream (or anything else) where the states belong shows the
    // same whatever the state: as unusable as a state that cannot be drawn.
    bool redrawAll = !normal.isNull() && !hasStates;
    std::vector<std::string> onKeys;
    if (hasStates) {
        for (const std::string& key : normal.getKeys()) {
            const bool onState = key != "/Off";
            if (!drawableStateAppearance(normal.getKey(key), onState)) {
                redrawAll = true;
            }
            if (onState) {
                onKeys.push_back(key);
            }
        }
    }
    const bool wantsOn = !stateKey.empty() && stateKey != "/Off";
    if (wantsOn && std::find(onKeys.begin(), onKeys.end(), stateKey) == onKeys.end()) {
        onKeys.push_back(stateKey);
    }

    QPDFObjectHandle states;
    std::vector<std::string> toDraw;
    if (redrawAll) {
        states = QPDFObjectHandle::newDictionary();
        toDraw = onKeys;
        toDraw.push_back("/Off");
    } else {
        if (!hasStates || !normal.hasKey("/Off")) {
            toDraw.push_back("/Off");
        }
        if (wantsOn && !(hasStates && normal.hasKey(stateKey))) {
            toDraw.push_back(stateKey);
        }
        if (toDraw.empty()) {
            return hasStates && normal.isIndirect() ? normal.shallowCopy()
                                                    : QPDFObjectHandle::newNull();
        }
        states = hasStates ? normal.shallowCopy() : QPDFObjectHandle::newDictionary();
    }
    for (const std::string& key : toDraw) {
        QPDFObjectHandle drawn = drawButtonState(context, widget, key != "/Off", mark);
        if (drawn.isNull()) {
            return QPDFObjectHandle::newNull(); // no box to draw in: leave the widget alone
        }
        states.replaceKey(key, drawn);
    }
    return states;
}

void attachButtonStates(FormContext& context, QPDFObjectHandle widget, QPDFObjectHandle states) {
    QPDFObjectHandle ap = widget.getKey("/AP");
    if (!ap.isDictionary()) {
        ap = QPDFObjectHandle::newDictionary();
        widget.replaceKey("/AP", ap);
    }
    context.changes().changed(paginor::engine::DocumentChanges::ownerOf(widget, "/AP"));
    ap.replaceKey("/N", states);
}

} // namespace paginor::engine::forms
