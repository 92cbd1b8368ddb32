// Runs every example of the function reference (and of fmcalc's README)
// through the real fmcalc against a scratch copy of the bundled samples and
// checks each result the document states, so the documents cannot go stale.
#include "markdown_examples.h"
#include "support/json_value.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace paginor::docs {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// fmcalc --json OPTIONS example.calc in `folder`; its stdout and exit status.
std::pair<std::string, int> run_example(const fs::path& folder, const Example& example) {
    std::ofstream(folder / "example.calc", std::ios::binary) << example.script;
    const std::string binary = test_support::fmcalcBinary().string();
    std::vector<std::string> args = {binary, "--json"};
    args.insert(args.end(), example.options.begin(), example.options.end());
    args.push_back("example.calc");
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const fs::path out = folder / ".stdout";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return {{}, -1};
    int status = 0;
    waitpid(pid, &status, 0);
    return {slurp(out), WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
}

// Text as fmcalc prints it: carriage returns become line breaks.
std::string plain(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<Result> parse_results(const std::string& json_lines) {
    std::vector<Result> results;
    std::istringstream lines(json_lines);
    for (std::string line; std::getline(lines, line);) {
        const auto json = test_support::JsonValue::parse(line);
        if (!json || !json->isObject())
            continue;
        Result r;
        r.line = static_cast<std::size_t>((*json)["source"]["line"].number());
        r.type = (*json)["type"].text();
        r.error = (*json)["error"].text();
        r.value = r.type == "date" ? (*json)["value"].text() : plain((*json)["value"].text());
        if (r.type == "date" && r.value.size() > 10)
            r.value[10] = ' ';
        results.push_back(r);
    }
    return results;
}

// A fresh copy of examples/ for each example, since examples write files.
class Scratch {
public:
    void reset() {
        for (const auto& entry : fs::directory_iterator(folder_.path()))
            fs::remove_all(entry.path());
        fs::copy(test_support::examplesFolder(), folder_.path() / "examples",
                 fs::copy_options::recursive);
    }
    const fs::path& path() const { return folder_.path(); }

private:
    test_support::ScratchFolder folder_{"doc-examples"};
};

TEST(DocumentExamples, EveryExampleGivesTheResultsItStates) {
    const struct {
        const char* document;
        std::size_t at_least; // examples; fewer means the extraction broke
    } documents[] = {{"docs/functions.md", 24}, {"fmcalc/README.md", 1}};
    Scratch scratch;
    for (const auto& d : documents) {
        const auto examples =
            extract_examples(d.document, slurp(test_support::repositoryRoot() / d.document));
        EXPECT_GE(examples.size(), d.at_least) << d.document;
        for (const Example& example : examples) {
            SCOPED_TRACE(example.where());
            scratch.reset();
            const auto [out, status] = run_example(scratch.path(), example);
            EXPECT_NE(status, 2) << "fmcalc refused the example's options or input";
            for (const std::string& problem : check_example(example, parse_results(out)))
                ADD_FAILURE() << problem;
        }
    }
}

// The checker itself: a stale expectation must fail, a set-up step must not.
TEST(DocumentExamples, CheckerFindsMismatches) {
    const std::string markdown = "text\n"
                                 "```calc\n"
                                 "// fmcalc --dialog-answer \"a b.pdf\"\n"
                                 "QELT_OpenPDF ( \"x\" )\n"
                                 "QELT_GetNumPages\n"
                                 "// → 2\n"
                                 "QELT_GetLastError ( \"Number\" )\n"
                                 "// → (number) -2000\n"
                                 "Upper ( \"a¶b\" )\n"
                                 "// → A\n"
                                 "// → B\n"
                                 "Nope ( 1 )\n"
                                 "// → fmcalc: unknown function Nope\n"
                                 "```\n";
    const auto examples = extract_examples("doc.md", markdown);
    ASSERT_EQ(examples.size(), 1u);
    const Example& example = examples[0];
    EXPECT_EQ(example.first_line, 3u);
    EXPECT_EQ(example.options, (std::vector<std::string>{"--dialog-answer", "a b.pdf"}));
    EXPECT_EQ(example.expectations.size(), 5u);

    const std::vector<Result> right = {{2, "text", "!!ERROR!!", ""},
                                       {3, "text", "2", ""},
                                       {5, "number", "-2000", ""},
                                       {7, "text", "A\nB", ""},
                                       {10, "", "", "doc.calc:10:1: unknown function Nope"}};
    EXPECT_EQ(check_example(example, right), std::vector<std::string>{});

    const struct {
        const char* label;
        std::size_t index;
        Result result;
        const char* problem;
    } wrong[] = {
        {"value", 1, {3, "text", "3", ""}, "doc.md:6: expected (text) \"2\", got (text) \"3\""},
        {"type", 2, {5, "text", "-2000", ""}, "doc.md:8: expected (number) \"-2000\""},
        {"lines", 3, {7, "text", "A", ""}, "doc.md:10: expected (text) \"A\nB\""},
        {"error expected", 4, {10, "text", "0", ""}, "doc.md:13: expected the error"},
        {"error instead", 1, {3, "", "", "oops"}, "doc.md:6: the calculation could not be"},
    };
    for (const auto& w : wrong) {
        std::vector<Result> results = right;
        results[w.index] = w.result;
        const auto problems = check_example(example, results);
        ASSERT_EQ(problems.size(), 1u) << w.label;
        EXPECT_TRUE(problems[0].starts_with(w.problem)) << w.label << ": " << problems[0];
    }
}

} // namespace
} // namespace paginor::docs
