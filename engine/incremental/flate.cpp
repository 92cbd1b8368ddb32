#include "engine/incremental/flate.h"

#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>

namespace paginor::engine {

std::string deflate(std::string_view data) {
    std::string out;
    Pl_String sink("deflated", nullptr, out);
    Pl_Flate flate("deflate", &sink, Pl_Flate::a_deflate);
    flate.write(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    flate.finish();
    return out;
}

} // namespace paginor::engine
