#include "support/FixturePdf.h"

#include "app/Error.h"

namespace zarvex::test {

FixtureLink FixtureLink::web(PDFRect rect, std::string uri) {
    FixtureLink l;
    l.rect = rect;
    l.uri = std::move(uri);
    return l;
}
FixtureLink FixtureLink::page(PDFRect rect, int targetPage, bool useGoToAction) {
    FixtureLink l;
    l.rect = rect;
    l.targetPage = targetPage;
    l.useGoToAction = useGoToAction;
    return l;
}
FixtureLink FixtureLink::other(PDFRect rect, std::string subtype) {
    FixtureLink l;
    l.rect = rect;
    l.subtype = std::move(subtype);
    return l;
}

void writeFixturePdf(const std::filesystem::path&, const FixtureDocument&) {
    throw Error("not implemented");
}
FixtureDocument plainDocument(int, double, double) {
    return {};
}
FixtureDocument standardDocument() {
    return {};
}
FixtureDocument benchmarkDocument(int) {
    return {};
}

} // namespace zarvex::test
