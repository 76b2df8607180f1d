// The program's message boxes: a text, a caption, MessageBoxA's buttons and icon.
#pragma once
#include <windows.h>

#include <string>

// Shows the text of language key `textKey` (ui/UiText.h) under `caption` in a box owned by
// `owner`, which takes no input meanwhile. Returns the button chosen (IDOK, IDYES, ...).
int ShowMessage(HWND owner, const char* textKey, const std::string& caption, UINT type = MB_OK);
// The same for a text made up by the caller.
int ShowMessageText(HWND owner, const std::string& text, const std::string& caption, UINT type = MB_OK);
