// Small documents whose page tree yields no page a reader can use, each
// broken the way real files are: no /Pages, a /Pages that is missing or not
// a dictionary, no kids at all, kids that are not dictionaries, and a page
// tree inside an object stream that names itself as its container.
#pragma once

#include <string>
#include <vector>

namespace paginor::test_support {

struct BrokenPageTree {
    std::string name; // usable in a file or test name
    std::string bytes;
};

std::vector<BrokenPageTree> brokenPageTrees();

} // namespace paginor::test_support
