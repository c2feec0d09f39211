#include "app/StringUtil.h"

namespace zarvex {

std::size_t replaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty())
        return 0;
    std::size_t count = 0;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
        ++count;
    }
    return count;
}

} // namespace zarvex
