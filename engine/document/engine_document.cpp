#include "engine/document/engine_document.h"

#include "automation_contract/automation_values.h"
#include "engine/document/atomic_file_writer.h"
#include "engine/document/document_attachment.h"
#include "engine/document/document_loader.h"
#include "engine/document/document_serializer.h"
#include "engine/document/document_shelf.h"
#include "engine/document/info_dictionary.h"
#include "engine/document/page_inserter.h"
#include "engine/document/page_remover.h"
#include "engine/document/pdf_date.h"
#include "engine/document/xmp_metadata.h"
#include "engine/errors/engine_error.h"
#include "engine/incremental/document_changes.h"
#include "engine/incremental/signature_permissions.h"
#include "engine/incremental/update_not_possible.h"
#include "engine/incremental/update_section_writer.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <set>
#include <system_error>

namespace paginor::engine {

namespace {

// A file with this many cross-reference sections (a linearized one has two,
// forms saved by viewers often a dozen) is written as a whole when nothing
// signs it.
constexpr int kMostSections = 32;

} // namespace

EngineDocument::EngineDocument(std::unique_ptr<DocumentBytes> bytes, const std::string& path)
    : path_(path) {
    ParsedDocument parsed = parseWithSpares(std::move(bytes), path);
    bytes_ = std::move(parsed.bytes);
    last_ = std::move(parsed.last);
    pdf_ = std::move(parsed.pdf);
    changes_ = std::make_unique<DocumentChanges>(*pdf_, last_ ? last_->size : 0, parsed.spares);
}

EngineDocument::~EngineDocument() = default;

std::shared_ptr<EngineDocument> EngineDocument::load(const std::string& path) {
    std::unique_ptr<DocumentBytes> bytes = DocumentBytes::fromFile(path);
    std::unique_ptr<EngineDocument> document = DocumentShelf::shared().take(*bytes);
    if (document) {
        document->path_ = path;
        document->reused_ = true;
    } else {
        document.reset(new EngineDocument(std::move(bytes), path));
    }
    // Closed, it goes back on the shelf if it can be reused.
    return std::shared_ptr<EngineDocument>(document.release(), [](EngineDocument* closed) {
        DocumentShelf::shared().put(std::unique_ptr<EngineDocument>(closed));
    });
}

std::shared_ptr<EngineDocument> EngineDocument::loadFromMemory(std::string bytes,
                                                               const std::string& description) {
    return std::shared_ptr<EngineDocument>(
        new EngineDocument(DocumentBytes::fromMemory(std::move(bytes)), description));
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
    if (afterPage < kBeforeFirstPage || afterPage > targetCount || startPage < 0 || count < 0 ||
        startPage > sourceCount || count > sourceCount - startPage) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    // The page count itself passes the plug-in's inclusive bound: it means
    // after the last page, as the last page's index does.
    const int after = afterPage == targetCount ? targetCount - 1 : afterPage;
    // Copy from a private parse: qpdf's copier remembers what it copied per
    // source, and the source's inherited attributes get pushed to its pages.
    auto snapshot = source.privateCopy();
    PageInsertion insertion{after < 0 ? kBeforeFirstPage : after, startPage, count, withOutline};
    insertion.outlineSound = soundOutlineRevision_ == revision();
    QPDFAcroFormDocumentHelper& form = insertionForm();
    bool outlineSound = false;
    // qpdf's copies and page-tree edits touch objects this cannot follow,
    // and an update would keep the pages' old state in the file.
    changes_->requireRewrite("pages were inserted");
    ++structureRevision_;
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
    // An update would leave the deleted pages readable in the file.
    changes_->requireRewrite("pages were deleted");
    ++structureRevision_;
    markModified();
}

std::string EngineDocument::infoEntry(std::string_view key) {
    return readInfoEntry(*pdf_, key);
}

bool EngineDocument::setInfoEntry(std::string_view key, std::string_view value) {
    if (readSignaturePermissions(*pdf_).forbidsAnyChange()) {
        return false;
    }
    if (!writeInfoEntry(*pdf_, *changes_, key, value)) {
        return false;
    }
    syncXmpWithInfo(*pdf_, *changes_, key, value);
    markModified();
    return true;
}

std::optional<std::string> EngineDocument::wholeFileReason(int flags, SaveLayout layout) const {
    if (layout == SaveLayout::WholeFile) {
        return "asked for";
    }
    if ((flags & kSaveLinearized) != 0) {
        return "linearized output was asked for";
    }
    if (changes_->rewriteReason()) {
        return changes_->rewriteReason();
    }
    // qpdf repairs as it reads: a warning at any time means the file's own
    // numbering or offsets cannot be trusted to carry an update.
    if (pdf_->anyWarnings()) {
        return "qpdf repaired the file";
    }
    if (!last_) {
        return "the end of the file could not be read";
    }
    // A file saved again and again would grow by an update each time and
    // take longer to open; an unsigned one is written anew instead.
    if (last_->sections >= kMostSections && !carriesSignatures(*pdf_)) {
        return "the file already holds " + std::to_string(last_->sections) +
               " cross-reference sections";
    }
    return std::nullopt;
}

std::string EngineDocument::originalBytes() const {
    return std::string(bytes_->original());
}

void EngineDocument::writeUpdated(std::FILE* file, const std::string& update) const {
    try {
        if (std::fflush(file) != 0) {
            throw std::system_error(errno != 0 ? errno : EIO, std::generic_category());
        }
        bytes_->writeOriginalTo(fileno(file));
    } catch (const std::system_error& error) {
        throw std::runtime_error(std::strerror(error.code().value()));
    }
    if (std::fwrite(update.data(), 1, update.size(), file) != update.size()) {
        throw std::runtime_error(std::strerror(errno != 0 ? errno : EIO));
    }
}

void EngineDocument::save(int flags, const std::string& path, SaveLayout layout) {
    const std::string target = path.empty() ? path_ : path;
    if (target.empty()) {
        fail(ErrorKind::InvalidArgument,
             "Cannot save: the document has no path and none was given");
    }
    // A mapped file that another program changed no longer shows the bytes
    // the document was parsed from: neither an update nor a rewrite would be
    // sound, and the file on disk is left as the other program made it.
    if (!bytes_->isIntact()) {
        fail(ErrorKind::IoFailure, "Cannot save: " + path_ +
                                       " was changed by another program after it was opened;"
                                       " open it again to work on it");
    }
    for (auto& [name, step] : saveSteps_) {
        step(*this);
    }
    const SignaturePermissions permissions = readSignaturePermissions(*pdf_);
    // A certification that allows no change: saving an unchanged document
    // writes it as it is, without even a new date.
    if (!permissions.forbidsAnyChange() || changes_->anyChange()) {
        const std::time_t now = std::time(nullptr);
        writeInfoDate(*pdf_, *changes_, "ModDate", pdfDate(now));
        setXmpModifyDate(*pdf_, *changes_, xmpDate(now));
        markModified();
    }

    SaveReport report;
    std::optional<std::string> reason = wholeFileReason(flags, layout);
    std::string update;
    if (!reason && changes_->anyChange()) {
        try {
            UpdatePlan plan{openedBytes(), *last_, changes_->changedObjects(),
                            changes_->firstNewNumber()};
            update = updateSection(*pdf_, plan);
        } catch (const UpdateNotPossible& why) {
            reason = why.what();
        }
    }
    if (!reason) {
        writeFileAtomically(target, [&](std::FILE* file) { writeUpdated(file, update); });
        report.incremental = true;
    } else {
        SerializeOptions options;
        options.linearize = (flags & kSaveLinearized) != 0;
        options.streamsAsTheyAre = true;
        options.withoutUsageRights = permissions.usageRights;
        reusable_ = false; // qpdf's writer normalizes some objects as it goes
        writeFileAtomically(target, [&](std::FILE* file) { writeDocument(*pdf_, options, file); });
        report.wholeFileReason = *reason;
    }
    lastSave_ = report;
    if ((flags & kSaveCopy) == 0) {
        path_ = target;
    }
}

void EngineDocument::addSaveStep(const std::string& name,
                                 std::function<void(EngineDocument&)> step) {
    for (const auto& registered : saveSteps_) {
        if (registered.first == name) {
            return;
        }
    }
    saveSteps_.emplace_back(name, std::move(step));
}

std::string EngineDocument::serializeToMemory(const SerializeOptions& options) {
    // qpdf's writer normalizes some objects as it goes.
    reusable_ = false;
    return writeDocumentToMemory(*pdf_, options);
}

std::shared_ptr<EngineDocument> EngineDocument::privateCopy() {
    if (revision() == 0) {
        return loadFromMemory(originalBytes(), path_);
    }
    return loadFromMemory(serializeToMemory({}), path_);
}

namespace {

// An object of one document as an object of another: the same text, its
// references to the same numbers.
QPDFObjectHandle copiedInto(QPDF& target, QPDFObjectHandle object) {
    return QPDFObjectHandle::parse(&target, object.unparseResolved());
}

std::string rawData(QPDFObjectHandle stream) {
    auto data = stream.getRawStreamData();
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

bool sameAs(QPDFObjectHandle current, QPDFObjectHandle opened) {
    if (current.isStream() != opened.isStream()) {
        return false;
    }
    if (!current.isStream()) {
        return current.unparseResolved() == opened.unparseResolved();
    }
    return current.getDict().unparseResolved() == opened.getDict().unparseResolved() &&
           rawData(current) == rawData(opened);
}

} // namespace

bool EngineDocument::mayBeReset() const {
    return reusable_ && !changes_->rewriteReason() && !pdf_->anyWarnings();
}

bool EngineDocument::resetToOpened() {
    if (!mayBeReset()) {
        return false;
    }
    // What the writes asked a save to do went with them.
    saveSteps_.clear();
    if (!asOpened_) {
        asOpened_ = parsePdf(openedBytes(), path_); // reads from bytes_, which outlive it
    }
    QPDF& opened = *asOpened_;
    // Changed objects of the file are taken back from it.
    std::vector<QPDFObjectHandle> toCheck;
    for (QPDFObjGen og : changes_->changedObjects()) {
        QPDFObjectHandle original = opened.getObject(og);
        QPDFObjectHandle current = pdf_->getObject(og);
        if (original.isStream() && current.isStream()) {
            QPDFObjectHandle dictionary = copiedInto(*pdf_, original.getDict());
            current.replaceDict(dictionary);
            current.replaceStreamData(rawData(original), dictionary.getKey("/Filter"),
                                      dictionary.getKey("/DecodeParms"));
            current.replaceDict(dictionary); // replaceStreamData rewrote /Length and /Filter
        } else if (!original.isStream() && !current.isStream()) {
            pdf_->replaceObject(og, copiedInto(*pdf_, original));
        } else {
            return false;
        }
        toCheck.push_back(current);
    }
    // Objects made since the open are emptied: spares stay streams for the
    // next use, the rest become null (as an absent object reads).
    for (QPDFObjGen og : changes_->madeObjects()) {
        QPDFObjectHandle made = pdf_->getObject(og);
        if (made.isStream()) {
            made.replaceDict(QPDFObjectHandle::newDictionary());
            made.replaceStreamData("", QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
        } else {
            pdf_->replaceObject(og, QPDFObjectHandle::newNull());
        }
    }
    // The trailer's entries (a save may have added /Info).
    QPDFObjectHandle trailer = pdf_->getTrailer();
    QPDFObjectHandle openedTrailer = opened.getTrailer();
    const std::set<std::string> sectionKeys = {"/Size",  "/Prev",   "/XRefStm",     "/Type",  "/W",
                                               "/Index", "/Filter", "/DecodeParms", "/Length"};
    for (const std::string& key : trailer.getKeys()) {
        if (sectionKeys.count(key) == 0 && !openedTrailer.hasKey(key)) {
            trailer.removeKey(key);
        }
    }
    for (const std::string& key : openedTrailer.getKeys()) {
        if (sectionKeys.count(key) == 0) {
            QPDFObjectHandle value = openedTrailer.getKey(key);
            trailer.replaceKey(key, value.isIndirect() ? pdf_->getObject(value.getObjGen())
                                                       : copiedInto(*pdf_, value));
        }
    }
    // What was put back, and what writes may touch, must now match the file.
    QPDFObjectHandle root = pdf_->getRoot();
    toCheck.push_back(root);
    for (const char* key : {"/AcroForm", "/Metadata", "/Perms"}) {
        if (root.getKey(key).isIndirect()) {
            toCheck.push_back(root.getKey(key));
        }
    }
    if (trailer.getKey("/Info").isIndirect()) {
        toCheck.push_back(trailer.getKey("/Info"));
    }
    if (attachment_) {
        attachment_->objectsItMayHaveChanged(toCheck);
    }
    for (QPDFObjectHandle object : toCheck) {
        if (object.isIndirect() && changes_->isOriginal(object.getObjGen()) &&
            !sameAs(object, opened.getObject(object.getObjGen()))) {
            return false;
        }
    }
    changes_->forgetChanges();
    if (attachment_) {
        attachment_->documentReset();
    }
    lastSave_ = SaveReport{};
    return !pdf_->anyWarnings();
}

} // namespace paginor::engine
