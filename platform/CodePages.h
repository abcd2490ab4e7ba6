// Conversion between 8-bit text in a code page and UTF-16, with the source position of
// every UTF-16 unit, the "next character" step of multi-byte pages, and the mapping from
// font charsets to code pages. The system's default code page is Windows-1252.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Types.h"

// Code page numbers with a meaning of their own.
constexpr Cardinal CP_ACP = 0;     // the system default (1252)
constexpr Cardinal CP_OEMCP = 1;   // the OEM page (437)
constexpr Cardinal CP_MACCP = 2;   // the Macintosh page (10000)
constexpr Cardinal CP_UTF8 = 65001;

// Font charsets.
using TFontCharset = Byte;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset MAC_CHARSET = 77;
constexpr TFontCharset SHIFTJIS_CHARSET = 128;
constexpr TFontCharset HANGEUL_CHARSET = 129;
constexpr TFontCharset JOHAB_CHARSET = 130;
constexpr TFontCharset GB2312_CHARSET = 134;
constexpr TFontCharset CHINESEBIG5_CHARSET = 136;
constexpr TFontCharset GREEK_CHARSET = 161;
constexpr TFontCharset TURKISH_CHARSET = 162;
constexpr TFontCharset VIETNAMESE_CHARSET = 163;
constexpr TFontCharset HEBREW_CHARSET = 177;
constexpr TFontCharset ARABIC_CHARSET = 178;
constexpr TFontCharset BALTIC_CHARSET = 186;
constexpr TFontCharset RUSSIAN_CHARSET = 204;
constexpr TFontCharset THAI_CHARSET = 222;
constexpr TFontCharset EASTEUROPE_CHARSET = 238;
constexpr TFontCharset OEM_CHARSET = 255;

// The system default code page: 1252.
Cardinal GetACP();
// The OEM code page: 437.
Cardinal GetOEMCP();
// CP_ACP, CP_OEMCP and CP_MACCP resolved to real page numbers; others unchanged.
Cardinal ResolveCodePage(Cardinal codePage);
// True when we can convert text in this page.
bool IsValidCodePage(Cardinal codePage);
// True for pages where one character may take more than one byte (DBCS pages, UTF-8, EUC).
bool IsMultiByteCodePage(Cardinal codePage);
// True when b starts a two-byte character in a DBCS page (932, 936, 949, 950, 1361).
bool IsDBCSLeadByteEx(Cardinal codePage, Byte b);

// The code page of a font charset, as the style code keeps it: false (and codePage
// untouched) for a charset not in the table. DEFAULT_CHARSET and SYMBOL_CHARSET give 0
// (the system default), OEM_CHARSET 1, MAC_CHARSET 2.
bool CharsetToCodePage(TFontCharset charset, Cardinal& codePage);
// The charset whose text a code page holds (ANSI_CHARSET for 1252 and unknown pages).
TFontCharset CodePageToCharset(Cardinal codePage);

// Byte index of the character after the one starting at index i (i + 1 for single-byte
// pages; a lead byte at the very end counts as one character). Never beyond s.size().
size_t NextCharIndex(Cardinal codePage, const std::string& s, size_t i);

// Converts 8-bit text to UTF-16. Bytes that are not valid in the page become U+FFFD.
// An unknown page falls back to 1252. When positions is given it receives, for every
// UTF-16 unit of the result, the byte index at which its character's sequence starts
// (both units of a surrogate pair get the same index).
std::u16string MultiByteToWide(Cardinal codePage, const std::string& s, std::vector<Integer>* positions = nullptr);
// Converts UTF-16 to 8-bit text; characters the page lacks become defaultChar, and
// usedDefault (when given) says whether that happened. Lone surrogates count as unmappable.
std::string WideToMultiByte(Cardinal codePage, const std::u16string& s, char defaultChar = '?',
                            bool* usedDefault = nullptr);

// Shorthands for the system page.
inline std::u16string AnsiToWide(const std::string& s) { return MultiByteToWide(CP_ACP, s); }
inline std::string WideToAnsi(const std::u16string& s) { return WideToMultiByte(CP_ACP, s); }
// UTF-8 helpers (for paths and messages, which are UTF-8 on this system).
std::u16string Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::u16string& s);
