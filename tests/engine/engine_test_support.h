// Shared helpers for the engine tests: sample and corpus locations, private
// temporary folders, BSTR conversion and creating engine objects.
#pragma once

#include "automation_contract/automation_interfaces.h"
#include "com/bstr_holder.h"
#include "com/com_ptr.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace engine_test {

namespace fs = std::filesystem;

fs::path examplePath(const std::string& name);
// The corpus folder (env PAGINOR_CORPUS, else beside the repository); empty
// when it is absent.
std::optional<fs::path> corpusFolder();
std::vector<fs::path> corpusFiles();

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

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
// exitCode receives its exit status.
std::string runProgram(const std::vector<std::string>& arguments, int* exitCode = nullptr);

} // namespace engine_test
