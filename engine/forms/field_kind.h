// What kind of field a form node is, and the field flag bits the form code reads.
#pragma once

#include <cstdint>

namespace paginor::engine::forms {

enum class FieldKind {
    Group, // a non-terminal node: its children carry the values
    Text,
    CheckBox,
    RadioButton,
    PushButton,
    ComboBox,
    ListBox,
    Signature,
    Unknown, // a terminal node without a usable /FT
};

namespace field_flag {
inline constexpr uint32_t ReadOnly = 1u << 0;
inline constexpr uint32_t Multiline = 1u << 12;
inline constexpr uint32_t Password = 1u << 13;
inline constexpr uint32_t NoToggleToOff = 1u << 14;
inline constexpr uint32_t Radio = 1u << 15;
inline constexpr uint32_t Pushbutton = 1u << 16;
inline constexpr uint32_t Combo = 1u << 17;
inline constexpr uint32_t Edit = 1u << 18;
inline constexpr uint32_t MultiSelect = 1u << 21;
inline constexpr uint32_t Comb = 1u << 24;
inline constexpr uint32_t RadiosInUnison = 1u << 25;
} // namespace field_flag

// The type word the automation layer reports (kFieldType* of the contract).
const char* fieldTypeName(FieldKind kind);

// Whether the automation layer flags a field as holding no user value, so
// that clients leave it out of their field lists. No field is flagged: push
// buttons and signature fields are listed like the others, and a value
// written to one fails with the reason (it holds no value / it is signed
// data) instead of being dropped without a word.
inline bool carriesNoUserValue(FieldKind) {
    return false;
}

} // namespace paginor::engine::forms
