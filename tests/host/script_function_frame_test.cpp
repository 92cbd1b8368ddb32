#include "host/script_function_frame.h"

#include "errors/last_error_record.h"
#include "fmx/fmx_host.h"
#include "host/plugin_module.h"
#include "win/module_state.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

class Frame : public testing::Test {
protected:
    void SetUp() override {
        CreateLastErrorRecord();
        SetError(-2000, 0, u"left over");
    }
    void TearDown() override {
        FMXHost_ClearInjectedError();
        DestroyLastErrorRecord();
    }

    void Push(const char* text) { FMXHost_DataVect_PushTextUtf8(params.get(), text); }
    std::u16string ResultText() const {
        std::u16string text(FMXHost_Data_GetText(result.get(), nullptr, 0), u'\0');
        FMXHost_Data_GetText(result.get(), text.data(), text.size());
        return text;
    }

    std::unique_ptr<FMX_DataVect, void (*)(FMX_DataVect*)> params{FMXHost_DataVect_New(),
                                                                  FMXHost_DataVect_Delete};
    std::unique_ptr<FMX_Data, void (*)(FMX_Data*)> result{FMXHost_Data_New(), FMXHost_Data_Delete};
};

TEST_F(Frame, SuccessClearsTheRecordAndRunsInsideTheModuleState) {
    Push("a");
    bool inModuleState = false;
    const auto code =
        RunScriptFunction(params.get(), result.get(), {1, 1}, [&](const ParamReader& p) {
            inModuleState = CurrentModuleState() == &PluginModuleState();
            return ScriptResult(*p.Wide(0) + u"!");
        });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(inModuleState);
    EXPECT_EQ(CurrentModuleState(), nullptr); // restored afterwards
    EXPECT_EQ(ResultText(), u"a!");
    EXPECT_EQ(LastErrorText(), u"Success");
}

struct CountCase {
    int given;
    AcceptedParamCount accepted;
    bool refused;
};

class FrameCount : public Frame, public testing::WithParamInterface<CountCase> {};

TEST_P(FrameCount, RefusesCountsOutsideTheAcceptedRange) {
    for (int i = 0; i < GetParam().given; ++i) {
        Push("p");
    }
    bool ran = false;
    RunScriptFunction(params.get(), result.get(), GetParam().accepted, [&](const ParamReader&) {
        ran = true;
        return ScriptResult(u"0");
    });
    EXPECT_EQ(ran, !GetParam().refused);
    EXPECT_EQ(ResultText(), GetParam().refused ? u"!!ERROR!!" : u"0");
    EXPECT_EQ(LastErrorCode(), GetParam().refused ? -3 : 0);
    if (GetParam().refused) {
        EXPECT_EQ(LastErrorText(), u"Invalid Number of Parameters");
    }
}

INSTANTIATE_TEST_SUITE_P(Ranges, FrameCount,
                         testing::Values(CountCase{0, {1, 1}, true}, CountCase{1, {1, 1}, false},
                                         CountCase{2, {1, 1}, true}, CountCase{1, {0, 0}, true},
                                         CountCase{1, {0, 1}, false}, CountCase{5, {5, 5}, false},
                                         CountCase{4, {5, 5}, true},
                                         CountCase{3, kAnyParamCount, false}));

TEST_F(Frame, MissingValueIsRefusedWithMinusFour) {
    Push("");
    RunScriptFunction(params.get(), result.get(), {1, 1}, [](const ParamReader& p) {
        return p.Wide(0) ? ScriptResult(u"0") : RefuseParameterValues();
    });
    EXPECT_EQ(ResultText(), u"!!ERROR!!");
    EXPECT_EQ(LastErrorCode(), -4);
    EXPECT_EQ(LastErrorText(), u"Invalid Parameter value(s)");
}

TEST_F(Frame, KeepingTheRecordLeavesItAsItWas) {
    RunScriptFunction(
        params.get(), result.get(), kAnyParamCount,
        [](const ParamReader&) { return ScriptResult(LastErrorText()); }, LastErrorHandling::Keep);
    EXPECT_EQ(ResultText(), u"No PDF Document openedleft over");
}

TEST_F(Frame, NumberAndDateBodiesProduceTypedResults) {
    RunScriptFunction(params.get(), result.get(), kAnyParamCount,
                      [](const ParamReader&) { return ScriptResult::Number(-3); });
    EXPECT_EQ(FMXHost_Data_GetType(result.get()), FMX_DATA_TYPE_NUMBER);
    EXPECT_EQ(FMXHost_Data_GetNumber(result.get()), -3.0);
    RunScriptFunction(params.get(), result.get(), kAnyParamCount, [](const ParamReader&) {
        return ScriptResult::Date(2020, 3, 15, 10, 15, 20);
    });
    EXPECT_EQ(FMXHost_Data_GetType(result.get()), FMX_DATA_TYPE_DATE);
    EXPECT_EQ(ResultText(), u"2020-03-15 10:15:20");
}

struct EscapeCase {
    const char* name;
    const char* injectedCall; // nullptr: the body throws instead
    std::int32_t code;
    const char16_t* message; // the MSG field of the detail
};

class FrameContainment : public Frame, public testing::WithParamInterface<EscapeCase> {};

TEST_P(FrameContainment, RecordsMinus998AndStillReturnsZero) {
    const EscapeCase& c = GetParam();
    if (c.injectedCall != nullptr) {
        FMXHost_InjectError(c.injectedCall, c.code, 0);
    }
    const auto code = RunScriptFunction(params.get(), result.get(), kAnyParamCount,
                                        [&](const ParamReader&) -> ScriptResult {
                                            if (c.injectedCall == nullptr) {
                                                throw std::logic_error("body broke");
                                            }
                                            return ScriptResult(u"fine");
                                        });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(FMXHost_InjectedErrorPending());
    EXPECT_EQ(LastErrorCode(), -998);
    const std::u16string text = LastErrorText();
    EXPECT_EQ(text.rfind(u"Unknown ExceptionUNKNOWN EXCEPTION: FUNC:", 0), 0u);
    const std::u16string tail = std::u16string(u"\nOBJ: \nMSG: ") + c.message;
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(ResultText(), u"!!ERROR!!");
}

INSTANTIATE_TEST_SUITE_P(Escapes, FrameContainment,
                         testing::Values(EscapeCase{"OutputTextOutOfMemory", "FM_Text_Constructor1",
                                                    1, u"std::bad_alloc"},
                                         EscapeCase{"StoringFailsUnknown", "FM_Data_SetAsText", 2,
                                                    u"unknown host error"},
                                         EscapeCase{"CountFails", "FM_DataVect_Size", 2,
                                                    u"unknown host error"},
                                         EscapeCase{"BodyThrows", nullptr, 0, u"body broke"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
