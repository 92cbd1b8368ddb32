#include "need_appearances.h"

#include "button_appearance.h"
#include "choice_appearance.h"
#include "field_options.h"
#include "field_tree.h"
#include "field_value_reader.h"
#include "text_appearance.h"

#include "text_encoding/utf_conversion.h"

#include <set>
#include <utility>

namespace paginor::engine::forms {

namespace {

bool lacksNormalAppearance(const FormField& field) {
    for (QPDFObjectHandle widget : field.widgets) {
        QPDFObjectHandle ap = widget.getKey("/AP");
        if (widget.hasKey("/Rect") && !(ap.isDictionary() && ap.getKey("/N").isStream())) {
            return true;
        }
    }
    return false;
}

WidgetAppearances drawCurrentValue(FormContext& context, const FormField& field) {
    const std::string value = readFieldValue(field);
    const std::vector<ChoiceOption> options = choiceOptions(field);
    if (field.kind == FieldKind::Text) {
        return buildTextAppearances(context, field, shownText(field, Utf8ToUtf32(value)),
                                    textBoxLayoutOf(field));
    }
    if (field.kind == FieldKind::ComboBox) {
        std::string shown = value;
        for (const ChoiceOption& option : options) {
            if (option.exportValue == value) {
                shown = option.displayText;
                break;
            }
        }
        return buildTextAppearances(context, field, Utf8ToUtf32(shown), TextBoxLayout{});
    }
    std::vector<std::u32string> rows;
    std::set<size_t> selected;
    std::string rest = value + "\r";
    for (size_t i = 0; i < options.size(); ++i) {
        rows.push_back(Utf8ToUtf32(options[i].displayText));
        if (("\r" + rest).find("\r" + options[i].exportValue + "\r") != std::string::npos) {
            selected.insert(i);
        }
    }
    return buildListAppearances(context, field, rows, selected);
}

} // namespace

void settleNeedAppearances(FormContext& context) {
    QPDF& pdf = context.pdf();
    QPDFObjectHandle acroForm = pdf.getRoot().getKey("/AcroForm");
    if (!acroForm.isDictionary() || !acroForm.getKey("/NeedAppearances").isBool() ||
        !acroForm.getKey("/NeedAppearances").getBoolValue()) {
        return;
    }
    std::vector<WidgetAppearances> drawn;
    std::vector<std::pair<QPDFObjectHandle, QPDFObjectHandle>> buttonStates; // widget, /N
    try {
        const FieldTree tree = FieldTree::build(pdf);
        for (const FormField& field : tree.fields()) {
            const bool variableText = field.kind == FieldKind::Text ||
                                      field.kind == FieldKind::ComboBox ||
                                      field.kind == FieldKind::ListBox;
            if (field.terminal && variableText && lacksNormalAppearance(field)) {
                drawn.push_back(drawCurrentValue(context, field));
            }
            if (field.kind == FieldKind::CheckBox || field.kind == FieldKind::RadioButton) {
                const ButtonMark mark =
                    field.kind == FieldKind::CheckBox ? ButtonMark::Check : ButtonMark::Dot;
                for (QPDFObjectHandle widget : field.widgets) {
                    // The state the viewers were drawing from /MK must stay visible.
                    QPDFObjectHandle current = widget.getKey("/AS");
                    QPDFObjectHandle states = completeButtonAppearances(
                        context, widget, current.isName() ? current.getName() : std::string(),
                        mark);
                    if (!states.isNull()) {
                        buttonStates.emplace_back(widget, states);
                    }
                }
            }
        }
    } catch (const std::exception&) {
        return;
    }
    for (const WidgetAppearances& appearances : drawn) {
        for (const auto& [widget, normal] : appearances) {
            installNormalAppearance(context, widget, normal);
        }
    }
    for (auto [widget, states] : buttonStates) {
        attachButtonStates(context, widget, states);
    }
    acroForm.removeKey("/NeedAppearances");
    context.changes().changed(
        paginor::engine::DocumentChanges::ownerOf(pdf.getRoot(), "/AcroForm"));
}

} // namespace paginor::engine::forms
