// Endurance: open -> fill -> save -> close, many times in one process,
// through the plug-in and the engine. Memory must stay flat: the resident
// size at the end within 10% of what it was after the first 100 cycles.
// PAGINOR_ENDURANCE_CYCLES sets the number of cycles (default 2000).
#include "plugin_host.h"
#include "process_memory.h"
#include "reliability_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace reliability;

int Cycles() {
    const char* configured = std::getenv("PAGINOR_ENDURANCE_CYCLES");
    const int cycles = configured ? std::atoi(configured) : 0;
    return cycles > 0 ? cycles : 2000;
}

TEST(Endurance, OpenFillSaveCloseKeepsMemoryFlat) {
    const int cycles = Cycles();
    constexpr int kWarmUp = 100;
    ASSERT_GT(cycles, kWarmUp) << "PAGINOR_ENDURANCE_CYCLES must be above " << kWarmUp;
    ScratchFolder scratch;
    const std::string form = (scratch / "form.pdf").string();
    fs::copy_file(examplePath("sample-form.pdf"), form);
    plugin_host::PluginHost host;
    ASSERT_TRUE(host.Loaded()) << host.LoadError();
    ASSERT_EQ(host.Init(), 53);

    std::size_t afterWarmUp = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        ASSERT_EQ(host.Call("QELT_OpenPDF", {form}).text, u"0") << "cycle " << cycle;
        const std::u16string value = u"Name " + plugin_host::Utf16(std::to_string(cycle));
        ASSERT_EQ(host.Call("QELT_SetPDFFieldValue", {"name", value}).text, u"0");
        ASSERT_EQ(host.Call("QELT_SetPDFFieldValue", {"subscribe", cycle % 2 ? "Yes" : "Off"}).text,
                  u"0");
        ASSERT_EQ(host.Call("QELT_SavePDF").text, u"0") << "cycle " << cycle;
        ASSERT_EQ(host.Call("QELT_ClosePDF").text, u"0");
        if (cycle == kWarmUp)
            afterWarmUp = ResidentBytes();
    }
    ASSERT_EQ(host.Call("QELT_OpenPDF", {form}).text, u"0");
    EXPECT_EQ(host.Call("QELT_GetPDFFieldValue", {"name"}).text,
              u"Name " + plugin_host::Utf16(std::to_string(cycles)));
    host.Call("QELT_ClosePDF");

    if (kAddressSanitizer)
        GTEST_SKIP() << "resident size is not a leak measure under AddressSanitizer";
    const std::size_t atEnd = ResidentBytes();
    EXPECT_LE(atEnd, afterWarmUp + afterWarmUp / 10)
        << "resident " << afterWarmUp << " bytes after " << kWarmUp << " cycles, " << atEnd
        << " after " << cycles;
}

} // namespace
