// The shared test support the end-to-end tests use: scratch folders, the
// corpus, repository paths, the process and fmcalc runners and JSON.
#pragma once

#include "support/corpus.h"
#include "support/fmcalc_runner.h"
#include "support/json_value.h"
#include "support/process_runner.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"
#include "support/unprivileged_user.h"

namespace paginor::e2e {

using namespace paginor::test_support;

} // namespace paginor::e2e
