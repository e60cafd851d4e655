#pragma once

/// ASCII character classes and case, the same in every locale. <cctype> follows LC_CTYPE, which
/// the window library and Python set from the environment and a script may change at any time:
/// in a Turkish UTF-8 locale std::toupper('i') is 'i', in a Turkish single-byte one 0xDD.

constexpr bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// Blank, tab, line feed, vertical tab, form feed and carriage return.
constexpr bool IsAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

/// 'a' ... 'z' become 'A' ... 'Z'; every other byte stays.
constexpr char AsciiToUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

/// 'A' ... 'Z' become 'a' ... 'z'; every other byte stays.
constexpr char AsciiToLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
