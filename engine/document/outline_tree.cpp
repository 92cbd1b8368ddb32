#include "engine/document/outline_tree.h"

#include "engine/document/named_destinations.h"

#include <qpdf/QPDF.hh>

#include <set>

namespace paginor::engine {

namespace {

std::vector<OutlineNode> readChildren(QPDFObjectHandle parent, std::set<QPDFObjGen>& seen,
                                      int depth) {
    std::vector<OutlineNode> nodes;
    if (depth > 100) {
        return nodes; // deeper than any real outline: treat as damaged
    }
    for (QPDFObjectHandle item = parent.getKey("/First");
         item.isDictionary() && item.isIndirect() && seen.insert(item.getObjGen()).second;
         item = item.getKey("/Next")) {
        nodes.push_back({item, readChildren(item, seen, depth + 1)});
    }
    return nodes;
}

bool isOpen(QPDFObjectHandle item) {
    QPDFObjectHandle count = item.getKey("/Count");
    return !count.isInteger() || count.getIntValue() >= 0;
}

int link(QPDFObjectHandle parent, const std::vector<OutlineNode>& nodes, bool parentIsRoot);

// Links `nodes` as siblings under `parent`, the first after `before` (none
// when it is null), with their descendants; answers how many of them are
// visible (the parent being open). The parent's own keys are left alone.
int linkSiblings(QPDFObjectHandle parent, const std::vector<OutlineNode>& nodes,
                 QPDFObjectHandle before) {
    int visible = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        QPDFObjectHandle item = nodes[i].item;
        const bool open = isOpen(item);
        item.replaceKey("/Parent", parent);
        if (i > 0) {
            item.replaceKey("/Prev", nodes[i - 1].item);
        } else if (before.isInitialized() && !before.isNull()) {
            item.replaceKey("/Prev", before);
        } else {
            item.removeKey("/Prev");
        }
        if (i + 1 < nodes.size()) {
            item.replaceKey("/Next", nodes[i + 1].item);
        } else {
            item.removeKey("/Next");
        }
        const int below = link(item, nodes[i].children, false);
        if (nodes[i].children.empty()) {
            item.removeKey("/Count");
        } else {
            const int count = open ? below : -static_cast<int>(nodes[i].children.size());
            item.replaceKey("/Count", QPDFObjectHandle::newInteger(count));
        }
        visible += 1 + (open ? below : 0);
    }
    return visible;
}

// Links `nodes` under `parent` and answers how many of them are visible
// (the parent being open).
int link(QPDFObjectHandle parent, const std::vector<OutlineNode>& nodes, bool parentIsRoot) {
    for (const char* key : {"/First", "/Last"}) {
        parent.removeKey(key);
    }
    const int visible = linkSiblings(parent, nodes, QPDFObjectHandle());
    if (!nodes.empty()) {
        parent.replaceKey("/First", nodes.front().item);
        parent.replaceKey("/Last", nodes.back().item);
    }
    if (parentIsRoot) {
        parent.replaceKey("/Count", QPDFObjectHandle::newInteger(visible));
    }
    return visible;
}

QPDFObjectHandle resolveDestination(NamedDestinations& names, QPDFObjectHandle dest) {
    if (dest.isName() || dest.isString()) {
        dest = names.resolve(dest);
    }
    if (dest.isDictionary()) {
        dest = dest.getKey("/D");
    }
    return dest.isArray() ? dest : QPDFObjectHandle::newNull();
}

} // namespace

std::vector<OutlineNode> readOutline(QPDF& pdf) {
    QPDFObjectHandle root = pdf.getRoot().getKey("/Outlines");
    if (!root.isDictionary()) {
        return {};
    }
    std::set<QPDFObjGen> seen;
    return readChildren(root, seen, 0);
}

void writeOutline(QPDF& pdf, const std::vector<OutlineNode>& nodes) {
    QPDFObjectHandle catalog = pdf.getRoot();
    if (nodes.empty()) {
        catalog.removeKey("/Outlines");
        return;
    }
    QPDFObjectHandle root = catalog.getKey("/Outlines");
    if (!root.isDictionary() || !root.isIndirect()) {
        root = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Outlines >>"));
        catalog.replaceKey("/Outlines", root);
    }
    link(root, nodes, true);
}

void appendToOutline(QPDF& pdf, const std::vector<OutlineNode>& nodes) {
    if (nodes.empty()) {
        return;
    }
    QPDFObjectHandle root = pdf.getRoot().getKey("/Outlines");
    QPDFObjectHandle last = root.isDictionary() ? root.getKey("/Last") : QPDFObjectHandle();
    if (!root.isIndirect() || !last.isDictionary()) {
        writeOutline(pdf, nodes); // nothing to append to
        return;
    }
    const int visible = linkSiblings(root, nodes, last);
    last.replaceKey("/Next", nodes.front().item);
    root.replaceKey("/Last", nodes.back().item);
    QPDFObjectHandle count = root.getKey("/Count");
    const long long before = count.isInteger() ? count.getIntValue() : 0;
    root.replaceKey("/Count", QPDFObjectHandle::newInteger(before + visible));
}

QPDFObjectHandle outlineDestination(NamedDestinations& names, QPDFObjectHandle item) {
    QPDFObjectHandle dest = item.getKey("/Dest");
    if (dest.isNull()) {
        QPDFObjectHandle action = item.getKey("/A");
        if (action.isDictionary() && action.getKey("/S").isNameAndEquals("/GoTo")) {
            dest = action.getKey("/D");
        }
    }
    return resolveDestination(names, dest);
}

QPDFObjectHandle outlineTargetPage(NamedDestinations& names, QPDFObjectHandle item) {
    QPDFObjectHandle dest = outlineDestination(names, item);
    if (dest.isArray() && dest.getArrayNItems() > 0) {
        QPDFObjectHandle page = dest.getArrayItem(0);
        if (page.isDictionary()) {
            return page;
        }
    }
    return QPDFObjectHandle::newNull();
}

} // namespace paginor::engine
