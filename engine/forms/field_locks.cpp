#include "field_locks.h"

#include "pdf_text_string.h"

namespace paginor::engine::forms {

namespace {

bool isSigned(QPDFObjectHandle signatureField) {
    QPDFObjectHandle value = signatureField.getKey("/V");
    return value.isDictionary() && value.hasKey("/ByteRange") && value.hasKey("/Contents");
}

// Reads one /Lock-shaped dictionary (/Action, /Fields).
template <typename Lock, typename Action> bool readLock(QPDFObjectHandle dictionary, Lock& lock) {
    if (!dictionary.isDictionary()) {
        return false;
    }
    QPDFObjectHandle action = dictionary.getKey("/Action");
    if (action.isNameAndEquals("/Include")) {
        lock.action = Action::Include;
    } else if (action.isNameAndEquals("/Exclude")) {
        lock.action = Action::Exclude;
    } else if (action.isNameAndEquals("/All")) {
        lock.action = Action::All;
    } else {
        return false;
    }
    QPDFObjectHandle fields = dictionary.getKey("/Fields");
    if (fields.isArray()) {
        for (QPDFObjectHandle name : fields.aitems()) {
            if (name.isString()) {
                lock.names.push_back(textOf(name));
            }
        }
    }
    return true;
}

} // namespace

FieldLocks FieldLocks::of(const FieldTree& tree) {
    FieldLocks locks;
    for (const FormField& field : tree.fields()) {
        QPDFObjectHandle dictionary = field.dictionary;
        if (field.kind != FieldKind::Signature || !isSigned(dictionary)) {
            continue;
        }
        std::vector<QPDFObjectHandle> sources{dictionary.getKey("/Lock")};
        QPDFObjectHandle references = dictionary.getKey("/V").getKey("/Reference");
        if (references.isArray()) {
            for (QPDFObjectHandle reference : references.aitems()) {
                if (reference.isDictionary() &&
                    reference.getKey("/TransformMethod").isNameAndEquals("/FieldMDP")) {
                    sources.push_back(reference.getKey("/TransformParams"));
                }
            }
        }
        for (QPDFObjectHandle source : sources) {
            Lock lock;
            lock.signatureField = field.fullName;
            if (readLock<Lock, Action>(source, lock)) {
                locks.locks_.push_back(std::move(lock));
            }
        }
    }
    return locks;
}

// A name covers the field itself and every field below it.
bool FieldLocks::names(const Lock& lock, const std::string& fullName) {
    for (const std::string& name : lock.names) {
        if (fullName == name ||
            (fullName.size() > name.size() && fullName.compare(0, name.size(), name) == 0 &&
             fullName[name.size()] == '.')) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> FieldLocks::lockedBy(const FormField& field) const {
    for (const Lock& lock : locks_) {
        const bool locked = lock.action == Action::All       ? true
                            : lock.action == Action::Include ? names(lock, field.fullName)
                                                             : !names(lock, field.fullName);
        if (locked) {
            return lock.signatureField;
        }
    }
    return std::nullopt;
}

} // namespace paginor::engine::forms
