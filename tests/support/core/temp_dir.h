// A fresh folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // Writes the bytes to a file of that name in the folder and returns its full name.
    std::string WriteFile(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path FPath;
};

// The whole of a file, as bytes; empty when it cannot be read.
std::string FileContents(const std::filesystem::path& file);
