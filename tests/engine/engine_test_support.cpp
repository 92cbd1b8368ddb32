#include "engine_test_support.h"

#include "engine/automation/class_ids.h"
#include "engine/automation/class_table.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace engine_test {

using paginor::BstrHolder;
using paginor::ComPtr;

fs::path examplePath(const std::string& name) {
    return fs::path(PAGINOR_SOURCE_DIR) / "examples" / name;
}

std::optional<fs::path> corpusFolder() {
    const char* configured = std::getenv("PAGINOR_CORPUS");
    fs::path folder = configured != nullptr && *configured != '\0'
                          ? fs::path(configured)
                          : fs::path(PAGINOR_DEFAULT_CORPUS);
    if (!fs::is_directory(folder)) {
        return std::nullopt;
    }
    return folder;
}

std::vector<fs::path> corpusFiles() {
    std::vector<fs::path> files;
    if (auto folder = corpusFolder()) {
        for (const auto& entry : fs::recursive_directory_iterator(*folder)) {
            if (entry.is_regular_file() && entry.path().extension() == ".pdf") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "paginor-engine-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch folder");
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

BstrHolder bstr(const std::string& text) {
    return BstrHolder(paginor::Utf8ToUtf16(text));
}

std::string utf8(BSTR text) {
    return text == nullptr ? std::string()
                           : paginor::Utf16ToUtf8(std::u16string_view(text, SysStringLen(text)));
}

namespace {

template <typename Interface> ComPtr<Interface> create(const CLSID& clsid, const IID& iid) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(paginor::engine::getEngineClassObject(clsid, IID_IClassFactory, factory.put_void()),
              S_OK);
    ComPtr<Interface> object;
    if (factory) {
        EXPECT_EQ(factory->CreateInstance(nullptr, iid, object.put_void()), S_OK);
    }
    return object;
}

} // namespace

ComPtr<IPDDocument> newDocument() {
    return create<IPDDocument>(paginor::engine::CLSID_EnginePDDocument, IID_IPDDocument);
}

ComPtr<IAutomationApp> newApplication() {
    return create<IAutomationApp>(paginor::engine::CLSID_EngineApplication, IID_IAutomationApp);
}

bool openInto(IPDDocument* document, const fs::path& path) {
    VARIANT_BOOL opened = VARIANT_FALSE;
    EXPECT_EQ(document->Open(bstr(path.string()).get(), &opened), S_OK);
    return opened != VARIANT_FALSE;
}

ComPtr<IPDDocument> openDocument(const fs::path& path) {
    auto document = newDocument();
    EXPECT_TRUE(openInto(document.get(), path)) << path;
    return document;
}

long pageCount(IPDDocument* document) {
    LONG count = -1;
    EXPECT_EQ(document->GetNumPages(&count), S_OK) << lastErrorDescription();
    return count;
}

bool save(IPDDocument* document, short flags, const fs::path& path) {
    VARIANT_BOOL saved = VARIANT_FALSE;
    const HRESULT status = document->Save(flags, bstr(path.string()).get(), &saved);
    return status == S_OK && saved != VARIANT_FALSE;
}

std::string info(IPDDocument* document, const std::string& key) {
    BstrHolder value;
    EXPECT_EQ(document->GetInfo(bstr(key).get(), value.put()), S_OK);
    return utf8(value.get());
}

std::string lastErrorDescription() {
    ComPtr<IErrorInfo> error;
    if (GetErrorInfo(0, error.put()) != S_OK || !error) {
        return {};
    }
    BstrHolder description;
    error->GetDescription(description.put());
    return utf8(description.get());
}

std::string runProgram(const std::vector<std::string>& arguments, int* exitCode) {
    std::array<int, 2> pipeEnds{};
    if (::pipe(pipeEnds.data()) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 01, 0);
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    std::string output;
    if (spawned == 0) {
        char chunk[65536];
        ssize_t got = 0;
        while ((got = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0) {
            output.append(chunk, static_cast<std::size_t>(got));
        }
    }
    ::close(pipeEnds[0]);
    int status = 0;
    if (spawned == 0) {
        ::waitpid(child, &status, 0);
    }
    if (exitCode != nullptr) {
        *exitCode = spawned == 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return output;
}

} // namespace engine_test
