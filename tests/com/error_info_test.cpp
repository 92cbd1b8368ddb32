#include "com/bstr_holder.h"
#include "com/com.h"
#include "com/com_ptr.h"
#include "com/error_info.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using paginor::BstrHolder;
using paginor::ComPtr;

ComPtr<IErrorInfo> TakeErrorInfo(HRESULT* status = nullptr) {
    ComPtr<IErrorInfo> info;
    const HRESULT hr = GetErrorInfo(0, info.put());
    if (status != nullptr) {
        *status = hr;
    }
    return info;
}

TEST(ErrorInfo, CreatedObjectCarriesWhatWasSet) {
    ComPtr<ICreateErrorInfo> creator;
    ASSERT_EQ(CreateErrorInfo(creator.put()), S_OK);
    std::u16string description = u"It failed";
    std::u16string source = u"Sample.Source";
    creator->SetGUID(IID_IDispatch);
    creator->SetDescription(description.data());
    creator->SetSource(source.data());
    creator->SetHelpContext(7);

    ComPtr<IErrorInfo> info;
    ASSERT_EQ(creator.As(IID_IErrorInfo, info), S_OK);
    GUID guid;
    info->GetGUID(&guid);
    EXPECT_EQ(guid, IID_IDispatch);
    BstrHolder text;
    info->GetDescription(text.put());
    EXPECT_EQ(text.view(), u"It failed");
    info->GetSource(text.put());
    EXPECT_EQ(text.view(), u"Sample.Source");
    info->GetHelpFile(text.put());
    EXPECT_FALSE(text.valid());
    DWORD context = 0;
    info->GetHelpContext(&context);
    EXPECT_EQ(context, 7u);

    ComPtr<ISupportErrorInfo> unrelated;
    EXPECT_EQ(info.As(IID_ISupportErrorInfo, unrelated), E_NOINTERFACE);
}

TEST(ErrorInfo, GetHandsOverAndClearsTheSlot) {
    HRESULT status = S_OK;
    TakeErrorInfo(); // start clean
    EXPECT_FALSE(TakeErrorInfo(&status));
    EXPECT_EQ(status, S_FALSE);

    EXPECT_EQ(paginor::ReportComError(IID_IDispatch, u"described", E_FAIL), E_FAIL);
    auto first = TakeErrorInfo(&status);
    ASSERT_TRUE(first);
    EXPECT_EQ(status, S_OK);
    BstrHolder text;
    first->GetDescription(text.put());
    EXPECT_EQ(text.view(), u"described");
    EXPECT_FALSE(TakeErrorInfo(&status));
    EXPECT_EQ(status, S_FALSE);

    // Setting null clears whatever was pending.
    paginor::ReportComError(IID_IDispatch, u"dropped", E_FAIL);
    EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_FALSE(TakeErrorInfo());
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
}

TEST(ErrorInfo, IsPerThread) {
    paginor::ReportComError(IID_IDispatch, u"main thread", E_FAIL);
    bool otherSawSome = true;
    bool otherKeptOwn = false;
    std::thread other([&] {
        otherSawSome = static_cast<bool>(TakeErrorInfo());
        paginor::ReportComError(IID_IDispatch, u"other thread", E_FAIL);
        otherKeptOwn = static_cast<bool>(TakeErrorInfo());
        paginor::ReportComError(IID_IDispatch, u"left behind at exit", E_FAIL);
    });
    other.join();
    EXPECT_FALSE(otherSawSome);
    EXPECT_TRUE(otherKeptOwn);
    auto mine = TakeErrorInfo();
    ASSERT_TRUE(mine);
    BstrHolder text;
    mine->GetDescription(text.put());
    EXPECT_EQ(text.view(), u"main thread");
}

} // namespace
