// The case-insensitive, locale-aware comparison of Windows-1252 text used to order and
// de-duplicate the searches' sorted lists and the updater's merge.
#pragma once

#include <string_view>

// <0, 0 or >0. Two texts compare equal only when they differ in letter case alone:
// accents, hyphens and apostrophes always make texts different.
int CompareTextIgnoreCase(std::string_view a, std::string_view b);
