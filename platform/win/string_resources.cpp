#include "win/string_resources.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace {

struct Table {
    const StringResource* entries;
    std::size_t count;
};

std::map<HINSTANCE, Table>& Tables() {
    static std::map<HINSTANCE, Table> tables;
    return tables;
}

} // namespace

void RegisterStringTable(HINSTANCE instance, const StringResource* table, std::size_t count) {
    Tables()[instance] = Table{table, count};
}

void UnregisterStringTable(HINSTANCE instance) noexcept {
    Tables().erase(instance);
}

extern "C" int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
    if (buffer == nullptr || bufferMax <= 0) {
        return 0;
    }
    const auto table = Tables().find(instance);
    if (table == Tables().end()) {
        return 0;
    }
    const StringResource* end = table->second.entries + table->second.count;
    const StringResource* found = std::find_if(
        table->second.entries, end, [id](const StringResource& entry) { return entry.id == id; });
    if (found == end || found->text == nullptr) {
        return 0;
    }
    const std::u16string_view text(found->text);
    const std::size_t copied =
        std::min<std::size_t>(text.size(), static_cast<std::size_t>(bufferMax) - 1);
    std::copy_n(text.data(), copied, buffer);
    buffer[copied] = 0;
    return static_cast<int>(copied);
}
