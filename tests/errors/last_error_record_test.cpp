#include "errors/error_messages.h"
#include "errors/last_error_record.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct MessageCase {
    std::int32_t code;
    const char* message;
};

class ErrorMessageTable : public testing::TestWithParam<MessageCase> {};

TEST_P(ErrorMessageTable, GivesTheMessageForTheCode) {
    EXPECT_STREQ(ErrorMessageFor(GetParam().code), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    KnownAndUnknownCodes, ErrorMessageTable,
    testing::Values(
        MessageCase{-3, "Invalid Number of Parameters"},
        MessageCase{-4, "Invalid Parameter value(s)"}, MessageCase{-200, "Library failed to load"},
        MessageCase{-300, "The specified file cannot be found"},
        MessageCase{-998, "Unknown Exception"}, MessageCase{-999, "COM Exception"},
        MessageCase{-2000, "No PDF Document opened"},
        MessageCase{-2003, "A docment is still opened"},
        MessageCase{-2004, "A document is still opened"},
        MessageCase{-2016, "Unable to hide acrobat"},
        MessageCase{-2017, "Unable to open the PDF file"},
        MessageCase{-2018, "Unable to insert pages"},
        MessageCase{-2019, "Unable to save the PDF file"},
        MessageCase{-2020, "Unable to delete the file"},
        MessageCase{-2021, "Unable to show acrobat"},
        MessageCase{-2022, "Unable to set the document information"},
        MessageCase{-2023, "Unable to get text from the page"},
        // Gaps and foreign codes share the catch-all, trailing blank included.
        MessageCase{-2005, "Undefined error. "}, MessageCase{-2008, "Undefined error. "},
        MessageCase{-2015, "Undefined error. "}, MessageCase{1, "Undefined error. "},
        MessageCase{0, "Undefined error. "}, MessageCase{INT32_MIN, "Undefined error. "}));

TEST(LastErrorRecordStates, InitialClearedAndSetReadAsTheirTextForms) {
    LastErrorRecord record;
    EXPECT_EQ(ErrorText(record), u"");
    EXPECT_FALSE(record.message.has_value());

    ClearError(record);
    EXPECT_EQ(ErrorText(record), u"Success");
    EXPECT_EQ(record.code, 0);
    EXPECT_FALSE(record.detail.has_value());

    SetError(-3, 0, record, u"");
    EXPECT_EQ(ErrorText(record), u"Invalid Number of Parameters");
    ASSERT_TRUE(record.detail.has_value()); // an empty detail is kept, not dropped
    EXPECT_EQ(*record.detail, u"");

    SetError(-200, 0x80040154u, record, u"Classid for AcroExch.App");
    EXPECT_EQ(ErrorText(record), u"Library failed to loadClassid for AcroExch.App");
    EXPECT_EQ(record.nativeCode, 0x80040154u);
    EXPECT_EQ(record.code, -200);
}

TEST(LastErrorRecordStates, ASecondSetErrorReplacesEverything) {
    LastErrorRecord record;
    SetError(-200, 7, record, u"first");
    SetError(-2000, 0, record, u"");
    EXPECT_EQ(record.code, -2000);
    EXPECT_EQ(record.nativeCode, 0u);
    EXPECT_EQ(ErrorText(record), u"No PDF Document opened");
}

TEST(LastErrorRecordStates, DetailAliasingTheRecordSurvivesTheClear) {
    LastErrorRecord record;
    SetError(-999, 0, record, u"Error:80004005 Description: boom");
    SetError(-998, 0, record, *record.detail);
    EXPECT_EQ(ErrorText(record), u"Unknown ExceptionError:80004005 Description: boom");
}

TEST(LastErrorRecordStates, DetailWithoutMessageIsTheDetailAlone) {
    LastErrorRecord record;
    record.detail = u"only detail";
    EXPECT_EQ(ErrorText(record), u"only detail");
}

TEST(ProcessWideRecord, IsInertOutsideItsLifetimeAndFreedOnDestroy) {
    DestroyLastErrorRecord();
    SetError(-3, 0, u""); // no record: nothing happens
    ClearError();
    EXPECT_EQ(CurrentLastErrorRecord(), nullptr);
    EXPECT_EQ(LastErrorText(), u"");
    EXPECT_EQ(LastErrorCode(), 0);

    CreateLastErrorRecord();
    EXPECT_EQ(LastErrorText(), u"");
    SetError(-2005, 0, u"");
    EXPECT_EQ(LastErrorText(), u"Undefined error. ");
    EXPECT_EQ(LastErrorCode(), -2005);
    DestroyLastErrorRecord();
    DestroyLastErrorRecord(); // twice is harmless
    EXPECT_EQ(CurrentLastErrorRecord(), nullptr);
}

TEST(UnknownExceptionDetailText, HasTheThreeLabelledFields) {
    const std::u16string detail = UnknownExceptionDetail(u"bad thing", u"obj");
    EXPECT_EQ(detail.rfind(u"UNKNOWN EXCEPTION: FUNC:", 0), 0u);
    const std::u16string tail = u"\nOBJ: obj\nMSG: bad thing";
    ASSERT_GE(detail.size(), tail.size());
    EXPECT_EQ(detail.substr(detail.size() - tail.size()), tail);
}

} // namespace
