#pragma once

// The publishing tests' inputs, written by code: a private home, a resource
// folder with a template and players, and page sources over small page files.
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

// One book: AppFiles/Templates/{templateName} declaring `properties`, with its
// theme, scripts and an HTML page template "<title>${index.title}</title>...",
// the players in AppFiles/TmplData, a page source, and writers over them that
// use the case's own settings.
struct BookCase {
    explicit BookCase(const std::vector<PropertySpec>& properties = {},
                      const std::string& templateName = "plain", const PageSourceSpec& pages = {});

    // Page files named "{kind}-{number}.{ext}" whose content is "{kind} {number}".
    std::shared_ptr<GeneratedPageSource> pageSource(const PageSourceSpec& wanted);
    std::unique_ptr<FlashBookOutput> writer(const std::filesystem::path& folder,
                                            const std::string& name = "index.html");
    // Writes the preview (which creates the working page list), then the book
    // with its HTML page into out().
    std::unique_ptr<FlashBookOutput> publish(const std::string& name = "book.html");
    OutputMobileVersion mobile(int type);

    std::filesystem::path resources() const { return dir / "resources"; }
    std::filesystem::path work() const { return dir / "work"; }
    std::filesystem::path out() const { return dir / "out"; }
    std::filesystem::path preview() const { return FlashBookOutput::defaultPreviewPath(); }

    TempHome home;
    TempDir dir{"zarvex-publish"};
    ScopedEnv resourcesEnv{"ZARVEX_RESOURCES", resources().string()};
    AppSettings settings{home.config() / "zarvex-test-settings.json"};
    std::shared_ptr<FlashTemplate> tmpl;
    std::shared_ptr<FlashPageSource> source;
    int sourceCount = 0;
};

// The configuration inside an envelope file; a test failure when it does not decode.
xml::Document decodeConfig(const std::filesystem::path& envelopeFile);
// Node's standard output for a script; a test failure when node fails.
std::string runNode(const std::filesystem::path& script);

} // namespace zarvex::test
