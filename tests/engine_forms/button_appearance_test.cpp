// Check boxes and radio buttons whose own appearances viewers cannot draw:
// a write draws them anew from /MK, one a viewer can draw is kept, and the
// box shows its state in both poppler and MuPDF. The broken shapes are the
// ones real forms carry (a generator that leaves /BBox and /Subtype out and
// writes Off as a name; a re-saved form whose states sit in a dictionary of
// their own, which poppler does not draw).
#include "engine/forms/button_appearance.h"
#include "engine/forms/field_tree.h"
#include "engine/forms/field_value_writer.h"
#include "forms_test_support.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <gtest/gtest.h>

#include <functional>

namespace paginor::engine::forms {
namespace {

const char kTick[] = "0 g 3 3 14 14 re f";

QPDFObjectHandle formStream(
    QPDF& pdf, const std::string& content,
    const std::string& dictionary = "<< /Type /XObject /Subtype /Form /BBox [0 0 20 20] >>") {
    QPDFObjectHandle stream = QPDFObjectHandle::newStream(&pdf, content);
    QPDFObjectHandle dict = QPDFObjectHandle::parse(dictionary);
    for (const std::string& key : dict.getKeys()) {
        stream.getDict().replaceKey(key, dict.getKey(key));
    }
    return stream;
}

// What a case puts into the check box's /AP (nothing: no /AP at all).
using AppearanceMaker = std::function<QPDFObjectHandle(QPDF&)>;

// A 200 x 200 page with one check box "box" at [90 90 110 110], showing
// `state`, without border or background so only the caption draws.
std::unique_ptr<QPDF> checkBoxForm(const AppearanceMaker& makeAppearance,
                                   const std::string& state = "/Off",
                                   bool needAppearances = false) {
    auto pdf = std::make_unique<QPDF>();
    pdf->emptyPDF();
    QPDFObjectHandle page = pdf->makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 200 200] /Resources << >> >>"));
    QPDFPageDocumentHelper(*pdf).addPage(QPDFPageObjectHelper(page), false);
    QPDFObjectHandle box = pdf->makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Widget /F 4 /FT /Btn /T (box) /Rect [90 90 110 110] "
        "/MK << /CA (4) >> /DA (/ZaDb 0 Tf 0 g) >>"));
    box.replaceKey("/V", QPDFObjectHandle::newName(state));
    box.replaceKey("/AS", QPDFObjectHandle::newName(state));
    box.replaceKey("/P", page);
    if (makeAppearance) {
        box.replaceKey("/AP", makeAppearance(*pdf));
    }
    QPDFObjectHandle name = pdf->makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Widget /F 4 /FT /Tx /T (name) /Rect [10 10 80 30] >>"));
    name.replaceKey("/P", page);
    page.replaceKey("/Annots", QPDFObjectHandle::newArray({box, name}));
    QPDFObjectHandle acroForm = QPDFObjectHandle::parse("<< /DA (/Helv 0 Tf 0 g) >>");
    acroForm.replaceKey("/Fields", QPDFObjectHandle::newArray({box, name}));
    if (needAppearances) {
        acroForm.replaceKey("/NeedAppearances", QPDFObjectHandle::newBool(true));
    }
    pdf->getRoot().replaceKey("/AcroForm", acroForm);
    return pdf;
}

QPDFObjectHandle widgetOf(const FormField& field) {
    return field.widgets.front();
}

QPDFObjectHandle normalOf(QPDF& pdf) {
    return widgetOf(FieldTree::build(pdf).fields().front()).getKey("/AP").getKey("/N");
}

// Pixels inside the box that differ between the two documents, per renderer.
void expectBoxChanges(const std::string& before, const std::string& after, const char* what) {
    for (const char* tool : {"pdftoppm", "mutool"}) {
        const auto changed = test::changedPixels(tool, before, after, 90, 90, 110, 110);
        ASSERT_TRUE(changed) << tool;
        EXPECT_GT(*changed, 20) << tool << " shows no change: " << what;
    }
}

struct ButtonCase {
    const char* name;
    AppearanceMaker appearance;
    bool keepsOwnOnState; // the form's own /Yes stream survives the write
};

class CheckBoxAppearance : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(CheckBoxAppearance, TickedBoxShowsInBothRenderersAndOffTakesItAway) {
    const ButtonCase& c = GetParam();
    auto pdf = checkBoxForm(c.appearance);
    const std::string unticked = test::saveToBytes(*pdf);
    QPDFObjectHandle ownOn =
        normalOf(*pdf).isDictionary() ? normalOf(*pdf).getKey("/Yes") : QPDFObjectHandle::newNull();

    const FieldTree tree = FieldTree::build(*pdf);
    const FormField box = test::fieldNamed(tree, "box");
    WriteResult written = writeFieldValue(*pdf, box, "Yes");
    ASSERT_TRUE(written.ok) << written.description;
    QPDFObjectHandle normal = widgetOf(box).getKey("/AP").getKey("/N");
    ASSERT_TRUE(normal.isDictionary());
    EXPECT_FALSE(normal.isIndirect()) << "poppler draws no state of a referenced dictionary";
    EXPECT_TRUE(drawableStateAppearance(normal.getKey("/Yes"), true));
    EXPECT_TRUE(drawableStateAppearance(normal.getKey("/Off"), false));
    EXPECT_EQ(normal.getKey("/Yes").isSameObjectAs(ownOn), c.keepsOwnOnState);
    const std::string ticked = test::saveToBytes(*pdf);
    expectBoxChanges(unticked, ticked, "ticking");

    written = writeFieldValue(*pdf, box, "Off");
    ASSERT_TRUE(written.ok) << written.description;
    expectBoxChanges(ticked, test::saveToBytes(*pdf), "unticking");
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, CheckBoxAppearance,
    ::testing::Values(
        ButtonCase{"DrawableStatesAreKept",
                   [](QPDF& pdf) {
                       QPDFObjectHandle ap = QPDFObjectHandle::parse("<< /N << >> >>");
                       ap.getKey("/N").replaceKey("/Yes", formStream(pdf, kTick));
                       ap.getKey("/N").replaceKey("/Off", formStream(pdf, ""));
                       return ap;
                   },
                   true},
        // The shape an HTML-to-PDF generator writes.
        ButtonCase{"OnStateWithoutBoxOrSubtypeAndOffAName",
                   [](QPDF& pdf) {
                       QPDFObjectHandle ap = QPDFObjectHandle::parse("<< /N << /Off /Off >> >>");
                       ap.getKey("/N").replaceKey("/Yes",
                                                  formStream(pdf, kTick, "<< /Type /XObject >>"));
                       return ap;
                   },
                   false},
        ButtonCase{"EmptyOnState",
                   [](QPDF& pdf) {
                       QPDFObjectHandle ap = QPDFObjectHandle::parse("<< /N << >> >>");
                       ap.getKey("/N").replaceKey("/Yes", formStream(pdf, " \n"));
                       ap.getKey("/N").replaceKey("/Off", formStream(pdf, ""));
                       return ap;
                   },
                   false},
        ButtonCase{"OnStateWithoutArea",
                   [](QPDF& pdf) {
                       QPDFObjectHandle ap = QPDFObjectHandle::parse("<< /N << >> >>");
                       ap.getKey("/N").replaceKey(
                           "/Yes", formStream(pdf, kTick, "<< /Subtype /Form /BBox [0 0 0 0] >>"));
                       ap.getKey("/N").replaceKey("/Off", formStream(pdf, ""));
                       return ap;
                   },
                   false},
        // The shape a re-saved form carries: drawn by MuPDF, not by poppler.
        ButtonCase{"StatesHeldByReference",
                   [](QPDF& pdf) {
                       QPDFObjectHandle n =
                           pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
                       n.replaceKey("/Yes", formStream(pdf, kTick));
                       n.replaceKey("/Off", formStream(pdf, ""));
                       QPDFObjectHandle ap = QPDFObjectHandle::newDictionary();
                       ap.replaceKey("/N", n);
                       return ap;
                   },
                   true},
        ButtonCase{"NoAppearanceAtAll", nullptr, false},
        ButtonCase{"OnStateAName",
                   [](QPDF& pdf) {
                       QPDFObjectHandle ap = QPDFObjectHandle::parse("<< /N << /Yes /Yes >> >>");
                       ap.getKey("/N").replaceKey("/Off", formStream(pdf, ""));
                       return ap;
                   },
                   false},
        ButtonCase{"CaptionInAFontTheStreamDoesNotName",
                   [](QPDF& pdf) {
                       QPDFObjectHandle ap = QPDFObjectHandle::parse("<< /N << >> >>");
                       ap.getKey("/N").replaceKey(
                           "/Yes", formStream(pdf, "BT /ZaDb 12 Tf 4 4 Td (4) Tj ET"));
                       ap.getKey("/N").replaceKey("/Off", formStream(pdf, ""));
                       return ap;
                   },
                   false},
        ButtonCase{"OneStreamForEveryState",
                   [](QPDF& pdf) {
                       QPDFObjectHandle ap = QPDFObjectHandle::newDictionary();
                       ap.replaceKey("/N", formStream(pdf, kTick));
                       return ap;
                   },
                   false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckBoxAppearance, DrawnFromTheCaptionBackgroundAndBorder) {
    auto pdf = checkBoxForm(nullptr);
    const FieldTree tree = FieldTree::build(*pdf);
    const FormField box = test::fieldNamed(tree, "box");
    QPDFObjectHandle widget = widgetOf(box);
    widget.replaceKey("/MK", QPDFObjectHandle::parse("<< /CA (8) /BG [1 1 0] /BC [1 0 0] >>"));
    widget.replaceKey("/DA", QPDFObjectHandle::newString("/ZaDb 9 Tf 0 0 1 rg"));
    ASSERT_TRUE(writeFieldValue(*pdf, box, "Yes").ok);
    QPDFObjectHandle normal = widget.getKey("/AP").getKey("/N");
    auto contentOf = [](QPDFObjectHandle stream) {
        auto data = stream.getStreamData(qpdf_dl_all);
        return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    };
    const std::string on = contentOf(normal.getKey("/Yes"));
    const std::string off = contentOf(normal.getKey("/Off"));
    for (const std::string& state : {on, off}) {
        EXPECT_NE(state.find("1 1 0 rg"), std::string::npos) << state; // background
        EXPECT_NE(state.find("1 0 0 RG"), std::string::npos) << state; // border
    }
    EXPECT_NE(on.find("0 0 1 rg /ZaDb 9 Tf"), std::string::npos) << on;
    EXPECT_NE(on.find("<38> Tj"), std::string::npos) << on; // the caption "8"
    EXPECT_EQ(off.find("Tj"), std::string::npos) << off;
    EXPECT_TRUE(normal.getKey("/Yes")
                    .getDict()
                    .getKey("/Resources")
                    .getKey("/Font")
                    .getKey("/ZaDb")
                    .getKey("/BaseFont")
                    .isNameAndEquals("/ZapfDingbats"));
}

// A form that asks viewers to draw its fields: poppler drew the ticked box
// from /MK. Once a write takes the flag away, the box must still show.
TEST(CheckBoxAppearance, AlreadyTickedBoxStaysVisibleWhenTheFormStopsAskingViewersToDraw) {
    const AppearanceMaker broken = [](QPDF& pdf) {
        QPDFObjectHandle ap = QPDFObjectHandle::parse("<< /N << /Off /Off >> >>");
        ap.getKey("/N").replaceKey("/Yes", formStream(pdf, kTick, "<< /Type /XObject >>"));
        return ap;
    };
    auto pdf = checkBoxForm(broken, "/Yes", true);
    auto withoutBox = checkBoxForm(broken, "/Yes", true);
    QPDFObjectHandle page = withoutBox->getAllPages().front();
    QPDFObjectHandle annots = page.getKey("/Annots");
    annots.eraseItem(0);
    const FieldTree tree = FieldTree::build(*pdf);
    ASSERT_TRUE(writeFieldValue(*pdf, test::fieldNamed(tree, "name"), "Ada").ok);
    EXPECT_FALSE(pdf->getRoot().getKey("/AcroForm").hasKey("/NeedAppearances"));
    EXPECT_TRUE(drawableStateAppearance(normalOf(*pdf).getKey("/Yes"), true));
    expectBoxChanges(test::saveToBytes(*withoutBox), test::saveToBytes(*pdf), "the kept tick");
}

TEST(RadioAppearance, ChosenButtonShowsWhenItsOwnStatesCannotBeDrawn) {
    auto pdf = std::make_unique<QPDF>();
    pdf->emptyPDF();
    QPDFObjectHandle page = pdf->makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 200 200] /Resources << >> >>"));
    QPDFPageDocumentHelper(*pdf).addPage(QPDFPageObjectHelper(page), false);
    QPDFObjectHandle group = pdf->makeIndirectObject(
        QPDFObjectHandle::parse("<< /FT /Btn /T (colour) /Ff 49152 /V /Off /Kids [] >>"));
    QPDFObjectHandle annots = QPDFObjectHandle::newArray();
    int x = 30;
    for (const char* state : {"/red", "/green"}) {
        QPDFObjectHandle kid = pdf->makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Annot /Subtype /Widget /F 4 /AS /Off /MK << /CA (l) >> "
            "/DA (/ZaDb 0 Tf 0 g) /AP << /N << /Off /Off >> >> /Rect [" +
            std::to_string(x) + " 90 " + std::to_string(x + 20) + " 110] >>"));
        kid.getKey("/AP").getKey("/N").replaceKey(
            state, formStream(*pdf, "0 g 5 5 10 10 re f", "<< /Type /XObject >>"));
        kid.replaceKey("/Parent", group);
        kid.replaceKey("/P", page);
        group.getKey("/Kids").appendItem(kid);
        annots.appendItem(kid);
        x += 60;
    }
    page.replaceKey("/Annots", annots);
    QPDFObjectHandle acroForm = QPDFObjectHandle::newDictionary();
    acroForm.replaceKey("/Fields", QPDFObjectHandle::newArray({group}));
    pdf->getRoot().replaceKey("/AcroForm", acroForm);
    const std::string before = test::saveToBytes(*pdf);

    const FieldTree tree = FieldTree::build(*pdf);
    ASSERT_TRUE(writeFieldValue(*pdf, test::fieldNamed(tree, "colour"), "green").ok);
    const std::string after = test::saveToBytes(*pdf);
    for (const char* tool : {"pdftoppm", "mutool"}) {
        const auto green = test::changedPixels(tool, before, after, 90, 90, 110, 110);
        const auto red = test::changedPixels(tool, before, after, 30, 90, 50, 110);
        ASSERT_TRUE(green && red) << tool;
        EXPECT_GT(*green, 20) << tool << " shows no chosen button";
        EXPECT_EQ(*red, 0) << tool << " shows the other button chosen";
    }
}

} // namespace
} // namespace paginor::engine::forms
