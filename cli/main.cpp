// zarvex-cli: the command-line front end. It parses the arguments into a job,
// runs it and turns every failure into one line on standard error and an exit
// status: 0 success, 1 failure, 2 usage error.
#include "CliJob.h"
#include "CliOptions.h"
#include "ProgressDisplay.h"
#include "TerminalText.h"

#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace zarvex::cli;
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        CliOptions options = parseArguments(args);
        if (options.command == Command::Help) {
            std::cout << usageText();
            return 0;
        }
        ProgressDisplay progress(std::cerr, ProgressDisplay::modeFor(STDERR_FILENO, options.quiet));
        CliJob(std::move(options)).run(std::cout, std::cerr, progress);
        return 0;
    } catch (const UsageError& e) {
        std::cerr << "zarvex-cli: " << printableLine(e.what()) << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "zarvex-cli: " << printableLine(e.what()) << '\n';
        return 1;
    }
}
