#pragma once

#include "engine/util/StringTypes.h"

#include <vector>

/// A destination for the engine's diagnostic lines.
class DeveloperLog
{
public:
    virtual ~DeveloperLog() = default;

    /// Writes one whole line; callers pass no trailing line end.
    virtual void Log(const String& line) = 0;

    /// printf-style formatting into a 1024-byte buffer; longer output is cut, never overrun.
    /// Numbers are written as in the "C" locale, whatever the process's locale is.
    void Printf(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    static constexpr int kPrintfBufferSize = 1024;
};

/// Writes each line, followed by a line end, to standard error (the platform's debugger output).
class SystemLog : public DeveloperLog
{
public:
    void Log(const String& line) override;
};

/// Forwards each line to every added log, in the order they were added. Does not own them.
class CompoundLog : public DeveloperLog
{
public:
    void Log(const String& line) override;

    /// Adds log unless the same pointer is already there.
    void AddLog(DeveloperLog* log);

private:
    std::vector<DeveloperLog*> m_logs;
};

/// Appends each line to a text file.
class FileLog : public DeveloperLog
{
public:
    explicit FileLog(const String& fileName) : m_fileName(fileName) {}

    void Log(const String& line) override { m_lastWriteSucceeded = WriteLine(line); }

    /// Appends the line; false when the file could not be opened.
    bool WriteLine(const String& line);
    bool LastWriteSucceeded() const { return m_lastWriteSucceeded; }

private:
    String m_fileName;
    bool m_lastWriteSucceeded = true;
};

/// The process-wide log every engine diagnostic goes to: a CompoundLog that starts with one
/// SystemLog. Created on first use, never deleted.
CompoundLog* GetSystemLog();
