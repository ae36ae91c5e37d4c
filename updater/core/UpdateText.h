// What the update's steps share inside the updater's core.
#pragma once

#include <string>
#include <string_view>

// The maker's contact address, as the dictionary program shows it.
inline constexpr const char* kMakerMail = "contact@lexorama.fr";

// A version line: 43 "~", a blank, 8 characters of version, a blank, 43 "~".
bool IsVersionLine(std::string_view line);

// "Erreur [hex] à l'écriture de NAME" for an errno value, in the store's wording.
std::string WriteErrorText(const std::string& name, int err);
