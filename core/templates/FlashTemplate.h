#pragma once

#include "templates/FlashTemplateProperty.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zarvex {

// A book template loaded from the resource folder R: the paths declared in
// R/AppFiles/Templates/{tmplName}/flashTemplate.xml, the name of the style last
// applied, and the property tree with its current values.
//
// Keys are compared exactly. Every lookup and set by key walks the tree depth-first
// in pre-order (each node before its children, all descendants before the next
// sibling) and takes the first match.
//
// Main thread only; no locks. The class-level path operations and
// GetPreviewMobileFilePath() raise zarvex::Error when no resource folder exists;
// the other instance operations never throw (they log).
class FlashTemplate {
public:
    using Properties = FlashTemplateProperty::Children;

    // --- Class-level operations -------------------------------------------------

    // Full paths of the template folders directly under R/AppFiles/Templates.
    static std::vector<std::filesystem::path> tmplNames();
    // R/AppFiles/Templates/{name}/, always ending in a separator.
    static std::filesystem::path tmplPathForName(const std::string& name);
    // tmplPathForName(name)/flashTemplate.xml.
    static std::filesystem::path tmplMetaPathForName(const std::string& name);
    // Full paths of the style folders directly under R/AppFiles/Styles/{tmplName}.
    static std::vector<std::filesystem::path> tmplStyleNamesForTmpl(const std::string& tmplName);
    // R/AppFiles/Styles/{tmplName}/{styleName}.
    static std::filesystem::path stylePathFor(const std::string& tmplName,
                                              const std::string& styleName);

    // --- Creation -----------------------------------------------------------------

    // Loads the template "float".
    FlashTemplate();
    // Loads the template `name` (the folder name under R/AppFiles/Templates).
    explicit FlashTemplate(const std::string& name);
    ~FlashTemplate();
    FlashTemplate(const FlashTemplate&) = delete;
    FlashTemplate& operator=(const FlashTemplate&) = delete;

    // --- Loading --------------------------------------------------------------------

    // Replaces the property tree and the info fields from the template's declaration
    // file; styleName() is kept and no style is applied. tmplName() becomes `name`
    // and the tree is emptied first, whatever happens. The declaration is parsed
    // strictly, then leniently when that fails. A declaration that cannot be read or
    // parsed, or lacks "info", "properties", one of the five info elements, or one
    // of a property's six required elements, is rejected as a whole: the tree stays
    // empty, the info fields keep their previous values, false is returned and
    // loadError() says why.
    bool loadTemplate(const std::string& name);
    // Why the last loadTemplate() failed; absent after a successful load.
    const std::optional<std::string>& loadError() const { return loadError_; }

    // Applies the preset R/.../{style}/tmplSetting.txt over the current values after
    // setting styleName() to the folder's last component.
    void loadStyleByStylePath(const std::filesystem::path& stylePath);
    // loadStyleByStylePath(stylePathFor(tmplName(), styleName)).
    void loadStyleByStyleName(const std::string& styleName);
    // Loads template `name` and applies the style folder `stylePath`, keeping the
    // values of "pageWidth", "pageHeight" and "languageSetting" from before.
    void changeTmplTo(const std::string& name, const std::filesystem::path& stylePath);

    // --- Values by key ------------------------------------------------------------

    // The value of the first property with `key`; `defaultValue` when none matches
    // or its value is absent.
    std::string propertyValueFor(const std::string& key, const std::string& defaultValue) const;
    // The same search over the descendants of `node` only; absent when not found.
    std::optional<std::string> propertyValueFor(const FlashTemplateProperty& node,
                                                const std::string& key) const;
    // Sets the first property with `key`; for a pt_file property the value is
    // passed through valueAsFilePath() first. An unknown key changes nothing.
    void setPropertyValue(const std::string& key, const std::string& value);
    // The same over the descendants of `node` only; true when a node was set.
    bool setPropertyValueAt(FlashTemplateProperty& node, const std::string& key,
                            const std::string& value);

    // The first property with `key` in the whole tree, or null.
    FlashTemplateProperty* findProperty(const std::string& key) const;
    // Every node of the tree in pre-order.
    std::vector<FlashTemplateProperty*> allProperties() const;
    // Raises Error (FlashTemplateProperty::requireNumber) for the first pt_number
    // property in pre-order whose value is not a number; absent values pass.
    void checkNumberProperties() const;

    // A value of the form <anything>"STYLE_RESOURCE:"<rest> becomes
    // stylePathFor(tmplName(), styleName())/<rest>. Values without the marker, and
    // every value while no style has been applied, come back unchanged.
    std::string valueAsFilePath(const std::string& value) const;

    // --- Settings text --------------------------------------------------------------

    // Writes one line key=value per node in pre-order, each preceded by LF CR, as
    // UTF-8, atomically. LF CR inside a key, and each line break inside a value,
    // is written as "|||"; everything else is written as it is. A text that would
    // read as an earlier export's backslash escapes starts with a line without
    // "=" that says otherwise (settings::kPlainBackslashesLine). False when the
    // file cannot be written.
    bool exportPropertiesSettingsTo(const std::filesystem::path& file) const;
    // Appends the lines of the descendants of `from` (of the whole tree when null).
    void exportPropertiesSettingsToArray(std::vector<std::string>& lines,
                                         const FlashTemplateProperty* from) const;
    // Applies a settings text: every line key=value sets the first property with
    // that key (CR removed anywhere, lines without "=" skipped, "|||" in a value
    // read as a line break, or, in a file of an earlier export, the backslash
    // escapes undone: settings::hasBackslashEscapes); when a key comes
    // on several lines, its n-th line sets the n-th property with it, so that an
    // export reads back node for node. "pageWidth" and "pageHeight" keep their
    // values. A missing file changes nothing. Returns false
    // when the file cannot be read.
    bool importPropertiesSettingsFrom(const std::filesystem::path& file);

    // --- Template files -----------------------------------------------------------
    // Each removes whatever is at the destination, then copies the source file or
    // folder there. Failures are logged, never raised; the result says whether the
    // copy was made.
    bool copyBookSWFToFile(const std::filesystem::path& destination) const;
    bool copyThemeToFile(const std::filesystem::path& destination) const;
    bool copyBookJSFile(const std::filesystem::path& destination) const;
    bool copyElseSWFToFile(const std::filesystem::path& destination) const;
    // `type` is "Flip" or "Slide".
    bool copyMobilePathToFile(const std::filesystem::path& destination,
                              const std::string& type) const;
    bool copyHistoryDirToDir(const std::filesystem::path& destination) const;
    // Does nothing.
    void copyHTMLToFile(const std::filesystem::path& destination) const;

    // The HTML page template: the template folder joined with HTMLFilePath(), else
    // R/AppFiles joined with it (backslashes read as "/"); absent when neither exists.
    std::optional<std::filesystem::path> tmplHTMLFilePath() const;
    // tmplPathForName(mobileTmplFilesPath()) + "Flip/javascript/main_preview.js".
    std::filesystem::path GetPreviewMobileFilePath() const;

    // --- Fields ---------------------------------------------------------------------

    const std::string& tmplName() const { return tmplName_; }
    const Properties& properties() const { return properties_; }
    // Replaces the tree as given; the nodes' parent links are not touched.
    void setProperties(Properties properties) { properties_ = std::move(properties); }
    const std::string& tmplVersion() const { return tmplVersion_; }
    void setTmplVersion(std::string version) { tmplVersion_ = std::move(version); }
    const std::optional<std::string>& tmplFilePath() const { return tmplFilePath_; }
    void setTmplFilePath(std::optional<std::string> path) { tmplFilePath_ = std::move(path); }
    const std::optional<std::string>& SWFFilePath() const { return SWFFilePath_; }
    void setSWFFilePath(std::optional<std::string> path) { SWFFilePath_ = std::move(path); }
    const std::optional<std::string>& HTMLFilePath() const { return HTMLFilePath_; }
    void setHTMLFilePath(std::optional<std::string> path) { HTMLFilePath_ = std::move(path); }
    bool needThumbs() const { return needThumbs_; }
    void setNeedThumbs(bool needThumbs) { needThumbs_ = needThumbs; }
    const std::optional<std::string>& mobileTmplFilesPath() const { return mobileTmplFilesPath_; }
    void setMobileTmplFilesPath(std::optional<std::string> path) {
        mobileTmplFilesPath_ = std::move(path);
    }
    const std::optional<std::string>& macAppFilesFolder() const { return macAppFilesFolder_; }
    void setMacAppFilesFolder(std::optional<std::string> path) {
        macAppFilesFolder_ = std::move(path);
    }
    const std::string& defaultSytleName() const { return defaultSytleName_; }
    void setDefaultSytleName(std::string name) { defaultSytleName_ = std::move(name); }
    const std::optional<std::string>& styleName() const { return styleName_; }
    void setStyleName(std::optional<std::string> name) { styleName_ = std::move(name); }

private:
    bool copyItem(const std::filesystem::path& source,
                  const std::filesystem::path& destination) const;
    // Visits the nodes below `nodes` in pre-order until `visit` returns true.
    static FlashTemplateProperty* walk(const Properties& nodes,
                                       const std::function<bool(FlashTemplateProperty&)>& visit);
    bool setValueOf(FlashTemplateProperty& node, const std::string& value);
    // The n-th (0-based) node with `key` in pre-order, or null.
    FlashTemplateProperty* nthProperty(const std::string& key, std::size_t n) const;

    std::string tmplName_;
    Properties properties_;
    std::string tmplVersion_ = "3.0.0";
    std::optional<std::string> tmplFilePath_;
    std::optional<std::string> SWFFilePath_;
    std::optional<std::string> HTMLFilePath_;
    bool needThumbs_ = true;
    std::optional<std::string> mobileTmplFilesPath_;
    std::optional<std::string> macAppFilesFolder_;
    std::string defaultSytleName_ = "Blank";
    std::optional<std::string> styleName_;
    std::optional<std::string> loadError_;
};

} // namespace zarvex
