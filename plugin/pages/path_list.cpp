#include "pages/path_list.h"

std::vector<std::u16string> SplitPathList(std::u16string_view list) {
    std::vector<std::u16string> paths;
    std::size_t position = 0;
    while (position < list.size()) {
        const std::size_t start = list.find_first_not_of(u'\r', position);
        if (start == std::u16string_view::npos) {
            break;
        }
        const std::size_t end = std::min(list.find(u'\r', start), list.size());
        paths.emplace_back(list.substr(start, end - start));
        position = end;
    }
    if (paths.empty()) {
        paths.emplace_back(list);
    }
    return paths;
}
