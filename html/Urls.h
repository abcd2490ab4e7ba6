// URL helpers: base URLs, relative-URL resolution and the file-name form of a URL.
// Pure string functions on 8-bit text; nothing here touches the disk.
#pragma once

#include <string>

// The URL up to and including its last "/" (a query part is ignored).
std::string GetBase(const std::string& URL);
// Rel resolved against Base, with "/../" and "/./" folded.
std::string Combine(std::string Base, std::string Rel);
// Whether S names a scheme ("x://" before any other "/") or is a mailto link.
bool IsFullURL(const std::string& S);
// Decodes "%XX" escapes in place, once, left to right. An escape that is not two hex digits
// stops the decoding there; "%00" is left as written so no NUL reaches a file name.
void DecodeHex(std::string& S);
// A URL path in file-name form: escapes decoded, "file://" dropped ("file:///" with a drive
// letter after it), "|" to ":", "/" to "\".
std::string HTMLToDos(std::string S);
// As HTMLToDos, with a root-relative name ("\x") placed under Root; a "file:///" path is
// never root-relative.
std::string HTMLServerToDos(const std::string& S, const std::string& Root);
void ReplaceChar(char Old, char New, std::string& S);

// Path with its "." and ".." segments folded (a ".." at the top goes nowhere) and empty
// segments dropped: it starts with Sep, and ends with Sep when Path did or nothing is left.
std::string FoldDotSegments(const std::string& Path, char Sep);
