#include "help_text.h"

#include "unicode_text.h"

namespace fmcalc {

std::string
function_help(const std::vector<std::pair<std::string, std::vector<ExternalFunction>>>& groups) {
    std::string text =
        "The host's functions:\n"
        "  If ( test ; then [; else] )   Case ( test1 ; result1 [; …] [; default] )\n"
        "  Let ( [ name = value ; … ] ; result )   While ( [ init ] ; condition ; [ logic ] ; "
        "result )\n"
        "  Char  Code  Length  Left  Right  Middle  Position  Substitute  Trim  Upper  Lower\n"
        "  List  GetValue  ValueCount  GetAsText  GetAsNumber  IsEmpty  Exact  PatternCount\n"
        "  Abs  Int  Round  Mod\n";
    for (const auto& [heading, functions] : groups) {
        if (functions.empty())
            continue;
        text += heading + ":\n";
        for (const ExternalFunction& f : functions) {
            const std::string range = f.max_params < 0 ? std::to_string(f.min_params) + " or more"
                                                       : std::to_string(f.min_params) + ".." +
                                                             std::to_string(f.max_params);
            text += "  " + utf16_to_utf8(f.prototype) + "  [parameters " + range + "]\n";
        }
    }
    text += "Variables: $name for the script run, $$name for the session. "
            "Ctrl-C clears the line, Ctrl-D ends.\n";
    return text;
}

} // namespace fmcalc
