#include "evaluator.h"

#include "builtins.h"
#include "parser.h"
#include "unicode_text.h"

#include <cmath>
#include <new>

namespace fmcalc {
namespace {

// Functions whose arguments are evaluated lazily or may be bracket lists.
enum class SpecialForm { None, If, Case, Let, While, Substitute };

SpecialForm special_form(std::u16string_view name) {
    const std::u16string key = fold_case(name);
    if (key == u"if")
        return SpecialForm::If;
    if (key == u"case")
        return SpecialForm::Case;
    if (key == u"let")
        return SpecialForm::Let;
    if (key == u"while")
        return SpecialForm::While;
    if (key == u"substitute")
        return SpecialForm::Substitute;
    return SpecialForm::None;
}

struct Arity {
    int min;
    int max; // -1: any
};

Arity special_form_arity(SpecialForm form) {
    switch (form) {
    case SpecialForm::If:
        return {2, 3};
    case SpecialForm::Case:
        return {2, -1};
    case SpecialForm::Let:
        return {2, 2};
    case SpecialForm::While:
        return {4, 4};
    case SpecialForm::Substitute:
        return {2, -1};
    case SpecialForm::None:
        break;
    }
    return {0, -1};
}

std::string name_of(const Node& node) {
    return utf16_to_utf8(node.text);
}

void check_arity(const Node& call, Arity arity) {
    const int given = static_cast<int>(call.children.size());
    if (given < arity.min)
        throw EvaluationError("too few parameters for function " + name_of(call), call.position);
    if (arity.max >= 0 && given > arity.max)
        throw EvaluationError("too many parameters for function " + name_of(call), call.position);
}

Value checked_number(double n, std::size_t position) {
    if (!std::isfinite(n))
        throw EvaluationError("number out of range", position);
    return Value::number(n == 0 ? 0.0 : n); // no "-0"
}

bool is_numeric(const Value& v) {
    return v.is_number() || v.is_date_time();
}

// Text compares case-insensitively; anything numeric compares as numbers.
int compare(const Value& a, const Value& b) {
    if (is_numeric(a) || is_numeric(b)) {
        const double x = a.as_number();
        const double y = b.as_number();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const int c = fold_case(a.as_text()).compare(fold_case(b.as_text()));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::u16string variable_key(std::u16string_view name) {
    return fold_case(name);
}

} // namespace

Value Evaluator::evaluate(std::string_view utf8_source) {
    local_scopes_.clear();
    loop_iterations_ = 0;
    try {
        const NodePtr root = parse_calculation(utf8_source);
        check(*root, false);
        Value result = eval(*root);
        local_scopes_.clear();
        return result;
    } catch (const SyntaxError& e) {
        local_scopes_.clear();
        return Value::error(std::string("syntax error: ") + e.what(), e.position());
    } catch (const EvaluationError& e) {
        local_scopes_.clear();
        return Value::error(e.what(), e.position());
    } catch (const std::bad_alloc&) {
        // Unwinding has freed what the calculation held, so the host and
        // the next calculation go on.
        local_scopes_.clear();
        return Value::error("out of memory", 0);
    } catch (const std::exception& e) {
        local_scopes_.clear();
        return Value::error(std::string("cannot evaluate: ") + e.what(), 0);
    }
}

void Evaluator::set_variable(std::u16string_view name, Value value) {
    const bool global = name.starts_with(u"$$");
    (global ? global_variables_ : script_variables_)[variable_key(name)] = std::move(value);
}

Value Evaluator::variable(std::u16string_view name) const {
    const Scope& scope = name.starts_with(u"$$") ? global_variables_ : script_variables_;
    const auto it = scope.find(variable_key(name));
    return it == scope.end() ? Value::text({}) : it->second;
}

// Refuses unknown functions, wrong parameter counts and misplaced bracket
// lists before anything is evaluated.
void Evaluator::check(const Node& node, bool list_allowed) const {
    if (node.kind == Node::Kind::List && !list_allowed)
        throw EvaluationError("a bracketed list is only allowed in Let, While and Substitute",
                              node.position);
    bool lists_in_children = node.kind == Node::Kind::List;
    if (node.kind == Node::Kind::Call) {
        const SpecialForm form = special_form(node.text);
        if (form != SpecialForm::None) {
            check_arity(node, special_form_arity(form));
            lists_in_children = form == SpecialForm::Let || form == SpecialForm::While ||
                                form == SpecialForm::Substitute;
        } else if (const Builtin* builtin = find_builtin(node.text)) {
            check_arity(node, {builtin->min_params, builtin->max_params});
        } else if (const ExternalFunction* f = externals_ ? externals_->find(node.text) : nullptr) {
            check_arity(node, {f->min_params, f->max_params});
        } else {
            throw EvaluationError("unknown function " + name_of(node), node.position);
        }
    }
    for (const auto& child : node.children) {
        // Lists nest only one level (Substitute's pairs, Let's declarations).
        check(*child, lists_in_children && node.kind != Node::Kind::List);
    }
}

void Evaluator::check_text_length(std::size_t length, std::size_t position) const {
    fmcalc::check_text_length(length, limits_.text_length, position);
}

Value Evaluator::eval(const Node& node) {
    Value value = eval_node(node);
    if (value.is_text())
        check_text_length(value.text_value().size(), node.position);
    return value;
}

Value Evaluator::eval_node(const Node& node) {
    switch (node.kind) {
    case Node::Kind::Number:
        return Value::number(node.number);
    case Node::Kind::Text:
        return Value::text(node.text);
    case Node::Kind::Variable:
        return variable(node.text);
    case Node::Kind::Name:
        return eval_name(node);
    case Node::Kind::Unary:
        return eval_unary(node);
    case Node::Kind::Binary:
        return eval_binary(node);
    case Node::Kind::Call:
        return eval_call(node);
    case Node::Kind::List:
        break;
    }
    throw EvaluationError("a bracketed list is not a value", node.position);
}

// A bare name is a Let variable, True/False, or a plug-in function that may
// be called without parameters.
Value Evaluator::eval_name(const Node& node) {
    const std::u16string key = fold_case(node.text);
    for (auto scope = local_scopes_.rbegin(); scope != local_scopes_.rend(); ++scope) {
        const auto it = scope->find(key);
        if (it != scope->end())
            return it->second;
    }
    if (key == u"true")
        return Value::boolean(true);
    if (key == u"false")
        return Value::boolean(false);
    if (externals_) {
        if (const ExternalFunction* f = externals_->find(node.text)) {
            if (!f->callable_bare())
                throw EvaluationError("function " + name_of(node) + " needs parameters",
                                      node.position);
            return externals_->call(*f, {}, node.position);
        }
    }
    throw EvaluationError("unknown function or name " + name_of(node), node.position);
}

Value Evaluator::eval_unary(const Node& node) {
    const Value operand = eval(*node.children[0]);
    if (node.op == TokenType::Name) // not
        return Value::boolean(!operand.as_boolean());
    if (node.op == TokenType::Minus)
        return checked_number(-operand.as_number(), node.position);
    return checked_number(operand.as_number(), node.position);
}

Value Evaluator::eval_binary(const Node& node) {
    const Node& lhs = *node.children[0];
    const Node& rhs = *node.children[1];
    if (node.op == TokenType::Name) { // and, or, xor; and/or short-circuit
        const bool a = eval(lhs).as_boolean();
        if (node.text == u"and")
            return Value::boolean(a && eval(rhs).as_boolean());
        if (node.text == u"or")
            return Value::boolean(a || eval(rhs).as_boolean());
        return Value::boolean(a != eval(rhs).as_boolean());
    }
    const Value a = eval(lhs);
    const Value b = eval(rhs);
    switch (node.op) {
    case TokenType::Ampersand: {
        std::u16string joined = a.as_text();
        const std::u16string tail = b.as_text();
        check_text_length(joined.size() + tail.size(), node.position);
        joined += tail;
        return Value::text(std::move(joined));
    }
    case TokenType::Plus:
        return checked_number(a.as_number() + b.as_number(), node.position);
    case TokenType::Minus:
        return checked_number(a.as_number() - b.as_number(), node.position);
    case TokenType::Star:
        return checked_number(a.as_number() * b.as_number(), node.position);
    case TokenType::Slash:
        if (b.as_number() == 0)
            throw EvaluationError("division by zero", node.position);
        return checked_number(a.as_number() / b.as_number(), node.position);
    case TokenType::Caret:
        return checked_number(std::pow(a.as_number(), b.as_number()), node.position);
    case TokenType::Equal:
        return Value::boolean(compare(a, b) == 0);
    case TokenType::NotEqual:
        return Value::boolean(compare(a, b) != 0);
    case TokenType::Less:
        return Value::boolean(compare(a, b) < 0);
    case TokenType::LessEqual:
        return Value::boolean(compare(a, b) <= 0);
    case TokenType::Greater:
        return Value::boolean(compare(a, b) > 0);
    case TokenType::GreaterEqual:
        return Value::boolean(compare(a, b) >= 0);
    default:
        break;
    }
    throw EvaluationError("unsupported operator", node.position);
}

Value Evaluator::eval_call(const Node& node) {
    switch (special_form(node.text)) {
    case SpecialForm::If:
        return eval_if(node);
    case SpecialForm::Case:
        return eval_case(node);
    case SpecialForm::Let:
        return eval_let(node);
    case SpecialForm::While:
        return eval_while(node);
    case SpecialForm::Substitute:
        return eval_substitute(node);
    case SpecialForm::None:
        break;
    }
    std::vector<Value> args;
    args.reserve(node.children.size());
    for (const auto& child : node.children)
        args.push_back(eval(*child));
    if (const Builtin* builtin = find_builtin(node.text))
        return builtin->function(args, node.position);
    if (externals_) {
        if (const ExternalFunction* f = externals_->find(node.text))
            return externals_->call(*f, args, node.position);
    }
    throw EvaluationError("unknown function " + name_of(node), node.position);
}

Value Evaluator::eval_if(const Node& node) {
    if (eval(*node.children[0]).as_boolean())
        return eval(*node.children[1]);
    return node.children.size() > 2 ? eval(*node.children[2]) : Value::text({});
}

// Case ( test1 ; result1 ; test2 ; result2 ... ; default )
Value Evaluator::eval_case(const Node& node) {
    const auto& c = node.children;
    std::size_t i = 0;
    for (; i + 1 < c.size(); i += 2) {
        if (eval(*c[i]).as_boolean())
            return eval(*c[i + 1]);
    }
    return i < c.size() ? eval(*c[i]) : Value::text({});
}

// One "name = value" or a bracketed list of them, applied in order so later
// declarations see earlier ones. Names go to the innermost local scope,
// $ and $$ names to the script and process variables.
void Evaluator::assign_all(const Node& declarations) {
    const bool is_list = declarations.kind == Node::Kind::List;
    const std::size_t count = is_list ? declarations.children.size() : 1;
    for (std::size_t i = 0; i < count; ++i) {
        const Node& d = is_list ? *declarations.children[i] : declarations;
        if (d.kind != Node::Kind::Binary || d.op != TokenType::Equal ||
            (d.children[0]->kind != Node::Kind::Name &&
             d.children[0]->kind != Node::Kind::Variable))
            throw EvaluationError("expected a declaration: name = value", d.position);
        const Node& target = *d.children[0];
        Value value = eval(*d.children[1]);
        if (target.kind == Node::Kind::Variable)
            set_variable(target.text, std::move(value));
        else
            local_scopes_.back()[fold_case(target.text)] = std::move(value);
    }
}

namespace {
// Pops the Let/While scope on every way out, errors included.
class ScopeGuard {
public:
    explicit ScopeGuard(std::vector<std::map<std::u16string, Value>>& scopes) : scopes_(scopes) {
        scopes_.emplace_back();
    }
    ~ScopeGuard() { scopes_.pop_back(); }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

private:
    std::vector<std::map<std::u16string, Value>>& scopes_;
};
} // namespace

Value Evaluator::eval_let(const Node& node) {
    ScopeGuard scope(local_scopes_);
    assign_all(*node.children[0]);
    return eval(*node.children[1]);
}

// While ( [ initial ] ; condition ; [ logic ] ; result )
Value Evaluator::eval_while(const Node& node) {
    ScopeGuard scope(local_scopes_);
    assign_all(*node.children[0]);
    long iterations = 0;
    while (eval(*node.children[1]).as_boolean()) {
        if (++iterations > limits_.while_iterations)
            throw EvaluationError("While stopped after " +
                                      std::to_string(limits_.while_iterations) + " iterations",
                                  node.position);
        if (++loop_iterations_ > limits_.calculation_iterations)
            throw EvaluationError("calculation stopped after " +
                                      std::to_string(limits_.calculation_iterations) +
                                      " While iterations in all",
                                  node.position);
        assign_all(*node.children[2]);
    }
    return eval(*node.children[3]);
}

// Substitute ( text ; search ; replacement ) or
// Substitute ( text ; [ search1 ; replacement1 ] ; [ search2 ; replacement2 ] ... )
Value Evaluator::eval_substitute(const Node& node) {
    const auto& c = node.children;
    if (c[0]->kind == Node::Kind::List)
        throw EvaluationError("a bracketed list is not a value", c[0]->position);
    const std::u16string text = eval(*c[0]).as_text();
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
    const bool bracketed = c[1]->kind == Node::Kind::List;
    if (!bracketed) {
        if (c.size() != 3)
            throw EvaluationError("Substitute needs a search and a replacement", node.position);
        pairs.emplace_back(eval(*c[1]).as_text(), eval(*c[2]).as_text());
        return Value::text(substitute(text, pairs, limits_.text_length, node.position));
    }
    for (std::size_t i = 1; i < c.size(); ++i) {
        if (c[i]->kind != Node::Kind::List || c[i]->children.size() != 2)
            throw EvaluationError("expected [ search ; replacement ]", c[i]->position);
        pairs.emplace_back(eval(*c[i]->children[0]).as_text(), eval(*c[i]->children[1]).as_text());
    }
    return Value::text(substitute(text, pairs, limits_.text_length, node.position));
}

} // namespace fmcalc
