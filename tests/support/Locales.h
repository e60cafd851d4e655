#pragma once

#include "tests/support/TempDir.h"

#include <clocale>
#include <cstdlib>
#include <locale>

/// Locales whose case and numbers differ from "C": Turkish maps 'i' to a dotted capital I (a
/// byte of its own in ISO-8859-9), German writes a decimal comma and groups thousands with '.'.
/// Made once per test program with localedef into a folder of its own, which LOCPATH then
/// names, so that nothing needs installing; a test asserts that setlocale takes each.
inline const StringList& OtherLocales()
{
    static TempDir folder;
    static const StringList names = []
    {
        const StringList all = {"tr_TR.UTF-8", "de_DE.UTF-8", "tr_TR.ISO-8859-9",
                                "de_DE.ISO-8859-1"};
        for (const String& name : all)
        {
            const size_t dot = name.find('.');
            const String command = "localedef -c -i " + name.substr(0, dot) + " -f " +
                                   name.substr(dot + 1) + " " + folder.File(name) +
                                   " >/dev/null 2>&1";
            [[maybe_unused]] const int status = std::system(command.c_str());
        }
        setenv("LOCPATH", folder.Path().c_str(), 1);
        return all;
    }();
    return names;
}

/// Sets every category, and the global C++ locale, to name for its lifetime; "C" after it.
class ScopedLocale
{
public:
    explicit ScopedLocale(const String& name)
        : m_set(std::setlocale(LC_ALL, name.c_str()) != nullptr)
    {
        if (m_set)
            std::locale::global(std::locale(name));
    }
    ~ScopedLocale() { std::locale::global(std::locale::classic()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    bool IsSet() const { return m_set; }

private:
    bool m_set;
};
