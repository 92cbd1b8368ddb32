// EngineDocument: one open PDF as the engine holds it in memory.
//
// It owns the bytes it was read from and the QPDF object parsed from them
// (qpdf reads lazily, so the bytes stay alive as long as the document), the
// path it is bound to, and a change counter. All page, information and save
// operations of the automation objects go through it; the forms and text
// parts reach the QPDF object through pdf() and watch revision() to know when
// what they derived from it is stale.
//
// Not thread-safe: the automation objects are called one call at a time.
#pragma once

#include "engine/document/document_bytes.h"
#include "engine/errors/engine_error.h"
#include "engine/incremental/last_cross_reference.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QPDF;
class QPDFAcroFormDocumentHelper;

namespace paginor::engine {

class DocumentAttachment;
class DocumentChanges;

// What serializeToMemory writes.
struct SerializeOptions {
    bool withoutPageAnnotations = false; // leave every page's /Annots out of the copy
    bool withoutAcroForm = false;        // leave the interactive form out of the copy
    bool decrypt = false;                // write without the input's encryption
    bool linearize = false;
    // Copy stream data as it is instead of decoding and compressing it again
    // (streams the engine made are compressed when made).
    bool streamsAsTheyAre = false;
    // Leave the usage-rights signature (/Perms /UR3) out: a rewritten file no
    // longer holds the bytes it signed.
    bool withoutUsageRights = false;
};

// How a save lays the file out.
enum class SaveLayout {
    // The bytes the document was opened from, then one update section with
    // every change since the open; the whole file where that is not sound.
    Incremental,
    // Always the whole file (tests compare the two).
    WholeFile,
};

// What the last save wrote, for tests and the benchmarks.
struct SaveReport {
    bool incremental = false;
    std::string wholeFileReason; // why the whole file was written
};

// Thrown by EngineDocument::load for a file that is not a PDF or cannot be
// read: an I/O failure with the errno, an invalid argument for a path that
// names no regular file, unsupported for bytes that do not parse as a PDF.
class DocumentLoadError : public EngineError {
public:
    using EngineError::EngineError;
};

class EngineDocument {
public:
    // Reads and parses the PDF at `path` (UTF-8). A PDF encrypted with an
    // empty user password opens; damaged files are repaired where qpdf can.
    // Throws DocumentLoadError with the reason.
    static std::shared_ptr<EngineDocument> load(const std::string& path);
    // Parses PDF bytes held in memory; `description` names them in messages.
    static std::shared_ptr<EngineDocument> loadFromMemory(std::string bytes,
                                                          const std::string& description);

    ~EngineDocument();
    EngineDocument(const EngineDocument&) = delete;
    EngineDocument& operator=(const EngineDocument&) = delete;

    // The path the document is bound to: where it was read from, or the last
    // path it was saved to with a full (not copy) save.
    const std::string& path() const { return path_; }
    // The parsed document, for code that may change it without recording
    // the changes in changes(): a document used this way is not kept for
    // reuse when it is closed (its changes could not be undone).
    QPDF& pdf() {
        reusable_ = false;
        return *pdf_;
    }
    // The parsed document for code that records in changes() every change
    // it makes (the form's reads and writes).
    QPDF& trackedPdf() { return *pdf_; }

    // Bumped by every change of content (pages, information, fields, save
    // dates). Anything derived from the document is valid for one revision.
    std::uint64_t revision() const { return revision_.load(); }
    void markModified() { ++revision_; }
    // Bumped when pages are inserted or deleted: what was derived from the
    // page and field structure (the field tree) is then stale.
    std::uint64_t structureRevision() const { return structureRevision_; }

    int pageCount();

    // Copies pages [startPage, startPage + count) of `source` after the
    // 0-based `afterPage` (kBeforeFirstPage: before the first page; the page
    // count: after the last page, like the last page's index), with their
    // annotations, form fields and, with `withOutline`, the source's outline
    // items that point at them. Answers false and changes nothing for a range
    // outside either document. `source` may be this document.
    bool insertPages(int afterPage, EngineDocument& source, int startPage, int count,
                     bool withOutline);

    // Removes pages first..last (0-based, inclusive) with what only they used.
    // Throws EngineError saying why for a range outside the document, last <
    // first, or a range that would leave no page; nothing changes then.
    void deletePages(int first, int last);

    // Reads an Info entry as UTF-8 ("" when absent); "Trapped" reads as its
    // name without the slash.
    std::string infoEntry(std::string_view key);
    // Writes an Info entry (and its XMP mirror); false for a value the key
    // does not accept ("Trapped": True, False or Unknown) or an empty key.
    bool setInfoEntry(std::string_view key, std::string_view value);

    // Writes the document to `path` ("" means its own path) atomically, after
    // the kSave* flags of the automation contract (kSaveCopy keeps the path
    // the document is bound to, kSaveLinearized linearizes), and with
    // ModDate set to now: as an incremental update of the bytes it was opened
    // from unless the document's changes need the whole file (pages inserted
    // or deleted, a file qpdf repaired, linearized output asked for). Throws
    // EngineError describing what failed and where; the old
    // file is then untouched and no temporary file is left behind.
    void save(int flags, const std::string& path, SaveLayout layout = SaveLayout::Incremental);
    const SaveReport& lastSave() const { return lastSave_; }

    // What changed since the open: every operation that changes the
    // document records it here.
    DocumentChanges& changes() { return *changes_; }

    // State another part keeps about this document; it stays with the
    // document, across its reuse too.
    const std::shared_ptr<DocumentAttachment>& attachment() const { return attachment_; }
    void attach(std::shared_ptr<DocumentAttachment> attachment) {
        attachment_ = std::move(attachment);
    }

    // The bytes the document was opened from.
    std::string_view openedBytes() const { return bytes_->original(); }
    // The buffer openedBytes() lies at the start of, for readers that must
    // keep it alive (it also holds the spare objects after the file's end).
    const std::shared_ptr<const DocumentBytes>& openedBuffer() const { return bytes_; }
    // Puts the document back to the state it was opened in, for the next
    // open of the same bytes (see document_shelf.h): false, changing
    // nothing useful, when its changes were not all recorded or the result
    // does not match the file.
    bool resetToOpened();
    // Whether resetToOpened() can succeed: every change was recorded.
    bool mayBeReset() const;
    // Whether this open took a kept document instead of parsing the file.
    bool reused() const { return reused_; }

    // Work another part of the engine needs done on the document before
    // every save from now on (a form whose fields were written links the
    // widgets its field tree does not reach). A name registers once; steps
    // run in the order registered, before the modification date is set, and
    // must not throw.
    void addSaveStep(const std::string& name, std::function<void(EngineDocument&)> step);

    // The current state written to memory (nothing of the document changes).
    std::string serializeToMemory(const SerializeOptions& options);

    // A separate parse of the current state, for reading from while this
    // document changes (page insertion copies from one). Unmodified documents
    // reuse their input bytes.
    std::shared_ptr<EngineDocument> privateCopy();

private:
    EngineDocument(std::unique_ptr<DocumentBytes> bytes, const std::string& path);

    // Why this save must write the whole file; nothing when an update holds
    // every change.
    std::optional<std::string> wholeFileReason(int flags, SaveLayout layout) const;
    std::string originalBytes() const;
    // The bytes opened from, then `update`.
    void writeUpdated(std::FILE* file, const std::string& update) const;

    // The form helper page insertion works with, valid while the document
    // has not changed since the insertion that left it (formRevision_).
    QPDFAcroFormDocumentHelper& insertionForm();

    // Declared before pdf_: qpdf reads from these bytes until it is destroyed.
    // They hold the file as it was opened followed by the spare objects.
    std::shared_ptr<const DocumentBytes> bytes_;
    std::optional<LastCrossReference> last_;
    std::unique_ptr<QPDF> pdf_;
    // Declared after pdf_, which it refers to.
    std::unique_ptr<QPDFAcroFormDocumentHelper> insertionForm_;
    std::uint64_t insertionFormRevision_ = 0;
    // The revision at which the outline was last left sound by an insertion.
    std::optional<std::uint64_t> soundOutlineRevision_;
    std::unique_ptr<DocumentChanges> changes_;
    std::string path_;
    std::atomic<std::uint64_t> revision_{0};
    std::uint64_t structureRevision_ = 0;
    SaveReport lastSave_;
    bool reusable_ = true;
    bool reused_ = false;
    std::shared_ptr<DocumentAttachment> attachment_;
    // A second parse of the file, made when the document is first reset:
    // where its changed objects are taken back from.
    std::unique_ptr<QPDF> asOpened_;
    std::vector<std::pair<std::string, std::function<void(EngineDocument&)>>> saveSteps_;
};

} // namespace paginor::engine
