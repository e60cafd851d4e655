#pragma once

#include "engine/console/Log.h"

#include <algorithm>
#include <utility>

/// Collects every line sent to the system log. Added to GetSystemLog() on first use and kept for
/// the rest of the test program (the compound log cannot drop a log); Clear() before the step
/// whose lines a test checks.
class LogCapture : public DeveloperLog
{
public:
    static LogCapture& Get()
    {
        static LogCapture* capture = []
        {
            auto* created = new LogCapture();
            GetSystemLog()->AddLog(created);
            return created;
        }();
        return *capture;
    }
    void Log(const String& line) override { m_lines.push_back(line); }
    void Clear() { m_lines.clear(); }
    /// The lines since the last call (or Clear), which are then forgotten.
    StringList Take() { return std::exchange(m_lines, {}); }
    const StringList& Lines() const { return m_lines; }
    /// How many captured lines equal line exactly.
    int Count(const String& line) const
    {
        return static_cast<int>(std::count(m_lines.begin(), m_lines.end(), line));
    }

private:
    StringList m_lines;
};
