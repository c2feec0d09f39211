#pragma once

// Generated inputs of the publishing tests: a private home, a resource folder
// with templates and players written by code, and page sources over small
// generated page files.
#include "base/AppSettings.h"
#include "base/Xml.h"
#include "import/FlashPageSource.h"
#include "publish/FlashBookOutput.h"
#include "publish/OutputMobileVersion.h"
#include "support/TempHome.h"
#include "templates/FlashTemplate.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zarvex::test {

// One template property; children make it a group.
struct PropertySpec {
    std::string key;
    std::string value;
    std::string type = "pt_text";
    std::vector<PropertySpec> children = {};
};

// A page source as the PDF import leaves it: pages, normal pages, thumbnails and
// mobile images, each looked up by page number.
class GeneratedPageSource : public FlashPageSource {
public:
    FlashPagePtr getNormalPageAtIndex(int pageIndex) const override {
        return findPage(normalPages_, pageIndex);
    }
    FlashPagePtr getThumbPageAtIndex(int pageIndex) const override {
        return findPage(thumbPages_, pageIndex);
    }
};

struct PageSourceSpec {
    std::vector<int> pageNumbers = {1, 2, 3};
    std::string extension = "swf";
    bool thumbs = true;
    bool mobile = true;
};

class PublishFixture {
public:
    PublishFixture();

    // Writes AppFiles/Templates/{name} with its declaration, theme, scripts and an
    // HTML page template "<title>${index.title}</title>...", and loads it.
    std::shared_ptr<FlashTemplate> loadTemplate(const std::string& name,
                                                const std::vector<PropertySpec>& properties);
    // Page files named "{kind}-{number}.{ext}" whose content names them.
    std::shared_ptr<GeneratedPageSource> pageSource(const PageSourceSpec& wanted);

    std::filesystem::path resources() const { return dir_ / "resources"; }
    std::filesystem::path work() const { return dir_ / "work"; }
    std::filesystem::path out() const { return dir_ / "out"; }
    std::filesystem::path previewPath() const;
    AppSettings& settings() { return settings_; }

private:
    std::filesystem::path buildResources_;
    TempHome home_;
    TempDir dir_;
    ScopedEnv resourcesEnv_;
    AppSettings settings_;
    int sourceCount_ = 0;
};

// A fixture with a template of the given properties and a page source, and
// writers over them that use the fixture's settings.
struct BookCase {
    explicit BookCase(const std::vector<PropertySpec>& properties = {},
                      const std::string& templateName = "plain", const PageSourceSpec& pages = {});

    // A book writer into `folder`.
    std::unique_ptr<FlashBookOutput> writer(const std::filesystem::path& folder,
                                            const std::string& name = "index.html");
    // Writes the preview (which creates the working page list), then the book
    // with its HTML page into out().
    std::unique_ptr<FlashBookOutput> publish(const std::string& name = "book.html");
    OutputMobileVersion mobile(int type);

    PublishFixture fixture;
    std::shared_ptr<FlashTemplate> tmpl;
    std::shared_ptr<GeneratedPageSource> source;
};

// The configuration document inside an envelope file; fails the test when the
// file does not decode.
xml::Document decodeConfig(const std::filesystem::path& envelopeFile);
// Runs node on a script; returns its standard output ("" and a test failure
// when node fails).
std::string runNode(const std::filesystem::path& script);

} // namespace zarvex::test
