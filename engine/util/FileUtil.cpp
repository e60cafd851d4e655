#include "engine/util/FileUtil.h"

#include <fstream>

bool FileReadLines(const String& fileName, StringList& lines)
{
    std::ifstream file(fileName.c_str());
    if (!file.is_open())
        return false;

    // End-of-file is tested before each read, so a trailing line feed yields a last empty line.
    // Lines are collected first so that a read error (a folder, say) leaves the list unchanged.
    StringList read;
    String line;
    while (!file.eof())
    {
        std::getline(file, line);
        if (file.bad() || (file.fail() && !file.eof()))
            return false;
        read.push_back(line);
    }
    lines.insert(lines.end(), read.begin(), read.end());
    return true;
}

bool FileAppendLine(const String& fileName, const String& line)
{
    std::ofstream file(fileName.c_str(), std::ios::out | std::ios::app);
    if (!file.is_open())
        return false;
    file << line << "\n";
    file.flush();
    return !file.fail();
}
