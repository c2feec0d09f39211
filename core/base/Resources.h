#pragma once

#include <filesystem>

namespace zarvex {

// The folder of shipped data ("AppFiles", "DemoImgs_standard", "lib",
// "logging.properties"). Looked up, in order: $ZARVEX_RESOURCES; "resources"
// beside the running binary; "../resources" and "../share/zarvex/resources"
// from it. Raises Error when none exists.
std::filesystem::path resourcesPath();

// resourcesPath() / relative.
std::filesystem::path resourcePath(const std::filesystem::path& relative);

// The per-user folders, following HOME and the XDG variables:
// $XDG_DATA_HOME or ~/.local/share (the "Application Support" folder),
// $XDG_CONFIG_HOME or ~/.config.
std::filesystem::path homePath();
std::filesystem::path applicationSupportPath();
std::filesystem::path userConfigPath();

// The application's name as used in log and support paths.
inline constexpr const char* kApplicationName = "Zarvex";

} // namespace zarvex
