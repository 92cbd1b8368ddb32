#include "engine/forms/document_form.h"

#include "engine/document/document_attachment.h"
#include "engine/document/engine_document.h"
#include "engine/forms/field_value_reader.h"
#include "engine/forms/widget_linking.h"
#include "engine/incremental/signature_permissions.h"

#include <set>

namespace paginor::engine::forms {

// Links the widgets /Fields does not reach, recording every entry it
// changes. The values are written either way: a tree that cannot be
// linked stays as it was.
void linkWidgetsBeforeSave(EngineDocument& document) {
    DocumentChanges& changes = document.changes();
    try {
        const auto made = [&changes](QPDFObjectHandle direct) { return changes.newObject(direct); };
        for (const ChangedEntry& entry : linkUnreachableWidgets(document.trackedPdf(), made)) {
            if (entry.container.isIndirect()) {
                changes.changed(entry.container);
            }
            changes.changed(DocumentChanges::ownerOf(entry.container, entry.key));
        }
    } catch (const std::exception&) {
        // Stopped part way: what it changed is not known, so the whole file
        // is written.
        changes.requireRewrite("the field tree could not be completed");
    }
}

// The form's state, kept with the document.
class FormState : public DocumentAttachment {
public:
    explicit FormState(EngineDocument& document)
        : document_(document), context_(document.trackedPdf(), document.changes()) {}

    const FieldTree& tree() {
        if (!tree_ || builtAtStructure_ != document_.structureRevision()) {
            tree_ = FieldTree::build(document_.trackedPdf());
            locks_.reset();
            written_.clear();
            context_.forget();
            context_.noteWidgets(*tree_);
            builtAtStructure_ = document_.structureRevision();
            ++generation_;
        }
        return *tree_;
    }

    std::uint64_t generation() const { return generation_; }

    WriteResult write(size_t index, const std::string& value) {
        const FieldTree& fields = tree();
        const FormField& field = fields.fields().at(index);
        if (paginor::engine::readSignaturePermissions(document_.trackedPdf()).forbidsAnyChange()) {
            return WriteResult{false,
                               "The document is certified with no changes allowed; field \"" +
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
        written_.insert(index);
        WriteResult result = writeFieldValue(context_, field, value);
        if (result.ok) {
            document_.markModified();
            // Other tools walk /Fields alone: once a value is written, the
            // saved file should hold every field this form lists.
            document_.addSaveStep("link unreachable widgets", linkWidgetsBeforeSave);
        }
        return result;
    }

    // What a write touches: the field, its widgets and their appearance
    // dictionaries.
    void objectsItMayHaveChanged(std::vector<QPDFObjectHandle>& objects) override {
        if (!tree_) {
            return;
        }
        for (size_t index : written_) {
            const FormField& field = tree_->fields().at(index);
            objects.push_back(field.dictionary);
            for (QPDFObjectHandle widget : field.widgets) {
                objects.push_back(widget);
                QPDFObjectHandle appearances = widget.getKey("/AP");
                objects.push_back(appearances);
                if (appearances.isDictionary()) {
                    objects.push_back(appearances.getKey("/N"));
                }
            }
        }
    }

    // The fields are as they were opened: the tree and the parsed fonts
    // hold; whatever was made for the writes is gone.
    void documentReset() override {
        written_.clear();
        context_.forgetMadeObjects();
    }

private:
    EngineDocument& document_; // owns this state
    std::optional<FieldTree> tree_;
    std::optional<FieldLocks> locks_;
    FormContext context_;
    std::set<size_t> written_;
    std::uint64_t builtAtStructure_ = 0;
    std::uint64_t generation_ = 0;
};

DocumentForm::DocumentForm(std::shared_ptr<EngineDocument> document)
    : document_(std::move(document)),
      state_(std::dynamic_pointer_cast<FormState>(document_->attachment())) {
    if (!state_) {
        state_ = std::make_shared<FormState>(*document_);
        document_->attach(state_);
    }
}

const FieldTree& DocumentForm::tree() {
    return state_->tree();
}

std::uint64_t DocumentForm::generation() const {
    return state_->generation();
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
    return state_->write(index, value);
}

} // namespace paginor::engine::forms
