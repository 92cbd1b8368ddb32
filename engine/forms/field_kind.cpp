#include "field_kind.h"

#include "automation_contract/automation_values.h"

namespace paginor::engine::forms {

const char* fieldTypeName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Group:
        return kFieldTypeGroup;
    case FieldKind::Text:
        return kFieldTypeText;
    case FieldKind::CheckBox:
        return kFieldTypeCheckBox;
    case FieldKind::RadioButton:
        return kFieldTypeRadioButton;
    case FieldKind::PushButton:
        return kFieldTypePushButton;
    case FieldKind::ComboBox:
        return kFieldTypeComboBox;
    case FieldKind::ListBox:
        return kFieldTypeListBox;
    case FieldKind::Signature:
        return kFieldTypeSignature;
    case FieldKind::Unknown:
        break;
    }
    return kFieldTypeUnknown;
}

} // namespace paginor::engine::forms
