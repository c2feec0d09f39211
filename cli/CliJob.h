#pragma once

#include "CliOptions.h"

#include <ostream>

namespace zarvex::cli {

class ProgressDisplay;

// One command of zarvex-cli: publish a book (through the core's PublishJob),
// list the templates, or inspect a PDF's links and bookmarks. Results go to
// `out`, progress to `progress`, and warnings and notices about the result,
// one line each, to `messages` (shown with --quiet too). Text from names and
// documents is printed with its control characters escaped. Every failure is
// raised as zarvex::Error with a one-line message; a failed publish leaves the
// output folder as it was.
class CliJob {
public:
    explicit CliJob(CliOptions options) : options_(std::move(options)) {}

    void run(std::ostream& out, std::ostream& messages, ProgressDisplay& progress);

private:
    void publish(std::ostream& out, std::ostream& messages, ProgressDisplay& progress);
    void listTemplates(std::ostream& out);
    void inspect(std::ostream& out);

    CliOptions options_;
};

} // namespace zarvex::cli
