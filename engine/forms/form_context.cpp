#include "form_context.h"

#include "engine/incremental/signature_permissions.h"

namespace paginor::engine::forms {

namespace {

void countStreams(QPDFObjectHandle appearances, std::map<QPDFObjGen, int>& users) {
    if (!appearances.isDictionary()) {
        return;
    }
    for (const char* kind : {"/N", "/D", "/R"}) {
        QPDFObjectHandle entry = appearances.getKey(kind);
        if (entry.isIndirect()) {
            ++users[entry.getObjGen()];
        }
        if (entry.isDictionary() && !entry.isStream()) {
            for (auto& [state, stream] : entry.getDictAsMap()) {
                if (stream.isIndirect()) {
                    ++users[stream.getObjGen()];
                }
            }
        }
    }
}

} // namespace

FormContext::FormContext(QPDF& pdf, paginor::engine::DocumentChanges& changes)
    : pdf_(pdf), changes_(changes) {}

bool FormContext::keepsXfa() {
    if (!keepsXfa_) {
        keepsXfa_ = paginor::engine::readSignaturePermissions(pdf_).usageRights;
    }
    return *keepsXfa_;
}

XfaDatasets* FormContext::xfaDatasets() {
    if (!datasets_) {
        datasets_ = XfaDatasets::open(pdf_);
    }
    return datasets_->get();
}

void FormContext::noteWidgets(const FieldTree& tree) {
    std::map<QPDFObjGen, int> users;
    for (const FormField& field : tree.fields()) {
        for (QPDFObjectHandle widget : field.widgets) {
            countStreams(widget.getKey("/AP"), users);
        }
    }
    appearanceUsers_ = std::move(users);
}

bool FormContext::ownsAppearance(QPDFObjectHandle stream) {
    if (!stream.isIndirect() || !stream.isStream()) {
        return false;
    }
    if (!changes_.isOriginal(stream.getObjGen())) {
        return true;
    }
    if (!appearanceUsers_) {
        return false;
    }
    auto found = appearanceUsers_->find(stream.getObjGen());
    return found != appearanceUsers_->end() && found->second == 1;
}

void FormContext::forgetMadeObjects() {
    fonts_.embedded().forget();
    datasets_.reset();
}

void FormContext::forget() {
    fonts_.clear();
    keepsXfa_.reset();
    datasets_.reset();
    appearanceUsers_.reset();
}

} // namespace paginor::engine::forms
