// The engine on arbitrary bytes: the input is written to a file and put
// through the whole workout (open, fields, page text, self-insertion, save).
// Files go to /dev/shm when it exists, so the save costs no disk. The engine
// is loaded in-process (com_registry_inproc.txt beside the binaries), so the
// sanitizers and the fuzzer see inside it.
#include "engine_workout.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Scratch {
    Scratch() {
        const fs::path binaries = fs::read_symlink("/proc/self/exe").parent_path();
        ::setenv("PAGINOR_COM_REGISTRY", (binaries / "com_registry_inproc.txt").c_str(), 0);
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        folder = base / ("paginor_engine_fuzz_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        input = (folder / "input.pdf").string();
        output = (folder / "saved.pdf").string();
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder;
    std::string input;
    std::string output;
};

Scratch& TheScratch() {
    static Scratch scratch;
    return scratch;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Scratch& scratch = TheScratch();
    {
        std::ofstream out(scratch.input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    paginor::reliability::RunEngineWorkout(scratch.input, scratch.output);
    std::error_code ignored;
    fs::remove(scratch.output, ignored);
    return 0;
}
