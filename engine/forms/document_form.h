// The form of one open document as the automation objects use it: the field
// tree, built once and kept while the document's page structure stays as it
// was, and reads and writes that keep it current. Writes mark the document
// modified; they stay in memory until the document is saved. What is built
// stays with the document (its attachment), so every forms object of it, and
// its reuse for the next open of the same file, share one tree.
#pragma once

#include "engine/forms/field_locks.h"
#include "engine/forms/field_tree.h"
#include "engine/forms/field_value_writer.h"
#include "engine/forms/form_context.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace paginor::engine {
class EngineDocument;
}

namespace paginor::engine::forms {

class FormState;

class DocumentForm {
public:
    explicit DocumentForm(std::shared_ptr<EngineDocument> document);

    // The current tree; rebuilt only when the document changed in a way
    // a field write does not (pages inserted or deleted).
    const FieldTree& tree();

    // Counts tree rebuilds, so a field object can tell whether its index
    // still points at the same field.
    std::uint64_t generation() const;

    // The index of the field named `name` in the current tree, using `hint`
    // when it still holds that name.
    std::optional<size_t> locate(const std::string& name, size_t hint);

    std::string read(size_t index);
    // Refused, changing nothing, for a document certified with no changes
    // allowed and for a field a signature locks.
    WriteResult write(size_t index, const std::string& value);

private:
    std::shared_ptr<EngineDocument> document_;
    std::shared_ptr<FormState> state_;
};

} // namespace paginor::engine::forms
