// The host's messages to the built plug-in: Init's version window,
// registration, GetString, other selectors and Shutdown.
#include "plugin_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using plugin_host::PluginHost;
using plugin_host::Utf8;

struct VersionCase {
    int16_t hostVersion;
    intptr_t answer;
    size_t registered;
};

class InitVersionWindow : public testing::TestWithParam<VersionCase> {};

TEST_P(InitVersionWindow, AcceptsFiftyToTwoHundredFiftyFive) {
    PluginHost host;
    ASSERT_TRUE(host.Loaded()) << host.LoadError();
    EXPECT_EQ(host.Init(GetParam().hostVersion), GetParam().answer);
    EXPECT_EQ(FMXHost_FunctionCount(), GetParam().registered);
}

INSTANTIATE_TEST_SUITE_P(Versions, InitVersionWindow,
                         testing::Values(VersionCase{49, -1, 0}, VersionCase{50, 53, 24},
                                         VersionCase{62, 53, 24}, VersionCase{255, 53, 24},
                                         VersionCase{256, -1, 0}, VersionCase{-1, -1, 0},
                                         VersionCase{0, -1, 0}));

struct RegistrationCase {
    int16_t id;
    const char* name;
    const char* prototype;
    int16_t min, max;
};

const std::vector<RegistrationCase> kRegistration = {
    {150, "QELT_Version", "QELT_Version( type )", 0, 1},
    {152, "QELT_OpenPDF", "QELT_OpenPDF( FullPath )", 1, 1},
    {153, "QELT_SetPDFFieldValue", "QELT_SetPDFFieldValue( FieldName ; FieldValue )", 2, 2},
    {154, "QELT_GetPDFFieldValue", "QELT_GetPDFFieldValue( FieldName )", 1, 1},
    {155, "QELT_ClosePDF", "QELT_ClosePDF", 0, 0},
    {156, "QELT_PrintPDF", "QELT_PrintPDF", 0, 1},
    {157, "QELT_GetPDFInfo", "QELT_GetPDFInfo( Field )", 1, 1},
    {158, "QELT_AppendPDF", "QELT_AppendPDF( FilePaths )", 1, 1},
    {159, "QELT_DeletePDF", "QELT_DeletePDF( FullPath )", 1, 1},
    {160, "QELT_GetNumPages", "QELT_GetNumPages", 0, 0},
    {161, "QELT_GetTextLengthFromPage", "QELT_GetTextLengthFromPage( PageNumber )", 1, 1},
    {162, "QELT_GetTextFromPage", "QELT_GetTextFromPage( PageNumber )", 1, 1},
    {163, "QELT_SaveAsPDF", "QELT_SaveAsPDF( FullPath )", 0, 1},
    {164, "QELT_GetLastError", "QELT_GetLastError( type )", 0, 1},
    {165, "QELT_SetPDFInfo", "QELT_SetPDFInfo( Field ; Value )", 2, 2},
    {166, "QELT_SavePDF", "QELT_SavePDF", 0, 0},
    {170, "QELT_GetFieldNames", "QELT_GetFieldNames( includeValues )", 0, 1},
    {171, "QELT_DeletePages", "QELT_DeletePages( StartPage ; EndPage )", 2, 2},
    {172, "QELT_CloseAcrobat", "QELT_CloseAcrobat", 0, 0},
    {173, "QELT_ShowAcrobat", "QELT_ShowAcrobat", 0, 0},
    {174, "QELT_HideAcrobat", "QELT_HideAcrobat", 0, 0},
    {175, "QELT_FileBrowse", "QELT_FileBrowse", 0, 1},
    {176, "QELT_FolderBrowse", "QELT_FolderBrowse", 0, 1},
    {177, "QELT_InsertPages",
     "QELT_InsertPages( AfterPage ;  SrcPath ; StartPage ; NumPages ; inclBookMarks )", 5, 5},
};

TEST(Registration, RegistersTheTableInOrderWithItsNamesPrototypesAndCounts) {
    PluginHost host;
    ASSERT_EQ(host.Init(), 53);
    ASSERT_EQ(FMXHost_FunctionCount(), kRegistration.size());
    for (size_t i = 0; i < kRegistration.size(); ++i) {
        const RegistrationCase& expected = kRegistration[i];
        FMXHost_FunctionInfo info{};
        ASSERT_TRUE(FMXHost_FunctionAt(i, &info));
        SCOPED_TRACE(expected.name);
        EXPECT_STREQ(info.pluginId, "QELT");
        EXPECT_EQ(info.functionId, expected.id);
        EXPECT_EQ(Utf8(info.name), expected.name);
        EXPECT_EQ(Utf8(info.prototype), expected.prototype);
        EXPECT_EQ(info.minArgs, expected.min);
        EXPECT_EQ(info.maxArgs, expected.max);
        EXPECT_EQ(info.flags, 0xFF01u);
        // The prototype string resource carries the same text.
        EXPECT_EQ(Utf8(host.GetString(static_cast<uint8_t>(expected.id))), expected.prototype);
    }
}

struct StringCase {
    uint8_t id;
    uint32_t capacity;
    const char* text;
};

class GetStringIds : public testing::TestWithParam<StringCase> {};

TEST_P(GetStringIds, CopiesTheResourceIntoTheHostBuffer) {
    PluginHost host;
    ASSERT_EQ(host.Init(), 53);
    EXPECT_EQ(Utf8(host.GetString(GetParam().id, GetParam().capacity, u'x')), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, GetStringIds,
    testing::Values(StringCase{131, 64, "QELT1nnYnnn"}, StringCase{128, 64, "Paginor"},
                    StringCase{129, 256,
                               "This plug-in enables you to populate and/or extract\ndata from a "
                               "PDF file with embedded form fields."},
                    StringCase{150, 64, "QELT_Version( type )"}, StringCase{1, 64, "QELT1nnYnnn"},
                    // Truncated to the buffer, terminator included.
                    StringCase{128, 4, "Pag"},
                    // No room at all: an empty text, nothing written past it.
                    StringCase{128, 0, ""},
                    // Unknown ids leave the buffer as it was.
                    StringCase{200, 5, "xxxxx"}, StringCase{151, 5, "xxxxx"},
                    StringCase{0, 5, "xxxxx"}));

TEST(Selectors, OtherMessagesLeaveTheRecordAndTheRegistrationAlone) {
    PluginHost host;
    ASSERT_EQ(host.Init(), 53);
    host.Call("QELT_SaveAsPDF"); // leaves -3 in the last-error record
    for (uint8_t selector : {1, 2, 3, 5, 6, 8, 42, 255}) {
        SCOPED_TRACE(static_cast<int>(selector));
        const FMX_ExternCallStruct record = host.Send(selector, 62, 9, 1033, 77, 12345);
        // Copies: the record is packed, so its fields cannot bind to references.
        const intptr_t result = record.result;
        const uint8_t parm1 = record.parm1;
        const uint32_t parm3 = record.parm3;
        EXPECT_EQ(result, 12345);
        EXPECT_EQ(parm1, 9);
        EXPECT_EQ(parm3, 77u);
        EXPECT_EQ(FMXHost_FunctionCount(), 24u);
    }
    EXPECT_EQ(host.LastErrorNumber(), -3);
}

TEST(Shutdown, UnregistersEverythingAndCanBeSentTwice) {
    PluginHost host;
    ASSERT_EQ(host.Init(), 53);
    host.Shutdown();
    EXPECT_EQ(FMXHost_FunctionCount(), 0u);
    host.Shutdown();
    EXPECT_EQ(FMXHost_FunctionCount(), 0u);
    // A new session starts from a fresh record.
    ASSERT_EQ(host.Init(), 53);
    EXPECT_EQ(host.LastErrorText(), u"");
    EXPECT_EQ(host.LastErrorNumber(), 0);
}

TEST(Shutdown, WithoutInitIsHarmless) {
    PluginHost host;
    host.Shutdown();
    EXPECT_EQ(FMXHost_FunctionCount(), 0u);
}

class HostFaults : public testing::Test {
protected:
    void TearDown() override { FMXHost_ClearInjectedError(); }
};

TEST_F(HostFaults, InitRefusesWhenTheHostCannotProvideItsObjects) {
    struct Fault {
        const char* call;
        int32_t code;
        uint32_t skip;
    };
    for (const Fault& fault :
         {Fault{"FM_QuadChar_Constructor2", 1, 0}, Fault{"FM_Text_Constructor1", 1, 1},
          Fault{"FM_ExprEnv_RegisterExternalFunction", 2, 5}, Fault{"FM_Text_Find", 2, 10}}) {
        SCOPED_TRACE(fault.call);
        PluginHost host;
        FMXHost_InjectError(fault.call, fault.code, fault.skip);
        EXPECT_EQ(host.Init(), -1);
        EXPECT_EQ(FMXHost_FunctionCount(), 0u);
        EXPECT_FALSE(FMXHost_InjectedErrorPending());
    }
}

TEST_F(HostFaults, ShutdownCarriesOnPastAFailedUnregistration) {
    PluginHost host;
    ASSERT_EQ(host.Init(), 53);
    FMXHost_InjectError("FM_ExprEnv_UnRegisterExternalFunction", 2, 3);
    host.Shutdown();
    // Only the function whose request failed is left behind.
    ASSERT_EQ(FMXHost_FunctionCount(), 1u);
    FMXHost_FunctionInfo info{};
    ASSERT_TRUE(FMXHost_FunctionAt(0, &info));
    EXPECT_EQ(info.functionId, 153); // 150, 151 and 152 went before it
}

} // namespace
