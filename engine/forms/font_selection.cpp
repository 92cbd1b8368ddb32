#include "font_selection.h"

#include "fallback_font.h"
#include "field_attributes.h"
#include "form_context.h"
#include "simple_font.h"

#include <stdexcept>

namespace paginor::engine::forms {

namespace {

QPDFObjectHandle fontFromResources(QPDFObjectHandle resources, const std::string& name) {
    if (!resources.isDictionary()) {
        return QPDFObjectHandle::newNull();
    }
    QPDFObjectHandle fonts = resources.getKey("/Font");
    return fonts.isDictionary() ? fonts.getKey("/" + name) : QPDFObjectHandle::newNull();
}

QPDFObjectHandle findFormFont(QPDF& pdf, QPDFObjectHandle widget, const std::string& name) {
    QPDFObjectHandle acroForm = pdf.getRoot().getKey("/AcroForm");
    QPDFObjectHandle font = fontFromResources(inheritedAttribute(widget, "/DR"), name);
    if (!font.isDictionary() && acroForm.isDictionary()) {
        font = fontFromResources(acroForm.getKey("/DR"), name);
    }
    if (!font.isDictionary()) {
        // The widget's current appearance may carry the font /DR lacks.
        QPDFObjectHandle ap = widget.getKey("/AP");
        QPDFObjectHandle normal = ap.isDictionary() ? ap.getKey("/N") : QPDFObjectHandle::newNull();
        if (normal.isStream()) {
            font = fontFromResources(normal.getDict().getKey("/Resources"), name);
        }
    }
    return font;
}

} // namespace

VariableTextStyle variableTextStyle(QPDF& pdf, QPDFObjectHandle widget) {
    VariableTextStyle style;
    QPDFObjectHandle acroForm = pdf.getRoot().getKey("/AcroForm");
    QPDFObjectHandle da = inheritedAttribute(widget, "/DA");
    if (!da.isString() && acroForm.isDictionary()) {
        da = acroForm.getKey("/DA");
    }
    if (da.isString()) {
        style.appearance = parseDefaultAppearance(da.getStringValue());
    }
    QPDFObjectHandle q = inheritedAttribute(widget, "/Q");
    if (!q.isInteger() && acroForm.isDictionary()) {
        q = acroForm.getKey("/Q");
    }
    if (q.isInteger() && q.getIntValue() >= 0 && q.getIntValue() <= 2) {
        style.quadding = static_cast<int>(q.getIntValue());
    }
    return style;
}

std::unique_ptr<AppearanceFont> selectAppearanceFont(FormContext& context, QPDFObjectHandle widget,
                                                     const DefaultAppearance& appearance,
                                                     const std::vector<std::u32string>& texts) {
    QPDF& pdf = context.pdf();
    FormFontCache& fonts = context.fonts();
    auto encodesAll = [&texts](const SimpleResourceFont& font) {
        for (const std::u32string& text : texts) {
            if (!font.canEncode(text)) {
                return false;
            }
        }
        return true;
    };
    const std::string name = appearance.fontName.empty() ? "Helv" : appearance.fontName;
    QPDFObjectHandle formFont = findFormFont(pdf, widget, name);
    std::unique_ptr<SimpleResourceFont> simple =
        formFont.isDictionary() ? fonts.open(pdf, formFont, name) : fonts.standardHelvetica(name);
    if (simple && encodesAll(*simple)) {
        return simple;
    }
    auto fallback = std::make_unique<FallbackFont>();
    if (!fallback->usable()) {
        throw std::runtime_error("no installed font can draw the value");
    }
    return fallback;
}

} // namespace paginor::engine::forms
