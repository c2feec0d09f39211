#include "ImportTestSupport.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <future>

namespace zarvex::test {

ProgressRecorder::ProgressRecorder(std::function<void(const Progress&)> onMessage)
    : onMessage_(std::move(onMessage)),
      observer_(NotificationCenter::defaultCenter(), "ImportProgressInfoMSG",
                [this](const Notification& n) {
                    Progress p{n.value<std::string>("type"), n.value<int>("pageIndex", -1),
                               n.value<int>("totalPage", -1)};
                    {
                        std::scoped_lock lock(mutex_);
                        messages_.push_back(p);
                    }
                    if (onMessage_)
                        onMessage_(p);
                }) {}

std::vector<Progress> ProgressRecorder::messages() const {
    std::scoped_lock lock(mutex_);
    return messages_;
}

std::shared_ptr<PDFDocument> openFixture(const std::filesystem::path& file,
                                         const FixtureDocument& fixture) {
    writeFixturePdf(file, fixture);
    auto document = PDFDocument::open(file);
    EXPECT_TRUE(document) << file;
    return document;
}

SharedFiles::SharedFiles() {
    writeFixturePdf(standard, standardDocument());
    FixtureDocument locked = plainDocument(2);
    locked.userPassword = "secret";
    writeFixturePdf(encrypted, locked);
}

const SharedFiles& sharedFiles() {
    static const SharedFiles files;
    return files;
}

void runToEnd(ImportPDFOperation& operation) {
    std::promise<void> done;
    operation.start([&](ImportPDFOperation&) { done.set_value(); });
    ASSERT_EQ(done.get_future().wait_for(std::chrono::minutes(5)), std::future_status::ready)
        << "the import hangs";
}

std::vector<int> pageNumbers(const FlashPageList& list) {
    std::vector<int> numbers;
    for (const auto& page : list)
        numbers.push_back(page->pageIndex());
    return numbers;
}

std::pair<int, int> jpegSize(std::string_view jpeg) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(jpeg.data());
    const auto size = static_cast<unsigned long>(jpeg.size());
    std::unique_ptr<void, int (*)(tjhandle)> tj(tjInitDecompress(), tjDestroy);
    int w = 0, h = 0, subsampling = 0, colours = 0;
    if (tjDecompressHeader3(tj.get(), bytes, size, &w, &h, &subsampling, &colours) != 0)
        return {0, 0};
    std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) *
                                      3);
    if (tjDecompress2(tj.get(), bytes, size, pixels.data(), w, 0, h, TJPF_RGB, 0) != 0)
        return {0, 0};
    return {w, h};
}

std::string mutate(std::string bytes, std::mt19937& random) {
    auto at = [&] {
        return std::uniform_int_distribution<std::size_t>(0, bytes.empty() ? 0 : bytes.size() - 1)(
            random);
    };
    switch (random() % 6) {
    case 0:
        for (int i = 0, n = 1 + static_cast<int>(random() % 20); i < n && !bytes.empty(); ++i)
            bytes[at()] ^= static_cast<char>(1 + random() % 255);
        break;
    case 1:
        bytes.resize(at());
        break;
    case 2:
        bytes.erase(at(), random() % 400);
        break;
    case 3: {
        const auto chunk = bytes.substr(at(), random() % 400);
        bytes.insert(at(), chunk);
        break;
    }
    case 4:
        for (int tries = 0; tries < 50; ++tries)
            if (const auto i = at(); i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9') {
                bytes.replace(i, 1, random() % 2 ? "99999999999" : "-7");
                break;
            }
        break;
    default:
        bytes.insert(at(), std::string(1 + random() % 64, static_cast<char>(random())));
        break;
    }
    return bytes;
}

} // namespace zarvex::test
