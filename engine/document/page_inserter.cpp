#include "engine/document/page_inserter.h"

#include "engine/document/bounded_stream_decoding.h"
#include "engine/document/engine_limits.h"
#include "engine/document/outline_copier.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace paginor::engine {

namespace {

struct CopiedPage {
    QPDFObjectHandle sourcePage;
    QPDFObjectHandle targetPage;
    std::size_t firstAnnotation = 0; // index into the collected annotations
    std::size_t annotationCount = 0;
};

// Moves the pages' annotations out of the page dictionaries (they are copied
// separately, once for the whole run) and answers them in page order.
std::vector<QPDFObjectHandle> takeAnnotations(std::vector<CopiedPage>& pages) {
    std::vector<QPDFObjectHandle> annotations;
    for (CopiedPage& page : pages) {
        page.firstAnnotation = annotations.size();
        QPDFObjectHandle dictionary = page.sourcePage;
        QPDFObjectHandle list = dictionary.getKey("/Annots");
        if (list.isArray()) {
            for (auto& annotation : list.aitems()) {
                if (annotation.isDictionary()) {
                    annotations.push_back(annotation);
                }
            }
        }
        dictionary.removeKey("/Annots");
        page.annotationCount = annotations.size() - page.firstAnnotation;
    }
    return annotations;
}

// Drops from a copied field tree every widget that did not arrive on a copied
// page, and every field left without widgets. Answers whether `field` stays.
bool pruneField(QPDFObjectHandle field, const std::set<QPDFObjGen>& arrivedWidgets,
                std::set<QPDFObjGen>& visiting) {
    if (!field.isDictionary() || !visiting.insert(field.getObjGen()).second) {
        return false;
    }
    bool keep = arrivedWidgets.count(field.getObjGen()) != 0;
    QPDFObjectHandle kids = field.getKey("/Kids");
    if (kids.isArray()) {
        std::vector<QPDFObjectHandle> kept;
        for (auto& kid : kids.aitems()) {
            if (pruneField(kid, arrivedWidgets, visiting)) {
                kept.push_back(kid);
            }
        }
        field.replaceKey("/Kids", QPDFObjectHandle::newArray(kept));
        keep = keep || !kept.empty();
    }
    return keep;
}

// qpdf parses the appearance streams of the annotations it copies (to rename
// the form resources they use), decoding each whole; one that inflates past
// the stream limit stops the insertion here instead, with its name.
void checkAppearanceStreams(const std::vector<QPDFObjectHandle>& annotations) {
    const std::uint64_t limit = maxDecodedStreamSize();
    std::set<QPDFObjGen> checked;
    auto check = [&](QPDFObjectHandle stream) {
        if (stream.isStream() && checked.insert(stream.getObjGen()).second) {
            checkDecodedStreamSize(stream, "the appearance stream of an inserted annotation",
                                   limit);
        }
    };
    for (QPDFObjectHandle annotation : annotations) {
        QPDFObjectHandle appearances = annotation.getKey("/AP");
        if (!appearances.isDictionary()) {
            continue;
        }
        for (const char* kind : {"/N", "/R", "/D"}) {
            QPDFObjectHandle entry = appearances.getKey(kind);
            if (entry.isDictionary()) {
                for (auto& [state, stream] : entry.ditems()) {
                    check(stream);
                }
            } else {
                check(entry);
            }
        }
    }
}

bool isTopLevel(QPDFObjectHandle field) {
    QPDFObjectHandle parent = field.getKey("/Parent");
    return !parent.isDictionary();
}

void copyAnnotationsAndFields(QPDFAcroFormDocumentHelper& targetForm, QPDF& source,
                              std::vector<CopiedPage>& pages,
                              const std::vector<QPDFObjectHandle>& oldAnnotations) {
    if (oldAnnotations.empty()) {
        return;
    }
    QPDFAcroFormDocumentHelper sourceForm(source);
    std::vector<QPDFObjectHandle> newAnnotations;
    std::vector<QPDFObjectHandle> newFields;
    std::set<QPDFObjGen> oldFields;
    targetForm.transformAnnotations(QPDFObjectHandle::newArray(oldAnnotations), newAnnotations,
                                    newFields, oldFields, QPDFMatrix(), &source, &sourceForm);

    // transformAnnotations answers one new annotation per old one, in order.
    std::set<QPDFObjGen> arrivedWidgets;
    for (CopiedPage& page : pages) {
        std::vector<QPDFObjectHandle> own;
        for (std::size_t i = 0; i < page.annotationCount; ++i) {
            const std::size_t index = page.firstAnnotation + i;
            if (index >= newAnnotations.size()) {
                break;
            }
            QPDFObjectHandle annotation = newAnnotations[index];
            annotation.replaceKey("/P", page.targetPage);
            arrivedWidgets.insert(annotation.getObjGen());
            own.push_back(annotation);
        }
        if (!own.empty()) {
            page.targetPage.replaceKey("/Annots", QPDFObjectHandle::newArray(own));
        }
    }

    std::vector<QPDFObjectHandle> topLevel;
    std::set<QPDFObjGen> seenTop;
    std::set<QPDFObjGen> visiting;
    for (auto& field : newFields) {
        if (field.isDictionary() && isTopLevel(field) && seenTop.insert(field.getObjGen()).second &&
            pruneField(field, arrivedWidgets, visiting)) {
            topLevel.push_back(field);
        }
    }
    if (topLevel.empty()) {
        return;
    }
    targetForm.addAndRenameFormFields(topLevel);
    if (sourceForm.getNeedAppearances()) {
        targetForm.setNeedAppearances(true);
    }
}

} // namespace

bool insertCopiedPages(QPDF& target, QPDFAcroFormDocumentHelper& targetForm, QPDF& source,
                       const PageInsertion& insertion) {
    source.setImmediateCopyFrom(true);
    QPDFPageDocumentHelper sourcePages(source);
    // Attributes inherited from the page tree must travel with each page.
    sourcePages.pushInheritedAttributesToPage();
    const std::vector<QPDFObjectHandle>& allSource = source.getAllPages();

    std::vector<CopiedPage> pages;
    for (int i = 0; i < insertion.count; ++i) {
        pages.push_back({allSource.at(static_cast<std::size_t>(insertion.startPage + i)), {}});
    }
    const std::vector<QPDFObjectHandle> oldAnnotations = takeAnnotations(pages);
    checkAppearanceStreams(oldAnnotations);

    QPDFObjectHandle previous;
    if (insertion.afterPage >= 0) {
        previous = target.getAllPages().at(static_cast<std::size_t>(insertion.afterPage));
    }
    for (CopiedPage& page : pages) {
        page.targetPage = target.copyForeignObject(page.sourcePage);
        if (!previous.isInitialized()) {
            target.addPage(page.targetPage, true);
        } else {
            target.addPageAt(page.targetPage, false, previous);
        }
        previous = page.targetPage;
    }

    copyAnnotationsAndFields(targetForm, source, pages, oldAnnotations);

    if (insertion.withOutline) {
        std::map<QPDFObjGen, QPDFObjectHandle> pageMap;
        for (const CopiedPage& page : pages) {
            pageMap.emplace(page.sourcePage.getObjGen(), page.targetPage);
        }
        return copyOutlineItems(target, source, pageMap, insertion.outlineSound);
    }
    return insertion.outlineSound;
}

} // namespace paginor::engine
