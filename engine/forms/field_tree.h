// The form's fields as a user sees them: the /Fields tree in document order,
// plus fields whose widgets sit on pages without being linked from /Fields.
#pragma once

#include "field_kind.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <string>
#include <unordered_map>
#include <vector>

namespace paginor::engine::forms {

struct FormField {
    QPDFObjectHandle dictionary; // the node that carries the name
    std::string fullName;        // UTF-8, ancestors' names joined with "."
    FieldKind kind = FieldKind::Unknown;
    bool terminal = true;
    int parent = -1;
    std::vector<size_t> children;
    // Widget annotations of a terminal field: kids without a name, or the
    // field dictionary itself when field and widget are merged.
    std::vector<QPDFObjectHandle> widgets;
};

class FieldTree {
public:
    // Damaged structure (loops, a /Fields that is not an array, a broken page
    // tree) is skipped, never fatal.
    static FieldTree build(QPDF& pdf);

    // Every field, terminal and non-terminal, parents before their children.
    const std::vector<FormField>& fields() const { return fields_; }

    // Index of the first field with this exact name, or -1.
    long indexOf(const std::string& fullName) const;

private:
    std::vector<FormField> fields_;
    std::unordered_map<std::string, size_t> byName_;
};

} // namespace paginor::engine::forms
