#include "pages/path_list.h"

std::vector<WideString> SplitPathList(WideStringView list) {
    std::vector<WideString> paths;
    std::size_t position = 0;
    while (position < list.size()) {
        const std::size_t start = list.find_first_not_of(OLESTR('\r'), position);
        if (start == WideStringView::npos) {
            break;
        }
        const std::size_t end = std::min(list.find(OLESTR('\r'), start), list.size());
        paths.emplace_back(list.substr(start, end - start));
        position = end;
    }
    if (paths.empty()) {
        paths.emplace_back(list);
    }
    return paths;
}
