#include "engine/document/outline_copier.h"

#include "engine/document/named_destinations.h"
#include "engine/document/outline_tree.h"

#include <qpdf/QPDF.hh>

namespace paginor::engine {

namespace {

QPDFObjectHandle copyItem(QPDF& target, QPDFObjectHandle sourceItem, QPDFObjectHandle destination,
                          QPDFObjectHandle targetPage) {
    std::vector<QPDFObjectHandle> dest{targetPage};
    for (int i = 1; i < destination.getArrayNItems(); ++i) {
        QPDFObjectHandle value = destination.getArrayItem(i);
        dest.push_back(value.isIndirect() ? QPDFObjectHandle::newNull() : value.shallowCopy());
    }
    QPDFObjectHandle item = QPDFObjectHandle::newDictionary();
    QPDFObjectHandle title = sourceItem.getKey("/Title");
    item.replaceKey("/Title", QPDFObjectHandle::newString(title.isString() ? title.getStringValue()
                                                                           : std::string()));
    item.replaceKey("/Dest", QPDFObjectHandle::newArray(dest));
    // Keep the item's look and open state; the links are rebuilt on writing.
    for (const char* key : {"/C", "/F"}) {
        QPDFObjectHandle value = sourceItem.getKey(key);
        if (!value.isNull() && !value.isIndirect()) {
            item.replaceKey(key, value.shallowCopy());
        }
    }
    QPDFObjectHandle count = sourceItem.getKey("/Count");
    if (count.isInteger()) {
        item.replaceKey("/Count", QPDFObjectHandle::newInteger(count.getIntValue()));
    }
    return target.makeIndirectObject(item);
}

std::vector<OutlineNode> copyNodes(QPDF& target, NamedDestinations& sourceNames,
                                   const std::vector<OutlineNode>& sourceNodes,
                                   const std::map<QPDFObjGen, QPDFObjectHandle>& copiedPages) {
    std::vector<OutlineNode> result;
    for (const OutlineNode& node : sourceNodes) {
        std::vector<OutlineNode> children =
            copyNodes(target, sourceNames, node.children, copiedPages);
        QPDFObjectHandle destination = outlineDestination(sourceNames, node.item);
        QPDFObjectHandle page = outlineTargetPage(sourceNames, node.item);
        auto copied = page.isDictionary() ? copiedPages.find(page.getObjGen()) : copiedPages.end();
        if (copied == copiedPages.end()) {
            for (auto& child : children) {
                result.push_back(std::move(child));
            }
            continue;
        }
        result.push_back(
            {copyItem(target, node.item, destination, copied->second), std::move(children)});
    }
    return result;
}

} // namespace

// A source outline whose items link back to each other gives each item it
// reaches once, so the pages and the sound part of the outline still arrive.
bool copyOutlineItems(QPDF& target, QPDF& source,
                      const std::map<QPDFObjGen, QPDFObjectHandle>& copiedPages, bool targetSound) {
    NamedDestinations sourceNames(source);
    std::vector<OutlineNode> copied =
        copyNodes(target, sourceNames, readOutline(source), copiedPages);
    if (copied.empty()) {
        return targetSound;
    }
    if (targetSound) {
        appendToOutline(target, copied);
        return true;
    }
    std::vector<OutlineNode> tree = readOutline(target);
    for (auto& node : copied) {
        tree.push_back(std::move(node));
    }
    writeOutline(target, tree);
    return true;
}

} // namespace paginor::engine
