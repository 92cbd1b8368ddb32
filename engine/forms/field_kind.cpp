#include "field_kind.h"

namespace paginor::forms {

const char* fieldTypeName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Group:
        return "group";
    case FieldKind::Text:
        return "text";
    case FieldKind::CheckBox:
        return "checkbox";
    case FieldKind::RadioButton:
        return "radiobutton";
    case FieldKind::PushButton:
        return "button";
    case FieldKind::ComboBox:
        return "combobox";
    case FieldKind::ListBox:
        return "listbox";
    case FieldKind::Signature:
        return "signature";
    case FieldKind::Unknown:
        break;
    }
    return "unknown";
}

} // namespace paginor::forms
