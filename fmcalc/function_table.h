// Several providers of functions seen as one: the host's database functions
// and the plug-in's. The first provider that knows a name answers for it.
#pragma once

#include "builtins.h"
#include "evaluator.h"

#include <vector>

namespace fmcalc {

class FunctionTable : public ExternalFunctions {
public:
    void add(ExternalFunctions* provider) {
        if (provider)
            providers_.push_back(provider);
    }

    const ExternalFunction* find(std::u16string_view name) const override {
        for (ExternalFunctions* provider : providers_) {
            if (const ExternalFunction* f = provider->find(name))
                return f;
        }
        return nullptr;
    }

    Value call(const ExternalFunction& function, const std::vector<Value>& args,
               std::size_t position) override {
        for (ExternalFunctions* provider : providers_) {
            if (provider->find(function.name) == &function)
                return provider->call(function, args, position);
        }
        throw EvaluationError("unknown function", position);
    }

private:
    std::vector<ExternalFunctions*> providers_;
};

} // namespace fmcalc
