#pragma once

#include "engine/util/StringTypes.h"

#include <cstdlib>
#include <filesystem>

/// A fresh folder under the system temp folder, removed with everything in it on destruction.
class TempDir
{
public:
    TempDir()
    {
        String pattern = (std::filesystem::temp_directory_path() / "tessaly-util-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool IsValid() const { return !m_path.empty(); }
    String File(const String& name) const { return m_path + "/" + name; }
    const String& Path() const { return m_path; }

private:
    String m_path;
};
