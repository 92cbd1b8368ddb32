#include "com/bstr_holder.h"
#include "com/com.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

std::uint32_t PrefixOf(BSTR text) {
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(text) - 4, 4);
    return prefix;
}

TEST(Bstr, LayoutIsBytePrefixCharactersAndTerminator) {
    BSTR text = SysAllocString(u"h\u00E9llo");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(PrefixOf(text), 10u);
    EXPECT_EQ(SysStringLen(text), 5u);
    EXPECT_EQ(text[5], u'\0');
    SysFreeString(text);
}

TEST(Bstr, KeepsEmbeddedNulsWithExplicitLength) {
    const char16_t source[] = {u'a', u'\0', u'b', u'\0'};
    BSTR text = SysAllocStringLen(source, 4);
    EXPECT_EQ(SysStringLen(text), 4u);
    EXPECT_EQ(PrefixOf(text), 8u);
    EXPECT_EQ(std::memcmp(text, source, sizeof source), 0);
    EXPECT_EQ(text[4], u'\0');
    SysFreeString(text);
}

TEST(Bstr, NullAndEmptyCases) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);

    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);

    BSTR zeros = SysAllocStringLen(nullptr, 3); // room for a caller to fill
    EXPECT_EQ(SysStringLen(zeros), 3u);
    EXPECT_EQ(zeros[3], u'\0');
    SysFreeString(zeros);
}

TEST(Bstr, HolderOwnsAndHandsOver) {
    paginor::BstrHolder holder(u"value");
    EXPECT_EQ(holder.view(), u"value");
    BSTR taken = holder.detach();
    EXPECT_FALSE(holder.valid());
    auto adopted = paginor::BstrHolder::Adopt(taken);
    EXPECT_EQ(adopted.str(), u"value");
}

// Counts references so a test can see VariantClear release what it owns.
class CountedObject : public IDispatch {
public:
    int references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
    virtual ~CountedObject() = default;
};

TEST(Variant, ClearReleasesOwnedValuesAndEmpties) {
    for (VARTYPE type : {VT_DISPATCH, VT_UNKNOWN}) {
        CountedObject object;
        VARIANT value;
        VariantInit(&value);
        value.vt = type;
        value.pdispVal = &object;
        EXPECT_EQ(VariantClear(&value), S_OK);
        EXPECT_EQ(object.references, 0) << type;
        EXPECT_EQ(value.vt, VT_EMPTY);
    }

    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"freed by clear"); // leak checkers see a miss
    EXPECT_EQ(VariantClear(&text), S_OK);
    EXPECT_EQ(text.vt, VT_EMPTY);

    VARIANT nullObject;
    VariantInit(&nullObject);
    nullObject.vt = VT_DISPATCH;
    nullObject.pdispVal = nullptr;
    EXPECT_EQ(VariantClear(&nullObject), S_OK);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

} // namespace
