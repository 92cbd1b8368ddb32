#include "engine/document/xmp_metadata.h"

#include "engine/document/bounded_stream_decoding.h"
#include "engine/document/xml_error_capture.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include "engine/incremental/document_changes.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace paginor::engine {

namespace {

constexpr const char* kRdf = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr const char* kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

// How a property's value is laid out in RDF.
enum class Shape { Simple, LanguageAlternative, OrderedList };

struct XmpProperty {
    const char* namespaceUri;
    const char* prefix;
    const char* name;
    Shape shape;
};

const XmpProperty kTitle{"http://purl.org/dc/elements/1.1/", "dc", "title",
                         Shape::LanguageAlternative};
const XmpProperty kCreator{"http://purl.org/dc/elements/1.1/", "dc", "creator", Shape::OrderedList};
const XmpProperty kDescription{"http://purl.org/dc/elements/1.1/", "dc", "description",
                               Shape::LanguageAlternative};
const XmpProperty kKeywords{"http://ns.adobe.com/pdf/1.3/", "pdf", "Keywords", Shape::Simple};
const XmpProperty kProducer{"http://ns.adobe.com/pdf/1.3/", "pdf", "Producer", Shape::Simple};
const XmpProperty kTrapped{"http://ns.adobe.com/pdf/1.3/", "pdf", "Trapped", Shape::Simple};
const XmpProperty kCreatorTool{"http://ns.adobe.com/xap/1.0/", "xmp", "CreatorTool", Shape::Simple};
const XmpProperty kModifyDate{"http://ns.adobe.com/xap/1.0/", "xmp", "ModifyDate", Shape::Simple};
const XmpProperty kMetadataDate{"http://ns.adobe.com/xap/1.0/", "xmp", "MetadataDate",
                                Shape::Simple};

std::optional<XmpProperty> propertyForInfoKey(std::string_view key) {
    if (key == "Title")
        return kTitle;
    if (key == "Author")
        return kCreator;
    if (key == "Subject")
        return kDescription;
    if (key == "Keywords")
        return kKeywords;
    if (key == "Creator")
        return kCreatorTool;
    if (key == "Producer")
        return kProducer;
    if (key == "Trapped")
        return kTrapped;
    if (key == "ModDate")
        return kModifyDate;
    return std::nullopt;
}

const xmlChar* xml(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}

bool isElement(xmlNodePtr node, const char* namespaceUri, const char* name) {
    return node != nullptr && node->type == XML_ELEMENT_NODE && node->ns != nullptr &&
           xmlStrEqual(node->ns->href, xml(namespaceUri)) && xmlStrEqual(node->name, xml(name));
}

void collectDescriptions(xmlNodePtr node, std::vector<xmlNodePtr>& found) {
    for (xmlNodePtr child = node; child != nullptr; child = child->next) {
        if (isElement(child, kRdf, "Description")) {
            found.push_back(child);
        }
        if (child->type == XML_ELEMENT_NODE) {
            collectDescriptions(child->children, found);
        }
    }
}

xmlNodePtr findRdfRoot(xmlNodePtr node) {
    for (xmlNodePtr child = node; child != nullptr; child = child->next) {
        if (isElement(child, kRdf, "RDF")) {
            return child;
        }
        if (child->type == XML_ELEMENT_NODE) {
            if (xmlNodePtr found = findRdfRoot(child->children)) {
                return found;
            }
        }
    }
    return nullptr;
}

xmlNsPtr namespaceFor(xmlDocPtr doc, xmlNodePtr element, const char* uri, const char* prefix) {
    if (xmlNsPtr existing = xmlSearchNsByHref(doc, element, xml(uri))) {
        return existing;
    }
    return xmlNewNs(element, xml(uri), xml(prefix));
}

// One parsed packet, written back into the stream on commit().
class XmpPacket {
public:
    static std::optional<XmpPacket> fromDocument(QPDF& pdf) {
        QPDFObjectHandle stream = pdf.getRoot().getKey("/Metadata");
        if (!stream.isStream()) {
            return std::nullopt;
        }
        std::string data;
        try {
            data = decodeStreamData(stream, "the XMP metadata stream");
        } catch (const StreamTooLarge&) {
            throw; // over the limit: the caller must hear of it
        } catch (const std::exception&) {
            return std::nullopt; // undecodable: left as it is
        }
        const XmlErrorCapture errors;
        xmlDocPtr doc = xmlReadMemory(data.data(), static_cast<int>(data.size()), nullptr, nullptr,
                                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        if (doc == nullptr) {
            return std::nullopt;
        }
        XmpPacket packet(stream, doc);
        if (packet.rdf() == nullptr) {
            return std::nullopt;
        }
        return packet;
    }

    xmlNodePtr rdf() const { return findRdfRoot(xmlDocGetRootElement(doc_.get())); }

    void set(const XmpProperty& property, std::string_view value) {
        const std::string text(value);
        std::vector<xmlNodePtr> descriptions;
        collectDescriptions(rdf()->children, descriptions);
        for (xmlNodePtr description : descriptions) {
            if (xmlHasNsProp(description, xml(property.name), xml(property.namespaceUri))) {
                if (property.shape == Shape::Simple) {
                    xmlSetNsProp(description,
                                 namespaceFor(doc_.get(), description, property.namespaceUri,
                                              property.prefix),
                                 xml(property.name), xml(text.c_str()));
                    return;
                }
                // A structured value cannot live in an attribute: move it to an element.
                xmlUnsetNsProp(
                    description,
                    xmlSearchNsByHref(doc_.get(), description, xml(property.namespaceUri)),
                    xml(property.name));
            }
        }
        for (xmlNodePtr description : descriptions) {
            for (xmlNodePtr child = description->children; child != nullptr; child = child->next) {
                if (isElement(child, property.namespaceUri, property.name)) {
                    fill(child, property.shape, text);
                    return;
                }
            }
        }
        xmlNodePtr description = descriptions.empty() ? newDescription() : descriptions.front();
        xmlNsPtr ns = namespaceFor(doc_.get(), description, property.namespaceUri, property.prefix);
        xmlNodePtr element = xmlNewChild(description, ns, xml(property.name), nullptr);
        fill(element, property.shape, text);
    }

    std::string get(const XmpProperty& property) const {
        std::vector<xmlNodePtr> descriptions;
        collectDescriptions(rdf()->children, descriptions);
        for (xmlNodePtr description : descriptions) {
            if (xmlChar* attribute =
                    xmlGetNsProp(description, xml(property.name), xml(property.namespaceUri))) {
                std::string text(reinterpret_cast<char*>(attribute));
                xmlFree(attribute);
                return text;
            }
            for (xmlNodePtr child = description->children; child != nullptr; child = child->next) {
                if (isElement(child, property.namespaceUri, property.name)) {
                    xmlNodePtr source = child;
                    if (property.shape != Shape::Simple) {
                        source = firstListItem(child);
                    }
                    if (source == nullptr) {
                        return {};
                    }
                    xmlChar* content = xmlNodeGetContent(source);
                    std::string text(content != nullptr ? reinterpret_cast<char*>(content) : "");
                    xmlFree(content);
                    return text;
                }
            }
        }
        return {};
    }

    void commit(DocumentChanges& changes) {
        const XmlErrorCapture errors;
        xmlBufferPtr buffer = xmlBufferCreate();
        std::unique_ptr<xmlBuffer, void (*)(xmlBufferPtr)> bufferOwner(buffer, xmlBufferFree);
        xmlSaveCtxtPtr context = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL);
        if (context == nullptr) {
            return;
        }
        xmlSaveDoc(context, doc_.get());
        xmlSaveClose(context);
        std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                         static_cast<std::size_t>(xmlBufferLength(buffer)));
        stream_.replaceStreamData(text, QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
        changes.changed(stream_);
    }

private:
    XmpPacket(QPDFObjectHandle stream, xmlDocPtr doc) : stream_(stream), doc_(doc, xmlFreeDoc) {}

    static xmlNodePtr firstListItem(xmlNodePtr property) {
        for (xmlNodePtr container = property->children; container; container = container->next) {
            if (container->type != XML_ELEMENT_NODE) {
                continue;
            }
            for (xmlNodePtr item = container->children; item; item = item->next) {
                if (isElement(item, kRdf, "li")) {
                    return item;
                }
            }
        }
        return nullptr;
    }

    xmlNodePtr newDescription() {
        xmlNodePtr root = rdf();
        xmlNodePtr description = xmlNewChild(root, root->ns, xml("Description"), nullptr);
        xmlSetNsProp(description, root->ns, xml("about"), xml(""));
        return description;
    }

    void fill(xmlNodePtr element, Shape shape, const std::string& text) {
        while (element->children != nullptr) {
            xmlNodePtr child = element->children;
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        }
        if (shape == Shape::Simple) {
            xmlNodeAddContent(element, xml(text.c_str()));
            return;
        }
        xmlNsPtr rdfNs = namespaceFor(doc_.get(), element, kRdf, "rdf");
        xmlNodePtr container = xmlNewChild(
            element, rdfNs, xml(shape == Shape::LanguageAlternative ? "Alt" : "Seq"), nullptr);
        xmlNodePtr item = xmlNewChild(container, rdfNs, xml("li"), nullptr);
        if (shape == Shape::LanguageAlternative) {
            xmlSetNsProp(item, namespaceFor(doc_.get(), item, kXmlNamespace, "xml"), xml("lang"),
                         xml("x-default"));
        }
        xmlNodeAddContent(item, xml(text.c_str()));
    }

    QPDFObjectHandle stream_;
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc_;
};

} // namespace

void syncXmpWithInfo(QPDF& pdf, DocumentChanges& changes, std::string_view key,
                     std::string_view value) {
    const auto property = propertyForInfoKey(key);
    if (!property) {
        return;
    }
    if (auto packet = XmpPacket::fromDocument(pdf)) {
        packet->set(*property, value);
        packet->commit(changes);
    }
}

void setXmpModifyDate(QPDF& pdf, DocumentChanges& changes, const std::string& date) {
    if (auto packet = XmpPacket::fromDocument(pdf)) {
        packet->set(kModifyDate, date);
        packet->set(kMetadataDate, date);
        packet->commit(changes);
    }
}

std::string readXmpProperty(QPDF& pdf, std::string_view infoKey) {
    const auto property = propertyForInfoKey(infoKey);
    if (!property) {
        return {};
    }
    auto packet = XmpPacket::fromDocument(pdf);
    return packet ? packet->get(*property) : std::string();
}

} // namespace paginor::engine
