#pragma once

#include "engine/util/StringTypes.h"
#include "tests/support/GuardedFifo.h"

#include <filesystem>
#include <memory>
#include <system_error>

/// What can stand where a data file should and is none. Each must count as a missing file:
/// a pipe would wait for a writer for ever, a device be read until memory runs out.
constexpr const char* kNotAFileKinds[] = {"folder",       "pipe",          "/dev/zero",
                                          "/dev/urandom", "dangling link", "link loop"};

/// One of kNotAFileKinds at path for as long as it lives.
class NotAFile
{
public:
    NotAFile(const String& kind, const String& path) : m_path(path)
    {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::remove_all(path, error);
        const String kindName = kind;
        if (kindName == "folder")
            m_made = fs::create_directory(path, error);
        else if (kindName == "pipe")
        {
            m_pipe = std::make_unique<GuardedFifo>(path);
            m_made = m_pipe->Created();
        }
        else if (kindName == "dangling link")
            m_made = (fs::create_symlink(path + ".nowhere", path, error), !error);
        else if (kindName == "link loop")
            m_made = (fs::create_symlink(path, path, error), !error);
        else
            m_made = (fs::create_symlink(kindName, path, error), !error);
    }
    ~NotAFile()
    {
        m_pipe.reset();
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    NotAFile(const NotAFile&) = delete;
    NotAFile& operator=(const NotAFile&) = delete;

    bool Made() const { return m_made; }
    /// True when something waited on the pipe (and was freed to fail its test).
    bool Waited() const { return m_pipe && m_pipe->FreedAReader(); }

private:
    String m_path;
    bool m_made = false;
    std::unique_ptr<GuardedFifo> m_pipe;
};
