// Deflating stream data with qpdf's own zlib pipeline.
#pragma once

#include <string>
#include <string_view>

namespace paginor::engine {

std::string deflate(std::string_view data);

} // namespace paginor::engine
