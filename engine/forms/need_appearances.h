// Viewers that honour /NeedAppearances throw the drawn appearances away and
// draw fields with their own fonts, losing what those fonts lack. Once this
// code draws the fields, the flag has to go, and with it every text or
// choice widget must carry an appearance of its current value.
#pragma once

#include "form_context.h"

#include <qpdf/QPDF.hh>

namespace paginor::engine::forms {

// Does nothing unless the form sets /NeedAppearances. Draws the widgets that
// have no normal appearance, then removes the flag; if any cannot be drawn
// the flag stays, so no value becomes invisible.
void settleNeedAppearances(FormContext& context);

} // namespace paginor::engine::forms
