#pragma once

// A private resource folder holding hand-made templates and styles, so the model's
// tests do not depend on the shipped library.
#include "support/TempHome.h"

#include <filesystem>
#include <string>

namespace zarvex::test {

// One property element. `extra` is placed inside the element after the six
// required children (aTitle, childProperties, ...); `attributes` goes into the tag.
inline std::string property(const std::string& key, const std::string& value,
                            const std::string& attributes = "type=\"pt_text\"",
                            const std::string& extra = "") {
    return "<property " + attributes + "><key>" + key + "</key><title>" + key +
           " title</title><desc>" + key + " help</desc><value>" + value +
           "</value><valueSource></valueSource><defaultValue>" + value + "</defaultValue>" + extra +
           "</property>";
}

inline std::string children(const std::string& properties) {
    return "<childProperties>" + properties + "</childProperties>";
}

inline std::string info(const std::string& htmlPath = "index.html") {
    return "<info><htmlPath>" + htmlPath +
           "</htmlPath><swfPath>Main.swf</swfPath><defaultStyle>Plain</defaultStyle>"
           "<macAppFilesFolder>mac</macAppFilesFolder>"
           "<mobileTmplFilesPath>../TmplData/mobile/</mobileTmplFilesPath></info>";
}

inline std::string declaration(const std::string& properties,
                               const std::string& infoElement = info()) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<flashTemplate>" + infoElement +
           "<properties>" + properties + "</properties></flashTemplate>\n";
}

// A temporary HOME and resource folder (ZARVEX_RESOURCES) for one test.
class TemplateResources {
public:
    TemplateResources()
        : resources_("zarvex-res"), env_("ZARVEX_RESOURCES", resources_.path().string()) {
        std::filesystem::create_directories(templates());
        std::filesystem::create_directories(styles());
    }

    const std::filesystem::path& root() const { return resources_.path(); }
    std::filesystem::path templates() const { return root() / "AppFiles/Templates"; }
    std::filesystem::path styles() const { return root() / "AppFiles/Styles"; }

    void addTemplate(const std::string& name, const std::string& declarationText) const {
        writeFile(templates() / name / "flashTemplate.xml", declarationText);
    }
    // A style folder with its preset; returns the folder.
    std::filesystem::path addStyle(const std::string& tmpl, const std::string& style,
                                   const std::string& preset) const {
        writeFile(styles() / tmpl / style / "tmplSetting.txt", preset);
        return styles() / tmpl / style;
    }

private:
    TempHome home_;
    TempDir resources_;
    ScopedEnv env_;
};

} // namespace zarvex::test
