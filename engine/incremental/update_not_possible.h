// Thrown while an update section is being prepared for a document whose
// changes it cannot express (an encryption method it does not write, a
// stream it cannot copy): the save then writes the whole file instead.
#pragma once

#include <stdexcept>

namespace paginor::engine {

class UpdateNotPossible : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace paginor::engine
