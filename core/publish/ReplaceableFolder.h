#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zarvex {

class FlashTemplate;

// Whether a new book may take the place of an existing folder. Publishing over
// a folder removes it whole, so only a folder that is recognisably an earlier
// book may go, never one that holds anything else or a file the new book is
// made from. One rule for every front end that publishes over a folder.

// True when `folder` holds an earlier book, files/config.xml or the
// application bundle `bundleName` ("index.app", with its
// Contents/Resources/files/config.xml), and nothing a book writer does not
// write: only HTML pages, "files", "mobile", "pages.xml" and such bundles.
// Links are never part of a book.
bool isEarlierBook(const std::filesystem::path& folder, const std::string& bundleName);

// Why a new book may not replace the existing, non-empty `folder`, worded to
// follow the folder's name in a one-line message ("holds ... and is not
// replaced"); nothing when it may: it is an earlier book and holds none of
// `inputs` (the files the new book is made from).
std::optional<std::string> whyNotReplaceable(const std::filesystem::path& folder,
                                             const std::string& bundleName,
                                             const std::vector<std::filesystem::path>& inputs);

// The files a template's properties name: the value of every file-type
// property in tree order, empty values left out.
std::vector<std::filesystem::path> propertyFiles(const FlashTemplate& tmpl);

} // namespace zarvex
