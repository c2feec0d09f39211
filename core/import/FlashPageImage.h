#pragma once

#include "import/FlashPage.h"

namespace zarvex {

// A page made from an existing image file (the image page source's pages).
class FlashPageImage : public FlashPage {
public:
    using FlashPage::FlashPage;

    FlashPagePtr copyPage(int zoom, int quality) const override;
};

} // namespace zarvex
