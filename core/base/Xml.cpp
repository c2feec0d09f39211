#include "base/Xml.h"

#include "base/FileUtil.h"
#include "base/Log.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace zarvex::xml {
namespace {

const xmlChar* X(const std::string& s) {
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

std::string fromXml(const xmlChar* s) {
    return s ? reinterpret_cast<const char*>(s) : std::string();
}

struct XmlFree {
    void operator()(xmlChar* p) const { xmlFree(p); }
};
using XmlString = std::unique_ptr<xmlChar, XmlFree>;

struct BufferFree {
    void operator()(xmlBuffer* b) const { xmlBufferFree(b); }
};

// The parses running on this thread. Their problems reach the caller through
// the parse's own result, so the log only keeps them for debugging.
thread_local int parsesRunning = 0;

void logMessage(bool isWarning, std::string message) {
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    if (message.empty())
        return;
    if (parsesRunning > 0)
        ZLOG_DEBUG("libxml2: {}", message);
    else if (isWarning)
        ZLOG_INFO("libxml2: {}", message);
    else
        ZLOG_WARN("libxml2: {}", message);
}

void structuredMessage(void* /*context*/, xmlErrorPtr error) {
    if (!error)
        return;
    std::string message = error->message ? error->message : "";
    const auto* node = static_cast<const xmlNode*>(error->node);
    if (node && node->type == XML_ELEMENT_NODE && node->name)
        message = "element " + fromXml(node->name) + ": " + message;
    logMessage(error->level == XML_ERR_WARNING, std::move(message));
}

void genericMessage(void* /*context*/, const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    logMessage(false, buffer);
}

// libxml2 keeps its error handlers per thread and prints to stderr by default:
// the defaults for threads that start using it later are set once, and each
// thread's own handlers on its first call into this file.
void initOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlThrDefSetGenericErrorFunc(nullptr, &genericMessage);
        xmlThrDefSetStructuredErrorFunc(nullptr, &structuredMessage);
    });
    thread_local const bool handlersSet = [] {
        xmlSetGenericErrorFunc(nullptr, &genericMessage);
        xmlSetStructuredErrorFunc(nullptr, &structuredMessage);
        return true;
    }();
    (void)handlersSet;
}

struct ParseRunning {
    ParseRunning() { ++parsesRunning; }
    ~ParseRunning() { --parsesRunning; }
    ParseRunning(const ParseRunning&) = delete;
    ParseRunning& operator=(const ParseRunning&) = delete;
};

} // namespace

// Node -----------------------------------------------------------------------

bool Node::isElement() const {
    return node_ && node_->type == XML_ELEMENT_NODE;
}
bool Node::isText() const {
    return node_ && node_->type == XML_TEXT_NODE;
}
bool Node::isCData() const {
    return node_ && node_->type == XML_CDATA_SECTION_NODE;
}

std::string Node::name() const {
    return node_ ? fromXml(node_->name) : std::string();
}

void Node::setName(const std::string& name) {
    if (node_)
        xmlNodeSetName(node_, X(name));
}

std::string Node::text() const {
    if (!node_)
        return {};
    XmlString content(xmlNodeGetContent(node_));
    return fromXml(content.get());
}

void Node::setText(const std::string& text) {
    if (!node_)
        return;
    while (node_->children) {
        xmlNode* child = node_->children;
        xmlUnlinkNode(child);
        xmlFreeNode(child);
    }
    xmlAddChild(node_, xmlNewDocText(node_->doc, X(text)));
}

std::optional<std::string> Node::attribute(const std::string& name) const {
    if (!isElement() || !xmlHasProp(node_, X(name)))
        return std::nullopt;
    XmlString value(xmlGetProp(node_, X(name)));
    return fromXml(value.get());
}

std::string Node::attributeOr(const std::string& name, const std::string& fallback) const {
    return attribute(name).value_or(fallback);
}

void Node::setAttribute(const std::string& name, const std::string& value) {
    if (isElement())
        xmlSetProp(node_, X(name), X(value));
}

void Node::removeAttribute(const std::string& name) {
    if (!isElement())
        return;
    if (xmlAttr* attr = xmlHasProp(node_, X(name)))
        xmlRemoveProp(attr);
}

std::vector<std::pair<std::string, std::string>> Node::attributes() const {
    std::vector<std::pair<std::string, std::string>> out;
    if (!isElement())
        return out;
    for (xmlAttr* a = node_->properties; a; a = a->next) {
        XmlString value(xmlNodeListGetString(node_->doc, a->children, 1));
        out.emplace_back(fromXml(a->name), fromXml(value.get()));
    }
    return out;
}

std::vector<Node> Node::children() const {
    std::vector<Node> out;
    if (node_)
        for (xmlNode* c = node_->children; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE)
                out.emplace_back(c);
    return out;
}

std::vector<Node> Node::childNodes() const {
    std::vector<Node> out;
    if (node_)
        for (xmlNode* c = node_->children; c; c = c->next)
            out.emplace_back(c);
    return out;
}

Node Node::child(const std::string& name) const {
    if (node_)
        for (xmlNode* c = node_->children; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE && fromXml(c->name) == name)
                return Node(c);
    return Node();
}

Node Node::parent() const {
    return (node_ && node_->parent && node_->parent->type == XML_ELEMENT_NODE) ? Node(node_->parent)
                                                                               : Node();
}

Node Node::appendElement(const std::string& name) {
    if (!node_)
        return Node();
    return Node(xmlNewChild(node_, nullptr, X(name), nullptr));
}

Node Node::appendText(const std::string& text) {
    if (!node_)
        return Node();
    // xmlAddChild merges adjacent text nodes; the returned handle is the merged node.
    return Node(
        xmlAddChild(node_, xmlNewDocTextLen(node_->doc, X(text), static_cast<int>(text.size()))));
}

Node Node::appendCData(const std::string& text) {
    if (!node_)
        return Node();
    return Node(
        xmlAddChild(node_, xmlNewCDataBlock(node_->doc, X(text), static_cast<int>(text.size()))));
}

Node Node::appendCopy(const Node& other) {
    if (!node_ || !other.node_)
        return Node();
    xmlNode* copy = xmlDocCopyNode(other.node_, node_->doc, 1);
    if (!copy)
        return Node();
    return Node(xmlAddChild(node_, copy));
}

void Node::remove() {
    if (!node_)
        return;
    xmlUnlinkNode(node_);
    xmlFreeNode(node_);
    node_ = nullptr;
}

// Document -------------------------------------------------------------------

void Document::Free::operator()(_xmlDoc* doc) const {
    xmlFreeDoc(doc);
}

Document::Document(_xmlDoc* doc) : doc_(doc) {}
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

Document Document::create(const std::string& rootName) {
    initOnce();
    Document d(xmlNewDoc(X("1.0")));
    xmlDocSetRootElement(d.doc_.get(), xmlNewDocNode(d.doc_.get(), nullptr, X(rootName), nullptr));
    return d;
}

std::optional<Document> Document::parse(std::string_view bytes, ParseMode mode,
                                        std::string* error) {
    initOnce();
    int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES;
    if (mode == ParseMode::Lenient)
        options |= XML_PARSE_RECOVER;
    xmlDoc* doc = nullptr;
    {
        ParseRunning running;
        doc =
            xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, options);
    }
    std::string message;
    if (const xmlError* e = xmlGetLastError(); e && e->message)
        message = "line " + std::to_string(e->line) + ": " + e->message;
    xmlResetLastError();
    if (!doc || !xmlDocGetRootElement(doc)) {
        if (doc)
            xmlFreeDoc(doc);
        if (error)
            *error = message.empty() ? std::string("no root element") : message;
        return std::nullopt;
    }
    if (error)
        *error = message;
    // Strip trailing newline characters libxml2 keeps in messages.
    if (error)
        while (!error->empty() && (error->back() == '\n' || error->back() == '\r'))
            error->pop_back();
    return Document(doc);
}

std::optional<Document> Document::parseFile(const std::filesystem::path& file, ParseMode mode,
                                            std::string* error) {
    const auto bytes = readFile(file);
    if (!bytes) {
        if (error)
            *error = "cannot read " + file.string();
        return std::nullopt;
    }
    return parse(*bytes, mode, error);
}

Node Document::root() const {
    return Node(xmlDocGetRootElement(doc_.get()));
}

void Document::setRoot(Node element) {
    if (xmlNode* old = xmlDocSetRootElement(doc_.get(), element.raw())) {
        if (old != element.raw())
            xmlFreeNode(old);
    }
}

Node Document::newElement(const std::string& name) {
    return Node(xmlNewDocNode(doc_.get(), nullptr, X(name), nullptr));
}

std::string Document::toString(bool pretty, bool declaration) const {
    initOnce();
    if (!declaration)
        return xml::toString(root(), pretty);
    xmlChar* out = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc_.get(), &out, &size, "UTF-8", pretty ? 1 : 0);
    XmlString owned(out);
    return out ? std::string(reinterpret_cast<const char*>(out), static_cast<std::size_t>(size))
               : std::string();
}

bool Document::save(const std::filesystem::path& file, bool pretty) const {
    return writeFileAtomically(file, toString(pretty));
}

std::string toString(const Node& node, bool pretty) {
    if (!node)
        return {};
    initOnce();
    std::unique_ptr<xmlBuffer, BufferFree> buffer(xmlBufferCreate());
    xmlNodeDump(buffer.get(), node.raw()->doc, node.raw(), 0, pretty ? 1 : 0);
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

} // namespace zarvex::xml
