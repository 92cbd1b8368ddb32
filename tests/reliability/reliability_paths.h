// The shared test support the reliability tests use: inputs, scratch folders
// and the corpus.
#pragma once

#include "support/corpus.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"

#include <filesystem>

namespace reliability {

namespace fs = std::filesystem;
using namespace paginor::test_support;

} // namespace reliability
