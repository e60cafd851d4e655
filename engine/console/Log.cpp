#include "engine/console/Log.h"

#include "engine/util/ClassicLocale.h"
#include "engine/util/FileUtil.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

void DeveloperLog::Printf(const char* format, ...)
{
    char buffer[kPrintfBufferSize];
    va_list args;
    va_start(args, format);
    int written = 0;
    {
        // Numbers in log lines read the same in every locale (1.5, never 1,5).
        const ClassicLocaleScope classic;
        // vsnprintf never writes past the buffer; longer text is cut at 1023 characters.
        written = std::vsnprintf(buffer, sizeof(buffer), format, args);
    }
    va_end(args);
    if (written < 0)
        buffer[0] = '\0';
    Log(String(buffer));
}

void SystemLog::Log(const String& line)
{
    const String text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void CompoundLog::Log(const String& line)
{
    for (DeveloperLog* log : m_logs)
        log->Log(line);
}

void CompoundLog::AddLog(DeveloperLog* log)
{
    if (log == nullptr || std::find(m_logs.begin(), m_logs.end(), log) != m_logs.end())
        return;
    m_logs.push_back(log);
}

bool FileLog::WriteLine(const String& line)
{
    return FileAppendLine(m_fileName, line);
}

CompoundLog* GetSystemLog()
{
    static CompoundLog* systemLog = []
    {
        CompoundLog* log = new CompoundLog();
        log->AddLog(new SystemLog());
        return log;
    }();
    return systemLog;
}
