#include "engine/document/page_remover.h"

#include "engine/document/named_destinations.h"
#include "engine/document/outline_tree.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <set>
#include <string>
#include <vector>

namespace paginor::engine {

namespace {

using ObjectSet = std::set<QPDFObjGen>;

bool pointsAtRemoved(QPDFObjectHandle page, const ObjectSet& removed) {
    return page.isDictionary() && page.isIndirect() && removed.count(page.getObjGen()) != 0;
}

// Takes `node` out of its parent's /Kids; a parent left without kids goes
// the same way. Top-level fields that go are collected for the form.
void detachFromFieldTree(QPDFObjectHandle node, ObjectSet& removedTopLevel) {
    std::set<QPDFObjGen> seen;
    while (node.isDictionary() && seen.insert(node.getObjGen()).second) {
        QPDFObjectHandle parent = node.getKey("/Parent");
        if (!parent.isDictionary()) {
            removedTopLevel.insert(node.getObjGen());
            return;
        }
        QPDFObjectHandle kids = parent.getKey("/Kids");
        if (!kids.isArray()) {
            return;
        }
        std::vector<QPDFObjectHandle> kept;
        for (auto& kid : kids.aitems()) {
            if (kid.getObjGen() != node.getObjGen()) {
                kept.push_back(kid);
            }
        }
        parent.replaceKey("/Kids", QPDFObjectHandle::newArray(kept));
        if (!kept.empty()) {
            return;
        }
        node = parent;
    }
}

void removeFields(QPDF& pdf, const std::vector<QPDFPageObjectHelper>& pages) {
    QPDFAcroFormDocumentHelper form(pdf);
    if (!form.hasAcroForm()) {
        return;
    }
    ObjectSet removedTopLevel;
    ObjectSet removedWidgets;
    for (auto page : pages) {
        for (auto& widget : form.getWidgetAnnotationsForPage(page)) {
            QPDFObjectHandle handle = widget.getObjectHandle();
            removedWidgets.insert(handle.getObjGen());
            detachFromFieldTree(handle, removedTopLevel);
        }
    }
    if (!removedTopLevel.empty()) {
        form.removeFormFields(removedTopLevel);
    }
    // The calculation order must not name fields that are gone.
    QPDFObjectHandle acroForm = pdf.getRoot().getKey("/AcroForm");
    QPDFObjectHandle order = acroForm.isDictionary() ? acroForm.getKey("/CO") : QPDFObjectHandle();
    if (order.isInitialized() && order.isArray()) {
        std::vector<QPDFObjectHandle> kept;
        for (auto& field : order.aitems()) {
            if (!removedTopLevel.count(field.getObjGen()) &&
                !removedWidgets.count(field.getObjGen())) {
                kept.push_back(field);
            }
        }
        acroForm.replaceKey("/CO", QPDFObjectHandle::newArray(kept));
    }
}

std::vector<OutlineNode> pruneOutline(NamedDestinations& names, std::vector<OutlineNode> nodes,
                                      const ObjectSet& removed) {
    std::vector<OutlineNode> kept;
    for (auto& node : nodes) {
        node.children = pruneOutline(names, std::move(node.children), removed);
        if (pointsAtRemoved(outlineTargetPage(names, node.item), removed)) {
            if (node.children.empty()) {
                continue;
            }
            node.item.removeKey("/Dest");
            node.item.removeKey("/A");
        }
        kept.push_back(std::move(node));
    }
    return kept;
}

// A damaged outline whose items link back to each other is written back with
// those links cut: the pages still go, and every item survives once.
void removeOutlineItems(QPDF& pdf, const ObjectSet& removed) {
    auto tree = readOutline(pdf);
    if (tree.empty()) {
        return;
    }
    NamedDestinations names(pdf);
    writeOutline(pdf, pruneOutline(names, std::move(tree), removed));
}

QPDFObjectHandle destinationPage(QPDFObjectHandle dest) {
    if (dest.isDictionary()) {
        dest = dest.getKey("/D");
    }
    if (dest.isArray() && dest.getArrayNItems() > 0) {
        return dest.getArrayItem(0);
    }
    return QPDFObjectHandle::newNull();
}

void removeNamedDestinations(QPDF& pdf, const ObjectSet& removed) {
    QPDFObjectHandle names = pdf.getRoot().getKey("/Names");
    if (names.isDictionary() && names.getKey("/Dests").isDictionary()) {
        QPDFNameTreeObjectHelper tree(names.getKey("/Dests"), pdf);
        std::vector<std::string> gone;
        for (auto& [name, dest] : tree) {
            if (pointsAtRemoved(destinationPage(dest), removed)) {
                gone.push_back(name);
            }
        }
        for (auto& name : gone) {
            tree.remove(name);
        }
    }
    QPDFObjectHandle dests = pdf.getRoot().getKey("/Dests");
    if (dests.isDictionary()) {
        for (auto& key : dests.getKeys()) {
            if (pointsAtRemoved(destinationPage(dests.getKey(key)), removed)) {
                dests.removeKey(key);
            }
        }
    }
}

// Links on the remaining pages that lead to a removed page become inert.
void removeLinksTo(const std::vector<QPDFPageObjectHelper>& remaining, const ObjectSet& removed) {
    for (auto page : remaining) {
        for (auto& link : page.getAnnotations("/Link")) {
            QPDFObjectHandle annotation = link.getObjectHandle();
            if (pointsAtRemoved(destinationPage(annotation.getKey("/Dest")), removed)) {
                annotation.removeKey("/Dest");
            }
            QPDFObjectHandle action = annotation.getKey("/A");
            if (action.isDictionary() && action.getKey("/S").isNameAndEquals("/GoTo") &&
                pointsAtRemoved(destinationPage(action.getKey("/D")), removed)) {
                annotation.removeKey("/A");
            }
        }
    }
}

} // namespace

void removePages(QPDF& pdf, int first, int last) {
    QPDFPageDocumentHelper pageHelper(pdf);
    const auto all = pageHelper.getAllPages();
    std::vector<QPDFPageObjectHelper> going;
    std::vector<QPDFPageObjectHelper> staying;
    ObjectSet removed;
    for (int i = 0; i < static_cast<int>(all.size()); ++i) {
        if (i >= first && i <= last) {
            going.push_back(all[static_cast<std::size_t>(i)]);
            removed.insert(all[static_cast<std::size_t>(i)].getObjectHandle().getObjGen());
        } else {
            staying.push_back(all[static_cast<std::size_t>(i)]);
        }
    }
    removeFields(pdf, going);
    removeOutlineItems(pdf, removed);
    removeNamedDestinations(pdf, removed);
    removeLinksTo(staying, removed);
    for (auto& page : going) {
        pageHelper.removePage(page);
    }
}

} // namespace paginor::engine
