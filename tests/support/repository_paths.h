// Where the tests find the repository, its bundled samples and the binaries
// of the build they belong to.
#pragma once

#include <filesystem>
#include <string>

namespace paginor::test_support {

// The repository the tests were built from.
std::filesystem::path repositoryRoot();
std::filesystem::path examplesFolder();
// A bundled sample: examplesFolder() / name.
std::filesystem::path examplePath(const std::string& name);

// The folder of the build's binaries (programs, libraries, the COM registry).
std::filesystem::path binaryFolder();
// The host program built beside the plug-in.
std::filesystem::path fmcalcBinary();

} // namespace paginor::test_support
