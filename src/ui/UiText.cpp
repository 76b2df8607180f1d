#include "ui/UiText.h"

namespace {
UiTextSource gSource = nullptr;
}

void SetUiTextSource(UiTextSource source) { gSource = source; }

std::string UiText(const char* key) { return gSource && key ? gSource(key) : std::string(); }
