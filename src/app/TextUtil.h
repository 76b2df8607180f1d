// Small text helpers of the whole program.
#pragma once
#include <string>

// `text` with its letters in upper case, byte by byte as the C library's toupper does.
std::string Upper(std::string text);
// True when `part` occurs in `text`.
bool Contains(const std::string& text, const char* part);
// printf's formatting into a string of at most 511 characters; "" when the format fails.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
