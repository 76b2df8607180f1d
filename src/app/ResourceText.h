// Language texts by key from section "Resource" of English.ini.
#pragma once
#include <string>

// The text for `key`; `fileName` is accepted and ignored (callers pass "Memlull.ini").
// Reads English.ini beside the executable, else in the Windows directory; when
// neither exists, shows "Can't open resource file" and ends the process (code 0).
std::string GetResourceText(const char* fileName, const char* key);

// Shorthand for GetResourceText("Memlull.ini", key).
std::string Lang(const char* key);

// Begins (true) or ends (false) a batch of lookups on this thread: inside it, the file is read
// and checked by the first lookup only, the others answer from that read. Batches nest.
void LanguageBatch(bool begin);

// Where the language file is looked for; empty when it exists in neither place.
std::string FindLanguageFile();
