// Every argument kind the runtime carries, checked the same way against the
// widget served in-process and from a local server: whatever the objects
// answer in-process, a proxy must answer too.
#include "remote_test_support.h"

#include "com/error_info.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace remote_test;

class Marshalling : public testing::TestWithParam<Serving> {
protected:
    Marshalling() : registry_(RegistryFor(GetParam())) {}

    paginor::ComRegistryOverride registry_;
};

TEST_P(Marshalling, NumbersTravelBothWays) {
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);
    const std::pair<LONG, SHORT> cases[] = {
        {0, 0}, {-1, -1}, {2147483647, 32767}, {-2147483647 - 1, -32768}, {123456, -2}};
    for (const auto& [number, small] : cases) {
        ASSERT_EQ(widget->SetNumbers(number, small), S_OK);
        LONG readNumber = 7;
        SHORT readSmall = 7;
        ASSERT_EQ(widget->GetNumbers(&readNumber, &readSmall), S_OK);
        EXPECT_EQ(readNumber, number);
        EXPECT_EQ(readSmall, small);
    }
    // A missing out-location reaches the object, which refuses it.
    SHORT small = 0;
    EXPECT_EQ(widget->GetNumbers(nullptr, &small), E_POINTER);
}

TEST_P(Marshalling, TextsKeepEveryCodeUnitAndTheDifferenceBetweenNullAndEmpty) {
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);
    const std::optional<std::u16string> cases[] = {
        std::nullopt,
        u"",
        u"plain",
        std::u16string(u"nul\0inside", 10),
        u"\U0001F600 outside the basic plane, \u00e9, \u4e2d\u6587",
        std::u16string(1, u'\xD800'), // a lone surrogate is a code unit like any other
        std::u16string(300000, u'x'), // bigger than one read of the channel
    };
    for (const auto& text : cases) {
        BstrHolder in;
        if (text) {
            in = BstrHolder(*text);
        }
        ASSERT_EQ(widget->SetText(in.get()), S_OK);
        BstrHolder out;
        ASSERT_EQ(widget->GetText(out.put()), S_OK);
        EXPECT_EQ(out.valid(), text.has_value());
        if (text) {
            EXPECT_EQ(out.str(), *text);
        }
    }
}

TEST_P(Marshalling, ObjectsComeBackWithTheirIdentity) {
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);

    ComPtr<IDispatch> self;
    ASSERT_EQ(widget->GetSelf(self.put()), S_OK);
    ComPtr<IUnknown> selfIdentity;
    ComPtr<IUnknown> widgetIdentity;
    ASSERT_EQ(self->QueryInterface(IID_IUnknown, selfIdentity.put_void()), S_OK);
    ASSERT_EQ(widget->QueryInterface(IID_IUnknown, widgetIdentity.put_void()), S_OK);
    EXPECT_EQ(selfIdentity.get(), widgetIdentity.get());

    ComPtr<IDispatch> nothing;
    EXPECT_EQ(widget->GetNothing(nothing.put()), S_OK);
    EXPECT_FALSE(nothing);

    BstrHolder childName(u"child one");
    ComPtr<IDispatch> childObject;
    ASSERT_EQ(widget->MakeChild(childName.get(), childObject.put()), S_OK);
    ComPtr<ITestWidget> child;
    ASSERT_EQ(childObject.As(IID_ITestWidget, child), S_OK);
    BstrHolder name;
    ASSERT_EQ(child->GetName(name.put()), S_OK);
    EXPECT_EQ(name.str(), u"child one");
    ComPtr<IUnknown> none;
    EXPECT_EQ(child->QueryInterface(IID_IClassFactory, none.put_void()), E_NOINTERFACE);
}

TEST_P(Marshalling, AnObjectPassedBackInArrivesAsTheServersOwn) {
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);
    BstrHolder childName(u"passed back");
    ComPtr<IDispatch> child;
    ASSERT_EQ(widget->MakeChild(childName.get(), child.put()), S_OK);

    BstrHolder name;
    ASSERT_EQ(widget->NameOf(child.get(), name.put()), S_OK);
    EXPECT_EQ(name.str(), u"passed back");

    BstrHolder none;
    EXPECT_EQ(widget->NameOf(nullptr, none.put()), S_FALSE);
    EXPECT_FALSE(none.valid());
}

TEST_P(Marshalling, ErrorInformationCrossesWithTheStatus) {
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);
    struct Case {
        HRESULT status;
        std::optional<std::u16string> description;
    };
    const Case cases[] = {
        {E_FAIL, u"the widget is tired"},
        {static_cast<HRESULT>(0x80041234u), u"\u00e9t\u00e9 \U0001F600"},
        {E_ACCESSDENIED, std::nullopt},
    };
    for (const Case& c : cases) {
        // Stale information from an earlier failure must not stick.
        paginor::ReportComError(IID_ITestWidget, u"stale", E_FAIL);
        BstrHolder description;
        if (c.description) {
            description = BstrHolder(*c.description);
        }
        EXPECT_EQ(widget->Fail(c.status, description.get()), c.status);
        ComPtr<ISupportErrorInfo> support;
        ASSERT_EQ(widget.As(IID_ISupportErrorInfo, support), S_OK);
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ITestWidget), S_OK);
        EXPECT_EQ(ErrorDescription(), c.description ? Utf8(*c.description) : "");
    }
}

TEST_P(Marshalling, EnumerationGivesEveryElementInOrderAtAnyBatchBoundary) {
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);
    for (const LONG count : {0, 1, 255, 256, 257, 1000}) {
        ComPtr<IUnknown> listObject;
        ASSERT_EQ(widget->Items(count, listObject.put()), S_OK);
        ComPtr<IEnumVARIANT> list;
        ASSERT_EQ(listObject.As(IID_IEnumVARIANT, list), S_OK);
        LONG seen = 0;
        VARIANT element;
        VariantInit(&element);
        ULONG fetched = 0;
        while (list->Next(1, &element, &fetched) == S_OK) {
            ASSERT_EQ(fetched, 1u);
            const std::u16string name = u"item " + paginor::Utf8ToUtf16(std::to_string(seen));
            switch (seen % 3) {
            case 0:
                EXPECT_EQ(element.vt, VT_I4);
                EXPECT_EQ(element.lVal, seen);
                break;
            case 1:
                ASSERT_EQ(element.vt, VT_BSTR);
                EXPECT_EQ(std::u16string(element.bstrVal), name);
                break;
            default: {
                ASSERT_EQ(element.vt, VT_DISPATCH);
                ComPtr<ITestWidget> item;
                ASSERT_EQ(element.pdispVal->QueryInterface(IID_ITestWidget, item.put_void()), S_OK);
                BstrHolder itemName;
                ASSERT_EQ(item->GetName(itemName.put()), S_OK);
                EXPECT_EQ(itemName.str(), name);
            }
            }
            VariantClear(&element);
            ++seen;
        }
        EXPECT_EQ(fetched, 0u);
        EXPECT_EQ(seen, count) << count << " elements";
    }
}

TEST_P(Marshalling, SkipResetAndCloneKeepThePositionTheCallerSees) {
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);
    ComPtr<IUnknown> listObject;
    ASSERT_EQ(widget->Items(600, listObject.put()), S_OK);
    ComPtr<IEnumVARIANT> list;
    ASSERT_EQ(listObject.As(IID_IEnumVARIANT, list), S_OK);

    auto nextNumber = [](IEnumVARIANT* from) {
        VARIANT element;
        VariantInit(&element);
        ULONG fetched = 0;
        LONG number = -1;
        // Skip to the next VT_I4 (every third element holds its own index).
        while (from->Next(1, &element, &fetched) == S_OK) {
            const bool isNumber = element.vt == VT_I4;
            number = element.lVal;
            VariantClear(&element);
            if (isNumber) {
                return number;
            }
        }
        return LONG{-1};
    };

    EXPECT_EQ(nextNumber(list.get()), 0);
    EXPECT_EQ(list->Skip(2), S_OK); // past 1 and 2
    EXPECT_EQ(nextNumber(list.get()), 3);
    ComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(list->Clone(clone.put()), S_OK);
    EXPECT_EQ(nextNumber(clone.get()), 6);
    EXPECT_EQ(nextNumber(list.get()), 6);
    EXPECT_EQ(list->Skip(590), S_OK); // 7 .. 596
    EXPECT_EQ(nextNumber(list.get()), 597);
    EXPECT_EQ(list->Skip(10), S_FALSE);
    EXPECT_EQ(list->Reset(), S_OK);
    EXPECT_EQ(nextNumber(list.get()), 0);
    EXPECT_EQ(nextNumber(clone.get()), 9);
}

INSTANTIATE_TEST_SUITE_P(BothWays, Marshalling,
                         testing::Values(Serving::InProcess, Serving::LocalServer),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

} // namespace
