#include "engine/util/StringUtil.h"

#include <cctype>
#include <cstdio>

String TrimString(const String& text, const String& trimChars)
{
    const String::size_type first = text.find_first_not_of(trimChars);
    if (first == String::npos)
        return String();
    const String::size_type last = text.find_last_not_of(trimChars);
    return text.substr(first, last - first + 1);
}

String TrimString(const String& text)
{
    return TrimString(text, " \t\n\r");
}

namespace
{
String MapBytes(const String& text, int (*map)(int))
{
    String result(text);
    for (char& c : result)
        c = static_cast<char>(map(static_cast<unsigned char>(c)));
    return result;
}
} // namespace

String ToLower(const String& text)
{
    return MapBytes(text, [](int c) { return std::tolower(c); });
}

String ToUpper(const String& text)
{
    return MapBytes(text, [](int c) { return std::toupper(c); });
}

String IntToString(int value)
{
    return ToStringWith(value, std::dec);
}

StringList SplitString(const String& text, const String& delimiters, bool skipEmpty)
{
    StringList pieces;
    String current;
    for (char c : text)
    {
        if (delimiters.find(c) == String::npos)
        {
            current += c;
            continue;
        }
        if (!skipEmpty || !current.empty())
            pieces.push_back(current);
        current.clear();
    }
    if (!current.empty())
        pieces.push_back(current);
    return pieces;
}

int HexToInt(const String& hexText)
{
    unsigned int value = 0;
    if (std::sscanf(hexText.c_str(), "%x", &value) != 1)
        return 0;
    return static_cast<int>(value);
}
