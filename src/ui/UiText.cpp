#include "ui/UiText.h"

namespace {
UiTextSource gSource = nullptr;
UiTextBatchHook gBatchHook = nullptr;
}  // namespace

void SetUiTextSource(UiTextSource source) { gSource = source; }
void SetUiTextBatchHook(UiTextBatchHook hook) { gBatchHook = hook; }

UiTextBatch::UiTextBatch() {
    if (gBatchHook) gBatchHook(true);
}
UiTextBatch::~UiTextBatch() {
    if (gBatchHook) gBatchHook(false);
}

std::string UiText(const char* key) { return gSource && key ? gSource(key) : std::string(); }
