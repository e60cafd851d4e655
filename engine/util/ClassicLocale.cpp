#include "engine/util/ClassicLocale.h"

namespace
{
locale_t Classic()
{
    // Made once and never freed: threads may hold it in use until the process ends.
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", nullptr);
    return classic;
}
} // namespace

ClassicLocaleScope::ClassicLocaleScope()
{
    if (Classic() != nullptr)
        m_previous = uselocale(Classic());
}

ClassicLocaleScope::~ClassicLocaleScope()
{
    if (m_previous != nullptr)
        uselocale(m_previous);
}
