#pragma once

#include "publish/FlashBookOutput.h"

namespace zarvex {

// Writes a book as a stand-alone viewer application: with folder F and name N
// (mybook.html), the bundle F/mybook.app is rebuilt from the viewer skeleton
// AppFiles/TmplData/mac.app/Contents and the book goes into
// F/mybook.app/Contents/Resources with the HTML page index.html.
class FlashBookOutputApp : public FlashBookOutput {
public:
    FlashBookOutputApp(std::shared_ptr<FlashPageSource> pageSource,
                       std::shared_ptr<FlashTemplate> flashTemplate, std::filesystem::path folder,
                       const std::string& name);

    // Removes the bundle, copies the skeleton, then writes the book into it.
    // False (failures() says why) when the name is not a plain file name, the
    // bundle cannot be rebuilt or the skeleton cannot be copied, or the book
    // assembly fails; raises Error as FlashBookOutput::ouputTheBook().
    bool ouputTheBook() override;
    // saveToFolder()/index.html, whatever the file name field holds.
    std::filesystem::path outputHTMLFileName() const override;
    // The bundle: saveToFolder() without its last two components.
    std::filesystem::path outputFileName() const override;
};

} // namespace zarvex
