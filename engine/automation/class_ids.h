// The class identities this module registers (see module/com_registry.txt.in).
#pragma once

#include "com/com.h"

namespace paginor::engine {

// "AcroExch.App"  {4AB77341-5769-4303-A722-80C086C24667}
constexpr CLSID CLSID_EngineApplication = {
    0x4AB77341, 0x5769, 0x4303, {0xA7, 0x22, 0x80, 0xC0, 0x86, 0xC2, 0x46, 0x67}};
// "AcroExch.PDDoc"  {15B94874-0CF8-461C-8F34-5DE07578FD3C}
constexpr CLSID CLSID_EnginePDDocument = {
    0x15B94874, 0x0CF8, 0x461C, {0x8F, 0x34, 0x5D, 0xE0, 0x75, 0x78, 0xFD, 0x3C}};
// "AcroExch.HiliteList"  {CAAA43C1-0653-41EB-8320-27AAA4D7A6E5}
constexpr CLSID CLSID_EngineHighlightList = {
    0xCAAA43C1, 0x0653, 0x41EB, {0x83, 0x20, 0x27, 0xAA, 0xA4, 0xD7, 0xA6, 0xE5}};
// "AFormAut.App"  {096AC653-B8F6-460F-91A4-BFFCD8FAEDA0} (implemented in engine/forms)
constexpr CLSID CLSID_EngineFormsApplication = {
    0x096AC653, 0xB8F6, 0x460F, {0x91, 0xA4, 0xBF, 0xFC, 0xD8, 0xFA, 0xED, 0xA0}};

} // namespace paginor::engine
