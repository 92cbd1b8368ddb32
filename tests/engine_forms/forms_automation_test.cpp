#include "engine/automation/forms_application_object.h"
#include "engine/automation/pd_document_object.h"
#include "engine/forms/field_tree.h"
#include "engine/forms/field_value_reader.h"
#include "forms_test_support.h"
#include "support/scratch_folder.h"

#include "automation_contract/automation_interfaces.h"
#include "automation_contract/automation_values.h"
#include "com/bstr_holder.h"
#include "com/com_ptr.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

#include <fstream>

namespace paginor::engine::forms {
namespace {

namespace fs = std::filesystem;

std::string utf8Of(BSTR text) {
    return text == nullptr ? std::string()
                           : Utf16ToUtf8(std::u16string_view(text, SysStringLen(text)));
}

std::string lastErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) {
        return {};
    }
    BSTR description = nullptr;
    info->GetDescription(&description);
    BstrHolder held = BstrHolder::Adopt(description);
    return utf8Of(held.get());
}

class FormsAutomation : public ::testing::Test {
protected:
    void SetUp() override {
        auto form = test::makeSampleForm();
        std::ofstream(folder_ / "form.pdf", std::ios::binary) << test::saveToBytes(*form);
    }
    void TearDown() override {
        viewer_.reset();
        document_.reset();
    }

    // Opens the sample form in the viewer, making it the active document.
    void openInViewer() {
        document_ = ComPtr<IPDDocument>(engine::PDDocumentObject::create().get());
        VARIANT_BOOL opened = VARIANT_FALSE;
        BstrHolder path(Utf8ToUtf16((folder_ / "form.pdf").string()));
        ASSERT_EQ(document_->Open(path.get(), &opened), S_OK);
        ASSERT_TRUE(opened);
        BstrHolder title(u"form");
        ASSERT_EQ(document_->OpenInViewer(title.get(), viewer_.put()), S_OK);
    }

    ComPtr<IFormFields> fields() {
        ComPtr<IFormsApp> forms;
        EXPECT_EQ(engine::createFormsApplication(IID_IFormsApp, forms.put_void()), S_OK);
        ComPtr<IDispatch> collection;
        EXPECT_EQ(forms->get_Fields(collection.put()), S_OK);
        ComPtr<IFormFields> result;
        collection.As(IID_IFormFields, result);
        return result;
    }

    // Every field the enumerator hands out, one Next call per element as the
    // plug-in fetches them.
    std::vector<ComPtr<IFormField>> enumerate(IFormFields* collection) {
        ComPtr<IUnknown> unknown;
        EXPECT_EQ(collection->get__NewEnum(unknown.put()), S_OK);
        ComPtr<IEnumVARIANT> enumerator;
        unknown.As(IID_IEnumVARIANT, enumerator);
        std::vector<ComPtr<IFormField>> all;
        VARIANT element;
        ULONG fetched = 0;
        while (enumerator->Next(1, &element, &fetched) == S_OK && fetched == 1) {
            EXPECT_EQ(element.vt, VT_DISPATCH);
            ComPtr<IDispatch> dispatch = ComPtr<IDispatch>::Adopt(element.pdispVal);
            ComPtr<IFormField> field;
            EXPECT_EQ(dispatch.As(IID_IFormField, field), S_OK);
            all.push_back(field);
        }
        return all;
    }

    paginor::test_support::ScratchFolder folder_{"paginor-forms-com"};
    ComPtr<IPDDocument> document_;
    ComPtr<IDispatch> viewer_;
};

std::string nameOf(IFormField* field) {
    BSTR name = nullptr;
    EXPECT_EQ(field->get_Name(&name), S_OK);
    BstrHolder held = BstrHolder::Adopt(name);
    return utf8Of(held.get());
}

std::string valueOf(IFormField* field) {
    BSTR value = nullptr;
    EXPECT_EQ(field->get_Value(&value), S_OK);
    BstrHolder held = BstrHolder::Adopt(value);
    return utf8Of(held.get());
}

TEST_F(FormsAutomation, WithoutAnActiveDocumentTheCollectionFailsWithADescription) {
    ComPtr<IFormsApp> forms;
    ASSERT_EQ(engine::createFormsApplication(IID_IFormsApp, forms.put_void()), S_OK);
    ComPtr<IDispatch> collection;
    EXPECT_TRUE(FAILED(forms->get_Fields(collection.put())));
    EXPECT_FALSE(collection);
    EXPECT_NE(lastErrorDescription().find("No document is open"), std::string::npos);
}

TEST_F(FormsAutomation, EnumeratesEveryFieldInDocumentOrderWithItsFlags) {
    openInViewer();
    ComPtr<IFormFields> collection = fields();
    ASSERT_TRUE(collection);
    LONG count = 0;
    ASSERT_EQ(collection->get_Count(&count), S_OK);
    const std::vector<ComPtr<IFormField>> all = enumerate(collection.get());
    ASSERT_EQ(all.size(), static_cast<size_t>(count));

    struct Expected {
        const char* name;
        const char* type;
        bool keep;
        bool skip;
    };
    const Expected expected[] = {
        {"name", "text", true, false},      {"notes", "text", true, false},
        {"agree", "checkbox", true, false}, {"colour", "radiobutton", true, false},
        {"size", "combobox", true, false},  {"fruits", "listbox", true, false},
        {"code", "text", true, false},      {"send", "button", true, false},
        {"group", "group", false, false},   {"group.inner", "text", true, false},
    };
    ASSERT_EQ(all.size(), std::size(expected));
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(nameOf(all[i].get()), expected[i].name);
        BSTR type = nullptr;
        ASSERT_EQ(all[i]->get_Type(&type), S_OK);
        BstrHolder heldType = BstrHolder::Adopt(type);
        EXPECT_EQ(utf8Of(heldType.get()), expected[i].type);
        VARIANT_BOOL keep = VARIANT_FALSE, skip = VARIANT_TRUE;
        ASSERT_EQ(all[i]->get_IsTerminal(&keep), S_OK);
        ASSERT_EQ(all[i]->get_IsNotUserValue(&skip), S_OK);
        EXPECT_EQ(keep != 0, expected[i].keep) << expected[i].name;
        EXPECT_EQ(skip != 0, expected[i].skip) << expected[i].name;
    }
}

TEST_F(FormsAutomation, WritesStayInMemoryUntilSavedAndRefusalsDescribeTheField) {
    openInViewer();
    ComPtr<IFormFields> collection = fields();
    const std::vector<ComPtr<IFormField>> all = enumerate(collection.get());
    ASSERT_GE(all.size(), 3u);
    IFormField* name = all[0].get();
    IFormField* agree = all[2].get();

    BstrHolder greek(u"\u0391\u03B8\u03AE\u03BD\u03B1");
    ASSERT_EQ(name->put_Value(greek.get()), S_OK);
    EXPECT_EQ(valueOf(name), "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1");

    BstrHolder tooLong(u"more than ten characters");
    EXPECT_EQ(name->put_Value(tooLong.get()), E_INVALIDARG);
    EXPECT_NE(lastErrorDescription().find("at most 10"), std::string::npos);
    BstrHolder maybe(u"Maybe");
    EXPECT_EQ(agree->put_Value(maybe.get()), E_INVALIDARG);
    EXPECT_NE(lastErrorDescription().find("\"Yes\""), std::string::npos);
    EXPECT_EQ(valueOf(agree), "Off");

    // The file on disk is untouched until the document is saved.
    EXPECT_EQ(readFieldValue(
                  test::fieldNamed(FieldTree::build(*test::openPdf(folder_ / "form.pdf")), "name")),
              "");
    VARIANT_BOOL saved = VARIANT_FALSE;
    BstrHolder target(Utf8ToUtf16((folder_ / "filled.pdf").string()));
    ASSERT_EQ(document_->Save(kSaveFull, target.get(), &saved), S_OK);
    ASSERT_TRUE(saved);
    auto filled = test::openPdf(folder_ / "filled.pdf");
    EXPECT_EQ(readFieldValue(test::fieldNamed(FieldTree::build(*filled), "name")),
              "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1");
}

TEST_F(FormsAutomation, FieldObjectsFindTheirFieldAgainAfterPagesChange) {
    openInViewer();
    ComPtr<IFormFields> collection = fields();
    const std::vector<ComPtr<IFormField>> all = enumerate(collection.get());
    // Appending the document to itself brings a second copy of every field.
    VARIANT_BOOL inserted = VARIANT_FALSE;
    ASSERT_EQ(document_->InsertPages(0, document_.get(), 0, 1, 0, &inserted), S_OK);
    ASSERT_TRUE(inserted);
    BstrHolder value(u"after insert");
    ASSERT_EQ(all[9]->put_Value(value.get()), S_OK);
    EXPECT_EQ(nameOf(all[9].get()), "group.inner");
    EXPECT_EQ(valueOf(all[9].get()), "after insert");
}

} // namespace
} // namespace paginor::engine::forms
