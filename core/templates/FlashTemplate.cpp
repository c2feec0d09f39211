#include "templates/FlashTemplate.h"

#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/HXCUtility.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "base/StringUtil.h"
#include "base/TextEncoding.h"
#include "base/Xml.h"
#include "templates/SettingsText.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace zarvex {

namespace {

constexpr std::string_view kStyleResourceMarker = "STYLE_RESOURCE:";

// Folders directly below `root`, in the order of the folder listing. The listing
// is deep; only the first level are templates (or styles): the folders below
// them ("history", resource sub-folders) are parts of a template or style.
std::vector<fs::path> directSubFolders(const fs::path& root) {
    std::vector<fs::path> result;
    for (const fs::path& folder : HXCUtility::subFolderOfFolder(root)) {
        const fs::path relative = folder.lexically_relative(root);
        if (std::distance(relative.begin(), relative.end()) == 1 && relative != ".." &&
            relative != ".")
            result.push_back(folder);
    }
    return result;
}

std::string replacingAll(std::string text, std::string_view from, std::string_view to) {
    replaceAll(text, from, to);
    return text;
}

// Appends `rest` to `base` as text, with one separator between them: an absolute
// or empty `rest` never replaces `base`, unlike operator/.
fs::path joinText(const fs::path& base, std::string_view rest) {
    std::string text = base.string();
    if (!text.empty() && text.back() != '/')
        text += '/';
    text += rest;
    return text;
}

} // namespace

// --- Class-level operations ------------------------------------------------------

std::vector<fs::path> FlashTemplate::tmplNames() {
    return directSubFolders(resourcePath("AppFiles/Templates"));
}

fs::path FlashTemplate::tmplPathForName(const std::string& name) {
    return resourcePath("AppFiles/Templates") / name / "";
}

fs::path FlashTemplate::tmplMetaPathForName(const std::string& name) {
    return tmplPathForName(name) / "flashTemplate.xml";
}

std::vector<fs::path> FlashTemplate::tmplStyleNamesForTmpl(const std::string& tmplName) {
    return directSubFolders(resourcePath("AppFiles/Styles") / tmplName);
}

fs::path FlashTemplate::stylePathFor(const std::string& tmplName, const std::string& styleName) {
    return resourcePath("AppFiles/Styles") / tmplName / styleName;
}

// --- Creation ----------------------------------------------------------------------

FlashTemplate::FlashTemplate() : FlashTemplate("float") {}

FlashTemplate::FlashTemplate(const std::string& name) {
    ZLOG_DEBUG("self is:{}", fmt::format("<FlashTemplate: {}>", fmt::ptr(this)));
    loadTemplate(name);
}

FlashTemplate::~FlashTemplate() = default;

// --- Loading -------------------------------------------------------------------------

bool FlashTemplate::loadTemplate(const std::string& name) {
    properties_.clear();
    tmplName_ = name;
    loadError_.reset();

    auto fail = [this](std::string reason) {
        ZLOG_ERROR("template \"{}\" not loaded: {}", tmplName_, reason);
        loadError_ = std::move(reason);
        return false;
    };

    fs::path declaration;
    try {
        declaration = tmplMetaPathForName(name);
    } catch (const Error& error) {
        ZLOG_ERROR("Can't create an URL from file {}.", name);
        return fail(error.what());
    }

    std::error_code missing;
    if (!fs::is_regular_file(declaration, missing))
        return fail(fmt::format("{} does not exist", declaration.string()));

    std::string strictError;
    std::optional<xml::Document> document =
        xml::Document::parseFile(declaration, xml::ParseMode::Strict, &strictError);
    if (!document) {
        ZLOG_WARN("template declaration {} is not well-formed ({}); reading it leniently",
                  declaration.string(), strictError);
        std::string lenientError;
        document = xml::Document::parseFile(declaration, xml::ParseMode::Lenient, &lenientError);
        if (!document)
            return fail(fmt::format("cannot read {}: {}", declaration.string(),
                                    lenientError.empty() ? strictError : lenientError));
    }

    const xml::Node root = document->root();
    const xml::Node info = root ? root.child("info") : xml::Node();
    if (!info)
        return fail(fmt::format("{} has no \"info\" element", declaration.string()));
    static constexpr std::array<const char*, 5> kInfoElements = {
        "htmlPath", "swfPath", "defaultStyle", "macAppFilesFolder", "mobileTmplFilesPath"};
    for (const char* element : kInfoElements) {
        if (!info.child(element))
            return fail(fmt::format("{}: \"info\" lacks \"{}\"", declaration.string(), element));
    }
    const xml::Node propertiesElement = root.child("properties");
    if (!propertiesElement)
        return fail(fmt::format("{} has no \"properties\" element", declaration.string()));

    // Build the whole tree aside, so a rejected declaration leaves nothing behind.
    Properties loaded;
    for (const xml::Node& element : propertiesElement.children()) {
        if (!element.isElement() || element.name() != "property")
            continue;
        auto node = std::make_unique<FlashTemplateProperty>();
        std::string error;
        if (!node->loadFromNode(element, &error))
            return fail(fmt::format("{}: {}", declaration.string(), error));
        node->setParent(nullptr);
        loaded.push_back(std::move(node));
    }

    HTMLFilePath_ = info.child("htmlPath").text();
    SWFFilePath_ = info.child("swfPath").text();
    defaultSytleName_ = info.child("defaultStyle").text();
    macAppFilesFolder_ = info.child("macAppFilesFolder").text();
    mobileTmplFilesPath_ = info.child("mobileTmplFilesPath").text();
    properties_ = std::move(loaded);
    return true;
}

void FlashTemplate::loadStyleByStylePath(const fs::path& stylePath) {
    fs::path folder = stylePath;
    if (!folder.has_filename()) // "…/Blue/" names the folder Blue
        folder = folder.parent_path();
    styleName_ = folder.filename().string();
    importPropertiesSettingsFrom(stylePath / "tmplSetting.txt");
}

void FlashTemplate::loadStyleByStyleName(const std::string& styleName) {
    fs::path path;
    try {
        path = stylePathFor(tmplName_, styleName);
    } catch (const Error& error) {
        ZLOG_ERROR("style {} not applied: {}", styleName, error.what());
        return;
    }
    loadStyleByStylePath(path);
}

void FlashTemplate::changeTmplTo(const std::string& name, const fs::path& stylePath) {
    const std::string pageWidth = propertyValueFor("pageWidth", "960");
    const std::string pageHeight = propertyValueFor("pageHeight", "600");
    const std::string language = propertyValueFor("languageSetting", "");
    loadTemplate(name);
    loadStyleByStylePath(stylePath);
    setPropertyValue("pageWidth", pageWidth);
    setPropertyValue("pageHeight", pageHeight);
    setPropertyValue("languageSetting", language);
}

// --- Values by key ---------------------------------------------------------------------

FlashTemplateProperty*
FlashTemplate::walk(const Properties& nodes,
                    const std::function<bool(FlashTemplateProperty&)>& visit) {
    for (const auto& node : nodes) {
        if (visit(*node))
            return node.get();
        if (FlashTemplateProperty* found = walk(node->childProperties(), visit))
            return found;
    }
    return nullptr;
}

FlashTemplateProperty* FlashTemplate::findProperty(const std::string& key) const {
    return walk(properties_, [&](FlashTemplateProperty& node) { return node.key() == key; });
}

FlashTemplateProperty* FlashTemplate::nthProperty(const std::string& key, std::size_t n) const {
    return walk(properties_,
                [&](FlashTemplateProperty& node) { return node.key() == key && n-- == 0; });
}

std::vector<FlashTemplateProperty*> FlashTemplate::allProperties() const {
    std::vector<FlashTemplateProperty*> nodes;
    walk(properties_, [&](FlashTemplateProperty& node) {
        nodes.push_back(&node);
        return false;
    });
    return nodes;
}

void FlashTemplate::checkNumberProperties() const {
    for (const FlashTemplateProperty* node : allProperties())
        if (node->propertyType() == pt_number && node->value())
            FlashTemplateProperty::requireNumber(node->key().value_or(""), *node->value());
}

std::string FlashTemplate::propertyValueFor(const std::string& key,
                                            const std::string& defaultValue) const {
    const FlashTemplateProperty* node = findProperty(key);
    return node && node->value() ? *node->value() : defaultValue;
}

std::optional<std::string> FlashTemplate::propertyValueFor(const FlashTemplateProperty& node,
                                                           const std::string& key) const {
    const FlashTemplateProperty* found = walk(
        node.childProperties(), [&](FlashTemplateProperty& each) { return each.key() == key; });
    return found ? found->value() : std::nullopt;
}

bool FlashTemplate::setValueOf(FlashTemplateProperty& node, const std::string& value) {
    if (node.propertyType() == pt_file) {
        if (node.parent())
            ZLOG_DEBUG("key 3[{}={}]", node.key().value_or(""), value);
        node.setValue(valueAsFilePath(value));
    } else {
        node.setValue(value);
    }
    return true;
}

void FlashTemplate::setPropertyValue(const std::string& key, const std::string& value) {
    if (FlashTemplateProperty* node = findProperty(key))
        setValueOf(*node, value);
}

bool FlashTemplate::setPropertyValueAt(FlashTemplateProperty& node, const std::string& key,
                                       const std::string& value) {
    FlashTemplateProperty* found = walk(
        node.childProperties(), [&](FlashTemplateProperty& each) { return each.key() == key; });
    return found && setValueOf(*found, value);
}

std::string FlashTemplate::valueAsFilePath(const std::string& value) const {
    const std::size_t at = value.find(kStyleResourceMarker);
    if (at == std::string::npos)
        return value;
    if (!styleName_) {
        // No style applied yet: there is no style folder to resolve into.
        ZLOG_WARN("\"{}\" left unresolved: no style applied", value);
        return value;
    }
    try {
        return joinText(stylePathFor(tmplName_, *styleName_),
                        std::string_view(value).substr(at + kStyleResourceMarker.size()))
            .string();
    } catch (const Error& error) {
        ZLOG_ERROR("\"{}\" left unresolved: {}", value, error.what());
        return value;
    }
}

// --- Settings text ---------------------------------------------------------------------

void FlashTemplate::exportPropertiesSettingsToArray(std::vector<std::string>& lines,
                                                    const FlashTemplateProperty* from) const {
    walk(from ? from->childProperties() : properties_, [&](FlashTemplateProperty& node) {
        lines.push_back(replacingAll(node.key().value_or(""), "\n\r", "|||") + "=" +
                        settings::encodeValue(node.value().value_or("")));
        return false;
    });
}

bool FlashTemplate::exportPropertiesSettingsTo(const fs::path& file) const {
    std::vector<std::string> lines;
    exportPropertiesSettingsToArray(lines, nullptr);
    std::string text;
    for (const std::string& line : lines) {
        text += "\n\r";
        text += line;
    }
    // Values are written as they are, so a text whose backslashes happen to look
    // like the escapes of earlier exports is marked as plain.
    if (settings::hasBackslashEscapes(text))
        text = "\n\r" + std::string(settings::kPlainBackslashesLine) + text;
    if (!writeFileAtomically(file, text)) {
        ZLOG_ERROR("cannot write the settings to {}", file.string());
        return false;
    }
    return true;
}

bool FlashTemplate::importPropertiesSettingsFrom(const fs::path& file) {
    const std::optional<std::string> bytes = readFile(file);
    if (!bytes)
        ZLOG_WARN("cannot read the settings file {}", file.string());
    const std::string text = bytes ? text::decodeText(*bytes) : std::string();

    const std::string pageWidth = propertyValueFor("pageWidth", "960");
    const std::string pageHeight = propertyValueFor("pageHeight", "600");
    // Files of earlier exports escaped values with backslashes; every other file
    // holds its values as written, with "|||" for a line break.
    const bool backslashEscapes = settings::hasBackslashEscapes(text);
    if (backslashEscapes)
        ZLOG_INFO("{} holds backslash escapes; read as an earlier export", file.string());

    std::map<std::string, std::size_t> seen;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        std::erase(line, '\r');
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        const std::string_view written = std::string_view(line).substr(equals + 1);
        const std::string value = backslashEscapes ? settings::unescapeBackslashes(written)
                                                   : settings::decodeValue(written);
        if (key == "innerMainbgImgUrl")
            ZLOG_DEBUG("key 0[{}={}]", key, value);
        // An export names every node, so a key that several nodes share comes once
        // per node, in tree order: the n-th line of a key goes to the n-th node with
        // it. Lines beyond the nodes (or a single line) go to the first node.
        const std::size_t occurrence = seen[key]++;
        if (FlashTemplateProperty* node = nthProperty(key, occurrence))
            setValueOf(*node, value);
        else
            setPropertyValue(key, value);
    }

    setPropertyValue("pageWidth", pageWidth);
    setPropertyValue("pageHeight", pageHeight);
    return bytes.has_value();
}

// --- Template files ----------------------------------------------------------------

bool FlashTemplate::copyItem(const fs::path& source, const fs::path& destination) const {
    std::error_code error;
    fs::remove_all(destination, error);
    if (error)
        ZLOG_WARN("cannot remove {}: {}", destination.string(), error.message());
    if (!fs::exists(source, error)) {
        ZLOG_WARN("template file {} is missing", source.string());
        return false;
    }
    fs::copy(source, destination, fs::copy_options::recursive, error);
    if (error) {
        ZLOG_WARN("cannot copy {} to {}: {}", source.string(), destination.string(),
                  error.message());
        return false;
    }
    return true;
}

namespace {

// Runs `source` (which may raise Error when there is no resource folder) and
// copies; a missing resource folder is logged like any other copy failure.
template <class Source> std::optional<fs::path> sourcePath(Source source) {
    try {
        return source();
    } catch (const Error& error) {
        ZLOG_ERROR("template file not copied: {}", error.what());
        return std::nullopt;
    }
}

} // namespace

bool FlashTemplate::copyBookSWFToFile(const fs::path& destination) const {
    const auto source = sourcePath([] { return resourcePath("AppFiles/TmplData/book.swf"); });
    return source && copyItem(*source, destination);
}

bool FlashTemplate::copyThemeToFile(const fs::path& destination) const {
    const auto source = sourcePath([this] { return tmplPathForName(tmplName_) / "Main.swf"; });
    return source && copyItem(*source, destination);
}

bool FlashTemplate::copyBookJSFile(const fs::path& destination) const {
    const auto source = sourcePath([this] { return tmplPathForName(tmplName_) / "swfobject.js"; });
    return source && copyItem(*source, destination);
}

bool FlashTemplate::copyElseSWFToFile(const fs::path& destination) const {
    const auto source =
        sourcePath([this] { return tmplPathForName(tmplName_) / "playerProductInstall.swf"; });
    return source && copyItem(*source, destination);
}

bool FlashTemplate::copyMobilePathToFile(const fs::path& destination,
                                         const std::string& type) const {
    const auto source = sourcePath(
        [&] { return fs::path(resourcePath("AppFiles").string() + "/TmplData/mobile/" + type); });
    return source && copyItem(*source, destination);
}

bool FlashTemplate::copyHistoryDirToDir(const fs::path& destination) const {
    const auto source = sourcePath([this] { return tmplPathForName(tmplName_) / "history"; });
    return source && copyItem(*source, destination);
}

void FlashTemplate::copyHTMLToFile(const fs::path& /*destination*/) const {}

std::optional<fs::path> FlashTemplate::tmplHTMLFilePath() const {
    const std::string html = HTMLFilePath_.value_or("");
    try {
        std::error_code error;
        const fs::path inTemplate =
            replacingAll(joinText(tmplPathForName(tmplName_), html).string(), "\\", "/");
        if (fs::is_regular_file(inTemplate, error))
            return inTemplate;
        const fs::path shared =
            replacingAll(joinText(resourcePath("AppFiles"), html).string(), "\\", "/");
        if (fs::is_regular_file(shared, error))
            return shared;
    } catch (const Error& error) {
        ZLOG_ERROR("no HTML page template: {}", error.what());
    }
    return std::nullopt;
}

fs::path FlashTemplate::GetPreviewMobileFilePath() const {
    return fs::path(tmplPathForName(mobileTmplFilesPath_.value_or("")).string() +
                    "Flip/javascript/main_preview.js");
}

} // namespace zarvex
