// The document outline (bookmarks) as a plain tree of item dictionaries, read
// from and written back to the /First, /Next, ... links. qpdf's outline
// helper is read-only, so changes are made on this tree and relinked.
#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <vector>

class QPDF;
class QPDFOutlineDocumentHelper;

namespace paginor::engine {

struct OutlineNode {
    QPDFObjectHandle item; // the item's dictionary (indirect)
    std::vector<OutlineNode> children;
};

// The top-level items with their descendants; loops and broken links end a
// list where they occur.
std::vector<OutlineNode> readOutline(QPDF& pdf);

// Replaces the outline with `nodes`: every item's /Parent, /First, /Last,
// /Prev, /Next and /Count are rewritten (an item keeps its open or closed
// state). An empty tree removes /Outlines from the catalog.
void writeOutline(QPDF& pdf, const std::vector<OutlineNode>& nodes);

// The page dictionary an outline item's destination (direct, named or GoTo
// action) points at; null when it has none.
QPDFObjectHandle outlineTargetPage(QPDFOutlineDocumentHelper& outlines, QPDFObjectHandle item);

// The explicit destination array of an item (resolved like above); null
// when it has none.
QPDFObjectHandle outlineDestination(QPDFOutlineDocumentHelper& outlines, QPDFObjectHandle item);

} // namespace paginor::engine
