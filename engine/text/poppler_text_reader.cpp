// Why poppler's private interface: it is the one way to do what pdftotext
// does, and no more. One text device serves every page of a document (so
// poppler's per-device ICC colour-space cache is shared instead of rebuilt
// per page), words come as Unicode code points (no per-word character-set
// conversion), annotations are skipped at drawing time (field appearances
// must not become page text), and the output intent's colour profile, which
// poppler would turn into colour transforms for every page, is hidden from
// it in memory. poppler-cpp and poppler-glib offer none of these controls.
//
// The price is an interface without stability promises: class layouts and
// signatures change between poppler releases. Hence: the build accepts only
// the poppler the project is tested with (CMake checks the version, the
// static_assert below checks the headers), libpoppler's soname changes with
// each release, so a different poppler at run time makes the dlopen of
// libpaginor_text.so fail with a clear message instead of misbehaving, and
// every private name is used in this one file.
#include "poppler_text_reader.h"

#include <poppler-config.h>

#include <Annot.h>
#include <Error.h>
#include <GlobalParams.h>
#include <Object.h>
#include <PDFDoc.h>
#include <Stream.h>
#include <TextOutputDev.h>
#include <XRef.h>

#include <algorithm>
#include <limits>
#include <mutex>
#include <string_view>

static_assert(std::string_view(POPPLER_VERSION).substr(0, 6) == "22.12.",
              "poppler_text_reader.cpp is written against poppler 22.12's private interface");

namespace paginor::engine::text {
namespace {

// Poppler reports the damage it repairs; the engine reports failures itself.
void discardPopplerMessage(ErrorCategory, Goffset, const char*) {}

void initialisePoppler() {
    static GlobalParamsIniter initialised(discardPopplerMessage);
}

bool drawNoAnnotation(Annot*, void*) {
    return false;
}

// Gfx reads the catalog's single output intent for every page it draws and
// builds colour transforms from its profile; text needs no colour. The
// replacement lives in poppler's copy of the cross-reference table only.
void hideOutputIntents(PDFDoc& document) {
    XRef* xref = document.getXRef();
    Object catalog = xref->getCatalog();
    if (!catalog.isDict() || catalog.dictLookupNF("OutputIntents").isNull())
        return;
    Object replacement(catalog.getDict()->copy(xref));
    replacement.getDict()->remove("OutputIntents");
    xref->setModifiedObject(&replacement, xref->getRoot());
}

void appendBox(const TextWord& word, PageBoxes& page) {
    TextBox& box = page.boxes.emplace_back();
    const int length = word.getLength();
    box.first = page.characters.size();
    box.length = static_cast<std::size_t>(std::max(0, length));
    for (int i = 0; i < length; ++i)
        page.characters.push_back(static_cast<char32_t>(*word.getChar(i)));
    word.getBBox(&box.bbox.x0, &box.bbox.y0, &box.bbox.x1, &box.bbox.y1);
    box.rotation = word.getRotation();
    box.spaceAfter = word.hasSpaceAfter();
    if (length > 0) {
        box.glyphsKnown = true;
        word.getCharBBox(0, &box.firstGlyph.x0, &box.firstGlyph.y0, &box.firstGlyph.x1,
                         &box.firstGlyph.y1);
        word.getCharBBox(length - 1, &box.lastGlyph.x0, &box.lastGlyph.y0, &box.lastGlyph.x1,
                         &box.lastGlyph.y1);
    }
}

} // namespace

struct PopplerTextReader::Poppler {
    std::unique_ptr<PDFDoc> document;
    // Reading order, no physical layout: the settings the engine has always used.
    TextOutputDev device{nullptr, false, 0, false, false};
};

PopplerTextReader::PopplerTextReader(std::unique_ptr<Poppler> poppler)
    : poppler_(std::move(poppler)) {}

PopplerTextReader::~PopplerTextReader() = default;

std::unique_ptr<PopplerTextReader> PopplerTextReader::open(const char* data, std::size_t size,
                                                           std::string& error) {
    if (data == nullptr || size == 0 ||
        size > static_cast<std::size_t>(std::numeric_limits<Goffset>::max())) {
        error = "the document is empty or too large for the text reader";
        return nullptr;
    }
    initialisePoppler();
    auto poppler = std::make_unique<Poppler>();
    auto stream = std::make_unique<MemStream>(data, 0, static_cast<Goffset>(size), Object(objNull));
    poppler->document = std::make_unique<PDFDoc>(stream.release()); // the document owns it
    if (!poppler->document->isOk()) {
        error = poppler->document->getErrorCode() == errEncrypted
                    ? "the document is protected by a password"
                    : "the text reader could not parse the document";
        return nullptr;
    }
    if (!poppler->device.isOk()) {
        error = "the text reader could not start";
        return nullptr;
    }
    hideOutputIntents(*poppler->document);
    return std::unique_ptr<PopplerTextReader>(new PopplerTextReader(std::move(poppler)));
}

int PopplerTextReader::pageCount() const {
    return poppler_->document->getNumPages();
}

bool PopplerTextReader::pageBoxes(int page, PageBoxes& boxes) {
    boxes.characters.clear();
    boxes.boxes.clear();
    if (page < 0 || page >= pageCount())
        return false;
    PDFDoc& document = *poppler_->document;
    // A page missing from a broken page tree would leave the device holding
    // the previous page's words.
    if (document.getPage(page + 1) == nullptr)
        return false;
    document.displayPage(&poppler_->device, page + 1, 72, 72, 0, false, false, false, nullptr,
                         nullptr, drawNoAnnotation, nullptr);
    const std::unique_ptr<TextWordList> words = poppler_->device.makeWordList();
    boxes.boxes.reserve(static_cast<std::size_t>(words->getLength()));
    for (int i = 0; i < words->getLength(); ++i)
        appendBox(*words->get(i), boxes);
    return true;
}

} // namespace paginor::engine::text
