#pragma once

namespace trevisk {
inline constexpr char ProductName[] = "Trevisk";
inline constexpr char VersionText[] = "1.1.0";
} // namespace trevisk
