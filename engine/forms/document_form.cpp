#include "engine/forms/document_form.h"

#include "engine/document/engine_document.h"
#include "engine/forms/field_value_reader.h"
#include "engine/incremental/signature_permissions.h"

namespace paginor::engine::forms {

DocumentForm::DocumentForm(std::shared_ptr<EngineDocument> document)
    : document_(std::move(document)), context_(document_->pdf(), document_->changes()) {}

const FieldTree& DocumentForm::tree() {
    if (!tree_ || builtAtRevision_ != document_->revision()) {
        tree_ = FieldTree::build(document_->pdf());
        locks_.reset();
        context_.forget();
        context_.noteWidgets(*tree_);
        builtAtRevision_ = document_->revision();
        ++generation_;
    }
    return *tree_;
}

std::optional<size_t> DocumentForm::locate(const std::string& name, size_t hint) {
    const FieldTree& fields = tree();
    if (hint < fields.fields().size() && fields.fields()[hint].fullName == name) {
        return hint;
    }
    const long found = fields.indexOf(name);
    return found < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(found));
}

std::string DocumentForm::read(size_t index) {
    return readFieldValue(tree().fields().at(index));
}

WriteResult DocumentForm::write(size_t index, const std::string& value) {
    const FieldTree& fields = tree();
    const FormField& field = fields.fields().at(index);
    if (paginor::engine::readSignaturePermissions(document_->pdf()).forbidsAnyChange()) {
        return WriteResult{false, "The document is certified with no changes allowed; field \"" +
                                      field.fullName + "\" cannot be written."};
    }
    if (!locks_) {
        locks_ = FieldLocks::of(fields);
    }
    if (const auto signature = locks_->lockedBy(field)) {
        return WriteResult{false, "Field \"" + field.fullName +
                                      "\" is locked by the signature in \"" + *signature +
                                      "\"; it cannot be written."};
    }
    WriteResult result = writeFieldValue(context_, field, value);
    if (result.ok) {
        const bool current = builtAtRevision_ == document_->revision();
        document_->markModified();
        // A value write leaves the tree's structure as it was: keep it, so
        // that filling N fields does not rebuild the tree N times.
        if (current) {
            builtAtRevision_ = document_->revision();
        }
    }
    return result;
}

} // namespace paginor::engine::forms
