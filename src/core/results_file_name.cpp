#include "core/results_file_name.h"

#include <cstring>

namespace {

// The longest file name most file systems hold, in bytes, ".csv" included.
constexpr std::size_t MaxFileNameBytes = 255;
const char* const Extension = ".csv";

bool FileNameCannotHold(unsigned char c)
{
    return c < 0x20 || c == 0x7f || std::strchr("/\\:*?\"<>|", c) != nullptr;
}

bool IsUtf8Continuation(unsigned char c)
{
    return (c & 0xc0) == 0x80;
}

} // namespace

std::string ProposedResultsFileName(const std::string& mainKeyword)
{
    if (mainKeyword.empty())
        return {};
    std::string name = mainKeyword;
    for (char& c : name)
        if (FileNameCannotHold(static_cast<unsigned char>(c)))
            c = '_';
    if (name.front() == '.')
        name.front() = '_';
    const std::size_t room = MaxFileNameBytes - std::strlen(Extension);
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && IsUtf8Continuation(static_cast<unsigned char>(name[cut])))
            --cut;
        name.resize(cut);
    }
    return name + Extension;
}

std::string SavedStatusText(int rows, const std::string& fileName)
{
    return "Saved " + std::to_string(rows) + (rows == 1 ? " row" : " rows") + " to " + fileName;
}
