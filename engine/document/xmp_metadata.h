// Keeps the document's XMP metadata stream (catalog /Metadata) in step with
// the Info dictionary, so readers that prefer XMP show the same values.
// Documents without XMP are left without it; an XMP packet that does not
// parse is left as it is.
#pragma once

#include <string>
#include <string_view>

class QPDF;

namespace paginor::engine {

class DocumentChanges;

// Updates the XMP property that mirrors Info entry `key` (Title: dc:title,
// Author: dc:creator, Subject: dc:description, Keywords: pdf:Keywords,
// Creator: xmp:CreatorTool, Producer: pdf:Producer, Trapped: pdf:Trapped).
// Other keys have no XMP mirror and change nothing.
void syncXmpWithInfo(QPDF& pdf, DocumentChanges& changes, std::string_view key,
                     std::string_view value);

// Sets xmp:ModifyDate and xmp:MetadataDate (date in XMP form).
void setXmpModifyDate(QPDF& pdf, DocumentChanges& changes, const std::string& date);

// Reads a mirrored property back (for checks); "" when absent.
std::string readXmpProperty(QPDF& pdf, std::string_view infoKeyOrXmpName);

} // namespace paginor::engine
