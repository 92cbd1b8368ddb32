#include "com/com.h"
#include "com/com_ptr.h"
#include "com/com_registry.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

constexpr CLSID kKnownClass = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
constexpr CLSID kMissingModuleClass = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x56}};
constexpr CLSID kNoFactoryClass = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x57}};
constexpr CLSID kUnregisteredClass = {
    0x99999999, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

class ClassRegistryTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = scratch_.path();
        std::ofstream(folder_ / "registry.txt")
            << "# test registry\n"
            << "progid Sample.Known {11111111-2222-3333-4444-555555555555}\n"
            << "progid Sample.MissingModule {11111111-2222-3333-4444-555555555556}\n"
            << "progid Sample.Broken not-a-guid\n"
            << "server {11111111-2222-3333-4444-555555555556} no_such_module.so\n"
            << "server {11111111-2222-3333-4444-555555555557} " << PAGINOR_MODULE_WITHOUT_FACTORY
            << "\n";
        override_.emplace((folder_ / "registry.txt").string());
    }
    void TearDown() override { override_.reset(); }

    paginor::test_support::ScratchFolder scratch_{"com-registry-test"};
    fs::path folder_;
    std::optional<paginor::ComRegistryOverride> override_;
};

struct LookupCase {
    const char16_t* text;
    HRESULT fromString;
    HRESULT fromProgId;
    CLSID expected;
};

TEST_F(ClassRegistryTest, ClassLookUpFromProgIdOrGuidText) {
    const LookupCase cases[] = {
        {u"Sample.Known", S_OK, S_OK, kKnownClass},
        {u"SAMPLE.known", S_OK, S_OK, kKnownClass}, // ProgIDs ignore case
        {u"Sample.Unknown", CO_E_CLASSSTRING, CO_E_CLASSSTRING, GUID_NULL},
        {u"Sample.Broken", CO_E_CLASSSTRING, CO_E_CLASSSTRING, GUID_NULL},
        {u"", CO_E_CLASSSTRING, CO_E_CLASSSTRING, GUID_NULL},
        {u"{99999999-2222-3333-4444-555555555555}", S_OK, CO_E_CLASSSTRING, kUnregisteredClass},
        {u"{99999999-2222-3333-4444-55555555555}", CO_E_CLASSSTRING, CO_E_CLASSSTRING, GUID_NULL},
    };
    for (const auto& c : cases) {
        CLSID clsid = kKnownClass;
        EXPECT_EQ(CLSIDFromString(c.text, &clsid), c.fromString);
        EXPECT_EQ(clsid, c.fromString == S_OK ? c.expected : GUID_NULL);
        clsid = kKnownClass;
        EXPECT_EQ(CLSIDFromProgID(c.text, &clsid), c.fromProgId);
        EXPECT_EQ(clsid, c.fromProgId == S_OK ? c.expected : GUID_NULL);
    }
}

struct CreationCase {
    const char* name;
    CLSID clsid;
    DWORD context;
    HRESULT expected;
};

TEST_F(ClassRegistryTest, CreationFailuresGiveThePlatformCodes) {
    const CreationCase cases[] = {
        {"class without a server line", kKnownClass, CLSCTX_ALL, REGDB_E_CLASSNOTREG},
        {"class not registered at all", kUnregisteredClass, CLSCTX_ALL, REGDB_E_CLASSNOTREG},
        {"module that does not load", kMissingModuleClass, CLSCTX_ALL, CO_E_DLLNOTFOUND},
        {"module without DllGetClassObject", kNoFactoryClass, CLSCTX_ALL, CO_E_ERRORINDLL},
        {"no server context it can serve", kNoFactoryClass, CLSCTX_INPROC_HANDLER,
         REGDB_E_CLASSNOTREG},
    };
    for (const auto& c : cases) {
        void* object = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(CoCreateInstance(c.clsid, nullptr, c.context, IID_IUnknown, &object), c.expected)
            << c.name;
        EXPECT_EQ(object, nullptr) << c.name;
    }
    EXPECT_EQ(CoCreateInstance(kKnownClass, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ClassRegistryTest, OverridesNestAndMissingFileIsAnEmptyRegistry) {
    const std::string outer = paginor::ActiveComRegistryPath();
    {
        paginor::ComRegistryOverride inner((folder_ / "absent.txt").string());
        EXPECT_EQ(paginor::ActiveComRegistryPath(), (folder_ / "absent.txt").string());
        CLSID clsid;
        EXPECT_EQ(CLSIDFromProgID(u"Sample.Known", &clsid), CO_E_CLASSSTRING);
    }
    EXPECT_EQ(paginor::ActiveComRegistryPath(), outer);
}

// The parsed registry is reused only while the file's text stays the same:
// a rewrite of the same length, a removal and a return are all seen.
TEST_F(ClassRegistryTest, EveryLookUpSeesTheFileAsItIsNow) {
    const fs::path registry = folder_ / "registry.txt";
    const auto rewrite = [&](const char* text) {
        if (text)
            std::ofstream(registry) << text;
        else
            fs::remove(registry);
    };
    const struct {
        const char* text;
        HRESULT status;
        CLSID expected;
    } steps[] = {
        {"progid Sample.Known {11111111-2222-3333-4444-555555555555}\n", S_OK, kKnownClass},
        {"progid Sample.Known {11111111-2222-3333-4444-555555555556}\n", S_OK, kMissingModuleClass},
        {nullptr, CO_E_CLASSSTRING, GUID_NULL},
        {"progid Sample.Known {11111111-2222-3333-4444-555555555555}\n", S_OK, kKnownClass},
        {"progid Sample.Other {11111111-2222-3333-4444-555555555555}\n", CO_E_CLASSSTRING,
         GUID_NULL},
    };
    for (const auto& step : steps) {
        rewrite(step.text);
        CLSID clsid = kNoFactoryClass;
        EXPECT_EQ(CLSIDFromProgID(u"Sample.Known", &clsid), step.status)
            << (step.text ? step.text : "no file");
        EXPECT_EQ(clsid, step.expected);
    }
}

TEST(ClassRegistryDefault, SitsBesideTheRuntimeUnlessTheEnvironmentSaysOtherwise) {
    ::unsetenv("PAGINOR_COM_REGISTRY");
    const fs::path expected =
        fs::path(PAGINOR_MODULE_WITHOUT_FACTORY).parent_path() / "com_registry.txt";
    EXPECT_EQ(fs::path(paginor::ActiveComRegistryPath()), expected);
    ::setenv("PAGINOR_COM_REGISTRY", "/elsewhere/registry.txt", 1);
    EXPECT_EQ(paginor::ActiveComRegistryPath(), "/elsewhere/registry.txt");
    ::unsetenv("PAGINOR_COM_REGISTRY");
}

} // namespace
