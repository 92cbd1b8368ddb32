// Fields a signature locks: a signed signature field's /Lock dictionary and
// the FieldMDP reference of its signature name the fields whose change would
// make the signature report the document as altered.
#pragma once

#include "field_tree.h"

#include <optional>
#include <string>
#include <vector>

namespace paginor::engine::forms {

class FieldLocks {
public:
    static FieldLocks of(const FieldTree& tree);

    // The full name of the signed signature field that locks the field, if
    // any does.
    std::optional<std::string> lockedBy(const FormField& field) const;

private:
    enum class Action { All, Include, Exclude };
    struct Lock {
        std::string signatureField;
        Action action = Action::All;
        std::vector<std::string> names;
    };
    static bool names(const Lock& lock, const std::string& fullName);

    std::vector<Lock> locks_;
};

} // namespace paginor::engine::forms
