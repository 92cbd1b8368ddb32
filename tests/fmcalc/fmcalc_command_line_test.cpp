// fmcalc's command-line habits, through the real binary: usage errors,
// --version, --strict, batch summaries, CSV encodings and separators,
// unclosed calculations, and --jobs batches.
#include "fmcalc_process.h"

#include <gtest/gtest.h>

namespace fmcalc_test {
namespace {

namespace fs = std::filesystem;

class CommandLine : public ::testing::Test {
protected:
    CommandLine() : folder_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    ScratchFolder folder_;
};

std::size_t count_lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(CommandLine, UsageErrorsTakeOneLineAndPointToHelp) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"--jobs", "0", "-e", "1"},
        {"--jobs", "2", "-e", "1"},
        {"--delimiter", "ab", "--csv", "x.csv", "-e", "1"},
        {"--csv-encoding", "latin1", "-e", "1"},
        {"--where", "1", "-e", "1"},
        {"-e"},
    };
    for (const auto& args : cases) {
        const Outcome o = run_fmcalc(folder_, args);
        EXPECT_EQ(o.exit_code, 2) << args[0];
        EXPECT_EQ(count_lines(o.err), 1u) << o.err;
        EXPECT_NE(o.err.find("(fmcalc --help lists the options)"), std::string::npos) << o.err;
        EXPECT_EQ(o.out, "");
    }
    const Outcome version = run_fmcalc(folder_, {"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_TRUE(version.out.starts_with("fmcalc 3.0.1.0 (SQLite 3.")) << version.out;
}

TEST_F(CommandLine, InputThatCannotBeReadIsNamedWithItsReason) {
    fs::create_directories(folder_.path() / "a-folder");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"a-folder"}, "fmcalc: cannot read a-folder: it is a folder, not a file\n"},
        {{"--csv", "a-folder", "-e", "1"},
         "fmcalc: cannot read a-folder: it is a folder, not a file\n"},
        {{"missing.calc"}, "fmcalc: cannot read missing.calc: No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const Outcome o = run_fmcalc(folder_, c.args);
        EXPECT_EQ(o.exit_code, 2);
        EXPECT_EQ(o.err, c.message);
    }
}

TEST_F(CommandLine, ControlCharactersOfTheInputAreEscapedInErrorMessages) {
    // An escape sequence or a bell in a calculation must not act on the
    // terminal that shows the message about it.
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"-e", "1 + \x1b"}, "fmcalc: -e[1]:1:5: syntax error: unexpected character '\\x1B'\n"},
        {{"-e", "\"abc\" & \x07"},
         "fmcalc: -e[1]:1:9: syntax error: unexpected character '\\x07'\n"},
    };
    for (const auto& c : cases) {
        const Outcome o = run_fmcalc(folder_, c.args);
        EXPECT_EQ(o.err, c.message);
        EXPECT_EQ(o.err.find('\x1b'), std::string::npos);
        EXPECT_EQ(o.err.find('\x07'), std::string::npos);
    }
}

TEST_F(CommandLine, StrictTurnsAnErrorResultIntoExitStatusThree) {
    const struct {
        std::vector<std::string> args;
        int exit_code;
        std::string err_contains;
    } cases[] = {
        {{"-e", "QELT_GetNumPages"}, 0, ""},
        {{"--strict", "-e", "QELT_Version", "-e", "\"Pages: \" & QELT_GetNumPages"},
         3,
         "fmcalc: -e[2]:1:1: !!ERROR!! from \"Pages: \" & QELT_GetNumPages; last error -2000 "
         "No PDF Document opened\n"},
        {{"--strict", "-e", "QELT_Version"}, 0, ""},
        // A calculation that could not be evaluated is worse: status 1.
        {{"--strict", "-e", "QELT_GetNumPages", "-e", "Nope ( 1 )"}, 1, "unknown function Nope"},
    };
    for (const auto& c : cases) {
        const Outcome o = run_fmcalc(folder_, c.args);
        EXPECT_EQ(o.exit_code, c.exit_code) << c.args.back() << "\n" << o.err;
        EXPECT_NE(o.err.find(c.err_contains), std::string::npos) << o.err;
    }
}

TEST_F(CommandLine, UnclosedCalculationIsReportedWhereItOpens) {
    const fs::path file = folder_.write("script.calc", "QELT_Version\n"
                                                       "Left ( \"abc\" ; 2\n"
                                                       "QELT_Version ( \"long\" )\n"
                                                       "1 + 1\n"
                                                       "\n");
    const Outcome o = run_fmcalc(folder_, {"script.calc"});
    EXPECT_EQ(o.exit_code, 1);
    EXPECT_EQ(o.out, "3.0.1.0\n");
    EXPECT_EQ(o.err, "fmcalc: script.calc:2:6: syntax error: ( is never closed (the calculation "
                     "runs on to line 4)\n");

    const Outcome text = run_fmcalc(folder_, {"-e", "Upper ( \"abc )"});
    EXPECT_NE(text.err.find("-e[1]:1:9: syntax error: text literal \" is never closed"),
              std::string::npos)
        << text.err;
}

// What each CSV file is read as: the rows' $row:$Name:$Town, and the summary.
TEST_F(CommandLine, CsvEncodingsAndSeparators) {
    const std::string utf8 = "Name,Town\nS\xC3\xB8ren,K\xC3\xB8"
                             "benhavn\nAda,London\n";
    const struct {
        const char* label;
        std::string bytes;
        std::vector<std::string> options;
        int exit_code;
        std::string out;
        std::string err_contains;
    } cases[] = {
        {"utf8",
         utf8,
         {},
         0,
         "1:S\xC3\xB8ren:K\xC3\xB8"
         "benhavn\n2:Ada:London\n",
         "2 rows done, 0 with !!ERROR!!, 0 failed, 0 skipped"},
        {"utf8 with BOM",
         "\xEF\xBB\xBF" + utf8,
         {},
         0,
         "1:S\xC3\xB8ren:K\xC3\xB8"
         "benhavn\n2:Ada:London\n",
         ""},
        {"latin1 refused",
         "Name,Town\nS\xF8ren,K\xF8"
         "benhavn\n",
         {},
         2,
         "",
         "row 1 (line 2), column 1 (Name): byte 0xF8 is not UTF-8; give the file's encoding "
         "with --csv-encoding"},
        {"latin1 named",
         "Name,Town\nS\xF8ren,K\xF8"
         "benhavn\n",
         {"--csv-encoding", "latin1"},
         0,
         "1:S\xC3\xB8ren:K\xC3\xB8"
         "benhavn\n",
         ""},
        {"windows-1252",
         "Name,Town\n\x93Q\x94,Z\x9Arich\n",
         {"--csv-encoding", "windows-1252"},
         0,
         "1:\xE2\x80\x9CQ\xE2\x80\x9D:Z\xC5\xA1rich\n",
         ""},
        {"utf16 with BOM",
         std::string("\xFF\xFEN\0a\0m\0e\0,\0T\0o\0w\0n\0\n\0A\0,\0B\0\n\0", 30),
         {},
         0,
         "1:A:B\n",
         ""},
        {"unknown encoding",
         utf8,
         {"--csv-encoding", "no-such-encoding"},
         2,
         "",
         "unknown encoding no-such-encoding"},
        {"semicolons detected", "Name;Town\n\"Smith, J\";Paris\n", {}, 0, "1:Smith, J:Paris\n", ""},
        {"tabs detected", "Name\tTown\nA;B\tC,D\n", {}, 0, "1:A;B:C,D\n", ""},
        {"delimiter given", "Name|Town\nA|B\n", {"--delimiter", "|"}, 0, "1:A:B\n", ""},
        {"unclosed quote costs one row",
         "Name,Town\n\"Open,X\nAda,London\n",
         {},
         1,
         "2:Ada:London\n",
         "row 1 skipped: quoted field opened on line 2 is never closed"},
    };
    for (const auto& c : cases) {
        folder_.write("data.csv", c.bytes);
        std::vector<std::string> args = c.options;
        args.insert(args.end(),
                    {"--csv", "data.csv", "-e", "$row & \":\" & $Name & \":\" & $Town"});
        const Outcome o = run_fmcalc(folder_, args);
        EXPECT_EQ(o.exit_code, c.exit_code) << c.label << "\n" << o.err;
        EXPECT_EQ(o.out, c.out) << c.label;
        EXPECT_NE(o.err.find(c.err_contains), std::string::npos) << c.label << "\n" << o.err;
    }
}

TEST_F(CommandLine, BatchSummaryCountsRows) {
    folder_.write("data.csv",
                  "Path\nnone.pdf\nbroken,row\n\n" + (folder_.path() / "none.pdf").string() + "\n");
    const Outcome o = run_fmcalc(folder_, {"--csv", "data.csv", "-e", "QELT_OpenPDF ( $Path )"});
    EXPECT_EQ(o.exit_code, 1);
    EXPECT_NE(o.err.find("fmcalc: 2 rows done, 2 with !!ERROR!!, 0 failed, 1 skipped\n"),
              std::string::npos)
        << o.err;
}

// --jobs gives what one process gives: the same output in row order and the
// same summary, whatever order the workers finish in.
TEST_F(CommandLine, JobsPrintWhatOneProcessPrints) {
    std::string csv = "N,Path\n";
    for (int i = 1; i <= 30; ++i)
        csv += std::to_string(i) + "," + (i % 7 == 0 ? "missing.pdf" : "") + "\n";
    csv += "bad row with \"quote\n"; // skipped
    folder_.write("data.csv", csv);
    fs::copy_file(examples_dir() / "text.pdf", folder_.path() / "text.pdf");
    const fs::path script = folder_.write(
        "row.calc",
        "$N & \" \" & QELT_OpenPDF ( If ( IsEmpty ( $Path ) ; \"text.pdf\" ; $Path ) )\n"
        "While ( [ i = 0 ] ; i < Mod ( 31 - $N ; 5 ) * 2000 ; [ i = i + 1 ] ; "
        "QELT_GetNumPages )\n"
        "QELT_ClosePDF\n");
    for (const bool json : {false, true}) {
        std::vector<std::string> args = {"--csv", "data.csv", script.filename().string()};
        if (json)
            args.insert(args.begin(), "--json");
        const Outcome serial = run_fmcalc(folder_, args);
        args.insert(args.begin(), {"--jobs", "3"});
        const Outcome parallel = run_fmcalc(folder_, args);
        EXPECT_EQ(parallel.exit_code, serial.exit_code);
        EXPECT_EQ(parallel.out, serial.out);
        EXPECT_EQ(parallel.err, serial.err);
        EXPECT_NE(serial.err.find("30 rows done, 4 with !!ERROR!!, 0 failed, 1 skipped"),
                  std::string::npos)
            << serial.err;
    }
}

TEST_F(CommandLine, JobsThatCannotLoadThePluginStopTheBatch) {
    folder_.write("data.csv", "A\n1\n2\n");
    const Outcome o = run_fmcalc(folder_, {"--jobs", "2", "--plugin", "/nonexistent/plugin.so",
                                           "--csv", "data.csv", "-e", "$A"});
    EXPECT_EQ(o.exit_code, 2);
    EXPECT_NE(o.err.find("cannot load the plug-in"), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
}

} // namespace
} // namespace fmcalc_test
