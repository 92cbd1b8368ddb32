// Linking widgets that /Fields does not reach: where each goes, what keeps
// a document as it is, and that the changes it reports are every change it
// made (an incremental save writes exactly those).
#include "engine/forms/field_tree.h"
#include "engine/forms/widget_linking.h"
#include "forms_test_support.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

namespace paginor::engine::forms {
namespace {

// Full names of the terminal fields a walk of /Fields reaches, as a tool that
// reads /Fields alone sees them.
std::vector<std::string> namesThroughFields(QPDF& pdf) {
    std::vector<std::string> names;
    std::set<QPDFObjGen> seen;
    std::function<void(QPDFObjectHandle, const std::string&)> walk =
        [&](QPDFObjectHandle node, const std::string& parent) {
            if (!node.isDictionary() ||
                (node.isIndirect() && !seen.insert(node.getObjGen()).second)) {
                return;
            }
            std::string name = parent;
            if (node.getKey("/T").isString()) {
                const std::string partial = node.getKey("/T").getUTF8Value();
                name = parent.empty() ? partial : parent + "." + partial;
            }
            QPDFObjectHandle kids = node.getKey("/Kids");
            bool namedKids = false;
            if (kids.isArray()) {
                for (int i = 0; i < kids.getArrayNItems(); ++i) {
                    namedKids = namedKids || kids.getArrayItem(i).hasKey("/T");
                    walk(kids.getArrayItem(i), name);
                }
            }
            if (!namedKids && node.hasKey("/T")) {
                names.push_back(name);
            }
        };
    QPDFObjectHandle fields = pdf.getRoot().getKey("/AcroForm").getKey("/Fields");
    for (int i = 0; fields.isArray() && i < fields.getArrayNItems(); ++i) {
        walk(fields.getArrayItem(i), "");
    }
    return names;
}

std::vector<std::string> treeNames(QPDF& pdf) {
    std::vector<std::string> names;
    const FieldTree tree = FieldTree::build(pdf);
    for (const FormField& field : tree.fields()) {
        if (field.terminal) {
            names.push_back(field.fullName);
        }
    }
    return names;
}

std::map<QPDFObjGen, std::string> objectTexts(QPDF& pdf) {
    std::map<QPDFObjGen, std::string> texts;
    for (QPDFObjectHandle object : pdf.getAllObjects()) {
        texts[object.getObjGen()] =
            object.isStream() ? object.getDict().unparse() : object.unparse();
    }
    return texts;
}

// A page whose widgets are described by `build`, which links what it wants
// into /Fields (given to it, with the page and the document).
using FormBuilder = std::function<void(QPDF&, QPDFObjectHandle page, QPDFObjectHandle fields)>;

std::unique_ptr<QPDF> formWith(const FormBuilder& build) {
    auto pdf = std::make_unique<QPDF>();
    pdf->emptyPDF();
    QPDFObjectHandle page = pdf->makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 300 300] /Annots [] >>"));
    QPDFPageDocumentHelper(*pdf).addPage(QPDFPageObjectHelper(page), false);
    QPDFObjectHandle fields = pdf->makeIndirectObject(QPDFObjectHandle::newArray());
    QPDFObjectHandle acroForm = pdf->makeIndirectObject(QPDFObjectHandle::newDictionary());
    acroForm.replaceKey("/Fields", fields);
    pdf->getRoot().replaceKey("/AcroForm", acroForm);
    build(*pdf, page, fields);
    return pdf;
}

QPDFObjectHandle widget(QPDF& pdf, QPDFObjectHandle page, const std::string& entries) {
    QPDFObjectHandle made = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Widget /FT /Tx /Rect [0 0 10 10] " + entries + " >>"));
    made.replaceKey("/P", page);
    page.getKey("/Annots").appendItem(made);
    return made;
}

QPDFObjectHandle parentField(QPDF& pdf, const std::string& name) {
    return pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /FT /Tx /T (" + name + ") /Kids [] >>"));
}

struct LinkRow {
    const char* name;
    FormBuilder build;
    std::vector<std::string> throughFieldsAfter;
    bool changes;
};

void PrintTo(const LinkRow& row, std::ostream* out) {
    *out << row.name;
}

class WidgetLinking : public ::testing::TestWithParam<LinkRow> {};

TEST_P(WidgetLinking, LinksWhatTheTreeListsAndReportsEveryChange) {
    const LinkRow& row = GetParam();
    auto pdf = formWith(row.build);
    const std::vector<std::string> listedBefore = treeNames(*pdf);
    const auto textsBefore = objectTexts(*pdf);

    const std::vector<ChangedEntry> changed = linkUnreachableWidgets(*pdf);
    EXPECT_EQ(namesThroughFields(*pdf), row.throughFieldsAfter);
    EXPECT_EQ(!changed.empty(), row.changes);
    if (!row.changes) {
        EXPECT_EQ(treeNames(*pdf), listedBefore) << "nothing may change";
    }

    // Every object whose text changed is the owner of a reported entry: the
    // entry's value when that is an object of its own, else its container.
    std::set<QPDFObjGen> owners;
    for (ChangedEntry entry : changed) {
        QPDFObjectHandle value = entry.container.getKey(entry.key);
        owners.insert(value.isIndirect() ? value.getObjGen() : entry.container.getObjGen());
        owners.insert(entry.container.getObjGen());
    }
    for (const auto& [object, text] : objectTexts(*pdf)) {
        const auto before = textsBefore.find(object);
        if (before != textsBefore.end() && before->second != text) {
            EXPECT_EQ(owners.count(object), 1u)
                << "object " << object.unparse(' ') << " changed unreported";
        }
    }
    // A second pass finds nothing more to do.
    EXPECT_TRUE(linkUnreachableWidgets(*pdf).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WidgetLinking,
    ::testing::Values(LinkRow{"OrphanGoesIntoFields",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle fields) {
                                  fields.appendItem(widget(pdf, page, "/T (a)"));
                                  widget(pdf, page, "/T (b)");
                              },
                              {"a", "b"},
                              true},
                      LinkRow{"KidJoinsItsReachedParent",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle fields) {
                                  QPDFObjectHandle parent = parentField(pdf, "p");
                                  QPDFObjectHandle first = widget(pdf, page, "/T (x)");
                                  first.replaceKey("/Parent", parent);
                                  parent.getKey("/Kids").appendItem(first);
                                  widget(pdf, page, "/T (y)").replaceKey("/Parent", parent);
                                  fields.appendItem(parent);
                              },
                              {"p.x", "p.y"},
                              true},
                      LinkRow{"UnreachedAncestorGoesIntoFieldsWhole",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle) {
                                  QPDFObjectHandle group = parentField(pdf, "g");
                                  QPDFObjectHandle inner = widget(pdf, page, "/T (i)");
                                  inner.replaceKey("/Parent", group);
                                  group.getKey("/Kids").appendItem(inner);
                              },
                              {"g.i"},
                              true},
                      LinkRow{"TakenNamesAreRenamedLikeInsertedFields",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle fields) {
                                  fields.appendItem(widget(pdf, page, "/T (a)"));
                                  fields.appendItem(widget(pdf, page, "/T (a+1)"));
                                  widget(pdf, page, "/T (a)");
                                  QPDFObjectHandle parent = parentField(pdf, "p");
                                  QPDFObjectHandle x = widget(pdf, page, "/T (x)");
                                  x.replaceKey("/Parent", parent);
                                  parent.getKey("/Kids").appendItem(x);
                                  fields.appendItem(parent);
                                  widget(pdf, page, "/T (x)").replaceKey("/Parent", parent);
                              },
                              {"a", "a+1", "p.x", "p.x+1", "a+2"},
                              true},
                      LinkRow{"FieldsThatIsNotAnArrayBecomesOne",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle) {
                                  pdf.getRoot()
                                      .getKey("/AcroForm")
                                      .replaceKey("/Fields", QPDFObjectHandle::newName("/potato"));
                                  widget(pdf, page, "/T (a)");
                              },
                              {"a"},
                              true},
                      LinkRow{"NoFormAtAll",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle) {
                                  pdf.getRoot().removeKey("/AcroForm");
                                  widget(pdf, page, "/T (a)");
                              },
                              {"a"},
                              true},
                      LinkRow{"ParentThatIsAWidgetItselfStays",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle fields) {
                                  QPDFObjectHandle merged = widget(pdf, page, "/T (m)");
                                  fields.appendItem(merged);
                                  widget(pdf, page, "/T (n)").replaceKey("/Parent", merged);
                              },
                              {"m"},
                              false},
                      LinkRow{"SignedDocumentStays",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle fields) {
                                  pdf.getRoot()
                                      .getKey("/AcroForm")
                                      .replaceKey("/SigFlags", QPDFObjectHandle::newInteger(3));
                                  fields.appendItem(widget(pdf, page, "/T (a)"));
                                  widget(pdf, page, "/T (b)");
                              },
                              {"a"},
                              false},
                      LinkRow{"SignatureValueWithoutTheFlagStays",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle fields) {
                                  QPDFObjectHandle signature = widget(pdf, page, "/T (s)");
                                  signature.replaceKey("/FT", QPDFObjectHandle::newName("/Sig"));
                                  signature.replaceKey("/V",
                                                       QPDFObjectHandle::parse("<< /Type /Sig >>"));
                                  fields.appendItem(signature);
                                  widget(pdf, page, "/T (b)");
                              },
                              {"s"},
                              false},
                      LinkRow{"UsageRightsStay",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle) {
                                  pdf.getRoot().replaceKey(
                                      "/Perms",
                                      QPDFObjectHandle::parse("<< /UR3 << /Type /Sig >> >>"));
                                  widget(pdf, page, "/T (b)");
                              },
                              {},
                              false},
                      LinkRow{"NothingUnreached",
                              [](QPDF& pdf, QPDFObjectHandle page, QPDFObjectHandle fields) {
                                  fields.appendItem(widget(pdf, page, "/T (a)"));
                              },
                              {"a"},
                              false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace paginor::engine::forms
