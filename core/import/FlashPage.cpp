#include "import/FlashPage.h"

namespace zarvex {

FlashPagePtr FlashPage::copyPage(int /*zoom*/, int /*quality*/) const {
    return std::make_shared<FlashPage>(pageFilePath_, pageIndex_);
}

} // namespace zarvex
