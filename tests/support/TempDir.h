#pragma once

#include "engine/util/StringTypes.h"

#include <cstdlib>
#include <filesystem>

/// A fresh folder under the system temp folder, removed with its contents on destruction.
class TempDir
{
public:
    TempDir() : m_path((std::filesystem::temp_directory_path() / "tessaly-XXXXXX").string())
    {
        if (mkdtemp(m_path.data()) == nullptr)
            m_path.clear();
    }
    ~TempDir() { std::filesystem::remove_all(m_path, m_ignored); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    String File(const String& name) const { return m_path + "/" + name; }
    const String& Path() const { return m_path; }

private:
    String m_path;
    std::error_code m_ignored;
};
