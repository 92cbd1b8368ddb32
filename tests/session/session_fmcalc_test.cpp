// The document functions as a user meets them: calculations run by fmcalc
// against the plug-in built beside it.
#include "scriptable_server.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs fmcalc with one -e per calculation and gives its output lines.
std::vector<std::string> RunFmcalc(const std::vector<std::string>& calculations,
                                   const std::string& registry = {}, bool json = false) {
    std::string command;
    if (!registry.empty()) {
        command += "PAGINOR_COM_REGISTRY=" + Quoted(registry) + " ";
    }
    command += Quoted(FMCALC_BINARY);
    if (json) {
        command += " --json";
    }
    for (const std::string& calculation : calculations) {
        command += " -e " + Quoted(calculation);
    }
    command += " </dev/null 2>&1";
    std::vector<std::string> lines;
    FILE* output = popen(command.c_str(), "r");
    if (output == nullptr) {
        return lines;
    }
    std::string line;
    for (int c = std::fgetc(output); c != EOF; c = std::fgetc(output)) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    EXPECT_EQ(pclose(output), 0) << command;
    return lines;
}

class SessionThroughFmcalc : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::filesystem::path(::testing::TempDir()) / "session_fmcalc";
        std::filesystem::create_directories(m_folder);
        std::ofstream(File()) << "%PDF-1.4\n";
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string File() const { return (m_folder / "form.pdf").string(); }
    std::string InFolder(const std::string& name) const { return (m_folder / name).string(); }

    std::filesystem::path m_folder;
};

TEST_F(SessionThroughFmcalc, PageCountWithoutDocument) {
    const std::vector<std::string> calculations = {"QELT_GetNumPages", "QELT_GetLastError",
                                                   "QELT_GetLastError(\"number\")"};
    EXPECT_EQ(RunFmcalc(calculations),
              (std::vector<std::string>{"!!ERROR!!", "No PDF Document opened", "-2000"}));
    EXPECT_EQ(RunFmcalc(calculations, {}, true).at(2), R"({"type":"number","value":-2000})");
}

TEST_F(SessionThroughFmcalc, OpenCountSaveCloseAndCloseTheApplication) {
    const std::vector<std::string> calculations = {
        "QELT_OpenPDF(\"" + File() + "\")",
        "QELT_GetNumPages",
        "QELT_SaveAsPDF(\"" + InFolder("copy.pdf") + "\")",
        "QELT_SavePDF",
        "QELT_ClosePDF",
        "QELT_CloseAcrobat",
        "QELT_GetLastError",
    };
    EXPECT_EQ(RunFmcalc(calculations, paginor::scripted::GeneratedRegistryPath()),
              (std::vector<std::string>{"0", "5", "0", "0", "0", "0", "Success"}));
}

TEST_F(SessionThroughFmcalc, UnregisteredApplicationIsALoadFailure) {
    const std::string registry = InFolder("registry.txt");
    paginor::scripted::WriteRegistry(registry, {u"AcroExch.App"});
    EXPECT_EQ(RunFmcalc({"QELT_OpenPDF(\"" + File() + "\")", "QELT_GetLastError",
                         "QELT_GetLastError(\"number\")"},
                        registry),
              (std::vector<std::string>{"!!ERROR!!",
                                        "Library failed to loadClassid for AcroExch.App", "-200"}));
}

} // namespace
