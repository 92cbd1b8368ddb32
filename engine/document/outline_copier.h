// Copying a source document's outline items that point at copied pages.
#pragma once

#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <map>

class QPDF;

namespace paginor::engine {

// Appends to the target's outline (at its top level, after the items it
// already has) a copy of every source item whose destination is a page in
// `copiedPages` (source page -> its copy in the target), pointing at the
// copy. The source's hierarchy is kept among the copied items: an item whose
// destination was not copied is left out and its copied descendants take
// its place.
// `targetSound` says that the target's outline is as this engine last wrote
// it, so the copies can simply be linked behind its last item; otherwise the
// whole outline is read (cutting any loops) and written back with them.
// Answers whether the target's outline is known sound afterwards.
bool copyOutlineItems(QPDF& target, QPDF& source,
                      const std::map<QPDFObjGen, QPDFObjectHandle>& copiedPages, bool targetSound);

} // namespace paginor::engine
