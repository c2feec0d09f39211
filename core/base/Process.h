#pragma once

// Running outside programs. The program is started directly with an argument
// vector (posix_spawn), never through a shell, so arguments with blanks, quotes
// or any other bytes arrive unchanged.

#include <filesystem>
#include <string>
#include <vector>

namespace zarvex {

struct ProcessOptions {
    // Connect the child's standard output to a pipe and collect it; otherwise
    // the child writes to /dev/null.
    bool captureOutput = true;
    // Same for standard error.
    bool captureErrors = true;
};

struct ProcessResult {
    // The exit status when the child exited; 128 + the signal number when a
    // signal ended it.
    int exitCode = 0;
    bool signaled = false;
    std::string output;
    std::string errors;

    bool succeeded() const { return !signaled && exitCode == 0; }
};

// Runs `program` with `arguments` (argv[1]...; argv[0] is the program's path),
// reads the captured streams to their end, waits for the child and returns its
// status. Standard input is /dev/null. The caller's thread blocks meanwhile.
// Raises Error when the program cannot be started (missing, not executable).
ProcessResult runProcess(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments,
                         const ProcessOptions& options = {});

} // namespace zarvex
