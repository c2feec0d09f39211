#include "archive/ConfigEnvelope.h"

#include "archive/Base64.h"
#include "archive/CommonCryptor.h"
#include "archive/ZKDataArchive.h"
#include "archive/ZipReader.h"
#include "base/Error.h"

#include <algorithm>

namespace zarvex {

std::string scrambleConfig(std::string_view document, std::string_view key) {
    ZKDataArchive archive;
    if (archive.deflateData(document, kConfigEntryName) != 1) {
        throw Error("the configuration archive could not be made");
    }
    CommonCryptoError error;
    const auto encrypted = RC4EncryptedDataUsingKey(archive.data(), key, &error);
    if (!encrypted) {
        throw Error("the configuration could not be encrypted: " + error.localizedDescription);
    }
    return Base64::encode(*encrypted);
}

std::optional<std::string> unscrambleConfig(std::string_view base64Text, std::string_view key,
                                            std::string* why) {
    const auto fail = [why](std::string reason) -> std::optional<std::string> {
        if (why != nullptr) {
            *why = std::move(reason);
        }
        return std::nullopt;
    };
    constexpr std::string_view kSpace = " \t\r\n";
    const auto first = base64Text.find_first_not_of(kSpace);
    base64Text = first == std::string_view::npos
                     ? std::string_view{}
                     : base64Text.substr(first, base64Text.find_last_not_of(kSpace) - first + 1);

    const auto encrypted = Base64::decode(base64Text);
    if (!encrypted) {
        return fail("the text is not Base64");
    }
    CommonCryptoError error;
    const auto archive = RC4EncryptedDataUsingKey(*encrypted, key, &error);
    if (!archive) {
        return fail("cannot decrypt: " + error.localizedDescription);
    }
    std::string zipProblem;
    auto entries = readZipEntries(*archive, &zipProblem);
    if (!entries) {
        return fail("not a ZIP archive after decryption (" + zipProblem + ")");
    }
    const auto entry = std::find_if(entries->begin(), entries->end(), [](const ZipEntry& e) {
        return e.filename == kConfigEntryName;
    });
    if (entry == entries->end()) {
        return fail("the archive holds no entry \"config.xml\"");
    }
    return std::move(entry->data);
}

} // namespace zarvex
