// Case, character classes and numbers read and write the same in every locale as in "C": the
// window library and Python set the process's locale from the environment, and a script may
// change it at any time.
#include "engine/console/Log.h"
#include "engine/util/Color.h"
#include "engine/util/StringUtil.h"
#include "tests/support/Locales.h"

#include <gtest/gtest.h>

namespace
{
struct LastLine : DeveloperLog
{
    void Log(const String& text) override { line = text; }
    String line;
};
} // namespace

TEST(LocaleTest, CaseAndNumbersAreThoseOfCInEveryLocale)
{
    for (const String& name : OtherLocales())
    {
        const ScopedLocale locale(name);
        ASSERT_TRUE(locale.IsSet()) << name << " could not be made (localedef, locales)";
        SCOPED_TRACE(name);

        // Only ASCII letters change, 'i' and 'I' included; every other byte stays.
        EXPECT_EQ(ToUpper("minus, item \xC4\xB1 \xFD"), "MINUS, ITEM \xC4\xB1 \xFD");
        EXPECT_EQ(ToLower("TITLE \xC4\xB0 \xDD"), "title \xC4\xB0 \xDD");

        // Numbers: log lines, whole numbers through streams, hexadecimal colours.
        LastLine log;
        log.Printf("%g %.2f %d", 1.5, -1234.5, 1234567);
        EXPECT_EQ(log.line, "1.5 -1234.50 1234567");
        EXPECT_EQ(IntToString(-1234567), "-1234567");
        EXPECT_EQ(Color("#ff8000"), Color(255, 128, 0));
        for (const auto& [text, value] : std::initializer_list<std::pair<const char*, int>>{
                 {"ff", 255}, {" f", 15}, {"0x", 0}, {"-1", -1}, {"+a", 10}, {"1g", 1}, {"zz", 0}})
            EXPECT_EQ(HexToInt(text), value) << text;
    }
}
