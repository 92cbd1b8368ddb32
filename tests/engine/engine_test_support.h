// Helpers of the engine tests: BSTR conversion, creating engine objects and
// reading their answers, on top of the shared test support (sample and
// corpus locations, scratch folders, the process runner).
#pragma once

#include "automation_contract/automation_interfaces.h"
#include "com/bstr_holder.h"
#include "com/com_ptr.h"
#include "support/corpus.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace engine_test {

namespace fs = std::filesystem;

using paginor::test_support::allCorpusFiles;
using paginor::test_support::corpusFolder;
using paginor::test_support::examplePath;
using paginor::test_support::ScratchFolder;

paginor::BstrHolder bstr(const std::string& utf8);
std::string utf8(BSTR text);

paginor::ComPtr<IPDDocument> newDocument();
paginor::ComPtr<IAutomationApp> newApplication();
// A PD document with `path` opened; fails the test when it does not open.
paginor::ComPtr<IPDDocument> openDocument(const fs::path& path);

bool openInto(IPDDocument* document, const fs::path& path);
long pageCount(IPDDocument* document);
bool save(IPDDocument* document, short flags, const fs::path& path);
std::string info(IPDDocument* document, const std::string& key);

// The description of the calling thread's error information ("" if none).
std::string lastErrorDescription();

// Runs a program (argument vector, no shell) and answers its standard output;
// exitCode receives its exit status (-1 when it did not exit).
std::string runProgram(const std::vector<std::string>& arguments, int* exitCode = nullptr);

} // namespace engine_test
