#include "field_tree.h"

#include "field_attributes.h"
#include "pdf_text_string.h"

#include <qpdf/QPDFObjGen.hh>

#include <set>
#include <unordered_set>

namespace paginor::engine::forms {

namespace {

constexpr int kMaxDepth = 64;

struct ObjGenHash {
    size_t operator()(const QPDFObjGen& og) const {
        return std::hash<long long>()((static_cast<long long>(og.getObj()) << 16) ^ og.getGen());
    }
};

bool hasName(QPDFObjectHandle node) {
    return node.isDictionary() && node.getKey("/T").isString();
}

class TreeBuilder {
public:
    explicit TreeBuilder(QPDF& pdf) : pdf_(pdf) {}

    std::vector<FormField> run() {
        QPDFObjectHandle acroForm = pdf_.getRoot().getKey("/AcroForm");
        if (acroForm.isDictionary()) {
            QPDFObjectHandle fields = acroForm.getKey("/Fields");
            if (fields.isArray()) {
                for (int i = 0; i < fields.getArrayNItems(); ++i) {
                    walk(fields.getArrayItem(i), -1, 0);
                }
            }
        }
        adoptWidgetsFromPages();
        return inDocumentOrder();
    }

private:
    bool alreadyWalked(QPDFObjectHandle node) {
        return node.isIndirect() && walked_.count(node.getObjGen()) != 0;
    }

    size_t addNode(QPDFObjectHandle dictionary, int parent) {
        FormField field;
        field.dictionary = dictionary;
        field.parent = parent;
        const std::string partial = textOf(dictionary.getKey("/T"));
        if (parent >= 0 && !nodes_[static_cast<size_t>(parent)].fullName.empty()) {
            field.fullName = nodes_[static_cast<size_t>(parent)].fullName;
            if (!partial.empty()) {
                field.fullName += "." + partial;
            }
        } else {
            field.fullName = partial;
        }
        nodes_.push_back(std::move(field));
        const size_t index = nodes_.size() - 1;
        if (parent >= 0) {
            nodes_[static_cast<size_t>(parent)].children.push_back(index);
        } else {
            roots_.push_back(index);
        }
        if (dictionary.isIndirect()) {
            nodeOf_[dictionary.getObjGen()] = index;
        }
        return index;
    }

    void addWidget(size_t owner, QPDFObjectHandle widget) {
        if (widget.isIndirect() && !widgets_.insert(widget.getObjGen()).second) {
            return;
        }
        nodes_[owner].widgets.push_back(widget);
    }

    // A node with a name (or any entry of /Fields) is a field; a kid without a
    // name is a widget of the field above it, or an anonymous level whose kids
    // belong to that field.
    void walk(QPDFObjectHandle node, int parent, int depth) {
        if (depth > kMaxDepth || !node.isDictionary() || alreadyWalked(node)) {
            return;
        }
        if (node.isIndirect()) {
            walked_.insert(node.getObjGen());
        }
        QPDFObjectHandle kids = node.getKey("/Kids");
        int owner = parent;
        if (hasName(node) || parent < 0) {
            owner = static_cast<int>(addNode(node, parent));
        }
        if (kids.isArray() && kids.getArrayNItems() > 0) {
            for (int i = 0; i < kids.getArrayNItems(); ++i) {
                walk(kids.getArrayItem(i), owner, depth + 1);
            }
        } else {
            addWidget(static_cast<size_t>(owner), node);
        }
    }

    void adoptWidgetsFromPages() {
        std::vector<QPDFObjectHandle> pages;
        try {
            pages = pdf_.getAllPages();
        } catch (const std::exception&) {
            return; // a broken page tree: the /Fields walk is all there is
        }
        for (QPDFObjectHandle& page : pages) {
            QPDFObjectHandle annots = page.getKey("/Annots");
            if (!annots.isArray()) {
                continue;
            }
            for (int i = 0; i < annots.getArrayNItems(); ++i) {
                QPDFObjectHandle annot = annots.getArrayItem(i);
                if (!annot.isDictionary() || !annot.isIndirect() ||
                    !annot.getKey("/Subtype").isNameAndEquals("/Widget") ||
                    widgets_.count(annot.getObjGen()) != 0) {
                    continue;
                }
                adoptWidget(annot);
            }
        }
    }

    // A widget missing from /Fields: make sure its named ancestors are fields
    // (walking a new top-level ancestor whole, as /Fields would have), then
    // hang it on the nearest one if no /Kids array reached it.
    void adoptWidget(QPDFObjectHandle widget) {
        std::vector<QPDFObjectHandle> chain;
        std::set<QPDFObjGen> seen;
        for (QPDFObjectHandle node = widget; node.isDictionary() && chain.size() < kMaxDepth;
             node = node.getKey("/Parent")) {
            if (node.isIndirect() && !seen.insert(node.getObjGen()).second) {
                break;
            }
            chain.push_back(node);
        }
        int current = -1;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            const bool top = (it == chain.rbegin());
            if (!top && !hasName(*it)) {
                continue;
            }
            auto known = it->isIndirect() ? nodeOf_.find(it->getObjGen()) : nodeOf_.end();
            if (known == nodeOf_.end() && !alreadyWalked(*it)) {
                walk(*it, current, 0);
                known = it->isIndirect() ? nodeOf_.find(it->getObjGen()) : nodeOf_.end();
            }
            if (known != nodeOf_.end()) {
                current = static_cast<int>(known->second);
            }
        }
        if (widgets_.count(widget.getObjGen()) != 0) {
            return;
        }
        if (current < 0) {
            current = static_cast<int>(addNode(widget, -1));
        }
        addWidget(static_cast<size_t>(current), widget);
    }

    std::vector<FormField> inDocumentOrder() {
        std::vector<size_t> order;
        order.reserve(nodes_.size());
        std::vector<size_t> stack(roots_.rbegin(), roots_.rend());
        while (!stack.empty()) {
            const size_t index = stack.back();
            stack.pop_back();
            order.push_back(index);
            const auto& children = nodes_[index].children;
            stack.insert(stack.end(), children.rbegin(), children.rend());
        }
        std::vector<size_t> newIndex(nodes_.size());
        for (size_t i = 0; i < order.size(); ++i) {
            newIndex[order[i]] = i;
        }
        std::vector<FormField> result;
        result.reserve(order.size());
        for (size_t old : order) {
            FormField field = std::move(nodes_[old]);
            if (field.parent >= 0) {
                field.parent = static_cast<int>(newIndex[static_cast<size_t>(field.parent)]);
            }
            for (size_t& child : field.children) {
                child = newIndex[child];
            }
            field.terminal = field.children.empty();
            field.kind = classifyField(field.dictionary, field.terminal);
            result.push_back(std::move(field));
        }
        return result;
    }

    QPDF& pdf_;
    std::vector<FormField> nodes_;
    std::vector<size_t> roots_;
    std::unordered_map<QPDFObjGen, size_t, ObjGenHash> nodeOf_;
    std::unordered_set<QPDFObjGen, ObjGenHash> walked_;
    std::unordered_set<QPDFObjGen, ObjGenHash> widgets_;
};

} // namespace

FieldTree FieldTree::build(QPDF& pdf) {
    FieldTree tree;
    tree.fields_ = TreeBuilder(pdf).run();
    for (size_t i = 0; i < tree.fields_.size(); ++i) {
        tree.byName_.emplace(tree.fields_[i].fullName, i);
    }
    return tree;
}

long FieldTree::indexOf(const std::string& fullName) const {
    auto found = byName_.find(fullName);
    return found == byName_.end() ? -1 : static_cast<long>(found->second);
}

} // namespace paginor::engine::forms
