// The module as the plug-in meets it: through the COM runtime and the
// registry the build writes beside the binaries.
#include "automation_contract/automation_interfaces.h"
#include "com/com_ptr.h"
#include "com/com_registry.h"
#include "support/repository_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using paginor::ComPtr;

TEST(EngineModule, EveryProgIdCreatesARunningObjectOfItsInterface) {
    paginor::ComRegistryOverride registry(PAGINOR_ENGINE_REGISTRY);
    const std::vector<std::pair<std::u16string, const IID*>> classes{
        {kProgIdApplication, &IID_IAutomationApp},
        {kProgIdPDDocument, &IID_IPDDocument},
        {kProgIdHighlightList, &IID_IHighlightList}};
    for (const auto& [progId, iid] : classes) {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(progId.c_str(), &clsid), S_OK);
        ComPtr<IUnknown> object;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, object.put_void()),
                  S_OK);
        EXPECT_EQ(OleRun(object.get()), S_OK);
        ComPtr<IUnknown> narrowed;
        EXPECT_EQ(object->QueryInterface(*iid, narrowed.put_void()), S_OK);
    }
    // The forms class is registered; without the forms part it is not available.
    CLSID forms{};
    EXPECT_EQ(CLSIDFromProgID(kProgIdFormsApp, &forms), S_OK);
}

TEST(EngineModule, ADocumentOpensThroughTheRuntime) {
    paginor::ComRegistryOverride registry(PAGINOR_ENGINE_REGISTRY);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromString(kProgIdPDDocument, &clsid), S_OK);
    ComPtr<IPDDocument> document;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IPDDocument, document.put_void()),
              S_OK);
    const std::string path = paginor::test_support::examplePath("bookmarks.pdf").string();
    std::u16string wide(path.begin(), path.end());
    BSTR text = SysAllocString(wide.c_str());
    VARIANT_BOOL opened = VARIANT_FALSE;
    EXPECT_EQ(document->Open(text, &opened), S_OK);
    SysFreeString(text);
    EXPECT_EQ(opened, VARIANT_TRUE);
    LONG pages = 0;
    EXPECT_EQ(document->GetNumPages(&pages), S_OK);
    EXPECT_EQ(pages, 6);
}

} // namespace
