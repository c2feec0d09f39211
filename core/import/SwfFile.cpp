#include "import/SwfFile.h"

#include "app/Error.h"

namespace zarvex::swf {

std::string encodeRect(const Rect&) {
    throw Error("not implemented");
}
std::optional<Rect> decodeRect(std::string_view, std::size_t*) {
    return std::nullopt;
}
int Header::width() const {
    return 0;
}
int Header::height() const {
    return 0;
}
Header readHeader(std::string_view) {
    throw Error("not implemented");
}
std::string makeJpegPage(std::string_view, int, int, bool) {
    throw Error("not implemented");
}
std::optional<std::string> extractJpeg(std::string_view) {
    return std::nullopt;
}

} // namespace zarvex::swf
