// Hostile parameters from the host, through the plug-in and the real engine:
// huge texts and paths, page numbers at the ends of the integer range, texts
// with NUL, CR and LF, lone surrogates. Each call gives a correct result or a
// clear error that agrees with the last-error record, and memory stays
// bounded. A CSV with broken quoting and 100,000 rows goes to fmcalc.
#include "child_process.h"
#include "engine_process.h"
#include "plugin_host.h"
#include "process_memory.h"
#include "reliability_paths.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <memory>

namespace {

using namespace reliability;
using plugin_host::CallResult;
using plugin_host::Param;
using plugin_host::PluginHost;

const std::u16string kError = u"!!ERROR!!";
const std::u16string kMegabyte(1 << 20, u'x');

std::u16string LoneSurrogates() {
    return std::u16string(1, char16_t(0xD800)) + u"a" + std::u16string(1, char16_t(0xDC00)) +
           std::u16string(1, char16_t(0xDBFF));
}

class HostileParameters : public ::testing::Test {
protected:
    EngineMemoryMeasurable measurable_; // before the engine starts in SetUp
    void SetUp() override {
        form_ = scratch_ / "form.pdf";
        fs::copy_file(examplePath("sample-form.pdf"), form_);
        host_ = std::make_unique<PluginHost>();
        ASSERT_TRUE(host_->Loaded()) << host_->LoadError();
        ASSERT_EQ(host_->Init(), 53);
        ASSERT_EQ(Call("QELT_OpenPDF", {form_.string()}).text, u"0");
    }
    void TearDown() override {
        if (host_) {
            host_->Call("QELT_ClosePDF");
            host_->Call("QELT_CloseAcrobat");
        }
    }

    // Every call: the host is told 0 and the result agrees with the record.
    CallResult Call(std::string_view function, std::initializer_list<Param> params) {
        CallResult result = host_->Call(function, params);
        EXPECT_TRUE(result.admitted) << function;
        EXPECT_EQ(result.hostError, 0) << function;
        const double code = host_->LastErrorNumber();
        if (result.text == kError)
            EXPECT_NE(code, 0) << function << " failed without a code";
        else
            EXPECT_EQ(code, 0) << function << " succeeded with a code";
        return result;
    }
    int Code() { return static_cast<int>(host_->LastErrorNumber()); }
    int Pages() { return static_cast<int>(Call("QELT_GetNumPages", {}).number); }

    ScratchFolder scratch_;
    fs::path form_;
    std::unique_ptr<PluginHost> host_;
};

TEST_F(HostileParameters, PageNumbersAtTheEndsOfTheRangeAreRefused) {
    const int pages = Pages();
    ASSERT_GT(pages, 0);
    for (const double page : {double(INT_MIN), -1.0, 0.0, double(INT_MAX), 1e12, -1e12}) {
        for (const char* function : {"QELT_GetTextFromPage", "QELT_GetTextLengthFromPage"})
            EXPECT_EQ(Call(function, {page}).text, kError) << function << " " << page;
        EXPECT_EQ(Call("QELT_DeletePages", {page, page}).text, kError) << page;
        EXPECT_EQ(Call("QELT_DeletePages", {1, page}).text, kError) << page;
        Call("QELT_InsertPages", {page, form_.string(), 1, 1, "no"});
        if (page == 0)
            continue; // StartPage 0 and NumPages 0 are in range
        EXPECT_EQ(Call("QELT_InsertPages", {1, form_.string(), page, 1, "no"}).text, kError)
            << page;
        EXPECT_EQ(Call("QELT_InsertPages", {1, form_.string(), 1, page, "no"}).text, kError)
            << page;
    }
    EXPECT_EQ(Call("QELT_InsertPages",
                   {double(INT_MAX), form_.string(), double(INT_MAX), double(INT_MAX), "yes"})
                  .text,
              kError);
    EXPECT_EQ(Call("QELT_GetTextFromPage", {1}).text.empty(), false);
}

TEST_F(HostileParameters, AMegabyteFieldValueRoundTrips) {
    ASSERT_EQ(Call("QELT_SetPDFFieldValue", {"name", kMegabyte}).text, u"0");
    EXPECT_EQ(Call("QELT_GetPDFFieldValue", {"name"}).text, kMegabyte);
    // A name nobody has is not a field.
    EXPECT_EQ(Call("QELT_GetPDFFieldValue", {kMegabyte}).text, u"0");
    EXPECT_EQ(Call("QELT_SetPDFInfo", {"Title", kMegabyte}).text, u"0");
    EXPECT_EQ(Call("QELT_GetPDFInfo", {"Title"}).text, kMegabyte);
    EXPECT_EQ(Call("QELT_SavePDF", {}).text, u"0");
}

TEST_F(HostileParameters, MegabytePathsGiveClearErrors) {
    const std::u16string longPath = plugin_host::Utf16(scratch_.path().string()) + u"/" + kMegabyte;
    for (const char* function : {"QELT_SaveAsPDF", "QELT_AppendPDF", "QELT_DeletePDF"}) {
        EXPECT_EQ(Call(function, {longPath}).text, kError) << function;
    }
    EXPECT_EQ(Call("QELT_InsertPages", {1, longPath, 1, 1, "no"}).text, kError);
    EXPECT_EQ(Code(), -300);
    Call("QELT_ClosePDF", {});
    EXPECT_EQ(Call("QELT_OpenPDF", {longPath}).text, kError);
    EXPECT_EQ(Code(), -300);
}

TEST_F(HostileParameters, ControlCharactersAndLoneSurrogatesDoNotBreakAnything) {
    const std::u16string texts[] = {
        std::u16string(u"a\0b", 3), u"line\rline\nline\r\n", LoneSurrogates(),
        std::u16string(1, char16_t(0xFFFF)) + std::u16string(1, char16_t(0xFFFE))};
    for (const auto& text : texts) {
        Call("QELT_SetPDFFieldValue", {"name", text});
        Call("QELT_GetPDFFieldValue", {"name"});
        Call("QELT_SetPDFFieldValue", {"address", text});
        Call("QELT_SetPDFFieldValue", {"country", text});
        Call("QELT_GetPDFFieldValue", {text});
        for (const char* key : {"Title", "Author", "Trapped"})
            Call("QELT_SetPDFInfo", {key, text});
        Call("QELT_GetPDFInfo", {text});
        Call("QELT_SaveAsPDF", {plugin_host::Utf16((scratch_ / "copy").string()) + text + u".pdf"});
        Call("QELT_AppendPDF", {text});
        Call("QELT_InsertPages", {1, text, 1, 1, text});
        Call("QELT_PrintPDF", {text});
    }
    // The document is still whole: it saves and opens again.
    ASSERT_EQ(Call("QELT_SavePDF", {}).text, u"0");
    Call("QELT_ClosePDF", {});
    EXPECT_EQ(Call("QELT_OpenPDF", {form_.string()}).text, u"0");
}

// What rounds of megabyte texts keep must not grow with the rounds: the
// bound of 16 MiB is well below what keeping one megabyte per round would
// add (24 MB or more), in the plug-in (its heap) or the engine (its resident
// size, with the sanitizer's quarantine off).
struct MemoryRound {
    const char* name;
    bool write; // also rewrites the field with a megabyte value each round
    int rounds;
};
void PrintTo(const MemoryRound& c, std::ostream* out) {
    *out << c.name;
}

class HostileParametersMemory : public HostileParameters,
                                public ::testing::WithParamInterface<MemoryRound> {};

TEST_P(HostileParametersMemory, StaysBounded) {
    const MemoryRound& c = GetParam();
    const auto round = [&] {
        if (c.write)
            Call("QELT_SetPDFFieldValue", {"name", kMegabyte});
        Call("QELT_GetPDFFieldValue", {"name"});
        Call("QELT_GetPDFFieldValue", {kMegabyte});
        Call("QELT_GetPDFInfo", {kMegabyte});
    };
    for (int i = 0; i < 4; ++i)
        round();
    const std::vector<pid_t> engines = ChildrenRunning("paginor_engine_server");
    ASSERT_EQ(engines.size(), 1u) << "one engine, out of process";
    const std::size_t hostBefore = HeapInUseBytes();
    const std::size_t engineBefore = ResidentBytesOf(engines[0]);

    const int rounds = c.rounds;
    for (int i = 0; i < rounds; ++i)
        round();
    ASSERT_EQ(ChildrenRunning("paginor_engine_server"), engines) << "the same engine throughout";
    const std::size_t hostAfter = HeapInUseBytes();
    const std::size_t engineAfter = ResidentBytesOf(engines[0]);

    constexpr std::size_t kAllowance = 16u << 20;
    EXPECT_LT(hostAfter, hostBefore + kAllowance)
        << "plug-in heap " << hostBefore << " -> " << hostAfter << " over " << rounds << " rounds";
    EXPECT_LT(engineAfter, engineBefore + kAllowance)
        << "engine resident " << engineBefore << " -> " << engineAfter << " over " << rounds
        << " rounds";
}

INSTANTIATE_TEST_SUITE_P(Rounds, HostileParametersMemory,
                         ::testing::Values(MemoryRound{"Reads", false, 40},
                                           MemoryRound{"WritesAndReads", true, 24}),
                         [](const auto& info) { return std::string(info.param.name); });

// fmcalc reads a CSV whose quoting is broken on some rows: each bad row is
// reported and the rest run; no crash, and memory stays far below the size
// that keeping every row's output would need many times over.
TEST(HostileCsv, BrokenQuotingAndAHundredThousandRows) {
    const fs::path fmcalc = fmcalcBinary();
    if (!fs::exists(fmcalc))
        GTEST_SKIP() << "fmcalc is not built";
    ScratchFolder scratch;
    std::string csv = "Name,Note\n";
    for (int row = 0; row < 100000; ++row) {
        switch (row % 5) {
        case 0:
            csv += "\"unterminated," + std::to_string(row) + "\n";
            break;
        case 1:
            csv += "plain\"quote,x\n";
            break;
        case 2:
            csv += "\"closed\"trailing,y\n";
            break;
        default:
            csv += "row" + std::to_string(row) + ",\"a \"\"quoted\"\" note\"\n";
        }
    }
    writeFile(scratch / "rows.csv", csv);
    writeFile(scratch / "rows.calc", "Length ( $Name & $Note )\n");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(120);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
        const std::string csvPath = (scratch / "rows.csv").string();
        const std::string calcPath = (scratch / "rows.calc").string();
        ::execl(fmcalc.c_str(), "fmcalc", "--csv", csvPath.c_str(), calcPath.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    ASSERT_TRUE(WIFEXITED(status)) << "fmcalc ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1) << "bad rows make the batch fail, and only that";
    EXPECT_LT(usage.ru_maxrss, 1024L * 1024) << "kilobytes";
}

} // namespace
