// The case-insensitive, locale-aware comparison of Windows-1252 text used to order and
// de-duplicate the searches' sorted lists and the updater's merge.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// <0, 0 or >0. Two texts compare equal only when they differ in letter case alone:
// accents, hyphens and apostrophes always make texts different.
int CompareTextIgnoreCase(std::string_view a, std::string_view b);

// The sort key of a text: byte strings compared as unsigned bytes (a prefix first) are
// in CompareTextIgnoreCase's order, and equal exactly when it gives 0. Appended to out.
void AppendSortKeyIgnoreCase(std::string_view text, std::string& out);

// Sorts texts in CompareTextIgnoreCase's order, equal texts keeping their order; with
// dropCaseVariants, a text equal to an earlier one is removed (the first stays).
// One sort key per text, then byte comparisons: the same order as sorting with the
// comparison, at a fraction of its cost on long lists.
void SortIgnoreCase(std::vector<std::string>& texts, bool dropCaseVariants);
