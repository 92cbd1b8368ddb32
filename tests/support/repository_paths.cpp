#include "support/repository_paths.h"

namespace paginor::test_support {

std::filesystem::path repositoryRoot() {
    return std::filesystem::path(PAGINOR_SOURCE_DIR).lexically_normal();
}

std::filesystem::path examplesFolder() {
    return repositoryRoot() / "examples";
}

std::filesystem::path examplePath(const std::string& name) {
    return examplesFolder() / name;
}

std::filesystem::path binaryFolder() {
    return PAGINOR_BINARY_DIR;
}

std::filesystem::path fmcalcBinary() {
    return binaryFolder() / "fmcalc";
}

} // namespace paginor::test_support
