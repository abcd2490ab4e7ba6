// Style-sheet reader: STYLE elements, linked sheets and STYLE attributes into the style
// model, shorthand properties expanded into their parts.
#pragma once

#include <functional>
#include <string>

class TStyleList;
class TProperties;

// Character 26 ends the text a reader is handed.
constexpr char StyleEOF = 26;

// Reads a whole sheet into Styles. Ch is the first character; on return it is the character
// after the sheet ("<" of a STYLE end tag, or StyleEOF). ReadCh gives the next character.
// BasePath resolves relative "url(...)" values (empty: left as written).
void ParseStyleSheet(TStyleList& Styles, char& Ch, const std::function<char()>& ReadCh, const std::string& BasePath);
// The same for a sheet held in a string (a linked style sheet).
void ParseStyleSheetText(TStyleList& Styles, const std::string& Text, const std::string& BasePath);
// Declarations of a STYLE attribute into one element's properties.
void ParseInlineStyle(TProperties& Props, const std::string& Text);
