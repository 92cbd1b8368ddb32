#include "engine/forms/document_form.h"

#include "engine/document/engine_document.h"
#include "engine/forms/field_value_reader.h"
#include "engine/forms/widget_linking.h"

namespace paginor::engine::forms {

DocumentForm::DocumentForm(std::shared_ptr<EngineDocument> document)
    : document_(std::move(document)) {}

const FieldTree& DocumentForm::tree() {
    if (!tree_ || builtAtRevision_ != document_->revision()) {
        tree_ = FieldTree::build(document_->pdf());
        fonts_.clear();
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
    WriteResult result =
        writeFieldValue(document_->pdf(), fields.fields().at(index), value, fonts_);
    if (result.ok) {
        const bool current = builtAtRevision_ == document_->revision();
        document_->markModified();
        // Other tools walk /Fields alone: once a value is written, the saved
        // file should hold every field this form lists.
        document_->addSaveStep("link unreachable widgets", [](EngineDocument& document) {
            try {
                linkUnreachableWidgets(document.pdf());
            } catch (const std::exception&) {
                // The values are written either way; the tree stays as it was.
            }
        });
        // A value write leaves the tree's structure as it was: keep it, so
        // that filling N fields does not rebuild the tree N times.
        if (current) {
            builtAtRevision_ = document_->revision();
        }
    }
    return result;
}

} // namespace paginor::engine::forms
