#pragma once

// The maker's data that the writers use where a template leaves a value unset.
namespace zarvex::maker {

inline constexpr const char* kProductName = "3D Zarvex";
inline constexpr const char* kAuthorName = "Zarvex";
inline constexpr const char* kSupportEmail = "support@zarvex.example";
inline constexpr const char* kWebSite = "https://www.zarvex.example";
inline constexpr const char* kDomainName = "www.zarvex.example";

} // namespace zarvex::maker
