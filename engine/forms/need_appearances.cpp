#include "need_appearances.h"

#include "button_appearance.h"
#include "choice_appearance.h"
#include "field_options.h"
#include "field_tree.h"
#include "field_value_reader.h"
#include "text_appearance.h"

#include "text_encoding/utf_conversion.h"

#include <set>
#include <tuple>

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
    // states dictionary, the object that holds it, state key, new stream
    std::vector<std::tuple<QPDFObjectHandle, QPDFObjectHandle, std::string, QPDFObjectHandle>>
        redrawnStates;
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
                    QPDFObjectHandle ap = widget.getKey("/AP");
                    QPDFObjectHandle normal =
                        ap.isDictionary() ? ap.getKey("/N") : QPDFObjectHandle::newNull();
                    if (!normal.isDictionary()) {
                        continue;
                    }
                    for (const std::string& key : normal.getKeys()) {
                        if (appearanceLacksItsFont(normal.getKey(key))) {
                            QPDFObjectHandle state =
                                drawButtonState(context, widget, key != "/Off", mark);
                            if (!state.isNull()) {
                                QPDFObjectHandle holder =
                                    normal.isIndirect()
                                        ? normal
                                        : paginor::engine::DocumentChanges::ownerOf(widget, "/AP");
                                redrawnStates.emplace_back(normal, holder, key, state);
                            }
                        }
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
    for (auto [states, holder, key, stream] : redrawnStates) {
        states.replaceKey(key, stream);
        context.changes().changed(holder);
    }
    acroForm.removeKey("/NeedAppearances");
    context.changes().changed(
        paginor::engine::DocumentChanges::ownerOf(pdf.getRoot(), "/AcroForm"));
}

} // namespace paginor::engine::forms
