// The XFA datasets packet a usage-rights form keeps in step with its fields,
// and the fields a signature locks.
#include "engine/forms/field_locks.h"
#include "engine/forms/field_tree.h"
#include "engine/forms/xfa_datasets.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <gtest/gtest.h>

#include <memory>

namespace paginor::engine::forms {
namespace {

const char* const kDatasets =
    "<xfa:datasets xmlns:xfa=\"http://www.xfa.org/schema/xfa-data/1.0/\"><xfa:data>"
    "<top><Group xfa:dataNode=\"dataGroup\"/><name/><item>a</item><item>b</item>"
    "<deep><inner>old</inner></deep></top></xfa:data></xfa:datasets>";

std::unique_ptr<QPDF> formWithXfa(bool wholePacket) {
    auto pdf = std::make_unique<QPDF>();
    pdf->emptyPDF();
    QPDFObjectHandle acroForm = QPDFObjectHandle::parse("<< /Fields [] >>");
    const std::string packet =
        wholePacket ? std::string("<xdp:xdp xmlns:xdp=\"http://ns.adobe.com/xdp/\">") + kDatasets +
                          "</xdp:xdp>"
                    : std::string(kDatasets);
    QPDFObjectHandle stream = pdf->newStream(packet);
    if (wholePacket) {
        acroForm.replaceKey("/XFA", stream);
    } else {
        acroForm.replaceKey(
            "/XFA", QPDFObjectHandle::newArray({QPDFObjectHandle::newString("datasets"), stream}));
    }
    pdf->getRoot().replaceKey("/AcroForm", acroForm);
    return pdf;
}

TEST(XfaDatasets, FindsTheDataNodeTheFieldNameBindsTo) {
    const struct {
        const char* field;
        const char* value;
        bool written;
        const char* expected; // a fragment of the packet afterwards
    } cases[] = {
        {"top[0].Page1[0].name[0]", "Ada & <Bob>", true, "<name>Ada &amp; &lt;Bob&gt;</name>"},
        {"top[0].item[1]", "second", true, "<item>a</item><item>second</item>"},
        {"top[0].Page1[0].inner[0]", "new", true, "<inner>new</inner>"},
        {"top[0].missing[0]", "made", true, "<missing>made</missing>"},
        {"top[0].Group[0]", "x", false, "<Group xfa:dataNode=\"dataGroup\"/>"},
        {"top[0].name[0]", "two\rlines", true, "<name>two\nlines</name>"},
    };
    for (bool wholePacket : {false, true}) {
        for (const auto& c : cases) {
            auto pdf = formWithXfa(wholePacket);
            auto datasets = XfaDatasets::open(*pdf);
            ASSERT_TRUE(datasets) << c.field;
            EXPECT_EQ(datasets->setValue(c.field, c.value), c.written) << c.field;
            EXPECT_NE(datasets->text().find(c.expected), std::string::npos)
                << c.field << ": " << datasets->text();
        }
    }
}

TEST(XfaDatasets, AFormWithoutReadableDataHasNone) {
    auto pdf = std::make_unique<QPDF>();
    pdf->emptyPDF();
    EXPECT_FALSE(XfaDatasets::open(*pdf));
    pdf->getRoot().replaceKey("/AcroForm", QPDFObjectHandle::parse("<< /XFA [ (datasets) ] >>"));
    EXPECT_FALSE(XfaDatasets::open(*pdf));
    pdf->getRoot().getKey("/AcroForm").replaceKey("/XFA", pdf->newStream("<not-xml"));
    EXPECT_FALSE(XfaDatasets::open(*pdf));
}

// A form with text fields a, a.b (under a) and c, and a signed signature
// field whose lock dictionary is `lock`.
std::unique_ptr<QPDF> formWithLock(const std::string& lock, bool signedField) {
    auto pdf = std::make_unique<QPDF>();
    pdf->emptyPDF();
    QPDFObjectHandle child = pdf->makeIndirectObject(
        QPDFObjectHandle::parse("<< /T (b) /FT /Tx /Subtype /Widget /Rect [0 0 1 1] >>"));
    QPDFObjectHandle parent = pdf->makeIndirectObject(QPDFObjectHandle::parse("<< /T (a) >>"));
    parent.replaceKey("/Kids", QPDFObjectHandle::newArray({child}));
    child.replaceKey("/Parent", parent);
    QPDFObjectHandle other = pdf->makeIndirectObject(
        QPDFObjectHandle::parse("<< /T (c) /FT /Tx /Subtype /Widget /Rect [0 0 1 1] >>"));
    QPDFObjectHandle signature = pdf->makeIndirectObject(QPDFObjectHandle::parse(
        "<< /T (sig) /FT /Sig /Subtype /Widget /Rect [0 0 0 0] /Lock " + lock + " >>"));
    if (signedField) {
        signature.replaceKey(
            "/V", QPDFObjectHandle::parse("<< /Type /Sig /ByteRange [0 1 2 3] /Contents <00> >>"));
    }
    pdf->getRoot().replaceKey("/AcroForm", QPDFObjectHandle::newDictionary());
    pdf->getRoot()
        .getKey("/AcroForm")
        .replaceKey("/Fields", QPDFObjectHandle::newArray({parent, other, signature}));
    return pdf;
}

TEST(FieldLocks, ASignedSignatureLocksWhatItsLockNames) {
    const struct {
        const char* lock;
        bool signedField;
        bool aLocked; // "a.b"
        bool cLocked;
    } cases[] = {
        {"<< /Action /All >>", true, true, true},
        {"<< /Action /Include /Fields [(a)] >>", true, true, false},
        {"<< /Action /Include /Fields [(a.b)] >>", true, true, false},
        {"<< /Action /Include /Fields [(a.bc)] >>", true, false, false},
        {"<< /Action /Exclude /Fields [(c)] >>", true, true, false},
        {"<< /Action /All >>", false, false, false}, // not signed yet: nothing locked
        {"<< /Action /Something >>", true, false, false},
    };
    for (const auto& c : cases) {
        auto pdf = formWithLock(c.lock, c.signedField);
        const FieldTree tree = FieldTree::build(*pdf);
        const FieldLocks locks = FieldLocks::of(tree);
        const FormField& ab = tree.fields().at(static_cast<size_t>(tree.indexOf("a.b")));
        const FormField& other = tree.fields().at(static_cast<size_t>(tree.indexOf("c")));
        EXPECT_EQ(locks.lockedBy(ab).has_value(), c.aLocked) << c.lock;
        EXPECT_EQ(locks.lockedBy(other).has_value(), c.cLocked) << c.lock;
        if (c.aLocked) {
            EXPECT_EQ(*locks.lockedBy(ab), "sig");
        }
    }
}

} // namespace
} // namespace paginor::engine::forms
