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

#include "engine/errors/engine_error.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class QPDF;

namespace paginor::engine {

// What serializeToMemory writes.
struct SerializeOptions {
    bool withoutPageAnnotations = false; // leave every page's /Annots out of the copy
    bool withoutAcroForm = false;        // leave the interactive form out of the copy
    bool decrypt = false;                // write without the input's encryption
    bool linearize = false;
    // Copy stream data as it is instead of decoding and compressing it again:
    // for a snapshot that is parsed once in memory and thrown away.
    bool streamsAsTheyAre = false;
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
    QPDF& pdf() { return *pdf_; }
    // The bytes the document was read from, as they were read.
    const std::shared_ptr<const std::string>& openedBytes() const { return bytes_; }

    // Bumped by every change of content (pages, information, fields, save
    // dates). Anything derived from the document is valid for one revision.
    std::uint64_t revision() const { return revision_.load(); }
    void markModified() { ++revision_; }

    int pageCount();

    // Copies pages [startPage, startPage + count) of `source` after the
    // 0-based `afterPage` (kBeforeFirstPage: before the first page), with their
    // annotations, form fields and, with `withOutline`, the source's outline
    // items that point at them. Answers false and changes nothing for a range
    // outside either document. `source` may be this document.
    bool insertPages(int afterPage, EngineDocument& source, int startPage, int count,
                     bool withOutline);

    // Removes pages first..last (0-based, inclusive) with what only they used.
    // Answers false for a range outside the document, last < first, or a
    // range that would leave no page.
    bool deletePages(int first, int last);

    // Reads an Info entry as UTF-8 ("" when absent); "Trapped" reads as its
    // name without the slash.
    std::string infoEntry(std::string_view key);
    // Writes an Info entry (and its XMP mirror); false for a value the key
    // does not accept ("Trapped": True, False or Unknown) or an empty key.
    bool setInfoEntry(std::string_view key, std::string_view value);

    // Writes the document to `path` ("" means its own path) atomically, with
    // the kSave* flags of the automation contract (kSaveCopy keeps the path
    // the document is bound to, kSaveLinearized linearizes), and with
    // ModDate set to now. Throws paginor::engine::EngineError describing what
    // failed and where; the old file is then untouched and no temporary file
    // is left behind.
    void save(int flags, const std::string& path);

    // The current state written to memory (nothing of the document changes).
    std::string serializeToMemory(const SerializeOptions& options);

    // A separate parse of the current state, for reading from while this
    // document changes (page insertion copies from one). Unmodified documents
    // reuse their input bytes.
    std::shared_ptr<EngineDocument> privateCopy();

private:
    EngineDocument(std::shared_ptr<const std::string> bytes, const std::string& path);

    // Declared before pdf_: qpdf reads from these bytes until it is destroyed.
    std::shared_ptr<const std::string> bytes_;
    std::unique_ptr<QPDF> pdf_;
    std::string path_;
    std::atomic<std::uint64_t> revision_{0};
};

} // namespace paginor::engine
