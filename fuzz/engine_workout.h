// One pass over everything the engine does with a document a user hands it:
// open, list and read every form field, write the first writable one, read
// page 1's text, insert page 1 into itself and save a copy. The fuzzer runs
// it on arbitrary bytes and the malformed-input tests on broken files; any
// step may fail, none may crash or hang.
#pragma once

#include <string>

namespace paginor::reliability {

struct WorkoutReport {
    bool opened = false;
    long pages = 0;
    long fields = 0;
    bool wroteField = false;
    long textItems = 0;
    bool inserted = false;
    bool saved = false;
    std::string saveFailure; // the error description when the save failed
};

// Works on the PDF at `pdfPath` through the engine's automation objects,
// created through the COM runtime's current registry. The copy goes to
// `savePath`.
WorkoutReport RunEngineWorkout(const std::string& pdfPath, const std::string& savePath);

} // namespace paginor::reliability
