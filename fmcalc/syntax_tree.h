// The parsed form of a calculation.
#pragma once

#include "lexer.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace fmcalc {

struct Node;
using NodePtr = std::unique_ptr<Node>;

struct Node {
    enum class Kind {
        Number,   // number
        Text,     // text
        Variable, // text holds "$name" or "$$name"
        Name,     // text holds a bare name: Let variable or parameterless function
        Unary,    // op applied to children[0]
        Binary,   // children[0] op children[1]
        Call,     // text holds the function name, children are the arguments
        List,     // [ a ; b ; ... ] as used by Let, While and Substitute
    };

    Kind kind;
    std::size_t position = 0;
    double number = 0;
    std::u16string text;
    TokenType op = TokenType::End;
    int height = 1; // longest path to a leaf; bounds evaluation recursion
    std::vector<NodePtr> children;
};

} // namespace fmcalc
