// The string table where a library has no resource section: registered with
// the string-resource stand-in while the library is loaded, so that
// LoadStringW finds it under the plug-in's instance handle. The Windows build
// compiles the same entries into its resources instead (string_table.rc).
#include "host/string_table.h"

#include "host/plugin_module.h"
#include "win/string_resources.h"

#include <iterator>

namespace {

#define PAGINOR_STRING(id, text) StringResource{id, OLESTR(text)},
constexpr StringResource kStrings[] = {
#include "host/string_table_entries.inc"
};
#undef PAGINOR_STRING

static_assert(kStrings[0].id == kOptionsStringId && kStrings[1].id == kNameStringId &&
              kStrings[2].id == kDescriptionStringId);

// Lives from library load to unload, like a resource section.
struct StringTableRegistration {
    StringTableRegistration() { RegisterPluginStringTable(); }
    ~StringTableRegistration() { UnregisterStringTable(PluginInstanceHandle()); }
};

const StringTableRegistration g_registration;

} // namespace

void RegisterPluginStringTable() {
    RegisterStringTable(PluginInstanceHandle(), kStrings, std::size(kStrings));
}
