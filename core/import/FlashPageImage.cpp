#include "import/FlashPageImage.h"

namespace zarvex {

FlashPagePtr FlashPageImage::copyPage(int /*zoom*/, int /*quality*/) const {
    return std::make_shared<FlashPageImage>(pageFilePath(), pageIndex());
}

} // namespace zarvex
