// Evaluates calculations: the host's built-ins, $ and $$ variables, and the
// functions a plug-in registered.
#pragma once

#include "syntax_tree.h"
#include "value.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fmcalc {

// A function a plug-in registered with the host.
struct ExternalFunction {
    std::u16string name;
    std::u16string prototype;
    int min_params = 0;
    int max_params = 0;
    // No parentheses in the prototype, or 0 parameters admitted.
    bool callable_bare() const {
        return min_params == 0 || prototype.find(u'(') == std::u16string::npos;
    }
};

class ExternalFunctions {
public:
    virtual ~ExternalFunctions() = default;
    // Case-insensitive, as the host looks names up.
    virtual const ExternalFunction* find(std::u16string_view name) const = 0;
    // Throws EvaluationError when the call cannot be made.
    virtual Value call(const ExternalFunction& function, const std::vector<Value>& args,
                       std::size_t position) = 0;
};

// While stops with an error after this many iterations, so a calculation
// whose condition never turns false cannot hang the host.
inline constexpr long while_iteration_limit = 50000;

class Evaluator {
public:
    explicit Evaluator(ExternalFunctions* externals = nullptr) : externals_(externals) {}

    // The result, or an error value when the calculation did not parse or
    // could not be evaluated. Unknown functions are found before anything
    // runs, so a faulty calculation has no side effects.
    Value evaluate(std::string_view utf8_source);

    // $variables live for one script run; $$variables for the process.
    void start_script_run() { script_variables_.clear(); }
    void set_variable(std::u16string_view name_with_dollars, Value value);
    Value variable(std::u16string_view name_with_dollars) const;

private:
    using Scope = std::map<std::u16string, Value>;

    void check(const Node& node, bool list_allowed) const;
    Value eval(const Node& node);
    Value eval_name(const Node& node);
    Value eval_unary(const Node& node);
    Value eval_binary(const Node& node);
    Value eval_call(const Node& node);
    Value eval_if(const Node& node);
    Value eval_case(const Node& node);
    Value eval_let(const Node& node);
    Value eval_while(const Node& node);
    Value eval_substitute(const Node& node);
    void assign_all(const Node& declarations);

    ExternalFunctions* externals_;
    std::vector<Scope> local_scopes_;
    Scope script_variables_;
    Scope global_variables_;
};

} // namespace fmcalc
