#include "text_appearance.h"

#include "field_attributes.h"
#include "font_selection.h"
#include "text_layout.h"
#include "widget_frame.h"

#include <algorithm>

namespace paginor::engine::forms {

namespace {

constexpr double kPadding = 2;
constexpr double kAutoSizeMax = 12;
constexpr double kAutoSizeMin = 4;

struct PlacedLine {
    ShapedText text;
    double x = 0;
    double y = 0;
};

struct Box {
    double inset;
    double innerWidth;
    double innerHeight;
};

Box boxOf(const WidgetFrame& frame) {
    const double inset = frame.inset();
    return Box{inset, std::max(0.0, frame.width - 2 * inset - 2 * kPadding),
               std::max(0.0, frame.height - 2 * inset)};
}

double heightFitSize(const AppearanceFont& font, const Box& box) {
    return std::max(1.0, (box.innerHeight - 2) * 1000 / (font.ascent() - font.descent()));
}

double centredBaseline(const AppearanceFont& font, const Box& box, double size) {
    return box.inset + (box.innerHeight - (font.ascent() - font.descent()) * size / 1000) / 2 -
           font.descent() * size / 1000;
}

double alignedX(const WidgetFrame& frame, const Box& box, int quadding, double width) {
    switch (quadding) {
    case 1:
        return (frame.width - width) / 2;
    case 2:
        return frame.width - box.inset - kPadding - width;
    default:
        return box.inset + kPadding;
    }
}

double layoutSingleLine(AppearanceFont& font, const WidgetFrame& frame,
                        const VariableTextStyle& style, const std::u32string& text,
                        std::vector<PlacedLine>& lines) {
    const Box box = boxOf(frame);
    ShapedText shaped = font.shape(text);
    double size = style.appearance.fontSize;
    if (size <= 0) {
        size = heightFitSize(font, box);
        if (shaped.width > 0) {
            size = std::min(size, box.innerWidth * 1000 / shaped.width);
        }
        size = std::max(size, 1.0);
    }
    const double width = shaped.width * size / 1000;
    lines.push_back(PlacedLine{std::move(shaped), alignedX(frame, box, style.quadding, width),
                               centredBaseline(font, box, size)});
    return size;
}

double layoutMultiline(AppearanceFont& font, const WidgetFrame& frame,
                       const VariableTextStyle& style, const std::u32string& text,
                       std::vector<PlacedLine>& lines) {
    const Box box = boxOf(frame);
    std::vector<WrapPieces> paragraphs;
    std::vector<TextDirection> directions;
    for (const std::u32string& paragraph : splitParagraphs(text)) {
        paragraphs.push_back(cutForWrapping(font, paragraph));
        directions.push_back(paragraphDirection(paragraph));
    }
    // Lines are broken first; each is drawn in the direction of its paragraph.
    struct Line {
        std::u32string text;
        TextDirection direction;
    };
    auto wrapAll = [&](double size) {
        std::vector<Line> all;
        for (size_t p = 0; p < paragraphs.size(); ++p) {
            for (std::u32string& line :
                 wrapPieces(font, paragraphs[p], box.innerWidth * 1000 / size)) {
                all.push_back(Line{std::move(line), directions[p]});
            }
        }
        return all;
    };
    double size = style.appearance.fontSize;
    std::vector<Line> wrapped;
    if (size > 0) {
        wrapped = wrapAll(size);
    } else {
        for (size = kAutoSizeMax; size >= kAutoSizeMin; size -= 0.5) {
            wrapped = wrapAll(size);
            if (wrapped.size() * size * lineHeightFactor(font) <= box.innerHeight - 2 * kPadding) {
                break;
            }
        }
        size = std::max(size, kAutoSizeMin);
    }
    const double lineHeight = size * lineHeightFactor(font);
    double y = frame.height - box.inset - kPadding - font.ascent() * size / 1000;
    for (const Line& line : wrapped) {
        ShapedText shaped = font.shape(line.text, line.direction);
        const double width = shaped.width * size / 1000;
        lines.push_back(
            PlacedLine{std::move(shaped), alignedX(frame, box, style.quadding, width), y});
        y -= lineHeight;
    }
    return size;
}

double layoutComb(AppearanceFont& font, const WidgetFrame& frame, const VariableTextStyle& style,
                  const std::u32string& text, int cells, std::vector<PlacedLine>& lines) {
    const Box box = boxOf(frame);
    const double cellWidth = frame.width / cells;
    const size_t count = std::min(text.size(), static_cast<size_t>(cells));
    // The cells are filled in drawing order: a right-to-left value ends up
    // with its first character in the rightmost cell used.
    const std::u32string kept = text.substr(0, count);
    const std::u32string drawn = visualString(kept, paragraphDirection(kept));
    std::vector<ShapedText> glyphs;
    double widest = 0;
    for (size_t i = 0; i < count; ++i) {
        glyphs.push_back(font.shape(drawn.substr(i, 1)));
        widest = std::max(widest, glyphs.back().width);
    }
    double size = style.appearance.fontSize;
    if (size <= 0) {
        size = heightFitSize(font, box);
        if (widest > 0) {
            size = std::min(size, cellWidth * 0.9 * 1000 / widest);
        }
    }
    const size_t free = static_cast<size_t>(cells) - count;
    const size_t first = style.quadding == 2 ? free : style.quadding == 1 ? free / 2 : 0;
    const double y = centredBaseline(font, box, size);
    for (size_t i = 0; i < count; ++i) {
        const double width = glyphs[i].width * size / 1000;
        const double x = (first + i) * cellWidth + (cellWidth - width) / 2;
        lines.push_back(PlacedLine{std::move(glyphs[i]), x, y});
    }
    return size;
}

std::string combDividers(const WidgetFrame& frame, int cells) {
    if (frame.borderWidth <= 0 || cells < 2) {
        return {};
    }
    std::string ops = frame.border.strokeOperator() + "\n" + pdfNumber(frame.borderWidth) + " w\n";
    const double cellWidth = frame.width / cells;
    for (int i = 1; i < cells; ++i) {
        const std::string x = pdfNumber(i * cellWidth);
        ops += x + " 0 m " + x + " " + pdfNumber(frame.height) + " l S\n";
    }
    return ops;
}

} // namespace

TextBoxLayout textBoxLayoutOf(const FormField& field) {
    const uint32_t flags = fieldFlags(field.dictionary);
    const int maxLength = inheritedInteger(field.dictionary, "/MaxLen", -1);
    TextBoxLayout layout;
    layout.multiline = (flags & field_flag::Multiline) != 0;
    if ((flags & field_flag::Comb) && maxLength > 0 && !layout.multiline &&
        !(flags & field_flag::Password)) {
        layout.combCells = maxLength;
    }
    return layout;
}

std::u32string shownText(const FormField& field, const std::u32string& value) {
    if (fieldFlags(field.dictionary) & field_flag::Password) {
        return std::u32string(value.size(), U'*');
    }
    return value;
}

WidgetAppearances buildTextAppearances(FormContext& context, const FormField& field,
                                       const std::u32string& text, const TextBoxLayout& layout) {
    QPDF& pdf = context.pdf();
    WidgetAppearances result;
    for (QPDFObjectHandle widget : field.widgets) {
        WidgetFrame frame;
        if (!readWidgetFrame(widget, frame)) {
            continue;
        }
        const VariableTextStyle style = variableTextStyle(pdf, widget);
        std::vector<std::u32string> paragraphs = splitParagraphs(text);
        std::unique_ptr<AppearanceFont> font =
            selectAppearanceFont(context, widget, style.appearance, paragraphs);

        std::vector<PlacedLine> lines;
        double size = 0;
        if (layout.combCells > 0) {
            std::u32string single;
            for (const std::u32string& p : paragraphs) {
                single += p;
            }
            size = layoutComb(*font, frame, style, single, layout.combCells, lines);
        } else if (layout.multiline) {
            size = layoutMultiline(*font, frame, style, text, lines);
        } else {
            std::u32string single;
            for (size_t i = 0; i < paragraphs.size(); ++i) {
                single += (i > 0 ? U" " : U"") + paragraphs[i];
            }
            size = layoutSingleLine(*font, frame, style, single, lines);
        }

        QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
        font->finish(context, fonts);
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/Font", fonts);

        const Box box = boxOf(frame);
        std::string content = drawFrame(frame);
        if (layout.combCells > 0) {
            content += combDividers(frame, layout.combCells);
        }
        content += "/Tx BMC\nq\n" + pdfNumber(box.inset) + " " + pdfNumber(box.inset) + " " +
                   pdfNumber(frame.width - 2 * box.inset) + " " + pdfNumber(box.innerHeight) +
                   " re W n\n";
        bool anyText = false;
        for (const PlacedLine& line : lines) {
            anyText = anyText || !line.text.runs.empty();
        }
        if (anyText) {
            content += "BT\n" + style.appearance.colorOperator + "\n";
            for (const PlacedLine& line : lines) {
                content += "1 0 0 1 " + pdfNumber(line.x) + " " + pdfNumber(line.y) + " Tm " +
                           font->show(line.text, size) + "\n";
            }
            content += "ET\n";
        }
        content += "Q\nEMC\n";
        result.emplace_back(widget, appearanceDraft(frame, content, resources));
    }
    return result;
}

void installNormalAppearance(FormContext& context, QPDFObjectHandle widget,
                             const AppearanceDraft& draft) {
    QPDFObjectHandle ap = widget.getKey("/AP");
    QPDFObjectHandle current = ap.isDictionary() ? ap.getKey("/N") : QPDFObjectHandle::newNull();
    QPDFObjectHandle stream;
    if (context.ownsAppearance(current)) {
        // No new object, and nothing left behind for the file to carry.
        context.changes().rewriteStream(current, draft.content, draft.dictionary);
        stream = current;
    } else {
        stream = context.changes().newStream(draft.content, draft.dictionary);
    }
    QPDFObjectHandle appearances = QPDFObjectHandle::newDictionary();
    appearances.replaceKey("/N", stream);
    widget.replaceKey("/AP", appearances);
    context.changes().changed(widget);
}

} // namespace paginor::engine::forms
