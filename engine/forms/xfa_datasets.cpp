#include "xfa_datasets.h"

#include "pdf_text_string.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <qpdf/Pipeline.hh>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace paginor::engine::forms {

namespace {

constexpr const char* kDataNamespace = "http://www.xfa.org/schema/xfa-data/1.0/";

const xmlChar* xml(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}

bool isDataElement(xmlNodePtr node, const char* name) {
    return node != nullptr && node->type == XML_ELEMENT_NODE && node->ns != nullptr &&
           xmlStrEqual(node->ns->href, xml(kDataNamespace)) && xmlStrEqual(node->name, xml(name));
}

xmlNodePtr findDataElement(xmlNodePtr node, const char* name, int depth = 0) {
    for (xmlNodePtr child = node; child != nullptr && depth < 64; child = child->next) {
        if (isDataElement(child, name)) {
            return child;
        }
        if (child->type == XML_ELEMENT_NODE) {
            if (xmlNodePtr found = findDataElement(child->children, name, depth + 1)) {
                return found;
            }
        }
    }
    return nullptr;
}

struct Segment {
    std::string name;
    int index = 0;
};

// "a[0].b.c[2]" -> (a,0) (b,0) (c,2).
std::vector<Segment> segmentsOf(const std::string& fullName) {
    std::vector<Segment> segments;
    std::size_t start = 0;
    while (start <= fullName.size()) {
        std::size_t end = fullName.find('.', start);
        if (end == std::string::npos) {
            end = fullName.size();
        }
        std::string part = fullName.substr(start, end - start);
        Segment segment;
        const std::size_t bracket = part.rfind('[');
        if (bracket != std::string::npos && part.back() == ']') {
            segment.index = std::atoi(part.c_str() + bracket + 1);
            part.resize(bracket);
        }
        segment.name = part;
        if (!segment.name.empty()) {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    return segments;
}

// A group holds other data nodes, never a value of its own.
bool isDataGroup(xmlNodePtr node) {
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            return true;
        }
    }
    xmlChar* kind = xmlGetNsProp(node, xml("dataNode"), xml(kDataNamespace));
    const bool group = kind != nullptr && xmlStrEqual(kind, xml("dataGroup"));
    xmlFree(kind);
    return group;
}

// The index-th element child called `name` (XFA data names have no prefix).
xmlNodePtr childNamed(xmlNodePtr parent, const Segment& segment) {
    int seen = 0;
    for (xmlNodePtr child = parent->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && child->ns == nullptr &&
            xmlStrEqual(child->name, xml(segment.name.c_str()))) {
            if (seen++ == segment.index) {
                return child;
            }
        }
    }
    return nullptr;
}

// The only element called `name` below `parent`, if exactly one is.
xmlNodePtr onlyDescendantNamed(xmlNodePtr parent, const std::string& name) {
    xmlNodePtr found = nullptr;
    int count = 0;
    std::vector<xmlNodePtr> pending{parent};
    while (!pending.empty() && count < 2) {
        xmlNodePtr node = pending.back();
        pending.pop_back();
        for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
            if (child->type != XML_ELEMENT_NODE) {
                continue;
            }
            if (child->ns == nullptr && xmlStrEqual(child->name, xml(name.c_str()))) {
                found = child;
                ++count;
            }
            pending.push_back(child);
        }
    }
    return count == 1 ? found : nullptr;
}

// XFA data runs to kilobytes; a packet that inflates beyond this is not
// read (a small stream can decode to gigabytes).
constexpr std::size_t kLargestPacket = 16 * 1024 * 1024;

// Collects decoded bytes and stops the decoding past the limit.
class CappedText : public Pipeline {
public:
    CappedText() : Pipeline("XFA data", nullptr) {}
    void write(unsigned char const* data, size_t length) override {
        if (text.size() + length > kLargestPacket) {
            throw std::length_error("the XFA data is larger than " +
                                    std::to_string(kLargestPacket) + " bytes");
        }
        text.append(reinterpret_cast<const char*>(data), length);
    }
    void finish() override {}
    std::string text;
};

std::string streamText(QPDFObjectHandle stream) {
    CappedText sink;
    if (!stream.pipeStreamData(&sink, 0, qpdf_dl_generalized, true)) {
        throw std::runtime_error("the XFA data cannot be decoded");
    }
    return std::move(sink.text);
}

} // namespace

struct XfaDatasets::Packet {
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc{nullptr, xmlFreeDoc};
    xmlNodePtr data = nullptr;
    bool wholeForm = false; // the stream is the whole XDP, not just the packet
};

XfaDatasets::XfaDatasets(QPDFObjectHandle stream, std::unique_ptr<Packet> packet)
    : stream_(stream), packet_(std::move(packet)) {}

XfaDatasets::~XfaDatasets() = default;

std::unique_ptr<XfaDatasets> XfaDatasets::open(QPDF& pdf) {
    QPDFObjectHandle acroForm = pdf.getRoot().getKey("/AcroForm");
    QPDFObjectHandle xfa =
        acroForm.isDictionary() ? acroForm.getKey("/XFA") : QPDFObjectHandle::newNull();
    QPDFObjectHandle stream;
    bool wholeForm = false;
    if (xfa.isStream()) {
        stream = xfa;
        wholeForm = true;
    } else if (xfa.isArray()) {
        for (int i = 0; i + 1 < xfa.getArrayNItems(); i += 2) {
            if (xfa.getArrayItem(i).isString() && textOf(xfa.getArrayItem(i)) == "datasets" &&
                xfa.getArrayItem(i + 1).isStream()) {
                stream = xfa.getArrayItem(i + 1);
            }
        }
    }
    if (!stream.isInitialized() || !stream.isStream()) {
        return nullptr;
    }
    auto packet = std::make_unique<Packet>();
    try {
        const std::string text = streamText(stream);
        packet->doc.reset(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr,
                                        "UTF-8",
                                        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    } catch (const std::exception&) {
        return nullptr;
    }
    if (!packet->doc) {
        return nullptr;
    }
    xmlNodePtr datasets = findDataElement(xmlDocGetRootElement(packet->doc.get()), "datasets");
    packet->data = datasets != nullptr ? findDataElement(datasets->children, "data") : nullptr;
    if (packet->data == nullptr) {
        return nullptr;
    }
    packet->wholeForm = wholeForm;
    return std::unique_ptr<XfaDatasets>(new XfaDatasets(stream, std::move(packet)));
}

bool XfaDatasets::setValue(const std::string& fullName, const std::string& value) {
    const std::vector<Segment> segments = segmentsOf(fullName);
    if (segments.empty()) {
        return false;
    }
    xmlNodePtr node = packet_->data;
    for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
        if (xmlNodePtr child = childNamed(node, segments[i])) {
            node = child;
        }
    }
    const Segment& leaf = segments.back();
    xmlNodePtr target = childNamed(node, leaf);
    if (target == nullptr && leaf.index == 0) {
        target = onlyDescendantNamed(node, leaf.name);
    }
    if (target == nullptr) {
        target = xmlNewChild(node, nullptr, xml(leaf.name.c_str()), nullptr);
    }
    if (isDataGroup(target)) {
        return false;
    }
    // XFA text separates lines with line feeds.
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r') {
            text += '\n';
            if (i + 1 < value.size() && value[i + 1] == '\n') {
                ++i;
            }
        } else {
            text += value[i];
        }
    }
    xmlNodeSetContent(target, nullptr);
    xmlNodeAddContent(target, xml(text.c_str()));
    return true;
}

std::string XfaDatasets::text() const {
    std::unique_ptr<xmlBuffer, void (*)(xmlBufferPtr)> buffer(xmlBufferCreate(), xmlBufferFree);
    xmlSaveCtxtPtr context = xmlSaveToBuffer(buffer.get(), "UTF-8", XML_SAVE_NO_DECL);
    if (context == nullptr) {
        throw std::runtime_error("the XFA data could not be written");
    }
    if (packet_->wholeForm) {
        xmlSaveDoc(context, packet_->doc.get());
    } else {
        xmlSaveTree(context, xmlDocGetRootElement(packet_->doc.get()));
    }
    xmlSaveClose(context);
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

} // namespace paginor::engine::forms
