#pragma once

#include <locale.h>

/// While it lives, the C library's number formatting and reading on the calling thread (printf,
/// scanf, strtod and their kin) work as in the "C" locale, whatever the process's locale is:
/// the window library and Python set LC_CTYPE from the environment, and a script may set
/// LC_NUMERIC (a decimal comma) at any time. Other threads are not affected.
class ClassicLocaleScope
{
public:
    ClassicLocaleScope();
    ~ClassicLocaleScope();
    ClassicLocaleScope(const ClassicLocaleScope&) = delete;
    ClassicLocaleScope& operator=(const ClassicLocaleScope&) = delete;

private:
    locale_t m_previous = nullptr; // null when the classic locale could not be made
};
