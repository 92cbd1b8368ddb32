#include "engine_test_support.h"

#include "support/process_runner.h"

#include "automation_contract/automation_values.h"
#include "engine/automation/class_ids.h"
#include "engine/automation/class_table.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

namespace engine_test {

using paginor::BstrHolder;
using paginor::ComPtr;

BstrHolder bstr(const std::string& text) {
    return BstrHolder(paginor::Utf8ToUtf16(text));
}

std::string utf8(BSTR text) {
    return text == nullptr ? std::string()
                           : paginor::Utf16ToUtf8(std::u16string_view(text, SysStringLen(text)));
}

namespace {

template <typename Interface> ComPtr<Interface> create(const CLSID& clsid, const IID& iid) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(paginor::engine::getEngineClassObject(clsid, IID_IClassFactory, factory.put_void()),
              S_OK);
    ComPtr<Interface> object;
    if (factory) {
        EXPECT_EQ(factory->CreateInstance(nullptr, iid, object.put_void()), S_OK);
    }
    return object;
}

} // namespace

ComPtr<IPDDocument> newDocument() {
    return create<IPDDocument>(paginor::engine::CLSID_EnginePDDocument, IID_IPDDocument);
}

ComPtr<IAutomationApp> newApplication() {
    return create<IAutomationApp>(paginor::engine::CLSID_EngineApplication, IID_IAutomationApp);
}

bool openInto(IPDDocument* document, const fs::path& path) {
    VARIANT_BOOL opened = VARIANT_FALSE;
    const HRESULT status = document->Open(bstr(path.string()).get(), &opened);
    // A file that does not open is refused with a reason, never a broken call.
    EXPECT_TRUE(status == S_OK || status == kStatusOperationNotDone) << std::hex << status;
    if (status != S_OK) {
        EXPECT_NE(lastErrorDescription(), "") << path;
    }
    return status == S_OK && opened != VARIANT_FALSE;
}

ComPtr<IPDDocument> openDocument(const fs::path& path) {
    auto document = newDocument();
    EXPECT_TRUE(openInto(document.get(), path)) << path;
    return document;
}

long pageCount(IPDDocument* document) {
    LONG count = -1;
    EXPECT_EQ(document->GetNumPages(&count), S_OK) << lastErrorDescription();
    return count;
}

bool save(IPDDocument* document, short flags, const fs::path& path) {
    VARIANT_BOOL saved = VARIANT_FALSE;
    const HRESULT status = document->Save(flags, bstr(path.string()).get(), &saved);
    return status == S_OK && saved != VARIANT_FALSE;
}

std::string info(IPDDocument* document, const std::string& key) {
    BstrHolder value;
    EXPECT_EQ(document->GetInfo(bstr(key).get(), value.put()), S_OK);
    return utf8(value.get());
}

std::string lastErrorDescription() {
    ComPtr<IErrorInfo> error;
    if (GetErrorInfo(0, error.put()) != S_OK || !error) {
        return {};
    }
    BstrHolder description;
    error->GetDescription(description.put());
    return utf8(description.get());
}

std::string runProgram(const std::vector<std::string>& arguments, int* exitCode) {
    const auto result = paginor::test_support::runProcess(
        arguments.at(0), std::vector<std::string>(arguments.begin() + 1, arguments.end()));
    if (exitCode != nullptr) {
        *exitCode = result.exitCode;
    }
    return result.out;
}

} // namespace engine_test
