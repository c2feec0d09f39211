#include "app/PublishJob.h"

#include "app/BookController.h"
#include "app/BookPublisher.h"
#include "app/ImportWindowDelegate.h"
#include "app/OutputFolder.h"
#include "app/PublishInputs.h"
#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/NotificationCenter.h"
#include "base/Resources.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/ImportPDFOperation.h"
#include "import/PDFDocument.h"
#include "publish/ReplaceableFolder.h"
#include "templates/FlashTemplate.h"

#include <algorithm>
#include <system_error>

namespace zarvex {

namespace fs = std::filesystem;

namespace {

// The front end's callbacks, each optional.
class Events {
public:
    explicit Events(const PublishEvents& events) : events_(events) {}

    void step(std::string_view text) const {
        if (events_.step)
            events_.step(text);
    }
    void advance(std::string_view task, int done, int total, std::string_view detail = {}) const {
        if (events_.advance)
            events_.advance(task, done, total, detail);
    }
    bool interrupted() const { return events_.interrupted && events_.interrupted(); }
    void checkInterrupted() const {
        if (interrupted())
            throw Error("interrupted; nothing was published");
    }

private:
    const PublishEvents& events_;
};

// What the file properties of a book's template name, sorted out before the
// book is written.
struct NamedFiles {
    std::vector<std::string> missing;  // "path (key)": left out of the book
    std::vector<std::string> external; // "path (key)": copied from outside the sources
};

// The folders a book takes files from without a notice: the resource folder at
// any depth (with the folders its links lead to), and the PDF's own folder.
struct BookSources {
    std::vector<fs::path> resources;
    std::optional<fs::path> pdfFolder;

    BookSources(const fs::path& resourceFolder, const std::optional<fs::path>& pdf) {
        resources.push_back(resolvedPath(resourceFolder));
        std::error_code ec;
        for (fs::directory_iterator it(resourceFolder, ec), end; !ec && it != end; it.increment(ec))
            resources.push_back(resolvedPath(it->path()));
        if (pdf)
            pdfFolder = resolvedPath(fs::absolute(*pdf).parent_path());
    }

    // Only the files directly beside the PDF: a PDF in the home folder must not
    // vouch for everything below it.
    bool holds(const fs::path& resolved) const {
        if (pdfFolder && resolved.parent_path() == *pdfFolder)
            return true;
        return std::any_of(resources.begin(), resources.end(),
                           [&](const fs::path& root) { return isWithin(resolved, root); });
    }
};

// Empties the value of every file property whose file is missing, so the book
// is written without it, and lists the files that come from outside `sources`.
NamedFiles sortNamedFiles(FlashTemplate& tmpl, const BookSources& sources) {
    NamedFiles files;
    for (FlashTemplateProperty* node : tmpl.allProperties()) {
        const std::string value = node->value().value_or("");
        if (node->propertyType() != pt_file || value.empty())
            continue;
        const std::string named = value + " (" + node->key().value_or("") + ")";
        std::error_code ec;
        if (!fs::is_regular_file(value, ec)) {
            files.missing.push_back(named);
            node->setValue("");
            continue;
        }
        const fs::path resolved = resolvedPath(value);
        if (!sources.holds(resolved))
            files.external.push_back(resolved == fs::absolute(value).lexically_normal()
                                         ? named
                                         : value + " -> " + resolved.string() + " (" +
                                               node->key().value_or("") + ")");
    }
    return files;
}

// The template and style of the request, as the template chooser would set
// them; unknown names and property keys are raised before any import.
void chooseTemplate(BookController& controller, const PublishRequest& request) {
    const auto known = templateNames();
    if (std::find(known.begin(), known.end(), request.templateName) == known.end())
        throw Error("unknown template '" + request.templateName +
                    "' (templates: " + joinedNames(known) + ")");
    controller.setFlashTmpl(std::make_shared<FlashTemplate>());
    if (request.templateGiven || request.style) {
        const std::string style =
            request.style.value_or(FlashTemplate(request.templateName).defaultSytleName());
        const fs::path stylePath = FlashTemplate::stylePathFor(request.templateName, style);
        std::error_code ec;
        if (request.style && !fs::is_directory(stylePath, ec)) {
            const auto styles = styleNames(request.templateName);
            throw Error("template '" + request.templateName + "' has no style '" + style +
                        "' (styles: " + (styles.empty() ? "none" : joinedNames(styles)) + ")");
        }
        controller.acceptTemplate(stylePath / "tmplSetting.txt");
    }
    const FlashTemplate& tmpl = *controller.flashTmpl();
    if (tmpl.loadError())
        throw Error("template '" + tmpl.tmplName() + "' cannot be loaded: " + *tmpl.loadError());
    for (const auto& [key, value] : request.sets) {
        if (!tmpl.findProperty(key))
            throw Error("unknown property key '" + key + "' in template '" + tmpl.tmplName() + "'");
    }
}

// Imports the document as the import sheet does, reporting the four passes.
// Raises Error when the import fails or is interrupted.
ImportedBook importDocument(const PublishRequest& request, const fs::path& pdf, PDFSize firstPage,
                            AppSettings& settings, const Events& events) {
    // The import reads its choices from the settings, as the import sheet
    // leaves them.
    settings.setLastImportedFile(pdf.string());
    settings.setImportPageRangeType(request.pages == "ALL" ? 0 : 1);
    settings.setImportPageRange(request.pages);
    settings.setImportQualityLevel(request.quality);
    settings.setImportLinks(request.links ? 1 : 0);
    settings.setImportBookmark(request.bookmarks ? 1 : 0);
    settings.setImportText(request.text ? 1 : 0);
    settings.setImportType(request.format == PageFormat::Image ? 1 : 0);
    settings.saveSettings();

    ImportProgress progress(request.text);
    ImportPDFOperation operation(pdf, request.pages, kImportDPI, qualityForLevel(request.quality));
    operation.setAppSettings(&settings);
    operation.setImportLinks(request.links);
    operation.setImportBookmarks(request.bookmarks);
    operation.setImportText(request.text);
    ScopedObserver observer(NotificationCenter::defaultCenter(), FlashPageSource::kProgressMessage,
                            [&](const Notification& note) {
                                progress.note(note.value<int>("pageIndex"),
                                              note.value<int>("totalPage"));
                                events.advance(ImportProgress::passName(progress.pass()),
                                               progress.pageIndex(), progress.totalPage());
                                if (events.interrupted())
                                    operation.cancel();
                            });
    operation.main();
    events.checkInterrupted();
    if (!operation.flashPageSource())
        throw Error("the import of " + quoted(pdf) + " failed; nothing was published");

    const int pageWidth = static_cast<int>(firstPage.width);
    const int pageHeight = static_cast<int>(firstPage.height);
    if (request.format == PageFormat::Image) {
        // JPEG pages are rendered at twice the points of the page.
        settings.setPageWidth(pageWidth * 2);
        settings.setPageHeight(pageHeight * 2);
        settings.saveSettings();
    }
    return ImportedBook{operation.flashPageSource(), operation.flashPagesAnnotation(),
                        operation.flashOutline(), pageWidth, pageHeight};
}

std::string missingFilesRefusal(const std::vector<std::string>& missing) {
    return (missing.size() == 1
                ? "the file " + missing.front() + " is missing"
                : std::to_string(missing.size()) +
                      " files that the settings name are missing: " + joinedNames(missing)) +
           "; nothing was published (--strict)";
}

} // namespace

PublishResult PublishJob::run(const PublishEvents& callbacks) {
    const PublishRequest& request = request_;
    AppSettings& settings = settings_ ? *settings_ : AppSettings::shareInstance();
    const Events events(callbacks);

    // Inputs are checked before anything is written.
    if (request.pdf)
        checkReadableFile(*request.pdf, "PDF file");
    if (request.settingsFile) {
        checkReadableFile(*request.settingsFile, "settings file");
        if (!readFile(*request.settingsFile))
            throw Error("the settings file " + quoted(*request.settingsFile) + " cannot be read");
    }

    const fs::path resources = resourcesPath();
    OutputFolder::Rules rules = OutputFolder::publishingRules(
        request.overwrite, request.name + ".app", request.protectedFolders);
    if (request.pdf)
        rules.inputs.push_back(*request.pdf);
    if (request.settingsFile)
        rules.inputs.push_back(*request.settingsFile);
    OutputFolder::check(request.out, rules);

    // Template and style first: unknown names and keys fail before the import.
    BookController controller;
    controller.setAppSettings(&settings);
    chooseTemplate(controller, request);

    // Made once every input has been checked, so a refused job creates nothing.
    std::optional<OutputFolder> output;
    std::string title = request.title.value_or("");
    if (request.pdf) {
        const fs::path pdf = fs::absolute(*request.pdf);
        auto document = openImportablePdf(pdf);
        // The book takes its page size from the first page it holds, as the
        // pictures show it.
        const int first = selectedPages(request.pages, *document, pdf).front();
        const PDFSize firstPage = document->pageAt(first - 1).displaySize();
        document.reset();
        if (!request.title)
            title = pdf.stem().string();
        output.emplace(request.out, rules);
        controller.acceptImport(importDocument(request, pdf, firstPage, settings, events));
    } else {
        output.emplace(request.out, rules);
        events.step("Using the demo book");
        controller.loadDemoBook();
        if (!request.title)
            title = "3D Zarvex demo book";
    }
    auto source = controller.flashPageSource();
    if (!source || source->normalPages().empty())
        throw Error(request.pdf ? "the import produced no pages; nothing was published"
                                : "the demo book has no pages (" +
                                      resourcePath("DemoImgs_standard/large").string() + ")");

    FlashTemplate& tmpl = *controller.flashTmpl();
    // The title given is the player's too, unless the settings or a --set name
    // the book's title themselves: they are applied after it.
    if (request.title)
        tmpl.setPropertyValue("Title", *request.title);
    if (request.settingsFile && !tmpl.importPropertiesSettingsFrom(*request.settingsFile))
        throw Error("the settings file " + quoted(*request.settingsFile) + " cannot be read");
    for (const auto& [key, value] : request.sets)
        tmpl.setPropertyValue(key, value);
    // A settings file from elsewhere may name files that are gone, or private
    // files that it should not take into a book unseen.
    const NamedFiles namedFiles = sortNamedFiles(tmpl, BookSources(resources, request.pdf));
    if (request.strict && !namedFiles.missing.empty())
        throw Error(missingFilesRefusal(namedFiles.missing));
    // The logo, background, sound and download files are inputs too: checked
    // before the preview is built.
    output->addInputs(propertyFiles(tmpl));

    events.checkInterrupted();
    events.step("Building the preview");
    if (!controller.applyChange() || !controller.applyError().empty())
        throw Error("the book cannot be built: " + controller.applyError());

    events.checkInterrupted();
    PublishChoices choices;
    choices.fileName = request.name;
    choices.title = title;
    choices.outputType = request.app ? 1 : 0;
    choices.createMobile = request.mobile ? 1 : 0;
    choices.mobileType = request.mobile == MobileKind::Slide ? 1 : 0;
    choices.zoomPages = request.zoomPages ? 1 : 0;
    BookPublisher publisher(source, controller.flashTmpl(), controller.flashOutline(),
                            controller.flashPagesAnnotations());
    publisher.setAppSettings(&settings);
    publisher.setPreviewPath(controller.flashPreviewFolder());
    publisher.setProgress([&](const std::string& step, int index, int count) {
        events.advance(request.app ? "Writing the application" : "Writing the book", index + 1,
                       count, step);
    });
    // The zoom pass runs while the book is written and reports as the import's passes do.
    ScopedObserver zoomPass(NotificationCenter::defaultCenter(), FlashPageSource::kProgressMessage,
                            [&](const Notification& note) {
                                if (note.value<std::string>("type") != "geneateZoomPage")
                                    return;
                                events.advance("Making zoom pages", note.value<int>("pageIndex"),
                                               note.value<int>("totalPage"));
                                if (events.interrupted())
                                    source->setStop(true);
                            });
    const fs::path book =
        publisher.publishInto(*output, choices, [&] { return events.interrupted(); });

    PublishResult result;
    result.folder = output->target();
    result.book = book;
    if (request.mobile && !request.app)
        result.mobilePage = output->target() / "mobile" / "index.html";
    result.needsHttp = !request.app && readsPagesOverHttp(*source);
    for (const std::string& file : namedFiles.missing)
        result.warnings.push_back(file +
                                  " is missing or not a file; the book is published without it");
    for (const std::string& file : namedFiles.external)
        result.notices.push_back("the book includes " + file +
                                 (request.pdf ? ", from outside the PDF's folder and the resources"
                                              : ", from outside the resources"));
    return result;
}

} // namespace zarvex
