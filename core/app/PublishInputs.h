#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zarvex {

// A path as the job's one-line messages show it: between single quotes.
std::string quoted(const std::filesystem::path& path);

class PDFDocument;

// The checks of a publish's inputs, shared by the publishing job and the
// front ends' other commands (listing templates, inspecting a PDF). Each raises
// zarvex::Error with a one-line message that names the input.

// `file` ("the <what> '<file>' ...") exists and is a regular file that can be
// opened; a device or a pipe is refused, since it may never end or never answer.
void checkReadableFile(const std::filesystem::path& file, const char* what);

// The open document; refuses a file that is not a PDF, an encrypted one and one
// without pages.
std::shared_ptr<PDFDocument> openImportablePdf(const std::filesystem::path& pdf);

// The page numbers of `range` that the document has; refuses a range that
// selects none of them.
std::vector<int> selectedPages(const std::string& range, const PDFDocument& document,
                               const std::filesystem::path& pdf);

// The names of the shipped templates, and of the styles of the template
// `templateName`, sorted.
std::vector<std::string> templateNames();
std::vector<std::string> styleNames(const std::string& templateName);

// "a, b, c".
std::string joinedNames(const std::vector<std::string>& names);

} // namespace zarvex
