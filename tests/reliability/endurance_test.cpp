// Endurance: open -> fill -> save -> close, many times in one process,
// through the plug-in and the engine. Memory must stay flat in both
// processes: the plug-in's heap and the engine's resident size at the end
// within 8 MiB of what they were after the first 100 cycles (a kilobyte kept
// per cycle breaks that). The measures hold under the sanitizers too.
// PAGINOR_ENDURANCE_CYCLES sets the number of cycles (default 2000).
#include "engine_process.h"
#include "plugin_host.h"
#include "process_memory.h"
#include "reliability_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

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
    const EngineMemoryMeasurable measurable;
    plugin_host::PluginHost host;
    ASSERT_TRUE(host.Loaded()) << host.LoadError();
    ASSERT_EQ(host.Init(), 53);

    std::size_t hostAfterWarmUp = 0;
    std::size_t engineAfterWarmUp = 0;
    std::vector<pid_t> engines;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        ASSERT_EQ(host.Call("QELT_OpenPDF", {form}).text, u"0") << "cycle " << cycle;
        const std::u16string value = u"Name " + plugin_host::Utf16(std::to_string(cycle));
        ASSERT_EQ(host.Call("QELT_SetPDFFieldValue", {"name", value}).text, u"0");
        ASSERT_EQ(host.Call("QELT_SetPDFFieldValue", {"subscribe", cycle % 2 ? "Yes" : "Off"}).text,
                  u"0");
        ASSERT_EQ(host.Call("QELT_SavePDF").text, u"0") << "cycle " << cycle;
        ASSERT_EQ(host.Call("QELT_ClosePDF").text, u"0");
        if (cycle == kWarmUp) {
            engines = ChildrenRunning("paginor_engine_server");
            ASSERT_EQ(engines.size(), 1u) << "one engine, out of process";
            hostAfterWarmUp = HeapInUseBytes();
            engineAfterWarmUp = ResidentBytesOf(engines[0]);
        }
    }
    ASSERT_EQ(ChildrenRunning("paginor_engine_server"), engines) << "the same engine throughout";
    const std::size_t hostAtEnd = HeapInUseBytes();
    const std::size_t engineAtEnd = ResidentBytesOf(engines[0]);
    ASSERT_EQ(host.Call("QELT_OpenPDF", {form}).text, u"0");
    EXPECT_EQ(host.Call("QELT_GetPDFFieldValue", {"name"}).text,
              u"Name " + plugin_host::Utf16(std::to_string(cycles)));
    host.Call("QELT_ClosePDF");

    constexpr std::size_t kAllowance = 8u << 20;
    EXPECT_LT(hostAtEnd, hostAfterWarmUp + kAllowance)
        << "plug-in heap " << hostAfterWarmUp << " bytes after " << kWarmUp << " cycles, "
        << hostAtEnd << " after " << cycles;
    EXPECT_LT(engineAtEnd, engineAfterWarmUp + kAllowance)
        << "engine resident " << engineAfterWarmUp << " bytes after " << kWarmUp << " cycles, "
        << engineAtEnd << " after " << cycles;
}

} // namespace
