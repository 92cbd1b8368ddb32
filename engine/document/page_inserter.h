// Copying a run of pages from one document into another, with their
// annotations, form fields and (optionally) outline items.
//
// Form fields that arrive join the target's form. A field whose fully
// qualified name already exists in the target is renamed, never merged:
// qpdf appends "+N" (the smallest N that is free) to the /T of the newcomer's
// highest clashing ancestor, so "name" arrives as "name+1" and every field
// under a renamed parent keeps its relative name ("addr.city" arrives as
// "addr+1.city").
#pragma once

class QPDF;
class QPDFAcroFormDocumentHelper;

namespace paginor::engine {

struct PageInsertion {
    int afterPage; // 0-based page of the target; kBeforeFirstPage inserts before the first
    int startPage; // 0-based first page of the source
    int count;
    bool withOutline;
    // The target's outline is as the engine last wrote it (see copyOutlineItems).
    bool outlineSound = false;
};

// The range must already be checked. `source` must be a private parse that
// nobody else uses: its pages are prepared for copying in place.
// `targetForm` is the target's form helper; it may be kept from an earlier
// insertion into the same unchanged document (it learns the fields that
// arrive), which spares re-reading every field of the target each time.
// Answers whether the target's outline is known sound afterwards.
bool insertCopiedPages(QPDF& target, QPDFAcroFormDocumentHelper& targetForm, QPDF& source,
                       const PageInsertion& insertion);

} // namespace paginor::engine
