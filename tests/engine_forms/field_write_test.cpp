#include "engine/forms/field_kind.h"
#include "engine/forms/field_options.h"
#include "engine/forms/field_tree.h"
#include "engine/forms/field_value_reader.h"
#include "engine/forms/field_value_writer.h"
#include "forms_test_support.h"

#include <gtest/gtest.h>
#include <qpdf/QPDFFormFieldObjectHelper.hh>

#include <algorithm>

namespace paginor::engine::forms {
namespace {

using test::fieldNamed;

TEST(FieldValueWriter, AcceptedValuesReadBackAfterSaving) {
    struct Case {
        const char* field;
        std::string value;
        std::string readBack;
    };
    const Case cases[] = {
        {"name", "Ada Byron", "Ada Byron"},
        {"notes", "line one\rline two", "line one\rline two"},
        {"agree", "Yes", "Yes"},
        {"colour", "blue", "blue"},
        {"size", "M", "M"},
        {"fruits", "Apple\rCherry", "a\rCherry"}, // display text selects; export value is stored
        {"code", "AB12", "AB12"},
        {"group.inner", "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1",
         "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1"},
    };
    auto pdf = test::makeSampleForm();
    {
        const FieldTree tree = FieldTree::build(*pdf);
        for (const Case& c : cases) {
            const WriteResult result = writeFieldValue(*pdf, fieldNamed(tree, c.field), c.value);
            EXPECT_TRUE(result.ok) << c.field << ": " << result.description;
        }
    }
    auto reopened = test::openPdfBytes(test::saveToBytes(*pdf));
    const FieldTree tree = FieldTree::build(*reopened);
    for (const Case& c : cases) {
        EXPECT_EQ(readFieldValue(fieldNamed(tree, c.field)), c.readBack) << c.field;
    }
}

TEST(FieldValueWriter, RefusedValuesExplainAndChangeNothing) {
    struct Case {
        const char* field;
        std::string value;
        std::vector<std::string> inDescription;
    };
    const Case cases[] = {
        {"name", "eleven chars", {"12 characters", "at most 10"}},
        {"code", "1234567", {"at most 6"}},
        {"agree", "On", {"\"Yes\"", "\"Off\"", "empty"}},
        {"colour", "purple", {"\"red\"", "\"green\"", "\"blue\""}},
        {"size", "XL", {"\"S\"", "\"M\"", "\"L\""}},
        {"fruits", "Apple\rKiwi", {"\"Kiwi\"", "\"a\"", "\"Banana\""}},
        {"send", "x", {"push button"}},
        {"group", "x", {"not a terminal"}},
    };
    auto pdf = test::makeSampleForm();
    const FieldTree tree = FieldTree::build(*pdf);
    const std::string before = test::saveToBytes(*pdf);
    for (const Case& c : cases) {
        FormField field = fieldNamed(tree, c.field);
        const std::string valueBefore = readFieldValue(field);
        const WriteResult result = writeFieldValue(*pdf, field, c.value);
        EXPECT_FALSE(result.ok) << c.field;
        for (const std::string& part : c.inDescription) {
            EXPECT_NE(result.description.find(part), std::string::npos)
                << c.field << ": " << result.description;
        }
        EXPECT_EQ(readFieldValue(field), valueBefore) << c.field;
    }
    EXPECT_EQ(test::saveToBytes(*pdf), before);
}

TEST(FieldValueWriter, SingleSelectListRefusesSeveralOptions) {
    auto pdf = test::makeSampleForm();
    const FieldTree tree = FieldTree::build(*pdf);
    QPDFObjectHandle fruits = fieldNamed(tree, "fruits").dictionary;
    fruits.replaceKey("/Ff", QPDFObjectHandle::newInteger(0));
    const WriteResult result = writeFieldValue(*pdf, fieldNamed(tree, "fruits"), "Banana\rCherry");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.description.find("single option"), std::string::npos);
    EXPECT_TRUE(writeFieldValue(*pdf, fieldNamed(tree, "fruits"), "Banana").ok);
}

TEST(FieldValueWriter, RadioGroupKeepsValueAndButtonStatesConsistent) {
    auto pdf = test::makeSampleForm();
    const FieldTree tree = FieldTree::build(*pdf);
    FormField colour = fieldNamed(tree, "colour");
    auto states = [&colour] {
        std::string joined;
        for (QPDFObjectHandle widget : colour.widgets) {
            joined += widget.getKey("/AS").getName() + " ";
        }
        return joined;
    };
    struct Step {
        std::string value;
        std::string v;
        std::string as;
    };
    const Step steps[] = {
        {"green", "/green", "/Off /green /Off "}, {"red", "/red", "/red /Off /Off "},
        {"", "/Off", "/Off /Off /Off "},          {"blue", "/blue", "/Off /Off /blue "},
        {"Off", "/Off", "/Off /Off /Off "},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(writeFieldValue(*pdf, colour, step.value).ok) << step.value;
        EXPECT_EQ(colour.dictionary.getKey("/V").getName(), step.v);
        EXPECT_EQ(states(), step.as) << step.value;
    }
}

TEST(FieldValueWriter, SharedOnStateTurnsOnTogetherOnlyInUnison) {
    for (const bool unison : {false, true}) {
        auto pdf = test::makeSampleForm();
        const FieldTree tree = FieldTree::build(*pdf);
        FormField colour = fieldNamed(tree, "colour");
        // The third button shares the first one's on-state.
        QPDFObjectHandle third = colour.widgets[2];
        QPDFObjectHandle normal = third.getKey("/AP").getKey("/N");
        normal.replaceKey("/red", normal.getKey("/blue"));
        normal.removeKey("/blue");
        colour.dictionary.replaceKey(
            "/Ff", QPDFObjectHandle::newInteger(49152 | (unison ? (1 << 25) : 0)));
        ASSERT_TRUE(writeFieldValue(*pdf, colour, "red").ok);
        EXPECT_EQ(third.getKey("/AS").getName(), unison ? "/red" : "/Off");
        EXPECT_EQ(colour.widgets[0].getKey("/AS").getName(), "/red");
    }
}

TEST(FieldValueWriter, CheckBoxWithoutAppearanceGetsOneAndHybridLosesXfa) {
    auto pdf = test::makeSampleForm();
    pdf->getRoot()
        .getKey("/AcroForm")
        .replaceKey("/XFA", QPDFObjectHandle::parse("[(template) (x)]"));
    const FieldTree tree = FieldTree::build(*pdf);
    QPDFObjectHandle agree = fieldNamed(tree, "agree").dictionary;
    agree.removeKey("/AP");
    ASSERT_TRUE(writeFieldValue(*pdf, fieldNamed(tree, "agree"), "Yes").ok);
    EXPECT_TRUE(agree.getKey("/AP").getKey("/N").getKey("/Yes").isStream());
    EXPECT_TRUE(agree.getKey("/AP").getKey("/N").getKey("/Off").isStream());
    EXPECT_EQ(agree.getKey("/AS").getName(), "/Yes");
    EXPECT_FALSE(pdf->getRoot().getKey("/AcroForm").hasKey("/XFA"));
}

TEST(FieldValueWriter, TakesOverFromNeedAppearancesOnceEveryFieldIsDrawn) {
    auto pdf = test::makeSampleForm();
    QPDFObjectHandle acroForm = pdf->getRoot().getKey("/AcroForm");
    acroForm.replaceKey("/NeedAppearances", QPDFObjectHandle::newBool(true));
    const FieldTree tree = FieldTree::build(*pdf);
    FormField notes = fieldNamed(tree, "notes");
    notes.dictionary.replaceKey("/V", QPDFObjectHandle::newString("kept, never written"));
    // A check mark drawn with a font its resources do not name shows nothing.
    FormField agree = fieldNamed(tree, "agree");
    QPDFObjectHandle on = agree.dictionary.getKey("/AP").getKey("/N").getKey("/Yes");
    on.replaceStreamData("BT /ZaDb 10 Tf (4) Tj ET", QPDFObjectHandle::newNull(),
                         QPDFObjectHandle::newNull());

    ASSERT_TRUE(writeFieldValue(*pdf, fieldNamed(tree, "name"), "Ada").ok);
    EXPECT_FALSE(acroForm.hasKey("/NeedAppearances"));
    EXPECT_TRUE(notes.dictionary.getKey("/AP").getKey("/N").isStream());
    EXPECT_TRUE(fieldNamed(tree, "size").dictionary.getKey("/AP").getKey("/N").isStream());
    EXPECT_FALSE(agree.dictionary.getKey("/AP").getKey("/N").getKey("/Yes").isSameObjectAs(on));
}

// Some producers leave a /V on the unnamed widget kids of a field; readers
// that start at the widget (qpdf's form helper among them) then showed the
// old value after a write.
TEST(FieldValueWriter, WidgetKidsKeepNoStaleValueAfterAWrite) {
    auto pdf = test::makeSampleForm();
    {
        const FieldTree tree = FieldTree::build(*pdf);
        for (QPDFObjectHandle kid : fieldNamed(tree, "colour").widgets) {
            kid.replaceKey("/V", QPDFObjectHandle::newName("/red"));
        }
        ASSERT_TRUE(writeFieldValue(*pdf, fieldNamed(tree, "colour"), "blue").ok);
    }
    auto reopened = test::openPdfBytes(test::saveToBytes(*pdf));
    const FieldTree tree = FieldTree::build(*reopened);
    const FormField colour = fieldNamed(tree, "colour");
    EXPECT_EQ(readFieldValue(colour), "blue");
    ASSERT_EQ(colour.widgets.size(), 3u);
    for (QPDFObjectHandle kid : colour.widgets) {
        EXPECT_EQ(QPDFFormFieldObjectHelper(kid).getValue().unparse(), "/blue")
            << "a reader that starts at the widget";
    }
}

// State names written by older producers in PDFDocEncoding (not UTF-8) read
// as the characters they encode, so the user can type them to select the
// state, and the state keeps its own spelling in the file.
TEST(FieldValueWriter, ButtonStatesNamedInPdfDocEncodingCanBeSelected) {
    struct Case {
        const char* field;
        std::size_t widget;    // whose on-state is renamed
        const char* stateName; // the name's bytes in the file
        std::string typed;     // what the user types, UTF-8
    };
    const Case cases[] = {
        {"colour", 2, "/it\x90s", "it\xE2\x80\x99s"}, // right single quotation mark
        {"colour", 0, "/Caf\xE9", "Caf\xC3\xA9"},     // e acute
        {"agree", 0, "/Ja\x80", "Ja\xE2\x80\xA2"},    // bullet
    };
    for (const Case& c : cases) {
        auto pdf = test::makeSampleForm();
        {
            const FieldTree tree = FieldTree::build(*pdf);
            QPDFObjectHandle normal =
                fieldNamed(tree, c.field).widgets.at(c.widget).getKey("/AP").getKey("/N");
            for (const std::string& key : normal.getKeys()) {
                if (key != "/Off") {
                    normal.replaceKey(c.stateName, normal.getKey(key));
                    normal.removeKey(key);
                }
            }
        }
        auto reopened = test::openPdfBytes(test::saveToBytes(*pdf));
        const FieldTree tree = FieldTree::build(*reopened);
        FormField field = fieldNamed(tree, c.field);
        const std::vector<std::string> states = buttonOnStates(field);
        EXPECT_NE(std::find(states.begin(), states.end(), c.typed), states.end()) << c.typed;
        const WriteResult result = writeFieldValue(*reopened, field, c.typed);
        ASSERT_TRUE(result.ok) << c.typed << ": " << result.description;
        EXPECT_EQ(readFieldValue(field), c.typed);
        EXPECT_EQ(field.widgets.at(c.widget).getKey("/AS").getName(), c.stateName) << c.typed;
    }
}

// Read-only stops people, not the database: a calculation fills every kind
// of field that carries the flag.
TEST(FieldValueWriter, ReadOnlyFieldsCanStillBeFilled) {
    struct Case {
        const char* field;
        std::string value;
    };
    const Case cases[] = {
        {"name", "Ada"}, {"notes", "one\rtwo"},        {"agree", "Yes"}, {"colour", "green"},
        {"size", "L"},   {"fruits", "Banana\rCherry"}, {"code", "XY9"},
    };
    auto pdf = test::makeSampleForm();
    {
        const FieldTree tree = FieldTree::build(*pdf);
        for (const Case& c : cases) {
            QPDFObjectHandle dictionary = fieldNamed(tree, c.field).dictionary;
            const int flags = dictionary.getKey("/Ff").isInteger()
                                  ? dictionary.getKey("/Ff").getIntValueAsInt()
                                  : 0;
            dictionary.replaceKey("/Ff",
                                  QPDFObjectHandle::newInteger(flags | int(field_flag::ReadOnly)));
        }
    }
    auto reopened = test::openPdfBytes(test::saveToBytes(*pdf));
    {
        const FieldTree tree = FieldTree::build(*reopened);
        for (const Case& c : cases) {
            FormField field = fieldNamed(tree, c.field);
            ASSERT_TRUE(field.dictionary.getKey("/Ff").getIntValueAsInt() & field_flag::ReadOnly)
                << c.field;
            const WriteResult result = writeFieldValue(*reopened, field, c.value);
            EXPECT_TRUE(result.ok) << c.field << ": " << result.description;
        }
    }
    auto saved = test::openPdfBytes(test::saveToBytes(*reopened));
    const FieldTree tree = FieldTree::build(*saved);
    for (const Case& c : cases) {
        EXPECT_EQ(readFieldValue(fieldNamed(tree, c.field)), c.value) << c.field;
    }
}

} // namespace
} // namespace paginor::engine::forms
