// Runs the real fmcalc binary against the real plug-in.
#include "support/fmcalc_runner.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exit_code = -1;
    std::string out;
    std::string err;
};

class FmcalcRun : public ::testing::Test {
protected:
    fs::path write(const std::string& name, const std::string& content) {
        const fs::path p = dir_ / name;
        paginor::test_support::writeFile(p, content);
        return p;
    }

    // stdin is a pipe holding `input` (empty unless given), so fmcalc never
    // sees a terminal and never waits for input.
    Outcome run(const std::vector<std::string>& args, const std::string& input = {}) {
        const auto run = paginor::test_support::runFmcalc(args, {}, input);
        return {run.exitCode, run.stdoutText, run.stderrText};
    }

    paginor::test_support::ScratchFolder dir_{"paginor-fmcalc-e2e"};
};

TEST_F(FmcalcRun, CommandLineCalculations) {
    const struct {
        std::vector<std::string> args;
        int exit_code;
        std::string out;
        std::string err_contains;
    } cases[] = {
        {{"-e", "QELT_Version( \"long\" )"}, 0, "Paginor 3.0.1.0\n", ""},
        {{"-e", "QELT_Version"}, 0, "3.0.1.0\n", ""},
        {{"--json", "-e", "QELT_SaveAsPDF", "-e", "QELT_GetLastError", "-e",
          "QELT_GetLastError( \"Number\" )"},
         0,
         "{\"type\":\"text\",\"value\":\"!!ERROR!!\",\"source\":{\"e\":1}}\n"
         "{\"type\":\"text\",\"value\":\"Invalid Number of Parameters\",\"source\":{\"e\":2}}\n"
         "{\"type\":\"number\",\"value\":-3,\"source\":{\"e\":3}}\n",
         ""},
        {{"-e", "QELT_GetLastError( \"number\" ) * 2 & \"!\""}, 0, "0!\n", ""},
        {{"-e", "Let ( $$n = QELT_Version ; 0 )", "-e", "Upper ( $$n & \"x\" )"},
         0,
         "0\n3.0.1.0X\n",
         ""},
        // A failed calculation yields no result; the others still run.
        {{"-e", "Nope ( 1 )", "-e", "1 + 1"},
         1,
         "2\n",
         "fmcalc: -e[1]:1:1: unknown function Nope\n"},
        {{"-e", "QELT_ClosePDF ( 1 )"}, 1, "", "too many parameters for function QELT_ClosePDF"},
        {{"-e", "QELT_OpenPDF"}, 1, "", "function QELT_OpenPDF needs parameters"},
        {{"--json", "-e", "1 +"},
         1,
         "{\"error\":\"-e[1]:1:4: syntax error: expected a value but found the end of the "
         "calculation\",\"source\":{\"e\":1}}\n",
         "syntax error"},
        {{"--host-version", "49", "-e", "QELT_Version"},
         2,
         "",
         "the plug-in refused host version 49"},
        {{"--host-version", "256", "-e", "QELT_Version"}, 2, "", "refused host version 256"},
        {{"--host-version", "50", "-e", "QELT_Version"}, 0, "3.0.1.0\n", ""},
        {{"--host-version", "255", "-e", "QELT_Version"}, 0, "3.0.1.0\n", ""},
        {{"--plugin", "/nonexistent/plugin.so", "-e", "1"}, 2, "", "cannot load the plug-in"},
        {{"--bogus"}, 2, "", "unknown option --bogus"},
        {{"missing-file.txt"}, 2, "", "cannot read missing-file.txt"},
    };
    for (const auto& c : cases) {
        const Outcome o = run(c.args);
        const std::string label = c.args.back();
        EXPECT_EQ(o.exit_code, c.exit_code) << label << "\n" << o.err;
        EXPECT_EQ(o.out, c.out) << label;
        EXPECT_NE(o.err.find(c.err_contains), std::string::npos) << label << "\n" << o.err;
    }
}

TEST_F(FmcalcRun, ListShowsNameDescriptionAndFunctions) {
    const Outcome o = run({"--list"});
    EXPECT_EQ(o.exit_code, 0);
    EXPECT_TRUE(o.out.starts_with("Paginor\nThis plug-in enables you to populate and/or extract\n"
                                  "data from a PDF file with embedded form fields."))
        << o.out;
    EXPECT_NE(o.out.find("24 functions:"), std::string::npos);
    EXPECT_NE(o.out.find("  QELT_Version( type )  [parameters 0..1]\n"), std::string::npos);
    EXPECT_NE(o.out.find("  QELT_InsertPages( AfterPage ;  SrcPath ; StartPage ; NumPages ; "
                         "inclBookMarks )  [parameters 5..5]\n"),
              std::string::npos);
}

TEST_F(FmcalcRun, FileOfCalculations) {
    const fs::path file = write("calcs.txt", "# version first\n"
                                             "QELT_Version (\n"
                                             "  \"LONG\"\n"
                                             ")\n"
                                             "\n"
                                             "// then an error on line 7\n"
                                             "1 + Nope ( 2 )\n"
                                             "\"a\xC2\xB6"
                                             "b\"\n");
    const Outcome o = run({file.string()});
    EXPECT_EQ(o.exit_code, 1);
    EXPECT_EQ(o.out, "Paginor 3.0.1.0\na\nb\n");
    EXPECT_EQ(o.err, "fmcalc: " + file.string() + ":7:5: unknown function Nope\n");

    const Outcome piped = run({}, "QELT_Version\n2 * 3\n");
    EXPECT_EQ(piped.exit_code, 0);
    EXPECT_EQ(piped.out, "3.0.1.0\n6\n");
}

TEST_F(FmcalcRun, CsvBatchBindsColumnsAndSkipsBadRows) {
    const fs::path data = write("data.csv", "Name,First Name\r\n"
                                            "\"Smith, J\",Ann\r\n"
                                            "broken\r\n"
                                            "Doe,\"Bo \"\"B\"\"\"\r\n");
    const fs::path calcs = write("row.txt", "$row & \": \" & $First_Name & \" \" & $Name\n");
    const Outcome o = run({"--csv", data.string(), calcs.string()});
    EXPECT_EQ(o.exit_code, 1);
    EXPECT_EQ(o.out, "1: Ann Smith, J\n3: Bo \"B\" Doe\n");
    EXPECT_NE(o.err.find(":3: row 2 skipped: expected 2 fields, found 1"), std::string::npos)
        << o.err;
    EXPECT_EQ(o.err.find("row 1 of"), std::string::npos); // no progress unless a terminal

    // Every JSON object says where it came from; the skipped row is one too.
    const Outcome json = run({"--json", "--csv", data.string(), "-e", "$row * 10"});
    const std::string csv = "\"csv\":\"" + data.string() + "\"";
    EXPECT_EQ(json.out,
              "{\"type\":\"number\",\"value\":10,\"source\":{\"e\":1,\"row\":1," + csv +
                  ",\"csv_line\":2}}\n"
                  "{\"error\":\"" +
                  data.string() +
                  ":3: row 2 skipped: expected 2 fields, found 1\",\"source\":{\"row\":2," + csv +
                  ",\"csv_line\":3}}\n"
                  "{\"type\":\"number\",\"value\":30,\"source\":{\"e\":1,\"row\":3," +
                  csv + ",\"csv_line\":4}}\n");
}

} // namespace
