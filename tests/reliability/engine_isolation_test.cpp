// The engine runs in a process of its own, so nothing it does to a file can
// take the host down: killed in the middle of a call or between calls,
// stopped by its limits on hostile files, or left behind by a killed host,
// the plug-in answers !!ERROR!! with -999 and a detail that says what
// happened, the host lives on, and the next open works.
#include "broken_pdf_builder.h"
#include "engine_process.h"

#include "plugin_host.h"
#include "support/fmcalc_runner.h"
#include "support/repository_paths.h"
#include "support/scoped_environment.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace reliability;
using paginor::test_support::calcText;
using paginor::test_support::FmcalcRun;
using paginor::test_support::runFmcalc;
using paginor::test_support::ScopedEnvironment;
using paginor::test_support::ScratchFolder;

const std::string kKilledDetail =
    "COM ExceptionError:800706BE Description: The PDF engine stopped unexpectedly (Killed) while ";

std::string Sample() {
    return paginor::test_support::examplePath("sample-form.pdf").string();
}

std::string OpenCall(const std::string& path) {
    return "QELT_OpenPDF ( " + calcText(path) + " )";
}

// fmcalc --json with one -e per calculation.
FmcalcRun RunCalculations(const std::vector<std::string>& calculations) {
    std::vector<std::string> args{"--json"};
    for (const std::string& calculation : calculations) {
        args.push_back("-e");
        args.push_back(calculation);
    }
    return runFmcalc(args);
}

// ---- killed in the middle of a call ----------------------------------------

struct MidCallCase {
    const char* name;
    const char* heldCall;            // the server call the engine is killed in
    std::vector<std::string> before; // calculations before the failing one
    std::string failing;
    std::string operation; // how the detail names what was being done
};

void PrintTo(const MidCallCase& c, std::ostream* out) {
    *out << c.name;
}

class KilledInTheMiddleOfACall : public testing::TestWithParam<MidCallCase> {};

TEST_P(KilledInTheMiddleOfACall, AnswersTheFailureAndTheNextOpenWorks) {
    const MidCallCase& c = GetParam();
    ScratchFolder scratch("engine-killed");
    const fs::path report = scratch / "held";
    ScopedEnvironment registry("PAGINOR_COM_REGISTRY", PAGINOR_HOLDING_REGISTRY);
    ScopedEnvironment heldCall("PAGINOR_TEST_STALL_AT", c.heldCall);
    ScopedEnvironment reportFile("PAGINOR_TEST_STALL_REPORT", report.string());
    ScopedEnvironment timeLimit("PAGINOR_SERVER_CALL_SECONDS", "60");

    std::vector<std::string> calculations = c.before;
    calculations.push_back(c.failing);
    const std::size_t failing = calculations.size() - 1;
    calculations.insert(calculations.end(),
                        {"QELT_GetLastError ( \"Number\" )", "QELT_GetLastError",
                         OpenCall(Sample()), "QELT_GetNumPages",
                         "QELT_GetPDFFieldValue ( \"name\" )"});
    auto host = std::async(std::launch::async, [&] { return RunCalculations(calculations); });

    const std::optional<std::string> held = WaitForFile(report, 60s);
    ASSERT_TRUE(held) << "the engine never reached " << c.heldCall;
    const pid_t server = std::stoi(*held);
    ASSERT_EQ(::kill(server, SIGKILL), 0);
    const FmcalcRun run = host.get();

    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.value(failing), "!!ERROR!!");
    EXPECT_EQ(run.value(failing + 1), "-999");
    EXPECT_EQ(run.value(failing + 2), kKilledDetail + c.operation);
    EXPECT_EQ(run.value(failing + 3), "0") << "the next open starts a fresh engine";
    EXPECT_EQ(run.value(failing + 4), "2");
    EXPECT_EQ(run.value(failing + 5), "");
    EXPECT_TRUE(EndsWithin(server, 1s));
}

INSTANTIATE_TEST_SUITE_P(
    Calls, KilledInTheMiddleOfACall,
    testing::Values(
        MidCallCase{
            "Open", "IPDDocument.Open", {}, OpenCall(Sample()), "opening \"" + Sample() + "\""},
        MidCallCase{"FieldLoad",
                    "IEnumVARIANT.Next",
                    {OpenCall(Sample())},
                    "QELT_GetPDFFieldValue ( \"name\" )",
                    "reading the form fields"},
        MidCallCase{"FieldWrite",
                    "IFormField.put_Value",
                    {OpenCall(Sample())},
                    "QELT_SetPDFFieldValue ( \"name\" ; \"Ada\" )",
                    "writing the value of the field \"name\""},
        MidCallCase{"PageText",
                    "IPDPage.CreateTextSelection",
                    {OpenCall(Sample())},
                    "QELT_GetTextFromPage ( 1 )",
                    "reading the text of page 1"},
        MidCallCase{"Save",
                    "IPDDocument.Save",
                    {OpenCall(Sample())},
                    "QELT_SaveAsPDF ( \"/nonexistent-folder/never.pdf\" )",
                    "saving \"/nonexistent-folder/never.pdf\""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- killed while writing a file -------------------------------------------

TEST(KilledWhileSaving, LeavesTheOldFileAndTheNextOpenWorks) {
    ScratchFolder scratch("engine-killed-saving");
    const fs::path large = scratch / "large.pdf";
    WriteLargeDocument(large, 150u << 20);
    const fs::path target = scratch / "target.pdf";
    fs::copy_file(Sample(), target);
    const std::string before = paginor::test_support::readFile(target);
    const std::string mark = scratch.path().filename().string();
    ScopedEnvironment marker("PAGINOR_TEST_MARK", mark);

    auto host = std::async(std::launch::async, [&] {
        return RunCalculations(
            {OpenCall(large.string()), "QELT_SaveAsPDF ( " + calcText(target.string()) + " )",
             "QELT_GetLastError ( \"Number\" )", OpenCall(Sample()), "QELT_GetNumPages"});
    });
    const std::optional<pid_t> server =
        FindProcessWith("paginor_engine_server", "PAGINOR_TEST_MARK", mark, 60s);
    ASSERT_TRUE(server);
    // Kill while the write is in progress: the server's temporary file (seen
    // through /proc, named or not) holds some of the new document, but far
    // from all of it, so the kill lands before the rename.
    const std::uintmax_t halfWritten = fs::file_size(large) / 2;
    bool writing = false;
    const auto until = std::chrono::steady_clock::now() + 60s;
    while (!writing && std::chrono::steady_clock::now() < until) {
        const auto size = SizeOfFileBeingWritten(*server, scratch.path(), {large, target});
        writing = size && *size > 0 && *size < halfWritten;
    }
    ASSERT_TRUE(writing) << "the save was never seen writing";
    ASSERT_EQ(::kill(*server, SIGKILL), 0);
    const FmcalcRun run = host.get();

    EXPECT_EQ(run.value(1), "!!ERROR!!");
    EXPECT_EQ(run.value(2), "-999");
    EXPECT_TRUE(paginor::test_support::readFile(target) == before)
        << "killed in the middle of the save: the old file, byte for byte";
    EXPECT_EQ(run.value(3), "0") << "the next open works";
    EXPECT_EQ(run.value(4), "2");
}

// ---- killed between calls ----------------------------------------------------

TEST(KilledBetweenCalls, TheNextCallAnswersTheFailureAndTheOneAfterWorks) {
    ScopedEnvironment registry(
        "PAGINOR_COM_REGISTRY",
        (paginor::test_support::binaryFolder() / "com_registry.txt").string());
    plugin_host::PluginHost host;
    ASSERT_EQ(host.Init(), 53);
    ASSERT_EQ(plugin_host::Utf8(host.Call("QELT_OpenPDF", {Sample()}).text), "0");
    const std::vector<pid_t> servers = ChildrenRunning("paginor_engine_server");
    ASSERT_EQ(servers.size(), 1u);
    ASSERT_EQ(::kill(servers[0], SIGKILL), 0);
    ASSERT_TRUE(EndsWithin(servers[0], 5s));

    EXPECT_EQ(plugin_host::Utf8(host.Call("QELT_GetPDFFieldValue", {"name"}).text), "!!ERROR!!");
    EXPECT_EQ(host.LastErrorNumber(), -999);
    EXPECT_EQ(plugin_host::Utf8(host.LastErrorText()),
              kKilledDetail + "showing the PDF application");
    EXPECT_EQ(plugin_host::Utf8(host.Call("QELT_OpenPDF", {Sample()}).text), "0");
    EXPECT_EQ(plugin_host::Utf8(host.Call("QELT_GetNumPages").text), "2");
}

// ---- hostile files ---------------------------------------------------------------

struct HostileCase {
    const char* name;
    void (*write)(const fs::path& path);
    const char* memoryMiB;
    const char* seconds;
    bool pageText;      // the hostile step is reading page 1's text (else opening)
    const char* detail; // what the detail says, after "Description: The PDF engine "
};

void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

class HostileFile : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileFile, FailsWithinTheLimitsAndLeavesNothingRunning) {
    const HostileCase& c = GetParam();
    ScratchFolder scratch("engine-hostile");
    const fs::path file = scratch / "hostile.pdf";
    c.write(file);
    const fs::path statistics = scratch / "statistics";
    ScopedEnvironment memory("PAGINOR_SERVER_MEMORY_MIB", c.memoryMiB);
    ScopedEnvironment time("PAGINOR_SERVER_CALL_SECONDS", c.seconds);
    ScopedEnvironment counts("PAGINOR_COM_STATISTICS", statistics.string());

    std::vector<std::string> calculations{OpenCall(file.string())};
    if (c.pageText) {
        calculations.push_back("QELT_GetTextFromPage ( 1 )");
    }
    const std::size_t hostile = calculations.size() - 1;
    calculations.insert(calculations.end(), {"QELT_GetLastError", "QELT_ClosePDF",
                                             OpenCall(Sample()), "QELT_GetNumPages"});
    const auto started = std::chrono::steady_clock::now();
    const FmcalcRun run = RunCalculations(calculations);
    const auto took = std::chrono::steady_clock::now() - started;

    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.value(hostile), "!!ERROR!!");
    const std::string detail = run.value(hostile + 1);
    if (*c.detail != '\0') {
        const std::string doing = c.pageText ? " while reading the text of page 1"
                                             : " while opening \"" + file.string() + "\"";
        EXPECT_EQ(detail, std::string("COM ExceptionError:800706BE Description: The PDF engine ") +
                              c.detail + doing + " and was stopped");
    }
    EXPECT_EQ(run.value(hostile + 3), "0") << "the next open works";
    EXPECT_EQ(run.value(hostile + 4), "2");
    EXPECT_LT(took, std::chrono::seconds(std::stoi(c.seconds)) + 5s + 5s)
        << "the limit plus 5 s for the hostile call, 5 s for the rest";
    const std::vector<pid_t> servers = ServersIn(statistics);
    EXPECT_FALSE(servers.empty());
    for (const pid_t server : servers) {
        EXPECT_TRUE(EndsWithin(server, 1s)) << "server " << server << " is still running";
    }
}

void WriteContentBombFile(const fs::path& path) {
    WriteContentBomb(path, 400u << 20);
}
void WriteRunawayPageTreeFile(const fs::path& path) {
    WriteRunawayPageTree(path, 2'000'000);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileFile,
    testing::Values(HostileCase{"ContentStreamBomb", &WriteContentBombFile, "2048", "3", true,
                                "did not finish within its 3-second time limit"},
                    HostileCase{"RunawayPageTree", &WriteRunawayPageTreeFile, "256", "60", false,
                                "exceeded its 256 MiB memory limit"},
                    HostileCase{"GigapixelContentFilter", &WriteGigapixelContent, "2048", "5", true,
                                ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostileFileInTheHost, TheHostsOwnMemoryBarelyGrows) {
    ScratchFolder scratch("engine-hostile-host");
    const fs::path file = scratch / "runaway.pdf";
    WriteRunawayPageTree(file, 2'000'000);
    ScopedEnvironment registry(
        "PAGINOR_COM_REGISTRY",
        (paginor::test_support::binaryFolder() / "com_registry.txt").string());
    ScopedEnvironment memory("PAGINOR_SERVER_MEMORY_MIB", "512");
    plugin_host::PluginHost host;
    ASSERT_EQ(host.Init(), 53);
    ASSERT_EQ(plugin_host::Utf8(host.Call("QELT_OpenPDF", {Sample()}).text), "0");
    ASSERT_EQ(plugin_host::Utf8(host.Call("QELT_ClosePDF").text), "0");
    ResetPeakResident();
    const std::size_t before = PeakResidentBytes();
    EXPECT_EQ(plugin_host::Utf8(host.Call("QELT_OpenPDF", {file.string()}).text), "!!ERROR!!");
    EXPECT_LT(PeakResidentBytes() - before, 50u << 20);
    EXPECT_EQ(plugin_host::Utf8(host.Call("QELT_OpenPDF", {Sample()}).text), "0");
}

// ---- hosts ---------------------------------------------------------------------------------

TEST(TwoHosts, GetTwoEnginesThatDoNotInterfereAndLeaveNothingRunning) {
    ScratchFolder scratch("engine-two-hosts");
    const fs::path statistics = scratch / "statistics";
    ScopedEnvironment counts("PAGINOR_COM_STATISTICS", statistics.string());
    auto session = [](const std::string& title) {
        return RunCalculations(
            {OpenCall(Sample()), "QELT_SetPDFInfo ( \"Title\" ; " + calcText(title) + " )",
             "QELT_GetTextLengthFromPage ( 1 )", "QELT_GetPDFInfo ( \"Title\" )"});
    };
    // The first host's engine is held in the middle of its page text while
    // the second host runs a whole session with an engine of its own.
    const fs::path report = scratch / "held";
    std::future<FmcalcRun> first;
    {
        ScopedEnvironment registry("PAGINOR_COM_REGISTRY", PAGINOR_HOLDING_REGISTRY);
        ScopedEnvironment heldCall("PAGINOR_TEST_STALL_AT", "IPDPage.CreateTextSelection");
        ScopedEnvironment reportFile("PAGINOR_TEST_STALL_REPORT", report.string());
        first = std::async(std::launch::async, session, "first");
        ASSERT_TRUE(WaitForFile(report, 60s));
    }
    const pid_t held = std::stoi(*WaitForFile(report, 0s));
    const FmcalcRun second = session("second");
    EXPECT_EQ(second.value(1), "0");
    EXPECT_EQ(second.value(3), "second");
    ASSERT_EQ(::kill(held, SIGKILL), 0);
    const FmcalcRun firstRun = first.get();
    EXPECT_EQ(firstRun.value(1), "0");
    EXPECT_EQ(firstRun.value(2), "!!ERROR!!");
    EXPECT_EQ(firstRun.value(3), "!!ERROR!!") << "the lost engine took the document with it";

    const std::vector<pid_t> servers = ServersIn(statistics);
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_NE(servers[0], servers[1]);
    for (const pid_t server : servers) {
        EXPECT_TRUE(EndsWithin(server, 1s)) << "server " << server << " is still running";
    }
}

TEST(KilledHost, LeavesNoEngineBehindEvenInTheMiddleOfACall) {
    ScratchFolder scratch("engine-killed-host");
    const fs::path report = scratch / "held";
    ScopedEnvironment registry("PAGINOR_COM_REGISTRY", PAGINOR_HOLDING_REGISTRY);
    ScopedEnvironment heldCall("PAGINOR_TEST_STALL_AT", "IPDPage.CreateTextSelection");
    ScopedEnvironment reportFile("PAGINOR_TEST_STALL_REPORT", report.string());
    auto host = std::async(std::launch::async, [&] {
        return RunCalculations({OpenCall(Sample()), "QELT_GetTextFromPage ( 1 )"});
    });
    const std::optional<std::string> held = WaitForFile(report, 60s);
    ASSERT_TRUE(held);
    const pid_t server = std::stoi(*held);
    const pid_t fmcalc = ParentOf(server);
    ASSERT_GT(fmcalc, 1);
    ASSERT_EQ(::kill(fmcalc, SIGKILL), 0);
    const FmcalcRun run = host.get();
    EXPECT_EQ(run.exitCode, -1) << "the host was killed";
    EXPECT_TRUE(EndsWithin(server, 5s)) << "the engine outlived its host";
}

} // namespace
