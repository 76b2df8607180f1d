// DWORD values of HKEY_LOCAL_MACHINE keys, as the cache tests set and read them.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include "app/RegistryKey.h"

namespace cachetest {

// The value `name` of key `path`, or -1 when it cannot be read.
inline long long Value(const char* path, const char* name) {
    RegistryKey key;
    DWORD v = 0;
    if (key.Open(HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS || key.QueryDword(v, name) != ERROR_SUCCESS) return -1;
    return v;
}

// Sets the value `name` of key `path`, creating the key when it is missing.
inline void Set(const char* path, const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

}  // namespace cachetest
