#pragma once
// Readers of skin attribute values, shared by every reader of the skin.
// Attribute values are UTF-8 in the parsed document and UTF-16 here. A missing
// element or attribute counts as absent.
#include <windows.h>
#include <cstdarg>
#include <string>
#include <tinyxml2.h>

// Clears the caller's buffer of `count` characters and copies the value, cut
// to count - 1 characters. Answers the value's full length; 0 and the buffer
// untouched when absent.
int ReadXmlString(const tinyxml2::XMLElement* element, const char* attr, wchar_t* buffer, int count);
// The whole value; empty when absent.
std::wstring ReadXmlText(const tinyxml2::XMLElement* element, const char* attr);
// Blanks, sign, decimal digits; stops at the first other character. 0 when absent.
int ReadXmlInt(const tinyxml2::XMLElement* element, const char* attr);
// "RGB(r,g,b)"; components the scan does not reach stay 255. White when absent.
COLORREF ReadXmlColor(const tinyxml2::XMLElement* element, const char* attr);
// "true"/"false" in any case set *flag to 1/0; anything else leaves it.
void ReadXmlBool(const tinyxml2::XMLElement* element, const char* attr, int* flag);
// A state name in any case; STATE_NORMAL when absent or unknown.
UINT ReadXmlState(const tinyxml2::XMLElement* element, const char* attr);
// "(x,y)"; coordinates the scan does not reach are 0.
POINT ReadXmlPoint(const tinyxml2::XMLElement* element, const char* attr);

// The same scans over a text already in hand (used by the readers above).
COLORREF ParseSkinColor(const wchar_t* text);
UINT ParseSkinState(const wchar_t* text);
POINT ParseSkinPoint(const wchar_t* text);

// printf-style into 512 characters, prefixed "[n]" with a counter growing by
// one per message, to the platform debug output.
void DebugTrace(const wchar_t* format, ...);
// The line DebugTrace writes for message number `counter`.
std::wstring FormatDebugTraceLine(int counter, const wchar_t* format, va_list args);

// UTF-16 skin text (without byte-order mark) to UTF-8 ready for the parser;
// a bare '&' that starts no entity reference is escaped so that it loads as
// the character itself.
std::string SkinTextToUtf8(const wchar_t* text, size_t length);
