#include "widget_linking.h"

#include "field_attributes.h"
#include "field_tree.h"
#include "pdf_text_string.h"

#include <qpdf/QPDFObjGen.hh>

#include <map>
#include <set>

namespace paginor::engine::forms {

namespace {

constexpr int kMaxDepth = 64;

// What /Fields reaches: every node, the full name each one hands its kids,
// and the full names in use.
struct ReachableForm {
    std::set<QPDFObjGen> nodes;
    std::map<QPDFObjGen, std::string> nameOf;
    std::set<std::string> names;
};

void walk(QPDFObjectHandle node, const std::string& parentName, int depth, ReachableForm& form) {
    if (depth > kMaxDepth || !node.isDictionary()) {
        return;
    }
    if (node.isIndirect() && !form.nodes.insert(node.getObjGen()).second) {
        return;
    }
    std::string name = parentName;
    QPDFObjectHandle partial = node.getKey("/T");
    if (partial.isString()) {
        const std::string text = textOf(partial);
        name = parentName.empty() ? text : text.empty() ? parentName : parentName + "." + text;
        form.names.insert(name);
    }
    if (node.isIndirect()) {
        form.nameOf[node.getObjGen()] = name;
    }
    QPDFObjectHandle kids = node.getKey("/Kids");
    if (kids.isArray()) {
        for (int i = 0; i < kids.getArrayNItems(); ++i) {
            walk(kids.getArrayItem(i), name, depth + 1, form);
        }
    }
}

// A widget's topmost ancestor that /Fields does not reach, and the reached
// parent it hangs from (null for none).
struct Unreachable {
    QPDFObjectHandle top;
    QPDFObjectHandle anchor;
    bool bogusParent = false; // top's /Parent leads nowhere /Fields can hold
};

Unreachable climb(QPDFObjectHandle widget, const ReachableForm& form) {
    Unreachable found{widget, QPDFObjectHandle::newNull()};
    std::set<QPDFObjGen> seen{widget.getObjGen()};
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        QPDFObjectHandle parent = found.top.getKey("/Parent");
        if (!parent.isDictionary()) {
            found.bogusParent = found.top.hasKey("/Parent");
            break;
        }
        if (parent.isIndirect() && form.nodes.count(parent.getObjGen()) != 0) {
            found.anchor = parent;
            break;
        }
        if (!parent.isIndirect() || !seen.insert(parent.getObjGen()).second) {
            found.bogusParent = true; // a loop, or a parent no one can refer to
            break;
        }
        found.top = parent;
    }
    return found;
}

std::vector<Unreachable> unreachableTops(QPDF& pdf, const ReachableForm& form) {
    std::vector<Unreachable> tops;
    std::set<QPDFObjGen> taken;
    std::vector<QPDFObjectHandle> pages;
    try {
        pages = pdf.getAllPages();
    } catch (const std::exception&) {
        return tops;
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
                form.nodes.count(annot.getObjGen()) != 0) {
                continue;
            }
            Unreachable found = climb(annot, form);
            if (taken.insert(found.top.getObjGen()).second) {
                tops.push_back(found);
            }
        }
    }
    return tops;
}

} // namespace

bool carriesSignaturesOrUsageRights(QPDF& pdf) {
    QPDFObjectHandle root = pdf.getRoot();
    QPDFObjectHandle perms = root.getKey("/Perms");
    if (perms.isDictionary() && !perms.getKeys().empty()) {
        return true;
    }
    QPDFObjectHandle acroForm = root.getKey("/AcroForm");
    if (acroForm.isDictionary()) {
        QPDFObjectHandle flags = acroForm.getKey("/SigFlags");
        if (flags.isInteger() && (flags.getIntValue() & 1) != 0) {
            return true;
        }
    }
    const FieldTree tree = FieldTree::build(pdf);
    for (const FormField& field : tree.fields()) {
        if (field.kind == FieldKind::Signature &&
            inheritedAttribute(field.dictionary, "/V").isDictionary()) {
            return true;
        }
    }
    return false;
}

std::vector<ChangedEntry>
linkUnreachableWidgets(QPDF& pdf,
                       const std::function<QPDFObjectHandle(QPDFObjectHandle)>& makeObject) {
    std::vector<ChangedEntry> changed;
    if (carriesSignaturesOrUsageRights(pdf)) {
        return changed;
    }
    QPDFObjectHandle root = pdf.getRoot();
    QPDFObjectHandle acroForm = root.getKey("/AcroForm");
    QPDFObjectHandle fields =
        acroForm.isDictionary() ? acroForm.getKey("/Fields") : QPDFObjectHandle::newNull();
    ReachableForm form;
    if (fields.isArray()) {
        for (int i = 0; i < fields.getArrayNItems(); ++i) {
            walk(fields.getArrayItem(i), "", 0, form);
        }
    }
    const std::vector<Unreachable> tops = unreachableTops(pdf, form);
    if (tops.empty()) {
        return changed;
    }

    // Everything is decided before anything changes.
    struct Link {
        QPDFObjectHandle top;
        QPDFObjectHandle kidsOf; // null: into /Fields
        std::string newPartialName;
        bool rename = false;
        bool dropParent = false;
    };
    std::vector<Link> links;
    std::map<std::string, std::string> suffixOf; // a clashing full name -> its "+N"
    for (Unreachable found : tops) {
        Link link{found.top, found.anchor, {}, false, found.bogusParent && found.anchor.isNull()};
        if (!found.anchor.isNull() && !found.anchor.getKey("/Kids").isArray()) {
            continue; // a parent that is a widget itself would stop being one
        }
        QPDFObjectHandle partial = found.top.getKey("/T");
        if (partial.isString()) {
            const std::string text = textOf(partial);
            const std::string base =
                found.anchor.isNull() ? std::string() : form.nameOf[found.anchor.getObjGen()];
            const std::string full = base.empty() ? text : base + "." + text;
            if (form.names.count(full) != 0) {
                if (suffixOf.count(full) == 0) {
                    int n = 1;
                    while (form.names.count(full + "+" + std::to_string(n)) != 0) {
                        ++n;
                    }
                    suffixOf[full] = "+" + std::to_string(n);
                }
                link.rename = true;
                link.newPartialName = text + suffixOf[full];
            }
        }
        links.push_back(link);
    }
    if (links.empty()) {
        return changed;
    }

    if (!acroForm.isDictionary()) {
        acroForm = makeObject ? makeObject(QPDFObjectHandle::newDictionary())
                              : pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        root.replaceKey("/AcroForm", acroForm);
        changed.push_back({root, "/AcroForm"});
    }
    if (!fields.isArray()) {
        fields = QPDFObjectHandle::newArray();
        acroForm.replaceKey("/Fields", fields);
    }
    bool fieldsGrew = false;
    for (Link& link : links) {
        if (link.rename) {
            link.top.replaceKey("/T", makePdfTextString(link.newPartialName));
            changed.push_back({link.top, "/T"});
        }
        if (link.dropParent) {
            link.top.removeKey("/Parent");
            changed.push_back({link.top, "/Parent"});
        }
        if (link.kidsOf.isNull()) {
            fields.appendItem(link.top);
            fieldsGrew = true;
        } else {
            QPDFObjectHandle kids = link.kidsOf.getKey("/Kids");
            kids.appendItem(link.top);
            changed.push_back({link.kidsOf, "/Kids"});
        }
    }
    if (fieldsGrew) {
        changed.push_back({acroForm, "/Fields"});
    }
    return changed;
}

} // namespace paginor::engine::forms
