// The data of a hybrid form's XFA part, kept in step with the fields.
//
// A form that carries a usage-rights signature keeps its /XFA (removing it
// may be a change the signature does not allow), so the values written to
// its fields also go into the datasets packet, which is what XFA viewers
// show. A field's data node is found the way XFA's normal binding names it:
// the field's full name ("top[0].Page1[0].f1_01[0]") walked down from
// <xfa:data>, skipping subforms that have no data group of their own (page
// subforms usually do not), and created when it is missing.
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <memory>
#include <string>

namespace paginor::engine::forms {

class XfaDatasets {
public:
    // Nothing when the form has no /XFA or its datasets cannot be read.
    static std::unique_ptr<XfaDatasets> open(QPDF& pdf);
    ~XfaDatasets();
    XfaDatasets(const XfaDatasets&) = delete;
    XfaDatasets& operator=(const XfaDatasets&) = delete;

    // Sets the value bound to the field `fullName`; false when the name
    // leads to a data group rather than a value.
    bool setValue(const std::string& fullName, const std::string& value);

    // The stream that holds the packet, and the packet's text now.
    QPDFObjectHandle stream() const { return stream_; }
    std::string text() const;

private:
    struct Packet;
    XfaDatasets(QPDFObjectHandle stream, std::unique_ptr<Packet> packet);

    QPDFObjectHandle stream_;
    std::unique_ptr<Packet> packet_;
};

} // namespace paginor::engine::forms
