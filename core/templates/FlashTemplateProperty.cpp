#include "templates/FlashTemplateProperty.h"

#include "base/Error.h"
#include "base/StringUtil.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace zarvex {

namespace {

// Indexed by type code.
constexpr std::array<std::string_view, 11> kTypeNames = {
    "pt_text",
    "pt_number",
    "pt_color",
    "pt_list",
    "pt_composite",
    "pt_file",
    "pt_list_fromFunction",
    "pt_form_security",
    "pt_font",
    "pt_form_contactabout",
    "pt_bool",
};

constexpr std::array<const char*, 6> kRequiredElements = {"key",   "title",       "desc",
                                                          "value", "valueSource", "defaultValue"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// [+-] (digits [. digits] | . digits) [(e|E) [+-] digits]
bool isDecimalNumber(std::string_view text) {
    std::size_t at = 0;
    auto digits = [&] {
        const auto from = at;
        while (at < text.size() && isDigit(text[at]))
            ++at;
        return at > from;
    };
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    bool mantissa = digits();
    if (at < text.size() && text[at] == '.') {
        ++at;
        mantissa = digits() || mantissa;
    }
    if (!mantissa)
        return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        if (!digits())
            return false;
    }
    return at == text.size();
}

// A value quoted for a one-line message: control characters shown as "?", long
// values cut.
std::string quotedForMessage(std::string_view value) {
    constexpr std::size_t kShown = 60;
    std::string out = "\"";
    for (char c : value.substr(0, kShown))
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    return out + (value.size() > kShown ? "...\"" : "\"");
}

bool isPropertyElement(const xml::Node& element) {
    return element && element.isElement() && element.name() == "property";
}

// Checks the whole subtree first, so that loading can never stop half-way.
bool validate(const xml::Node& element, std::string* error) {
    for (const char* name : kRequiredElements) {
        if (!element.child(name)) {
            if (error) {
                const xml::Node key = element.child("key");
                *error = "property " +
                         (key ? "\"" + key.text() + "\"" : std::string("without key")) +
                         " lacks the element \"" + name + "\"";
            }
            return false;
        }
    }
    if (const xml::Node children = element.child("childProperties")) {
        for (const xml::Node& child : children.children()) {
            if (isPropertyElement(child) && !validate(child, error))
                return false;
        }
    }
    return true;
}

} // namespace

FlashTemplateProperty::FlashTemplateProperty() = default;
FlashTemplateProperty::~FlashTemplateProperty() = default;

bool FlashTemplateProperty::loadFromNode(const xml::Node& element, std::string* error) {
    if (!isPropertyElement(element)) {
        if (error)
            *error = "not a property element";
        return false;
    }
    if (!validate(element, error))
        return false;

    parent_ = nullptr;
    key_ = element.child("key").text();
    title_ = element.child("title").text();
    desc_ = element.child("desc").text();
    value_ = element.child("value").text();
    valueSource_ = element.child("valueSource").text();
    defaultValue_ = element.child("defaultValue").text();

    const std::optional<std::string> type = element.attribute("type");
    aTitle_ = std::string();
    if (const xml::Node aTitle = element.child("aTitle"))
        aTitle_ = aTitle.text();

    propertyType_ = type ? flashTemplatePropertyTypeFromString(*type) : pt_text;
    if (element.attribute("aType"))
        propertyType_ = pt_bool;

    childProperties_.clear();
    if (const xml::Node children = element.child("childProperties")) {
        for (const xml::Node& child : children.children()) {
            if (!isPropertyElement(child))
                continue;
            auto node = std::make_unique<FlashTemplateProperty>();
            node->loadFromNode(child); // validated above, cannot fail
            appendChild(std::move(node));
        }
    }
    return true;
}

FlashTemplateProperty&
FlashTemplateProperty::appendChild(std::unique_ptr<FlashTemplateProperty> child) {
    child->setParent(this);
    childProperties_.push_back(std::move(child));
    return *childProperties_.back();
}

bool FlashTemplateProperty::valueAsBool() const {
    return value_ && valueAsBool(*value_);
}

bool FlashTemplateProperty::valueAsBool(std::string_view text) {
    const std::string upper = upperAscii(text);
    return upper == "YES" || upper == "SHOW" || upper == "ENABLE" || upper == "TRUE";
}

std::int32_t FlashTemplateProperty::flashTemplatePropertyTypeFromString(std::string_view text) {
    const auto it = std::find(kTypeNames.begin(), kTypeNames.end(), text);
    return it == kTypeNames.end() ? pt_text : static_cast<std::int32_t>(it - kTypeNames.begin());
}

std::string FlashTemplateProperty::requireNumber(std::string_view key, std::string_view value) {
    std::string_view text = value;
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!isDecimalNumber(text))
        throw Error("the property \"" + std::string(key) + "\" must be a number, not " +
                    quotedForMessage(value));
    return std::string(text);
}

} // namespace zarvex
