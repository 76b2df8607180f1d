#include "ui/MessageBox.h"

#include "ui/UiText.h"

int ShowMessage(HWND owner, const char* textKey, const std::string& caption, UINT type) {
    return ShowMessageText(owner, UiText(textKey), caption, type);
}

int ShowMessageText(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}
