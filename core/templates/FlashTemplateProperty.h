#pragma once

#include "base/Xml.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvex {

// How a property's value is edited and published. The codes are stored in
// FlashTemplateProperty::propertyType() and compared as integers by the editor and
// the book writer; the names are the ones written in flashTemplate.xml.
enum FlashTemplatePropertyType : std::int32_t {
    pt_text = 0, // also every unrecognised or missing type name
    pt_number = 1,
    pt_color = 2, // "0x" followed by RRGGBB
    pt_list = 3,  // choices: valueSource split at ","
    pt_composite = 4,
    pt_file = 5, // valueSource: "description|*.ext;*.ext"; value: a file path
    pt_list_fromFunction = 6,
    pt_form_security = 7,
    pt_font = 8,
    pt_form_contactabout = 9,
    pt_bool = 10, // "YES"/"NO", read with valueAsBool
};

// One node of a template's property tree. A node owns its children; parent() is a
// non-owning back link to the node whose childProperties() holds it (null for
// top-level nodes). Nodes are neither copyable nor movable, so the back links stay
// valid; hold them through std::unique_ptr. Main thread only; no locks.
class FlashTemplateProperty {
public:
    using Children = std::vector<std::unique_ptr<FlashTemplateProperty>>;

    // Title "Empty", type pt_text, every optional text absent, no children.
    FlashTemplateProperty();
    ~FlashTemplateProperty();
    FlashTemplateProperty(const FlashTemplateProperty&) = delete;
    FlashTemplateProperty& operator=(const FlashTemplateProperty&) = delete;

    // Fills this node and its subtree from a "property" element. The load is all or
    // nothing: when `element` is null, is not named "property", or it or any
    // "property" element of its subtree lacks one of "key", "title", "desc",
    // "value", "valueSource", "defaultValue", the node is left exactly as it was and
    // false is returned (`error`, when given, receives the reason).
    bool loadFromNode(const xml::Node& element, std::string* error = nullptr);

    std::size_t childCount() const { return childProperties_.size(); }

    FlashTemplateProperty* parent() const { return parent_; }
    void setParent(FlashTemplateProperty* parent) { parent_ = parent; }
    std::int32_t propertyType() const { return propertyType_; }
    void setPropertyType(std::int32_t type) { propertyType_ = type; }
    const std::optional<std::string>& key() const { return key_; }
    void setKey(std::optional<std::string> key) { key_ = std::move(key); }
    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    const std::optional<std::string>& aTitle() const { return aTitle_; }
    void setATitle(std::optional<std::string> aTitle) { aTitle_ = std::move(aTitle); }
    const std::optional<std::string>& desc() const { return desc_; }
    void setDesc(std::optional<std::string> desc) { desc_ = std::move(desc); }
    const std::optional<std::string>& value() const { return value_; }
    void setValue(std::optional<std::string> value) { value_ = std::move(value); }
    const std::optional<std::string>& valueSource() const { return valueSource_; }
    void setValueSource(std::optional<std::string> source) { valueSource_ = std::move(source); }
    const std::optional<std::string>& defaultValue() const { return defaultValue_; }
    void setDefaultValue(std::optional<std::string> value) { defaultValue_ = std::move(value); }
    const Children& childProperties() const { return childProperties_; }
    // Stores the list as given; the children's parent links are not touched.
    void setChildProperties(Children children) { childProperties_ = std::move(children); }
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }

    // Appends `child`, sets its parent to this node and returns it.
    FlashTemplateProperty& appendChild(std::unique_ptr<FlashTemplateProperty> child);

    // valueAsBool() of this node's value; false when the value is absent.
    bool valueAsBool() const;

    // True exactly for "YES", "SHOW", "ENABLE" and "TRUE" in any letter case; no
    // trimming.
    static bool valueAsBool(std::string_view text);
    // The code of one of the eleven type names, matched exactly; 0 for anything else.
    static std::int32_t flashTemplatePropertyTypeFromString(std::string_view text);

    // `value` as a number fit to stand in a script: a decimal with an optional
    // sign, fraction and exponent, surrounding blanks removed. Anything else (the
    // empty text, hexadecimal, Infinity, a script) raises Error with a one-line
    // message naming `key`.
    static std::string requireNumber(std::string_view key, std::string_view value);

private:
    FlashTemplateProperty* parent_ = nullptr;
    std::int32_t propertyType_ = pt_text;
    std::optional<std::string> key_;
    std::string title_ = "Empty";
    std::optional<std::string> aTitle_;
    std::optional<std::string> desc_;
    std::optional<std::string> value_;
    std::optional<std::string> valueSource_;
    std::optional<std::string> defaultValue_;
    Children childProperties_;
    bool readOnly_ = false;
};

} // namespace zarvex
