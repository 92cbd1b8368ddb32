#include "engine/document/engine_document.h"

#include "automation_contract/automation_values.h"
#include "engine/document/atomic_file_writer.h"
#include "engine/document/document_loader.h"
#include "engine/document/document_serializer.h"
#include "engine/document/info_dictionary.h"
#include "engine/document/page_inserter.h"
#include "engine/document/page_remover.h"
#include "engine/document/pdf_date.h"
#include "engine/document/xmp_metadata.h"
#include "engine/errors/engine_error.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <ctime>

namespace paginor::engine {

EngineDocument::EngineDocument(std::shared_ptr<const std::string> bytes, const std::string& path)
    : bytes_(std::move(bytes)), pdf_(parsePdf(*bytes_, path)), path_(path) {}

EngineDocument::~EngineDocument() = default;

std::shared_ptr<EngineDocument> EngineDocument::load(const std::string& path) {
    auto bytes = std::make_shared<const std::string>(readWholeFile(path));
    return std::shared_ptr<EngineDocument>(new EngineDocument(std::move(bytes), path));
}

std::shared_ptr<EngineDocument> EngineDocument::loadFromMemory(std::string bytes,
                                                               const std::string& description) {
    auto shared = std::make_shared<const std::string>(std::move(bytes));
    return std::shared_ptr<EngineDocument>(new EngineDocument(std::move(shared), description));
}

int EngineDocument::pageCount() {
    // qpdf keeps its page list cached; a document helper would rebuild a wrapper
    // per page on every call, and the plug-in asks for the count per page read.
    return static_cast<int>(pdf_->getAllPages().size());
}

bool EngineDocument::insertPages(int afterPage, EngineDocument& source, int startPage, int count,
                                 bool withOutline) {
    const int targetCount = pageCount();
    const int sourceCount = source.pageCount();
    if (afterPage < kBeforeFirstPage || afterPage >= targetCount || startPage < 0 || count < 0 ||
        startPage > sourceCount || count > sourceCount - startPage) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    // Copy from a private parse: qpdf's copier remembers what it copied per
    // source, and the source's inherited attributes get pushed to its pages.
    auto snapshot = source.privateCopy();
    PageInsertion insertion{afterPage, startPage, count, withOutline};
    insertion.outlineSound = soundOutlineRevision_ == revision();
    QPDFAcroFormDocumentHelper& form = insertionForm();
    bool outlineSound = false;
    try {
        outlineSound = insertCopiedPages(*pdf_, form, snapshot->pdf(), insertion);
    } catch (...) {
        insertionForm_.reset(); // it may have learnt fields that did not arrive
        markModified();
        throw;
    }
    markModified();
    insertionFormRevision_ = revision();
    soundOutlineRevision_ = outlineSound ? std::optional<std::uint64_t>(revision()) : std::nullopt;
    return true;
}

QPDFAcroFormDocumentHelper& EngineDocument::insertionForm() {
    // Appending many files one after the other reuses what the helper read of
    // the target's fields; any other change in between makes it read them again.
    if (!insertionForm_ || insertionFormRevision_ != revision()) {
        insertionForm_ = std::make_unique<QPDFAcroFormDocumentHelper>(*pdf_);
    }
    return *insertionForm_;
}

void EngineDocument::deletePages(int first, int last) {
    const int count = pageCount();
    const std::string range =
        first == last ? "page " + std::to_string(first + 1)
                      : "pages " + std::to_string(first + 1) + " to " + std::to_string(last + 1);
    if (first < 0 || last < first || last >= count) {
        fail(ErrorKind::NotFound, "Cannot delete " + range + ": the document has " +
                                      std::to_string(count) + (count == 1 ? " page" : " pages"));
    }
    if (last - first + 1 >= count) {
        fail(ErrorKind::Refused,
             "Cannot delete " + range + ": that would leave the document without a page");
    }
    removePages(*pdf_, first, last);
    markModified();
}

std::string EngineDocument::infoEntry(std::string_view key) {
    return readInfoEntry(*pdf_, key);
}

bool EngineDocument::setInfoEntry(std::string_view key, std::string_view value) {
    if (!writeInfoEntry(*pdf_, key, value)) {
        return false;
    }
    syncXmpWithInfo(*pdf_, key, value);
    markModified();
    return true;
}

void EngineDocument::save(int flags, const std::string& path) {
    const std::string target = path.empty() ? path_ : path;
    if (target.empty()) {
        fail(ErrorKind::InvalidArgument,
             "Cannot save: the document has no path and none was given");
    }
    const std::time_t now = std::time(nullptr);
    writeInfoDate(*pdf_, "ModDate", pdfDate(now));
    setXmpModifyDate(*pdf_, xmpDate(now));
    markModified();

    SerializeOptions options;
    options.linearize = (flags & kSaveLinearized) != 0;
    writeFileAtomically(target, [&](std::FILE* file) { writeDocument(*pdf_, options, file); });
    if ((flags & kSaveCopy) == 0) {
        path_ = target;
    }
}

std::string EngineDocument::serializeToMemory(const SerializeOptions& options) {
    return writeDocumentToMemory(*pdf_, options);
}

std::shared_ptr<EngineDocument> EngineDocument::privateCopy() {
    if (revision() == 0) {
        return std::shared_ptr<EngineDocument>(new EngineDocument(bytes_, path_));
    }
    return loadFromMemory(serializeToMemory({}), path_);
}

} // namespace paginor::engine
