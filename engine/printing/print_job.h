// Printing a document's current state through the system's print queue.
//
// The job goes to the CUPS destination named by the environment variable
// PAGINOR_PRINTER, or to the default destination when it is unset or empty.
// `lp` is looked up on PATH when a job is sent and started directly (no
// shell). The document is written, without encryption, to a private
// temporary file that is removed once `lp` has handed it to the scheduler.
#pragma once

#include "win/win_types.h"

#include <string>
#include <vector>

class EngineDocument;

namespace paginor::engine {

constexpr LONG kPageSetAll = -3;
constexpr LONG kPageSetEven = -4;
constexpr LONG kPageSetOdd = -5;

struct PrintOptions {
    LONG firstPage = 0; // 0-based, inclusive
    LONG lastPage = 0;
    bool shrinkToFit = false;
    bool reverse = false;
    LONG pageSet = kPageSetAll;
    std::string title;
};

// True when the queue accepted the job; false for a page range outside the
// document, an unknown page set, no `lp`, or a queue that refused the job.
bool printDocument(EngineDocument& document, const PrintOptions& options);

// The `lp` argument vector for a checked request (exposed for tests).
// Options: -P first-last (1-based), fit-to-page, outputorder=reverse,
// page-set=even|odd, the title, and -d when `destination` is not empty.
std::vector<std::string> printCommandArguments(const PrintOptions& options, const std::string& file,
                                               const std::string& destination);

} // namespace paginor::engine
