// Texts of the interface by key. The toolkit knows no language file: the application
// names the source once at start-up.
#pragma once
#include <string>

using UiTextSource = std::string (*)(const char* key);
void SetUiTextSource(UiTextSource source);
// The text for `key` from the source; "" while none is set.
std::string UiText(const char* key);
