#include "ui/Bstr.h"

Bstr::Bstr(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    value_ = SysAllocStringLen(nullptr, static_cast<UINT>(n > 0 ? n : 0));
    if (value_ && n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), value_, n);
}
