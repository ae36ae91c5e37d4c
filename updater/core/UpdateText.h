// What the update's steps share inside the updater's core.
#pragma once

#include <string>
#include <string_view>

// "Erreur [hex] à l'écriture de NAME" for an errno value, in the store's wording.
std::string WriteErrorText(const std::string& name, int err);
