#include "support/core/temp_dir.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

TempDir::TempDir()
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() / ("talvira-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            FPath = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(FPath, ignored);
}

std::string TempDir::WriteFile(const std::string& name, const std::string& bytes) const
{
    const auto file = FPath / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    return file.string();
}

std::string FileContents(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
