#include "publish/FlashBookOutput.h"

#include "archive/ConfigEnvelope.h"
#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "import/FlashOutline.h"
#include "import/FlashPage.h"
#include "import/FlashPageSource.h"
#include "import/FlashPagesAnnotations.h"
#include "import/PageTextExtractor.h"
#include "publish/BookTextHtml.h"
#include "publish/ColorText.h"
#include "publish/FastCopy.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/MakerInfo.h"
#include "publish/WebText.h"
#include "templates/FlashTemplate.h"

#include <array>
#include <cstdint>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace zarvex {

namespace {

// The steps of the book folder assembly, in order; index = step number.
constexpr std::array<const char*, 16> kSteps = {
    "Checking the output folder",
    "Removing stale extension files",
    "Copying pages",
    "Preparing zoomed pages",
    "Copying thumbnails",
    "Copying extension files",
    "Copying link files",
    "Preparing the theme folder",
    "Writing the page list",
    "Copying the page editor files",
    "Writing the HTML page",
    "Writing the book configuration",
    "Copying the book player",
    "Copying the embedding script",
    "Copying the player installer",
    "Copying the theme",
};

// The buttons of the hidden-button list, in list order.
constexpr std::array<const char*, 12> kButtons = {
    "Zoom",      "TiltAngle",  "AutoPlay", "BackgroundSound", "Info",  "Bookmark",
    "Thumbnail", "FullScreen", "Help",     "Share",           "Print", "Download"};

// The optional script files the book holds, listed in config.js so that the
// viewer asks only for those (a missing one would be a failed request).
std::string bookFilesScript(const fs::path& folder) {
    std::string list;
    for (const char* name : {"outline.js", "text/index.js", "zoom/index.js"}) {
        std::error_code error;
        if (fs::is_regular_file(folder / name, error))
            list += (list.empty() ? "" : ",") + jsStringLiteral(name);
    }
    return "window.ZARVEX_BOOK_FILES = [" + list + "];\n";
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::equivalent(a, b, error))
        return true;
    return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

std::string decimal(std::int64_t number) {
    return std::to_string(number);
}

} // namespace

FlashBookOutput::FlashBookOutput(std::shared_ptr<FlashPageSource> pageSource,
                                 std::shared_ptr<FlashTemplate> flashTemplate,
                                 fs::path saveToFolder, std::string toName)
    : iFlashTemplate(std::move(flashTemplate)), iFlashPageSource(std::move(pageSource)),
      iSaveToFolder(std::move(saveToFolder)), iSaveToFileName(std::move(toName)) {}

FlashBookOutput::~FlashBookOutput() = default;

void FlashBookOutput::setFlashTemplate(std::shared_ptr<FlashTemplate> value) {
    iFlashTemplate = std::move(value);
}
void FlashBookOutput::setFlashPageSource(std::shared_ptr<FlashPageSource> value) {
    iFlashPageSource = std::move(value);
}
void FlashBookOutput::setHTMLConfig(std::shared_ptr<HTMLConfigInfo> value) {
    iHTMLConfig = std::move(value);
}
void FlashBookOutput::setFlashPagesAnnotations(std::shared_ptr<FlashPagesAnnotations> value) {
    iFlashPagesAnnotations = std::move(value);
}
void FlashBookOutput::setFlashOutline(std::shared_ptr<FlashOutline> value) {
    iFlashOutline = std::move(value);
}

// --- Helpers ------------------------------------------------------------------------

void FlashBookOutput::fail(std::string what) {
    ZLOG_ERROR("{}", what);
    iFailures.push_back(std::move(what));
}

void FlashBookOutput::report(const std::string& step, int index, int count) const {
    if (iProgress)
        iProgress(step, index, count);
}

std::string FlashBookOutput::value(const std::string& key, const std::string& defaultValue) const {
    return iFlashTemplate ? iFlashTemplate->propertyValueFor(key, defaultValue) : defaultValue;
}

AppSettings& FlashBookOutput::settings() const {
    return iAppSettings ? *iAppSettings : AppSettings::shareInstance();
}

fs::path FlashBookOutput::outputFolder(const fs::path& folder) const {
    return folder.empty() ? iSaveToFolder : folder;
}

fs::path FlashBookOutput::resourcePath(const fs::path& folder) const {
    return outputFolder(folder) / iResourceFolder;
}

bool FlashBookOutput::removeIfExists(const fs::path& path) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error)))
        return true;
    fs::remove_all(path, error);
    if (error) {
        fail("cannot remove " + path.string() + ": " + error.message());
        return false;
    }
    return true;
}

bool FlashBookOutput::createFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        fail("cannot create the folder " + folder.string() +
             (error ? ": " + error.message() : std::string()));
        return false;
    }
    return true;
}

// --- Preview folder -------------------------------------------------------------------

fs::path FlashBookOutput::defaultPreviewPath() {
    return applicationSupportPath() / "Drevalis" / "preview";
}

fs::path FlashBookOutput::GetPreviewPath() {
    ThePreviewPath_ = iPreviewOverride ? *iPreviewOverride : defaultPreviewPath();
    return *ThePreviewPath_;
}

// --- Book configuration ---------------------------------------------------------------

std::int32_t FlashBookOutput::colorWithHexString(std::string_view text) {
    return zarvex::colorWithHexString(text);
}

xml::Node FlashBookOutput::AddChildToParent(const std::string& name, const std::string& value,
                                            xml::Node parent) {
    xml::Node child = parent.appendElement(name);
    child.setText(value);
    return child;
}

void FlashBookOutput::MergeXML(xml::Node element, const fs::path& file) {
    std::string why;
    const auto document = xml::Document::parseFile(file, xml::ParseMode::Strict, &why);
    if (!document || !document->root())
        throw Error("no readable page list at " + file.string() + (why.empty() ? "" : ": " + why));
    element.appendCopy(document->root());
}

std::string FlashBookOutput::GetVisibleButtons() const {
    std::string list;
    for (const char* key : kButtons) {
        if (value(key, "Show") == "Hide")
            list += std::string(key) + ",";
    }
    return list + ",Content";
}

xml::Document FlashBookOutput::bookXML() {
    auto colour = [this](const std::string& key, const std::string& defaultValue) {
        return decimal(colorWithHexString(value(key, defaultValue)));
    };
    // "extfiles/K.ext" for a file property with a value, else "".
    auto filePath = [this](const std::string& key) -> std::string {
        const std::string file = value(key, "");
        if (file.empty())
            return {};
        return iExterFilesFolder + "/" + key + "." + pathExtension(file);
    };

    xml::Document document = xml::Document::create("FlipBook3D");
    xml::Node root = document.root();
    AddChildToParent("XMLVersion", "1", root);

    xml::Node config = root.appendElement("Config");
    xml::Node author = config.appendElement("Author");
    AddChildToParent("Name", value("AuthorName", maker::kAuthorName), author);
    AddChildToParent("Email", value("AuthorEmail", maker::kSupportEmail), author);
    AddChildToParent("WebSite", value("AuthorWebSite", maker::kWebSite), author);
    AddChildToParent("Info", value("AuthorInfo", ""), author);

    xml::Node setting = config.appendElement("Setting");
    AddChildToParent("Title", value("Title", maker::kDomainName), setting);
    AddChildToParent("BaseColor", colour("BaseColor", "0x804000"), setting);
    xml::Node logo = AddChildToParent("Logo", filePath("LogoFile"), setting);
    logo.setAttribute("displayLogo", value("ShowLogo", "Yes") == "Yes" ? "true" : "false");
    logo.setAttribute("link", value("LogoLink", ""));
    setting.appendElement("GoogleAnalytics").setAttribute("webProperty", value("GoogleID", ""));
    setting.appendElement("ShareAnalytics").setAttribute("id", value("ShareID", ""));
    AddChildToParent("ZoomModel", "0", setting);
    setting.appendElement("Theme").setAttribute("src", "theme/Main.swf");
    const std::string sound = value("SoundFile", "");
    const bool soundHasPath = !sound.empty() && !pathExtension(sound).empty();
    xml::Node music =
        AddChildToParent("BackgroundMusic", soundHasPath ? filePath("SoundFile") : "", setting);
    music.setAttribute("circle", value("LoopSound", "Yes") == "Yes" ? "-1" : "0");
    setting.appendElement("Download").setAttribute("src", filePath("DownloadFile"));
    AddChildToParent("ControlButtonsInvisible", GetVisibleButtons(), setting);

    xml::Node book3D = setting.appendElement("FlipBook3DSetting");
    xml::Node background = book3D.appendElement("Background");
    AddChildToParent("BackgroundType", value("BackgroundType", "GradientColor"), background);
    AddChildToParent("Color", colour("Color", "0x808000"), background);
    AddChildToParent("GradientStartColor", colour("GradientStartColor", "0xFF9900"), background);
    AddChildToParent("GradientEndColor", colour("GradientEndColor", "0xe8ac4d"), background);
    AddChildToParent("GradientAngle", value("GradientAngle", "90"), background);
    const std::string imagePath =
        value("BgType", "Image") == "Image"
            ? iExterFilesFolder + "/ImagePath." + pathExtension(value("ImagePath", ""))
            : std::string();
    AddChildToParent("ImagePath", imagePath, background);
    AddChildToParent("Position", value("ImgPosition", "Fill"), background);
    xml::Node autoFlip = book3D.appendElement("AutoFlip");
    autoFlip.setAttribute("loop", value("loop", "0"));
    AddChildToParent("Enable", value("Enable", "No"), autoFlip);
    AddChildToParent("Interval", value("Interval", "3"), autoFlip);
    AddChildToParent("TiltAngle", value("TiltAngle", "0"), book3D);
    AddChildToParent("AutoScale", value("AutoScale", "Yes"), book3D);
    AddChildToParent("PlayFlipSound", value("PlayFlipSound", "Yes"), book3D);
    AddChildToParent("PerPageThickness", value("PerPageThickness", "1"), book3D);
    xml::Node mobility = book3D.appendElement("Mobility");
    mobility.setAttribute("direction", "right");
    mobility.setAttribute("startPosition", "center");
    // The player row above is fixed; a right-to-left book says so in a row of its
    // own, which readers that know it follow and others ignore.
    if (value("direction", "Right") == "Left")
        AddChildToParent("Direction", "Left", setting);
    // Likewise the player's language, when the book names one; without the row (or with
    // "Auto") the player speaks the reader's browser language.
    if (const std::string language = value("languageSetting", "");
        !language.empty() && language != "Auto")
        AddChildToParent("Language", language, setting);

    xml::Node tmpl = setting.appendElement("Template");
    xml::Node panorama = tmpl.appendElement("PanoramicImage");
    panorama.setAttribute("type", "cube");
    for (const auto& [face, file] : {std::pair{"Left", "l.jpg"},
                                     {"Right", "r.jpg"},
                                     {"Top", "u.jpg"},
                                     {"Bottom", "d.jpg"},
                                     {"Front", "f.jpg"},
                                     {"Back", "b.jpg"}})
        AddChildToParent(face, iExterFilesFolder + "/" + file, panorama);
    xml::Node camera = tmpl.appendElement("InitSetting").appendElement("Camera");
    camera.setAttribute("panAngle", "-90");
    camera.setAttribute("tiltAngle", "-80");

    MergeXML(root, GetPreviewPath() / "pages.xml");
    return document;
}

bool FlashBookOutput::ouputBookXML(const fs::path& file) {
    const std::string inner = bookXML().toString(true, true);
    if (!removeIfExists(file))
        return false;
    xml::Document envelope = xml::Document::create("data");
    envelope.root().appendCData(scrambleConfig(inner));
    const std::string text = envelope.toString(false, true);
    if (!writeFileAtomically(file, text)) {
        ZLOG_ERROR("Could not write document out...");
        iFailures.push_back("Could not write document out... " + file.string());
        return false;
    }
    const fs::path script = file.parent_path() / "config.js";
    if (!writeFileAtomically(script, "window.ZARVEX_CONFIG_XML = " + jsStringLiteral(text) + ";\n" +
                                         bookFilesScript(file.parent_path()))) {
        fail("cannot write " + script.string());
        return false;
    }
    return true;
}

bool FlashBookOutput::outputOutline(const fs::path& folder) {
    const fs::path file = folder / "outline.xml";
    const fs::path script = folder / "outline.js";
    if (!iFlashOutline || iFlashOutline->items().empty())
        return removeIfExists(file) && removeIfExists(script);
    const xml::Document tree = iFlashOutline->outlineAsXMLNode();
    if (!writeFileAtomically(file, tree.toString(false, true))) {
        fail("cannot write " + file.string());
        return false;
    }
    if (!writeFileAtomically(script, "window.ZARVEX_OUTLINE_XML = " +
                                         jsStringLiteral(tree.toString(false, false)) + ";\n")) {
        fail("cannot write " + script.string());
        return false;
    }
    return true;
}

// --- Page list ---------------------------------------------------------------------------

std::string FlashBookOutput::getNormalPageURL(const FlashPage& page) {
    return "page/" + decimal(page.pageIndex()) + "." + pathExtension(page.pageFilePath().string());
}

std::string FlashBookOutput::getZoomedPageURL(const FlashPage& page) {
    return getNormalPageURL(page);
}

std::string FlashBookOutput::getThumbPageURL(const FlashPage& page) {
    return "thumb/" + decimal(page.pageIndex()) + ".jpg";
}

std::string FlashBookOutput::pageListText(const std::string& base) const {
    const std::int64_t width = settings().PageWidth();
    const std::int64_t height = settings().PageHeight();

    xml::Document document = xml::Document::create("Pages");
    xml::Node pages = document.root();
    pages.setAttribute("bace", base);
    pages.setAttribute("largeWidth", decimal(width));
    pages.setAttribute("largeHeight", decimal(height));
    pages.setAttribute("width", decimal(width > 700 ? 700 : width));
    pages.setAttribute("height", decimal(width > 700 ? 700 * height / width : height));
    pages.setAttribute("thumbWidth", decimal(height > 180 ? 180 * width / height : width));
    pages.setAttribute("thumbHeight", decimal(height > 180 ? 180 : height));

    const FlashPageList empty;
    const FlashPageList& list = iFlashPageSource ? iFlashPageSource->pages() : empty;
    const bool haveThumbs = iFlashPageSource && !iFlashPageSource->thumbPages().empty();
    const xml::Node links =
        iFlashPagesAnnotations ? iFlashPagesAnnotations->pagesAnnotationsNode() : xml::Node();

    // Page links name their target by its page number; the player wants the
    // 1-based position of that page in the book.
    auto bookPosition = [&list](const std::string& pageNumber) -> std::optional<int> {
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i] && decimal(list[i]->pageIndex()) == pageNumber)
                return static_cast<int>(i) + 1;
        }
        return std::nullopt;
    };

    for (std::size_t i = 0; i < list.size(); ++i) {
        const FlashPagePtr& entry = list[i];
        if (!entry)
            continue;
        FlashPagePtr normal = iFlashPageSource->getNormalPageAtIndex(entry->pageIndex());
        if (!normal)
            normal = entry; // normal pages are copies of the main pages
        const FlashPagePtr thumb = iFlashPageSource->getThumbPageAtIndex(entry->pageIndex());

        xml::Node page = pages.appendElement("Page");
        page.setAttribute("type", "Image");
        auto item = [&page](const char* name, const std::string& text) {
            xml::Node node = page.appendElement("Item");
            node.setAttribute("name", name);
            node.setText(text);
        };
        item("thumb", haveThumbs && thumb ? getThumbPageURL(*thumb) : getNormalPageURL(*normal));
        item("normal", getNormalPageURL(*normal));
        item("large", getZoomedPageURL(*normal));

        if (!links)
            continue;
        const std::string position = decimal(static_cast<std::int64_t>(i) + 1);
        for (const xml::Node& pageAnnos : links.children()) {
            if (pageAnnos.name() != "pageAnnos" || pageAnnos.attribute("pageIndex") != position)
                continue;
            for (const xml::Node& anno : pageAnnos.children()) {
                std::optional<std::string> href = anno.attribute("url");
                if (!href && anno.attribute("action") == "page") {
                    if (auto target = bookPosition(anno.attributeOr("pageIndex", "")))
                        href = decimal(*target);
                }
                if (!href)
                    continue;
                xml::Node link = page.appendElement("Item");
                link.setAttribute("name", "Link");
                link.setAttribute("type", "rect");
                for (const char* name : {"action", "x", "y", "width", "height"})
                    link.setAttribute(name, anno.attributeOr(name, ""));
                link.setAttribute("href", *href);
            }
        }
    }
    return document.toString(true, false);
}

std::optional<fs::path> FlashBookOutput::BookPageConfig(const std::string& base, bool isEditor) {
    if (!isEditor)
        return std::nullopt;
    const fs::path file = iSaveToFolder / "pages.xml";
    if (!writeFileAtomically(file, pageListText(base))) {
        fail("cannot write the page list " + file.string());
        return std::nullopt;
    }
    return file;
}

std::string FlashBookOutput::firstPageFile() {
    const auto list = xml::Document::parseFile(GetPreviewPath() / "pages.xml");
    if (!list || !list->root())
        return {};
    for (const xml::Node& item : list->root().child("Page").children()) {
        if (item.name() == "Item" && item.attribute("name") == "normal")
            return item.text();
    }
    return {};
}

// --- Book folder -----------------------------------------------------------------------

fs::path FlashBookOutput::outputHTMLFileName() const {
    return iSaveToFolder / (iSaveToFileName.empty() ? std::string("index.html") : iSaveToFileName);
}

fs::path FlashBookOutput::outputFileName() const {
    return outputHTMLFileName();
}

void FlashBookOutput::removeExtFile(const fs::path& folder) {
    const fs::path ext = resourcePath(folder) / iExterFilesFolder;
    for (const char* name : {"ImagePath.jpg", "ImagePath.png", "ImagePath.gif", "LogoFile.jpg",
                             "LogoFile.png", "LogoFile.bmp", "LogoFile.gif", "SoundFile.mp3"})
        removeIfExists(ext / name);
}

void FlashBookOutput::prepaireNomalPage(const fs::path& folder) {
    const fs::path target = resourcePath(folder) / iNormalPageFolder;
    if (!removeIfExists(target) || !createFolder(target) || !iFlashPageSource)
        return;
    for (const FlashPagePtr& page : iFlashPageSource->normalPages()) {
        if (!page)
            continue;
        const fs::path destination = target / (decimal(page->pageIndex()) + "." +
                                               pathExtension(page->pageFilePath().string()));
        std::error_code error;
        if (removeIfExists(destination) && !fastCopyFile(page->pageFilePath(), destination, error))
            fail("cannot copy the page " + page->pageFilePath().string() + " to " +
                 destination.string() + ": " + error.message());
    }
}

void FlashBookOutput::prepaireZoomendPage(const fs::path& folder) {
    const fs::path target = resourcePath(folder) / iZoomPageFolder;
    if (!removeIfExists(target) || !iZoomPages || !iFlashPageSource)
        return;
    try {
        iFlashPageSource->generateZoomPages();
    } catch (const std::exception& e) {
        fail(std::string("cannot make the zoom pages: ") + e.what());
        return;
    }
    std::vector<std::pair<int, FlashPagePtr>> zoomed;
    for (const FlashPagePtr& page : iFlashPageSource->normalPages())
        if (page)
            if (FlashPagePtr zoom = iFlashPageSource->getZoomedPageAtIndex(page->pageIndex()))
                zoomed.emplace_back(page->pageIndex(), std::move(zoom));
    // A book whose source has no zoom images (the demo book) keeps no folder.
    if (zoomed.empty() || !createFolder(target))
        return;
    std::vector<int> copied;
    for (const auto& [n, zoom] : zoomed) {
        const fs::path destination = target / (decimal(n) + ".jpg");
        std::error_code error;
        if (fastCopyFile(zoom->pageFilePath(), destination, error))
            copied.push_back(n);
        else
            fail("cannot copy the zoom page " + zoom->pageFilePath().string() + " to " +
                 destination.string() + ": " + error.message());
    }
    std::string json = "{\"v\":1,\"scale\":2,\"pages\":[";
    for (std::size_t i = 0; i < copied.size(); ++i)
        json += (i ? "," : "") + decimal(copied[i]);
    json += "]}";
    if (!writeFileAtomically(target / "index.json", json + "\n") ||
        !writeFileAtomically(target / "index.js", "window.ZARVEX_ZOOM_INDEX = " + json + ";\n"))
        fail("cannot write the zoom page index in " + target.string());
}

void FlashBookOutput::prepaireThumbPage(const fs::path& folder) {
    const fs::path target = resourcePath(folder) / iThumbPageFolder;
    if (!removeIfExists(target) || !createFolder(target) || !iFlashPageSource)
        return;
    for (const FlashPagePtr& page : iFlashPageSource->thumbPages()) {
        if (!page)
            continue;
        const fs::path destination = target / (decimal(page->pageIndex()) + ".jpg");
        std::error_code error;
        if (removeIfExists(destination) && !fastCopyFile(page->pageFilePath(), destination, error))
            fail("cannot copy the thumbnail " + page->pageFilePath().string() + " to " +
                 destination.string() + ": " + error.message());
    }
}

void FlashBookOutput::prepaireExtFiles(const fs::path& folder) {
    const fs::path ext = resourcePath(folder) / iExterFilesFolder;
    if (!createFolder(ext) || !iFlashTemplate)
        return;
    if (iFlashTemplate->tmplName() == "Panoramic") {
        // The cube faces live in the preview folder, placed there by the template
        // chooser; the preview itself already holds them.
        const fs::path faces = GetPreviewPath() / iResourceFolder / iExterFilesFolder;
        if (!sameFolder(faces, ext)) {
            for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"}) {
                std::error_code error;
                if (!fs::exists(faces / name))
                    continue;
                if (removeIfExists(ext / name) && !copyItem(faces / name, ext / name, error))
                    fail("cannot copy the panorama picture " + (faces / name).string() + ": " +
                         error.message());
            }
        }
    }
    for (const auto& property : iFlashTemplate->properties()) {
        if (property)
            prepaireExtFiles(folder, *property, true);
    }
}

void FlashBookOutput::prepaireExtFiles(const fs::path& folder, const FlashTemplateProperty& node,
                                       bool topLevel) {
    bool descend = true;
    const std::string file = node.value().value_or("");
    if (node.propertyType() == pt_file && !file.empty() && node.key()) {
        const fs::path destination =
            resourcePath(folder) / iExterFilesFolder / (*node.key() + "." + pathExtension(file));
        removeIfExists(destination);
        std::error_code error;
        if (!fs::is_regular_file(file, error)) {
            fail("the file of the property " + *node.key() + " is missing: " + file);
            descend = topLevel;
        } else if (!copyItem(file, destination, error)) {
            fail("cannot copy " + file + " to " + destination.string() + ": " + error.message());
        }
    }
    if (!descend)
        return;
    for (const auto& child : node.childProperties()) {
        if (child)
            prepaireExtFiles(folder, *child, false);
    }
}

void FlashBookOutput::PrepareAnnotationFiles(const fs::path& folder) {
    if (!iFlashPagesAnnotations)
        return;
    const fs::path target = resourcePath(folder) / iAnnotationFilesFolder;
    if (!createFolder(target))
        return;
    for (const std::string& file : iFlashPagesAnnotations->needFiles()) {
        const fs::path source(file);
        const fs::path destination = target / source.filename();
        std::error_code error;
        if (!fs::exists(source, error)) {
            fail("a file the links need is missing: " + file);
        } else if (!fs::exists(destination) && !copyItem(source, destination, error)) {
            fail("cannot copy " + file + " to " + destination.string() + ": " + error.message());
        }
    }
}

void FlashBookOutput::prepaireTextFiles(const fs::path& folder) {
    const fs::path target = resourcePath(folder) / iTextFolder;
    if (!removeIfExists(target) || !iFlashPageSource || iFlashPageSource->textFolder().empty())
        return;
    const fs::path& source = iFlashPageSource->textFolder();
    if (!createFolder(target))
        return;
    std::vector<int> copied;
    for (const FlashPagePtr& page : iFlashPageSource->normalPages()) {
        if (!page)
            continue;
        const std::string name = decimal(page->pageIndex());
        std::error_code error;
        if (!fs::exists(source / (name + ".json"), error))
            continue; // a page whose text could not be read
        bool complete = true;
        for (const char* extension : {".json", ".js"}) {
            if (!fastCopyFile(source / (name + extension), target / (name + extension), error)) {
                fail("cannot copy the text of page " + name + " to " + target.string() + ": " +
                     error.message());
                complete = false;
            }
        }
        if (complete)
            copied.push_back(page->pageIndex());
    }
    if (!writePageTextIndex(target, copied))
        fail("cannot write the text index in " + target.string());
}

// The text version of the book for its HTML page, with the description meta
// data: the book's own ("About the book") or the text's opening.
void FlashBookOutput::prepareTextVersion() {
    if (!iHTMLConfig)
        return;
    const fs::path text = resourcePath({}) / iTextFolder;
    std::vector<int> pages;
    if (iFlashPageSource && !iFlashPageSource->textFolder().empty())
        for (const FlashPagePtr& page : iFlashPageSource->normalPages())
            if (page)
                pages.push_back(page->pageIndex());
    const BookTextHtml html = bookTextHtml(text, pages);
    iHTMLConfig->setBodyEnd(html.block);
    if (html.block.empty())
        return;
    const std::string about = value("AuthorInfo", "");
    iHTMLConfig->setHTMLDescription(about.empty() ? html.opening : about);
}

void FlashBookOutput::prepaireThemeFile(const fs::path& folder) {
    createFolder(resourcePath(folder) / "theme");
}

bool FlashBookOutput::ouputTheBook() {
    return assembleBook();
}

bool FlashBookOutput::assembleBook() {
    iFailures.clear();
    const int count = static_cast<int>(kSteps.size());
    auto step = [&](int index) { report(kSteps[static_cast<std::size_t>(index)], index, count); };

    step(0);
    if (iFlashTemplate)
        iFlashTemplate->checkNumberProperties();
    const fs::path out = iSaveToFolder;
    std::error_code error;
    if (out.empty() || !fs::is_directory(out, error)) {
        fail("the output folder does not exist: " + out.string());
        return false;
    }
    const fs::path resources = out / iResourceFolder;
    const fs::path preview = GetPreviewPath();
    const bool isPreview = sameFolder(out, preview);

    step(1);
    removeExtFile({});
    step(2);
    prepaireNomalPage({});
    step(3);
    prepaireZoomendPage({});
    step(4);
    prepaireThumbPage({});
    prepaireTextFiles({});
    step(5);
    prepaireExtFiles({});
    step(6);
    PrepareAnnotationFiles({});
    step(7);
    prepaireThemeFile({});

    step(8);
    if (!fs::exists(preview / "pages.xml"))
        BookPageConfig(iBasePath, iNeverEditor);

    step(9);
    const fs::path editor = preview / iResourceFolder / "editor";
    if (!isPreview && fs::is_directory(editor)) {
        const fs::path target = resources / "editor";
        if (removeIfExists(target) && !copyItem(editor, target, error))
            fail("cannot copy the page editor files to " + target.string() + ": " +
                 error.message());
    }

    step(10);
    const fs::path page = outputHTMLFileName();
    const auto pageTemplate =
        iFlashTemplate ? iFlashTemplate->tmplHTMLFilePath() : std::optional<fs::path>();
    if (!pageTemplate) {
        fail("the template has no HTML page template; no HTML page was written");
    } else if (iHTMLConfig) {
        iHTMLConfig->setFirstPageFile(firstPageFile());
        prepareTextVersion();
        if (!iHTMLConfig->generateHTMLFrom(*pageTemplate, page))
            fail("cannot write the HTML page " + page.string());
    } else if (removeIfExists(page) && !copyItem(*pageTemplate, page, error)) {
        fail("cannot copy the HTML page to " + page.string() + ": " + error.message());
    }

    step(11);
    outputOutline(resources);
    ouputBookXML(out / (iResourceFolder + "/config.xml"));

    const std::pair<const char*, bool (FlashTemplate::*)(const fs::path&) const> players[] = {
        {"files/book.swf", &FlashTemplate::copyBookSWFToFile},
        {"files/swfobject.js", &FlashTemplate::copyBookJSFile},
        {"files/playerProductInstall.swf", &FlashTemplate::copyElseSWFToFile},
        {"files/theme/Main.swf", &FlashTemplate::copyThemeToFile},
    };
    int index = 12;
    for (const auto& [name, copy] : players) {
        step(index++);
        if (!iFlashTemplate || !((*iFlashTemplate).*copy)(out / name))
            fail("cannot copy the template file " + std::string(name) + " into " + out.string());
    }
    return iFailures.empty();
}

} // namespace zarvex
