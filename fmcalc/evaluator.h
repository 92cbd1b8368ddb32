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

// Bounds that keep one calculation from hanging the host or taking all its
// memory; each passed bound ends the calculation with an error.
struct EvaluationLimits {
    // Iterations of one While, whose condition might never turn false.
    long while_iterations = 50000;
    // Iterations of all While loops of one calculation together, so that
    // nested loops cannot multiply the bound above.
    long calculation_iterations = 500000;
    // UTF-16 code units of any text the calculation produces, so that a
    // text doubled in a loop stops long before memory runs out.
    std::size_t text_length = std::size_t{16} * 1024 * 1024;
};

class Evaluator {
public:
    explicit Evaluator(ExternalFunctions* externals = nullptr, EvaluationLimits limits = {})
        : externals_(externals), limits_(limits) {}

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
    // Evaluates node and refuses a text longer than the limit.
    Value eval(const Node& node);
    Value eval_node(const Node& node);
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

    void check_text_length(std::size_t length, std::size_t position) const;

    ExternalFunctions* externals_;
    EvaluationLimits limits_;
    std::vector<Scope> local_scopes_;
    long loop_iterations_ = 0; // While iterations of the current calculation
    Scope script_variables_;
    Scope global_variables_;
};

} // namespace fmcalc
