#pragma once

#include "engine/util/StringTypes.h"

#include <ios>
#include <locale>
#include <sstream>

/// Free string helpers. All work byte by byte, the same in every locale.

/// The text without leading and trailing characters that occur in trimChars.
String TrimString(const String& text, const String& trimChars);
/// TrimString with blanks, tabs, line feeds and carriage returns.
String TrimString(const String& text);

/// Only ASCII letters change: every other byte, those of UTF-8 letters too, stays.
String ToLower(const String& text);
String ToUpper(const String& text);

/// Writes value through a string stream with the given manipulator (std::dec, std::hex ...), in
/// the classic locale whatever the global C++ locale is (no digit grouping, a decimal point).
template <typename T>
String ToStringWith(const T& value, std::ios_base& (*manipulator)(std::ios_base&))
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << manipulator << value;
    return out.str();
}

String IntToString(int value);

/// Splits at any character of delimiters. Empty pieces between delimiters are kept unless
/// skipEmpty is set; a trailing empty piece is always dropped.
StringList SplitString(const String& text, const String& delimiters, bool skipEmpty);

/// The length of the valid UTF-8 sequence of more than one byte that starts at `at`, 0 when
/// there is none. Overlong forms, surrogates and code points beyond U+10FFFF are not valid.
size_t Utf8SequenceLength(const String& text, size_t at);

/// The text as part of a log line, on one line and whole: control characters (C0, DEL and the
/// C1 controls U+0080 ... U+009F) written as \n, \r, \t or \xNN escapes, and each byte that is
/// not part of valid UTF-8 as \xNN. Valid UTF-8 otherwise stays as it is.
String Printable(const String& text);

/// Reads a two-digit hexadecimal value as "%x" does in the "C" locale; pairs that are not
/// hexadecimal give 0.
int HexToInt(const String& hexText);
