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

namespace paginor::engine {

struct PageInsertion {
    int afterPage; // 0-based page of the target; kBeforeFirstPage inserts before the first
    int startPage; // 0-based first page of the source
    int count;
    bool withOutline;
};

// The range must already be checked. `source` must be a private parse that
// nobody else uses: its pages are prepared for copying in place.
void insertCopiedPages(QPDF& target, QPDF& source, const PageInsertion& insertion);

} // namespace paginor::engine
