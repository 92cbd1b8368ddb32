// QELT_Version, QELT_GetLastError and the frame of the functions still to
// come, called through the host as a calculation would.
#include "plugin_host.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using plugin_host::Param;
using plugin_host::PluginHost;

class PluginFunctions : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Loaded()) << host.LoadError();
        ASSERT_EQ(host.Init(), 53);
    }
    void TearDown() override { FMXHost_ClearInjectedError(); }
    PluginHost host;
};

TEST_F(PluginFunctions, VersionShortAndLong) {
    struct Case {
        std::initializer_list<Param> params;
        const char16_t* expected;
    };
    const Case cases[] = {
        {{}, u"3.0.1.0"},
        {{"long"}, u"Paginor 3.0.1.0"},
        {{"Long"}, u"Paginor 3.0.1.0"},
        {{"LONG"}, u"Paginor 3.0.1.0"},
        {{""}, u"3.0.1.0"},
        {{"longer"}, u"3.0.1.0"},
        {{"short"}, u"3.0.1.0"},
        {{5}, u"3.0.1.0"},
    };
    for (const Case& c : cases) {
        host.Call("QELT_SaveAsPDF"); // something to clear
        const auto result = host.Call("QELT_Version", c.params);
        EXPECT_TRUE(result.admitted);
        EXPECT_EQ(result.hostError, 0);
        EXPECT_EQ(result.type, FMX_DATA_TYPE_TEXT);
        EXPECT_EQ(result.text, c.expected);
        EXPECT_EQ(host.LastErrorText(), u"Success");
        EXPECT_EQ(host.LastErrorNumber(), 0);
    }
}

TEST_F(PluginFunctions, LastErrorBeforeAnyFunctionIsEmptyAndZero) {
    EXPECT_EQ(host.LastErrorText(), u"");
    const auto number = host.Call("QELT_GetLastError", {"Number"});
    EXPECT_EQ(number.type, FMX_DATA_TYPE_NUMBER);
    EXPECT_EQ(number.number, 0);
}

TEST_F(PluginFunctions, LastErrorReadsTheRecordWithoutChangingIt) {
    host.Call("QELT_SaveAsPDF");
    for (const char* keyword : {"Number", "number", "NUMBER", "nUmBeR"}) {
        const auto result = host.Call("QELT_GetLastError", {keyword});
        EXPECT_EQ(result.type, FMX_DATA_TYPE_NUMBER);
        EXPECT_EQ(result.number, -3);
    }
    for (std::initializer_list<Param> params :
         {std::initializer_list<Param>{}, std::initializer_list<Param>{""},
          std::initializer_list<Param>{"Numbers"}, std::initializer_list<Param>{"text"}}) {
        const auto result = host.Call("QELT_GetLastError", params);
        EXPECT_EQ(result.type, FMX_DATA_TYPE_TEXT);
        EXPECT_EQ(result.text, u"Invalid Number of Parameters");
    }
}

struct NarrowerCountCase {
    const char* name;
    std::initializer_list<Param> params; // admitted by the host, refused by the frame
};

// Where the frame accepts fewer counts than the registration admits, the call
// reaches the plug-in and fails with -3 without running its operation.
TEST_F(PluginFunctions, FrameRefusesCountsTheRegistrationAdmits) {
    const NarrowerCountCase cases[] = {
        {"QELT_SaveAsPDF", {}},
        {"QELT_FolderBrowse", {}},
        {"QELT_FileBrowse", {"*.pdf"}},
    };
    for (const NarrowerCountCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto refused = host.Call(c.name, c.params);
        ASSERT_TRUE(refused.admitted);
        EXPECT_EQ(refused.hostError, 0);
        EXPECT_EQ(refused.text, u"!!ERROR!!");
        EXPECT_EQ(host.LastErrorNumber(), -3);
        EXPECT_EQ(host.LastErrorText(), u"Invalid Number of Parameters");
    }
}

TEST_F(PluginFunctions, TheHostRefusesCountsOutsideTheRegistration) {
    EXPECT_FALSE(host.Call("QELT_ClosePDF", {"x"}).admitted);
    EXPECT_FALSE(host.Call("QELT_Version", {"a", "b"}).admitted);
    EXPECT_FALSE(host.Call("QELT_InsertPages", {"a"}).admitted);
}

TEST_F(PluginFunctions, HostFailuresInsideAFunctionAreContained) {
    struct Fault {
        const char* call;
        int32_t code;
        const char16_t* message;
    };
    for (const Fault& fault : {Fault{"FM_Text_AssignUnicode", 1, u"std::bad_alloc"},
                               Fault{"FM_Data_GetLocale", 2, u"unknown host error"},
                               Fault{"FM_Text_GetUnicode", 1, u"std::bad_alloc"}}) {
        SCOPED_TRACE(fault.call);
        FMXHost_InjectError(fault.call, fault.code, 0);
        const auto result = host.Call("QELT_Version", {"long"});
        EXPECT_EQ(result.hostError, 0);
        EXPECT_EQ(result.text, u"!!ERROR!!");
        EXPECT_EQ(host.LastErrorNumber(), -998);
        const std::u16string text = host.LastErrorText();
        EXPECT_EQ(text.rfind(u"Unknown ExceptionUNKNOWN EXCEPTION: FUNC:", 0), 0u);
        EXPECT_NE(text.find(std::u16string(u"\nOBJ: \nMSG: ") + fault.message),
                  std::u16string::npos);
    }
}

} // namespace
