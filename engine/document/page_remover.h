// Removing a run of pages together with what referred to them: their
// widgets leave the form (and fields left without widgets go too), outline
// items pointing at them are removed (or, when they still have children,
// lose their destination), named destinations and links to them are dropped.
#pragma once

class QPDF;

namespace paginor::engine {

// first..last: 0-based, inclusive, already checked against the page count.
void removePages(QPDF& pdf, int first, int last);

} // namespace paginor::engine
