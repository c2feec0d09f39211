#pragma once

// A small owner over libxml2 documents: parse (strict or lenient), build,
// serialise. Callers never see libxml2 itself. Node is a non-owning handle that
// stays valid while its Document lives and the node is not removed. libxml2's
// own messages (on any thread) go to the log, never to standard error.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace zarvex::xml {

class Node {
public:
    Node() = default;
    explicit Node(_xmlNode* node) : node_(node) {}

    explicit operator bool() const { return node_ != nullptr; }
    bool isElement() const;
    bool isText() const;  // text node (not CDATA)
    bool isCData() const; // CDATA section

    std::string name() const;
    void setName(const std::string& name);
    // The concatenated text of the node and its descendants (CDATA included).
    std::string text() const;
    // Replaces the children with one text node.
    void setText(const std::string& text);

    std::optional<std::string> attribute(const std::string& name) const;
    std::string attributeOr(const std::string& name, const std::string& fallback) const;
    void setAttribute(const std::string& name, const std::string& value);
    void removeAttribute(const std::string& name);
    // Attribute names and values in document order.
    std::vector<std::pair<std::string, std::string>> attributes() const;

    // Element children only, in order.
    std::vector<Node> children() const;
    // Every child: elements, text, CDATA, comments.
    std::vector<Node> childNodes() const;
    // The first element child of that name, or a null Node.
    Node child(const std::string& name) const;
    Node parent() const;

    Node appendElement(const std::string& name);
    Node appendText(const std::string& text);
    Node appendCData(const std::string& text);
    // Appends a deep copy of `other`, which may belong to another document.
    Node appendCopy(const Node& other);
    // Unlinks and frees this node; the handle becomes null.
    void remove();

    _xmlNode* raw() const { return node_; }

private:
    _xmlNode* node_ = nullptr;
};

enum class ParseMode {
    Strict,  // well-formed XML or failure
    Lenient, // libxml2's recovery mode: keeps whatever it can make sense of
};

class Document {
public:
    // An empty document with a root element of that name.
    static Document create(const std::string& rootName);
    // White space and CDATA sections are kept. Absent on failure; `error`, when
    // given, receives libxml2's message with its line.
    static std::optional<Document> parse(std::string_view bytes, ParseMode mode = ParseMode::Strict,
                                         std::string* error = nullptr);
    static std::optional<Document> parseFile(const std::filesystem::path& file,
                                             ParseMode mode = ParseMode::Strict,
                                             std::string* error = nullptr);

    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;
    ~Document();

    Node root() const;
    void setRoot(Node element); // element must belong to this document
    // Makes a fresh detached element owned by this document (for setRoot).
    Node newElement(const std::string& name);

    // With `pretty`, children are indented two spaces where libxml2 can (elements
    // without mixed text). `declaration` controls the <?xml ...?> line.
    std::string toString(bool pretty = true, bool declaration = true) const;
    // Writes atomically (temporary file, then rename). False on failure.
    bool save(const std::filesystem::path& file, bool pretty = true) const;

private:
    explicit Document(_xmlDoc* doc);
    struct Free {
        void operator()(_xmlDoc* doc) const;
    };
    std::unique_ptr<_xmlDoc, Free> doc_;
};

// Serialises one element (and its subtree) without a declaration.
std::string toString(const Node& node, bool pretty = true);

} // namespace zarvex::xml
