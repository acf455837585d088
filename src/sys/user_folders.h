// The per-user folders: the maker folder (profile\.Brimvale, home of the log
// and the presets) and the product data folder beneath it
// (.Brimvale\VELDO\ver<major>.<first decimal>\), where transfers between
// windows and instances of the program are kept.
#pragma once

#include "core/path.h"

// The product's name and the version of its data, which names the data folder.
inline constexpr const WChar* kProductName = WTXT("VELDO");
inline constexpr double kProductDataVersion = 0.0;

// profile\.Brimvale; false when the profile folder is unknown.
bool MakerFolder(WPath& path);
// The maker folder, "\", the product name, "\", "ver" and the version's whole
// part, ".", its first decimal digit, and a closing "\" ("...\VELDO\ver0.0\").
bool ProductDataFolder(WPath& path);
