#include "engine/forms/field_tree.h"
#include "engine/forms/field_value_reader.h"
#include "forms_test_support.h"

#include <gtest/gtest.h>

namespace paginor::engine::forms {
namespace {

using test::fieldNamed;

TEST(FieldTree, ListsFieldsInDocumentOrderWithKindsAndFlags) {
    auto pdf = test::makeSampleForm();
    const FieldTree tree = FieldTree::build(*pdf);
    struct Expected {
        const char* name;
        const char* type;
        bool terminal;
        size_t widgets;
    };
    const Expected expected[] = {
        {"name", "text", true, 1},      {"notes", "text", true, 1},
        {"agree", "checkbox", true, 1}, {"colour", "radiobutton", true, 3},
        {"size", "combobox", true, 1},  {"fruits", "listbox", true, 1},
        {"code", "text", true, 1},      {"send", "button", true, 1},
        {"group", "group", false, 0},   {"group.inner", "text", true, 1},
    };
    ASSERT_EQ(tree.fields().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const FormField& field = tree.fields()[i];
        EXPECT_EQ(field.fullName, expected[i].name);
        EXPECT_STREQ(fieldTypeName(field.kind), expected[i].type) << field.fullName;
        EXPECT_EQ(field.terminal, expected[i].terminal) << field.fullName;
        EXPECT_EQ(field.widgets.size(), expected[i].widgets) << field.fullName;
    }
    // Push buttons are listed like every field; writing one fails with the reason.
    EXPECT_FALSE(carriesNoUserValue(fieldNamed(tree, "send").kind));
    EXPECT_FALSE(carriesNoUserValue(fieldNamed(tree, "name").kind));
}

TEST(FieldTree, FindsWidgetsMissingFromFieldsAndGroupsUnnamedKids) {
    auto pdf = test::makeSampleForm();
    // Drop "colour" and "group" from /Fields: their widgets are still on the page.
    QPDFObjectHandle fields = pdf->getRoot().getKey("/AcroForm").getKey("/Fields");
    QPDFObjectHandle kept = QPDFObjectHandle::newArray();
    for (int i = 0; i < fields.getArrayNItems(); ++i) {
        const std::string name = fields.getArrayItem(i).getKey("/T").getUTF8Value();
        if (name != "colour" && name != "group") {
            kept.appendItem(fields.getArrayItem(i));
        }
    }
    pdf->getRoot().getKey("/AcroForm").replaceKey("/Fields", kept);
    const FieldTree tree = FieldTree::build(*pdf);
    EXPECT_EQ(tree.fields().size(), 10u);
    EXPECT_EQ(fieldNamed(tree, "colour").widgets.size(), 3u);
    EXPECT_EQ(fieldNamed(tree, "group.inner").parent, tree.indexOf("group"));
}

TEST(FieldTree, SurvivesLoopsAndAFieldsEntryThatIsNotAnArray) {
    auto pdf = test::makeSampleForm();
    QPDFObjectHandle acroForm = pdf->getRoot().getKey("/AcroForm");
    QPDFObjectHandle group = fieldNamed(FieldTree::build(*pdf), "group").dictionary;
    group.getKey("/Kids").appendItem(group); // a field that is its own kid
    group.replaceKey("/Parent", group);
    EXPECT_EQ(FieldTree::build(*pdf).fields().size(), 10u);

    acroForm.replaceKey("/Fields", QPDFObjectHandle::newName("/potato"));
    const FieldTree fromPages = FieldTree::build(*pdf);
    EXPECT_EQ(fromPages.fields().size(), 10u);
    EXPECT_GE(fromPages.indexOf("name"), 0);
}

TEST(FieldValueReader, ReadsEachKindIncludingInheritedValues) {
    auto pdf = test::makeSampleForm();
    FieldTree tree = FieldTree::build(*pdf);
    fieldNamed(tree, "name")
        .dictionary.replaceKey("/V", QPDFObjectHandle::newUnicodeString("Zo\xC3\xAB"));
    fieldNamed(tree, "group")
        .dictionary.replaceKey("/V", QPDFObjectHandle::newString("from parent"));
    fieldNamed(tree, "colour").dictionary.replaceKey("/V", QPDFObjectHandle::newName("/green"));
    fieldNamed(tree, "fruits")
        .dictionary.replaceKey("/V", QPDFObjectHandle::parse("[(a) (Cherry)]"));
    fieldNamed(tree, "size").dictionary.replaceKey("/I", QPDFObjectHandle::parse("[1]"));
    QPDFObjectHandle agree = fieldNamed(tree, "agree").dictionary;
    agree.removeKey("/V");
    agree.replaceKey("/AS", QPDFObjectHandle::newName("/Yes"));

    const std::pair<const char*, const char*> expected[] = {
        {"name", "Zo\xC3\xAB"}, {"group.inner", "from parent"},
        {"colour", "green"},    {"fruits", "a\rCherry"},
        {"agree", "Yes"},       {"notes", ""},
        {"send", ""},
    };
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(readFieldValue(fieldNamed(tree, name)), value) << name;
    }
}

TEST(FieldTree, MalformedFieldsArrayInCorpusStillFindsItsFields) {
    auto corpus = test::corpusDir();
    if (!corpus) {
        GTEST_SKIP() << "corpus not present";
    }
    auto pdf = test::openPdf(*corpus / "malformed" / "form-bad-fields-array.pdf");
    const FieldTree tree = FieldTree::build(*pdf);
    size_t terminals = 0;
    for (const FormField& field : tree.fields()) {
        terminals += field.terminal ? 1 : 0;
    }
    EXPECT_EQ(terminals, 7u);
}

} // namespace
} // namespace paginor::engine::forms
