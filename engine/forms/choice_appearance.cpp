#include "choice_appearance.h"

#include "field_attributes.h"
#include "font_selection.h"
#include "text_layout.h"
#include "widget_frame.h"

#include <algorithm>
#include <cmath>

namespace paginor::engine::forms {

namespace {
constexpr double kPadding = 2;
constexpr double kDefaultSize = 12;
constexpr const char* kHighlight = "0.6 0.7569 0.8549 rg";
} // namespace

WidgetAppearances buildListAppearances(FormContext& context, const FormField& field,
                                       const std::vector<std::u32string>& rows,
                                       const std::set<size_t>& selected) {
    QPDF& pdf = context.pdf();
    WidgetAppearances result;
    for (QPDFObjectHandle widget : field.widgets) {
        WidgetFrame frame;
        if (!readWidgetFrame(widget, frame)) {
            continue;
        }
        const VariableTextStyle style = variableTextStyle(pdf, widget);
        std::vector<std::u32string> texts;
        for (const std::u32string& row : rows) {
            std::vector<std::u32string> parts = splitParagraphs(row);
            std::u32string joined;
            for (const std::u32string& part : parts) {
                joined += part;
            }
            texts.push_back(std::move(joined));
        }
        std::unique_ptr<AppearanceFont> font =
            selectAppearanceFont(context, widget, style.appearance, texts);
        const double size =
            style.appearance.fontSize > 0 ? style.appearance.fontSize : kDefaultSize;
        const double inset = frame.inset();
        const double rowHeight = size * lineHeightFactor(*font);
        const double innerHeight = std::max(0.0, frame.height - 2 * inset);
        const size_t visible =
            std::max<size_t>(1, static_cast<size_t>(std::floor(innerHeight / rowHeight)));

        // Scroll so that the first selected row shows, unless /TI says otherwise.
        size_t top = 0;
        QPDFObjectHandle topIndex = inheritedAttribute(field.dictionary, "/TI");
        if (topIndex.isInteger() && topIndex.getIntValue() >= 0 &&
            static_cast<size_t>(topIndex.getIntValue()) < texts.size()) {
            top = static_cast<size_t>(topIndex.getIntValue());
        }
        if (!selected.empty() && (*selected.begin() < top || *selected.begin() >= top + visible)) {
            top = *selected.begin();
        }

        std::vector<std::pair<ShapedText, double>> lines; // shaped row, baseline
        std::string highlights;
        for (size_t row = top; row < texts.size() && row < top + visible + 1; ++row) {
            const double rowTop = frame.height - inset - (row - top) * rowHeight;
            if (selected.count(row) != 0) {
                highlights += pdfNumber(inset) + " " + pdfNumber(rowTop - rowHeight) + " " +
                              pdfNumber(frame.width - 2 * inset) + " " + pdfNumber(rowHeight) +
                              " re f\n";
            }
            const double baseline =
                rowTop - rowHeight +
                (rowHeight - (font->ascent() - font->descent()) * size / 1000) / 2 -
                font->descent() * size / 1000;
            lines.emplace_back(font->shape(texts[row]), baseline);
        }

        QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
        font->finish(context, fonts);
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/Font", fonts);

        std::string content = drawFrame(frame) + "/Tx BMC\nq\n" + pdfNumber(inset) + " " +
                              pdfNumber(inset) + " " + pdfNumber(frame.width - 2 * inset) + " " +
                              pdfNumber(innerHeight) + " re W n\n";
        if (!highlights.empty()) {
            content += std::string(kHighlight) + "\n" + highlights;
        }
        content += "BT\n" + style.appearance.colorOperator + "\n";
        for (const auto& [shaped, baseline] : lines) {
            content += "1 0 0 1 " + pdfNumber(inset + kPadding) + " " + pdfNumber(baseline) +
                       " Tm " + font->show(shaped, size) + "\n";
        }
        content += "ET\nQ\nEMC\n";
        result.emplace_back(widget, appearanceDraft(frame, content, resources));
    }
    return result;
}

} // namespace paginor::engine::forms
