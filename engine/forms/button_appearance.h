// Check boxes and radio buttons show a state by switching /AS among their
// existing appearances; a widget that lacks one for the state gets a simple
// drawn mark (and an empty Off appearance) so the state is visible.
#pragma once

#include "form_context.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <string>

namespace paginor::engine::forms {

enum class ButtonMark { Check, Dot };

// A new /AP /N dictionary with the missing states added, or null when the
// widget already has an appearance for the state (a name key, "/" included).
// Nothing is attached.
QPDFObjectHandle completeButtonAppearances(FormContext& context, QPDFObjectHandle widget,
                                           const std::string& stateKey, ButtonMark mark);

// A state appearance that shows text in a font its resources do not name
// draws nothing in viewers that do not redraw fields themselves.
bool appearanceLacksItsFont(QPDFObjectHandle stream);

// A fresh appearance stream for a state: the frame, plus the mark when on;
// null when the widget has no usable /Rect.
QPDFObjectHandle drawButtonState(FormContext& context, QPDFObjectHandle widget, bool on,
                                 ButtonMark mark);

} // namespace paginor::engine::forms
