// Inheritable field attributes: a field without its own entry takes its
// ancestors' (and for some keys the form's) value.
#pragma once

#include "field_kind.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <cstdint>
#include <string>

namespace paginor::engine::forms {

// The first ancestor-or-self that has the key, or a null object. Parent
// chains in damaged files can loop; the walk stops at a repeat.
QPDFObjectHandle inheritedAttribute(QPDFObjectHandle field, const std::string& key);

uint32_t fieldFlags(QPDFObjectHandle field);

FieldKind classifyField(QPDFObjectHandle field, bool terminal);

// A number or a null for an integer entry; for /MaxLen and /Q.
int inheritedInteger(QPDFObjectHandle field, const std::string& key, int fallback);

} // namespace paginor::engine::forms
