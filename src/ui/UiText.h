// Texts of the interface by key. The toolkit knows no language file: the application
// names the source once at start-up.
#pragma once
#include <string>

using UiTextSource = std::string (*)(const char* key);
void SetUiTextSource(UiTextSource source);
// The text for `key` from the source; "" while none is set.
std::string UiText(const char* key);

// Lookups that may share one read of the source: a window's initialization asks for a hundred
// texts at once. The application names what begins and ends such a batch (`begin` true, then
// false); nothing happens while none is named.
using UiTextBatchHook = void (*)(bool begin);
void SetUiTextBatchHook(UiTextBatchHook hook);
class UiTextBatch {
public:
    UiTextBatch();
    ~UiTextBatch();
    UiTextBatch(const UiTextBatch&) = delete;
    UiTextBatch& operator=(const UiTextBatch&) = delete;
};
