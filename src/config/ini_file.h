// The settings file reader, with the semantics of the system's initialisation-file
// reader: section and key names compared without regard to case, values read up to
// 2047 characters with surrounding blanks and quotes removed, a missing file, section
// or key reading as the empty text.
#pragma once

#include <optional>
#include <string>
#include <vector>

class IniFile {
public:
    static constexpr std::size_t MaxValueLength = 2047;

    // Reads the whole file once; a file that is missing, cannot be read or is not a
    // regular file (a directory, a FIFO, a device) gives no values. A leading UTF-8
    // byte-order mark is skipped.
    explicit IniFile(const std::string& fileName);

    // Reads the file like the constructor, but tells a file that could not be read (or is
    // not a regular file) apart from an empty one: nothing for the former.
    static std::optional<IniFile> TryRead(const std::string& fileName);

    std::string ReadString(const std::string& section, const std::string& key) const;
    // Whether a line "[section]" opens that section, keys or not.
    bool HasSection(const std::string& section) const;

    // Parses settings text directly, for callers that already hold the bytes.
    static IniFile FromText(const std::string& text);

private:
    IniFile() = default;
    void Parse(const std::string& text);

    struct Entry {
        std::string Section;
        std::string Key;
        std::string Value;
    };
    std::vector<Entry> FEntries; // in file order; the first match wins
    std::vector<std::string> FSections;
};
