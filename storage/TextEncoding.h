#pragma once

#include <string>
#include <string_view>

// The byte order mark of UTF-8, which some programs write at the start of a file.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// How IsValidUtf8 looks at the bytes: 32 at a time where the processor can (AVX2), or one
// character at a time.
enum class Utf8Checking { Fastest, CharacterByCharacter };

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF, no character cut short).
bool IsValidUtf8(std::string_view bytes, Utf8Checking checking = Utf8Checking::Fastest);

// Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined become the C1
// control characters of the same number.
std::string Windows1252ToUtf8(std::string_view bytes);

// The text of a file as the program holds it: UTF-8 files as they are (without a leading byte
// order mark), anything else read as Windows-1252, the code page of files written by the
// Windows program.
std::string DecodeFileText(std::string bytes);
