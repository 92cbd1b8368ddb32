#include "text_library.h"

#include <algorithm>
#include <dlfcn.h>

#include <filesystem>
#include <mutex>

namespace paginor::engine::text {
namespace {

constexpr const char* kLibraryName = "libpaginor_text.so";

// The folder of the module this code is linked into (the engine), where the
// build and the installation put libpaginor_text.so beside it.
std::string libraryBesideThisModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&libraryBesideThisModule), &info) == 0 ||
        info.dli_fname == nullptr)
        return {};
    return (std::filesystem::path(info.dli_fname).parent_path() / kLibraryName).string();
}

struct LoadOutcome {
    TextLibrary library;
    bool loaded = false;
    std::string error;
};

template <typename Function> bool resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

LoadOutcome loadLibrary() {
    LoadOutcome outcome;
    void* handle = nullptr;
    const std::string beside = libraryBesideThisModule();
    if (!beside.empty())
        handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        outcome.error = std::string("cannot load the text library ") + kLibraryName + ": " +
                        (reason != nullptr ? reason : "unknown reason");
        return outcome;
    }
    TextLibrary& lib = outcome.library;
    if (!resolve(handle, PAGINOR_TEXT_OPEN_SYMBOL, lib.open) ||
        !resolve(handle, PAGINOR_TEXT_PAGE_COUNT_SYMBOL, lib.pageCount) ||
        !resolve(handle, PAGINOR_TEXT_PAGE_WORDS_SYMBOL, lib.pageWords) ||
        !resolve(handle, PAGINOR_TEXT_CLOSE_SYMBOL, lib.close)) {
        outcome.error = std::string("the text library ") + kLibraryName + " lacks its entry points";
        dlclose(handle);
        return outcome;
    }
    outcome.loaded = true; // the handle stays open for the life of the process
    return outcome;
}

void collectWords(void* context, const PaginorTextWord* page, size_t count) {
    auto& words = *static_cast<std::vector<PageWord>*>(context);
    try {
        words.reserve(count);
        for (size_t i = 0; i < count; ++i)
            words.push_back({std::u16string(page[i].text, page[i].textLength),
                             std::u16string(page[i].separator, page[i].separatorLength)});
    } catch (...) {
        // Out of memory: the page comes back short rather than unwinding through C.
    }
}

} // namespace

const TextLibrary* TextLibrary::instance(std::string& error) {
    static std::once_flag once;
    static LoadOutcome outcome;
    std::call_once(once, [] { outcome = loadLibrary(); });
    if (!outcome.loaded) {
        error = outcome.error;
        return nullptr;
    }
    return &outcome.library;
}

std::shared_ptr<TextDocument> TextDocument::load(std::shared_ptr<const std::string> pdf,
                                                 std::string& error) {
    const std::string_view bytes = pdf ? std::string_view(*pdf) : std::string_view();
    return load(std::move(pdf), bytes, error);
}

std::shared_ptr<TextDocument> TextDocument::load(std::shared_ptr<const void> owner,
                                                 std::string_view pdf, std::string& error) {
    const TextLibrary* library = TextLibrary::instance(error);
    if (library == nullptr)
        return nullptr;
    if (!owner) {
        error = "no document bytes were given to the text reader";
        return nullptr;
    }
    char reason[256] = {};
    PaginorTextDocument* handle = library->open(reinterpret_cast<const unsigned char*>(pdf.data()),
                                                pdf.size(), reason, sizeof reason);
    if (handle == nullptr) {
        error = reason[0] != '\0' ? reason : "the text reader could not load the document";
        return nullptr;
    }
    return std::shared_ptr<TextDocument>(new TextDocument(library, std::move(owner), handle));
}

int TextDocument::pageCount() const {
    return library_->pageCount(handle_.get());
}

TextDocument::PageResult TextDocument::pageWords(int page, std::vector<PageWord>& words) const {
    words.clear();
    switch (library_->pageWords(handle_.get(), page, collectWords, &words)) {
    case 0:
        return PageResult::ok;
    case -1:
        return PageResult::outOfRange;
    default:
        return PageResult::failed;
    }
}

} // namespace paginor::engine::text
