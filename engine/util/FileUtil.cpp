#include "engine/util/FileUtil.h"

#include "engine/util/DataFile.h"

#include <fstream>

bool FileReadLines(const String& fileName, StringList& lines)
{
    const DataFile file = ReadDataFile(fileName, kMaxTextFileBytes);
    if (file.status != DataFile::Status::Found)
        return false;
    SplitFileLines(file.contents, lines);
    return true;
}

void SplitFileLines(const String& contents, StringList& lines)
{
    // As end-of-file is tested before each read: a trailing line feed yields a last empty line,
    // and an empty file one empty line.
    String::size_type start = 0;
    for (String::size_type end; (end = contents.find('\n', start)) != String::npos; start = end + 1)
        lines.push_back(contents.substr(start, end - start));
    lines.push_back(contents.substr(start));
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
