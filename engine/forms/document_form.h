// The form of one open document as the automation objects use it: the field
// tree, built once and kept while the document's revision says nothing else
// changed it, and reads and writes that keep it current. Writes mark the
// document modified; they stay in memory until the document is saved.
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

class DocumentForm {
public:
    explicit DocumentForm(std::shared_ptr<EngineDocument> document);

    // The current tree; rebuilt only when the document changed in a way
    // this form did not make itself (pages inserted or deleted).
    const FieldTree& tree();

    // Counts tree rebuilds, so a field object can tell whether its index
    // still points at the same field.
    std::uint64_t generation() const { return generation_; }

    // The index of the field named `name` in the current tree, using `hint`
    // when it still holds that name.
    std::optional<size_t> locate(const std::string& name, size_t hint);

    std::string read(size_t index);
    // Refused, changing nothing, for a document certified with no changes
    // allowed and for a field a signature locks.
    WriteResult write(size_t index, const std::string& value);

private:
    std::shared_ptr<EngineDocument> document_;
    std::optional<FieldTree> tree_;
    std::optional<FieldLocks> locks_;
    FormContext context_; // kept across writes; forgotten with the tree
    std::uint64_t builtAtRevision_ = 0;
    std::uint64_t generation_ = 0;
};

} // namespace paginor::engine::forms
