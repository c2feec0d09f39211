#include "app/Process.h"

#include "app/Error.h"

namespace zarvex {

ProcessResult runProcess(const std::filesystem::path&, const std::vector<std::string>&,
                         const ProcessOptions&) {
    throw Error("not implemented");
}

} // namespace zarvex
