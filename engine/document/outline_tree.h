// The document outline (bookmarks) as a plain tree of item dictionaries, read
// from and written back to the /First, /Next, ... links. qpdf's outline
// helper is read-only, and loops forever on children that link back to each
// other, so the outline is read here with a visited set and changes are made
// on this tree and relinked.
#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <vector>

class QPDF;
namespace paginor::engine {

class NamedDestinations;

struct OutlineNode {
    QPDFObjectHandle item; // the item's dictionary (indirect)
    std::vector<OutlineNode> children;
};

// The top-level items with their descendants. Each item appears at most
// once: a link back to an item already read (a /Next or /First cycle), a
// broken link or nesting deeper than any real outline ends that list there.
// Writing the tree back therefore cuts the cycles of a damaged outline while
// keeping every item it reached.
std::vector<OutlineNode> readOutline(QPDF& pdf);

// Replaces the outline with `nodes`: every item's /Parent, /First, /Last,
// /Prev, /Next and /Count are rewritten (an item keeps its open or closed
// state). An empty tree removes /Outlines from the catalog.
void writeOutline(QPDF& pdf, const std::vector<OutlineNode>& nodes);

// Adds `nodes` after the last top-level item of an outline that is known to
// be sound (as writeOutline left it), touching only the new items, the old
// last item's /Next and the root's /Last and /Count: appending many files
// one after the other then costs what arrives, not the whole outline again.
void appendToOutline(QPDF& pdf, const std::vector<OutlineNode>& nodes);

// The page dictionary an outline item's destination (direct, named or GoTo
// action) points at; null when it has none.
QPDFObjectHandle outlineTargetPage(NamedDestinations& names, QPDFObjectHandle item);

// The explicit destination array of an item (resolved like above); null
// when it has none.
QPDFObjectHandle outlineDestination(NamedDestinations& names, QPDFObjectHandle item);

} // namespace paginor::engine
