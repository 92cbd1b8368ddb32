// Check boxes and radio buttons show a state by switching /AS among their
// appearances. A form's own appearances are kept when viewers can draw them;
// where a state is missing or cannot be drawn, the widget's states are drawn
// anew from its /MK entries (background, border, caption character).
#pragma once

#include "form_context.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <string>

namespace paginor::engine::forms {

// The caption a button shows when /MK names none: a check mark for check
// boxes, a dot for radio buttons (both in ZapfDingbats).
enum class ButtonMark { Check, Dot };

// Whether viewers can draw `appearance` as a state: a stream with /Subtype
// /Form and a /BBox of four numbers. An on-state must also have an area and
// content, and name every font it selects (an Off state may draw nothing).
bool drawableStateAppearance(QPDFObjectHandle appearance, bool onState);

// A new /AP /N dictionary for `widget` that has a drawable appearance for
// `stateKey` (a name key, "/" included; empty for none in particular) and for
// /Off, or null when the widget's own states can stay. When any state the
// widget has cannot be drawn, every state is drawn anew, so on and off look
// alike; missing states are drawn beside drawable ones. A state dictionary
// held by reference comes back as a direct copy: poppler draws no state of
// one. Nothing is attached.
QPDFObjectHandle completeButtonAppearances(FormContext& context, QPDFObjectHandle widget,
                                           const std::string& stateKey, ButtonMark mark);

// Installs a dictionary from completeButtonAppearances as the widget's
// /AP /N. The one place a button write changes a widget's appearances.
// Records the change.
void attachButtonStates(FormContext& context, QPDFObjectHandle widget, QPDFObjectHandle states);

// A state appearance that shows text in a font its resources do not name
// draws nothing in viewers that do not redraw fields themselves.
bool appearanceLacksItsFont(QPDFObjectHandle stream);

// A fresh appearance stream for a state: the /MK background and border, plus,
// when on, the /MK caption character (or `mark`'s) in ZapfDingbats at the
// /DA size (fitted to the box for 0) and colour. Null when the widget has no
// usable /Rect.
QPDFObjectHandle drawButtonState(FormContext& context, QPDFObjectHandle widget, bool on,
                                 ButtonMark mark);

} // namespace paginor::engine::forms
