// Feeds arbitrary text to the calculation language: file splitting, CSV
// reading, lexing, parsing and evaluation. Plug-in functions are served by a
// fake that echoes or fails, so no plug-in is loaded. The language bounds
// nesting, tree height and While iterations itself; a hang or a stack
// overflow here is a fault in it.
#include "builtins.h"
#include "calculation_file.h"
#include "csv_reader.h"
#include "evaluator.h"
#include "unicode_text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

class FakePluginFunctions : public fmcalc::ExternalFunctions {
public:
    const fmcalc::ExternalFunction* find(std::u16string_view name) const override {
        for (const auto& f : functions_) {
            if (fmcalc::fold_case(name) == fmcalc::fold_case(f.name))
                return &f;
        }
        return nullptr;
    }

    fmcalc::Value call(const fmcalc::ExternalFunction& function,
                       const std::vector<fmcalc::Value>& args, std::size_t position) override {
        if (function.name == u"QELT_Fail")
            throw fmcalc::EvaluationError("plug-in function failed", position);
        if (args.empty())
            return fmcalc::Value::text(u"0");
        return args.front();
    }

private:
    std::vector<fmcalc::ExternalFunction> functions_ = {
        {u"QELT_Echo", u"QELT_Echo( value )", 1, 1},
        {u"QELT_Fail", u"QELT_Fail", 0, 0},
        {u"QELT_Version", u"QELT_Version( type )", 0, 1},
    };
};

// Long text built by doubling in a While would only measure memory, not
// find faults; keep inputs short enough that the language's own limits are
// what stop them.
constexpr std::size_t kMaxInput = 4096;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput)
        return -1;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    fmcalc::CsvReader csv(text);
    while (csv.next()) {
    }

    FakePluginFunctions plugin;
    fmcalc::Evaluator evaluator(&plugin);
    evaluator.start_script_run();
    for (const auto& calculation : fmcalc::split_calculations(text))
        (void)evaluator.evaluate(calculation.text);
    (void)evaluator.evaluate(text);
    return 0;
}
