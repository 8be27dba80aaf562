#include "config/skin_package.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>

namespace {

using namespace std::string_literals;

const std::string Sheet = "QWidget#frmMain { background: #202830; }\nQLabel { color: \xC3\xA9; }\n";

std::string LittleEndian32(std::uint32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return bytes;
}

// The zlib data of a text, made here with zlib itself.
std::string Compressed(const std::string& text)
{
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string data(size, '\0');
    EXPECT_EQ(compress(reinterpret_cast<Bytef*>(data.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
                       static_cast<uLong>(text.size())),
              Z_OK);
    data.resize(size);
    return data;
}

std::string Package(std::int32_t format, std::uint32_t count, const std::string& data)
{
    return LittleEndian32(static_cast<std::uint32_t>(format)) + LittleEndian32(count) + data;
}

std::string Package(std::int32_t format, const std::string& data)
{
    return Package(format, static_cast<std::uint32_t>(data.size()), data);
}

TEST(SkinPackage, PackWritesTheNewestFormatAndTheByteCountLittleEndian)
{
    const std::string package = PackSkin(Sheet);
    ASSERT_GT(package.size(), SkinHeaderSize);
    EXPECT_EQ(package.substr(0, 4), "\x03\x00\x00\x00"s);
    EXPECT_EQ(package.substr(4, 4), LittleEndian32(static_cast<std::uint32_t>(package.size() - SkinHeaderSize)));
    EXPECT_EQ(UnpackSkin(package), Sheet);
}

struct AcceptedCase {
    const char* Name;
    std::string Package;
    std::optional<std::string> Sheet; // nothing: the skin in use stays
};

class SkinPackageAcceptedTest : public testing::TestWithParam<AcceptedCase> {};

TEST_P(SkinPackageAcceptedTest, GivesTheStyleSheet)
{
    EXPECT_EQ(UnpackSkin(GetParam().Package), GetParam().Sheet);
}

INSTANTIATE_TEST_SUITE_P(
    Envelopes, SkinPackageAcceptedTest,
    testing::Values(
        AcceptedCase{"Format3", Package(3, Compressed(Sheet)), Sheet},
        AcceptedCase{"Format1", Package(1, Compressed(Sheet)), Sheet},
        AcceptedCase{"FormatZero", Package(0, Compressed(Sheet)), Sheet},
        AcceptedCase{"NegativeFormatIsAtMost3", Package(-1, Compressed(Sheet)), Sheet},
        AcceptedCase{"Format4LeavesTheSkinInUse", Package(4, Compressed(Sheet)), std::nullopt},
        AcceptedCase{"FormatReadAsSignedLargeIsNegative", Package(static_cast<std::int32_t>(0x80000000u), Compressed(Sheet)), Sheet},
        AcceptedCase{"Format4IsNotReadFurther", Package(4, 100, "not zlib"), std::nullopt},
        AcceptedCase{"BytesAfterTheCountIgnored", Package(3, Compressed(Sheet)) + "trailing", Sheet},
        AcceptedCase{"ByteOrderMarkDropped", Package(3, Compressed("\xEF\xBB\xBF" + Sheet)), Sheet},
        AcceptedCase{"EmptySheet", Package(3, Compressed("")), ""}),
    [](const testing::TestParamInfo<AcceptedCase>& info) { return info.param.Name; });

struct RefusedCase {
    const char* Name;
    std::string Package;
    std::string Reason; // a part of the message
};

class SkinPackageRefusedTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(SkinPackageRefusedTest, RaisesWithTheReason)
{
    try {
        UnpackSkin(GetParam().Package);
        FAIL() << "accepted";
    } catch (const SkinPackageError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().Reason), std::string::npos) << error.what();
    }
}

const std::string SheetData = Compressed(Sheet);

INSTANTIATE_TEST_SUITE_P(
    Envelopes, SkinPackageRefusedTest,
    testing::Values(
        RefusedCase{"NoHeader", "", "fewer than its 8-byte header"},
        RefusedCase{"HalfAHeader", "\x03\x00\x00\x00\x10"s, "fewer than its 8-byte header"},
        RefusedCase{"CountPastTheData", Package(3, static_cast<std::uint32_t>(SheetData.size() + 1), SheetData),
                    "holds " + std::to_string(SheetData.size())},
        RefusedCase{"CountWithoutData", Package(3, 40, ""), "announces 40 bytes of skin data but holds 0"},
        RefusedCase{"NotZlib", Package(3, "this is no zlib data at all"), "does not decompress"},
        RefusedCase{"CorruptedStream", Package(3, SheetData.substr(0, 2) + std::string(SheetData.size() - 2, 'x')),
                    "does not decompress"},
        RefusedCase{"StreamCutShort", Package(3, SheetData.substr(0, SheetData.size() / 2)), "ends before"},
        RefusedCase{"CountBeyondAnySkin", Package(3, 0xFFFFFFFFu, SheetData), "more than a skin of at most 16 MiB"},
        RefusedCase{"Latin1Text", Package(3, Compressed("QLabel { font-family: \"Caf\xE9\"; }")), "not UTF-8"},
        RefusedCase{"OverlongSlash", Package(3, Compressed("a\xC0\xAF" "b")), "not UTF-8"},
        RefusedCase{"Surrogate", Package(3, Compressed("\xED\xA0\x80")), "not UTF-8"},
        RefusedCase{"PastTheLastCodePoint", Package(3, Compressed("\xF4\x90\x80\x80")), "not UTF-8"},
        RefusedCase{"CutInsideACharacter", Package(3, Compressed("ends in \xE2\x82")), "not UTF-8"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return info.param.Name; });

TEST(SkinPackage, ASkinOf16MiBIsTheLargestAccepted)
{
    const std::string largest(MaxSkinSize, ' ');
    const auto sheet = UnpackSkin(Package(3, Compressed(largest)));
    ASSERT_TRUE(sheet.has_value());
    EXPECT_EQ(sheet->size(), MaxSkinSize);

    try {
        UnpackSkin(Package(3, Compressed(largest + " ")));
        FAIL() << "a skin of 16 MiB and a byte accepted";
    } catch (const SkinPackageError& error) {
        EXPECT_NE(std::string(error.what()).find("larger than 16 MiB"), std::string::npos) << error.what();
    }
    EXPECT_THROW(PackSkin(largest + " "), SkinPackageError);
}

TEST(SkinPackageFile, ReadsThePackageAndNamesTheFileInItsErrors)
{
    TempDir folder;
    EXPECT_EQ(ReadSkinPackageFile(folder.WriteFile("dbskin.dat", PackSkin(Sheet))), Sheet);
    EXPECT_EQ(ReadSkinPackageFile(folder.WriteFile("newer.dat", Package(4, 5, "12345"))), std::nullopt);

    const std::string damaged = folder.WriteFile("damaged.dat", Package(3, "garbage"));
    const std::string missing = (folder.Path() / "missing.dat").string();
    for (const std::string& file : {damaged, missing}) {
        try {
            ReadSkinPackageFile(file);
            ADD_FAILURE() << file << " accepted";
        } catch (const SkinPackageError& error) {
            EXPECT_NE(std::string(error.what()).find(file), std::string::npos) << error.what();
        }
    }
}

TEST(SkinPackageFile, ACountLargerThanTheFileIsShortData)
{
    TempDir folder;
    const std::string file = folder.WriteFile("dbskin.dat", Package(3, 1000, SheetData));
    EXPECT_THROW(ReadSkinPackageFile(file), SkinPackageError);
}

} // namespace
