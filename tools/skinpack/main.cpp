// skinpack: turns a Qt style sheet into a skin package ("dbskin.dat") and back, so a
// skin can be edited as text.
//
//   skinpack pack   STYLE.qss  PACKAGE.dat
//   skinpack unpack PACKAGE.dat STYLE.qss
#include "config/skin_package.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

// A style sheet past the skin limit is refused anyway; reading stops just beyond it.
std::string ReadFile(const std::string& fileName, std::size_t limit)
{
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot open " + fileName + ": " + std::strerror(errno));
    std::string bytes(limit + 1, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (file.bad())
        throw std::runtime_error("cannot read " + fileName);
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

void WriteFile(const std::string& fileName, const std::string& bytes)
{
    // Written beside the target first, so a failed run never leaves half a file.
    const std::string partial = fileName + ".partial";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!file.flush())
            throw std::runtime_error("cannot write " + partial);
    }
    if (std::rename(partial.c_str(), fileName.c_str()) != 0) {
        std::remove(partial.c_str());
        throw std::runtime_error("cannot write " + fileName + ": " + std::strerror(errno));
    }
}

int Usage()
{
    std::cerr << "usage: skinpack pack STYLE.qss PACKAGE.dat\n"
                 "       skinpack unpack PACKAGE.dat STYLE.qss\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return Usage();
    const std::string command = argv[1];
    try {
        if (command == "pack") {
            WriteFile(argv[3], PackSkin(ReadFile(argv[2], MaxSkinSize)));
        } else if (command == "unpack") {
            const auto sheet = ReadSkinPackageFile(argv[2]);
            if (!sheet) {
                std::cerr << "skinpack: " << argv[2] << " is of a newer format than " << NewestSkinFormat
                          << "; nothing written\n";
                return 1;
            }
            WriteFile(argv[3], *sheet);
        } else {
            return Usage();
        }
    } catch (const std::exception& error) {
        std::cerr << "skinpack: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
