#include "engine/util/StringUtil.h"

#include "engine/util/Ascii.h"

#include <charconv>

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
String MapBytes(const String& text, char (*map)(char))
{
    String result(text);
    for (char& c : result)
        c = map(c);
    return result;
}
} // namespace

String ToLower(const String& text)
{
    return MapBytes(text, AsciiToLower);
}

String ToUpper(const String& text)
{
    return MapBytes(text, AsciiToUpper);
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
    // What "%x" reads, without the locale: blanks, a sign, "0x", then hexadecimal digits.
    const char* at = hexText.c_str();
    const char* const end = at + hexText.size();
    while (at < end && IsAsciiSpace(*at))
        ++at;
    const bool negative = at < end && *at == '-';
    if (at < end && (*at == '-' || *at == '+'))
        ++at;
    if (end - at >= 2 && at[0] == '0' && (at[1] == 'x' || at[1] == 'X'))
        at += 2;
    unsigned int value = 0;
    if (std::from_chars(at, end, value, 16).ec != std::errc())
        return 0;
    return static_cast<int>(negative ? 0u - value : value);
}

namespace
{
void AppendHexEscape(String& shown, unsigned value)
{
    const char digits[] = "0123456789abcdef";
    shown += "\\x";
    shown += digits[(value >> 4) & 0xf];
    shown += digits[value & 0xf];
}

} // namespace

size_t Utf8SequenceLength(const String& text, size_t at)
{
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(at);
    size_t length = 0;
    unsigned low = 0x80, high = 0xbf; // the range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf)
        length = 2;
    else if (lead >= 0xe0 && lead <= 0xef)
    {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    }
    else if (lead >= 0xf0 && lead <= 0xf4)
    {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    }
    if (length == 0 || text.size() - at < length)
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xbf)
            return 0;
    return length;
}
String Printable(const String& text)
{
    String shown;
    shown.reserve(text.size());
    for (size_t at = 0; at < text.size();)
    {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x80)
        {
            const size_t length = Utf8SequenceLength(text, at);
            const auto second = length ? static_cast<unsigned char>(text[at + 1]) : 0u;
            if (length == 0)
                AppendHexEscape(shown, byte); // not UTF-8
            else if (byte == 0xc2 && second < 0xa0)
                AppendHexEscape(shown, second); // a C1 control, U+0080 ... U+009F
            else
                shown.append(text, at, length);
            at += length ? length : 1;
            continue;
        }
        if (byte == '\n')
            shown += "\\n";
        else if (byte == '\r')
            shown += "\\r";
        else if (byte == '\t')
            shown += "\\t";
        else if (byte < 0x20 || byte == 0x7f)
            AppendHexEscape(shown, byte);
        else
            shown += static_cast<char>(byte);
        ++at;
    }
    return shown;
}
