// The template model over the library that the application ships (the resource
// folder the test run points to): every template loads, every style applies and
// finds its files, and the settings text reads back what it wrote. The data's own
// form is checked in ShippedLibraryDataTest.
#include "templates/FlashTemplate.h"

#include "base/FileUtil.h"
#include "base/Resources.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

std::vector<std::string> shippedTemplates() {
    std::vector<std::string> names;
    for (const fs::path& folder : FlashTemplate::tmplNames())
        names.push_back(folder.filename().string());
    return names;
}

// key=value pairs of a preset file, in order.
std::vector<std::pair<std::string, std::string>> presetLines(const fs::path& file) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::string text = readFile(file).value_or("");
    std::erase(text, '\r');
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (const auto eq = line.find('='); eq != std::string::npos)
            lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return lines;
}

class ShippedTemplateModel : public ::testing::Test {
protected:
    void SetUp() override {
        try {
            names = shippedTemplates();
        } catch (const std::exception& error) {
            GTEST_SKIP() << error.what();
        }
        if (names.empty())
            GTEST_SKIP() << "no templates shipped yet";
    }
    test::TempHome home;
    std::vector<std::string> names;
};

TEST_F(ShippedTemplateModel, EveryTemplateLoadsWithItsFiles) {
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        FlashTemplate tmpl(name);
        EXPECT_FALSE(tmpl.loadError()) << tmpl.loadError().value_or("");
        EXPECT_FALSE(tmpl.properties().empty());
        EXPECT_TRUE(tmpl.tmplHTMLFilePath());
        for (const char* key : {"pageWidth", "pageHeight", "languageSetting"})
            EXPECT_TRUE(tmpl.findProperty(key)) << key;
        EXPECT_GE(FlashTemplate::tmplStyleNamesForTmpl(name).size(), 3u);
    }
}

TEST_F(ShippedTemplateModel, EveryStyleAppliesAndItsResourcesExist) {
    for (const std::string& name : names) {
        for (const fs::path& style : FlashTemplate::tmplStyleNamesForTmpl(name)) {
            SCOPED_TRACE(style.string());
            const auto lines = presetLines(style / "tmplSetting.txt");
            EXPECT_FALSE(lines.empty());

            FlashTemplate tmpl(name);
            tmpl.changeTmplTo(name, style);
            EXPECT_EQ(tmpl.styleName(), style.filename().string());
            for (const auto& [key, value] : lines) {
                const FlashTemplateProperty* node = tmpl.findProperty(key);
                ASSERT_TRUE(node) << "the preset names the unknown key " << key;
                if (value.find("STYLE_RESOURCE:") == std::string::npos)
                    continue;
                EXPECT_EQ(node->propertyType(), pt_file) << key;
                const std::string resolved = node->value().value_or("");
                EXPECT_TRUE(fs::is_regular_file(resolved)) << key << " -> " << resolved;
            }
        }
    }
}

TEST_F(ShippedTemplateModel, ExportThenImportReproducesEveryValue) {
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        FlashTemplate source(name);
        const auto styles = FlashTemplate::tmplStyleNamesForTmpl(name);
        if (!styles.empty())
            source.loadStyleByStylePath(styles.front());
        const fs::path file = home.path() / (name + ".txt");
        ASSERT_TRUE(source.exportPropertiesSettingsTo(file));

        FlashTemplate target(name);
        ASSERT_TRUE(target.importPropertiesSettingsFrom(file));
        const auto from = source.allProperties();
        const auto to = target.allProperties();
        ASSERT_EQ(from.size(), to.size());
        for (std::size_t i = 0; i < from.size(); ++i)
            EXPECT_EQ(to[i]->value(), from[i]->value()) << from[i]->key().value_or("");
    }
}

} // namespace
} // namespace zarvex
