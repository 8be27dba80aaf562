#include "core/csv_dialect.h"
#include "core/results_export.h"

#include <gtest/gtest.h>

namespace {

struct SettingsCase {
    const char* Settings;
    char Delimiter;
    bool ByteOrderMark;
    bool PlainNumbers;
};

class CsvDialectSettings : public testing::TestWithParam<SettingsCase> {};

TEST_P(CsvDialectSettings, ReadFromSectionExport)
{
    const SettingsCase& c = GetParam();
    const CsvDialect dialect = ReadCsvDialect(IniFile::FromText(c.Settings));
    EXPECT_EQ(dialect.Delimiter, c.Delimiter) << c.Settings;
    EXPECT_EQ(dialect.ByteOrderMark, c.ByteOrderMark) << c.Settings;
    EXPECT_EQ(dialect.PlainNumbers, c.PlainNumbers) << c.Settings;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvDialectSettings,
    testing::Values(SettingsCase{"", ',', false, false},
                    SettingsCase{"[Export]\nDelimiter=semicolon\nBOM=1\nNumbers=plain\n", ';', true, true},
                    SettingsCase{"[export]\ndelimiter=TAB\nNumbers=As-Written\n", '\t', false, false},
                    SettingsCase{"[Export]\nDelimiter=comma\nBOM=0\n", ',', false, false},
                    SettingsCase{"[Export]\nDelimiter=pipe\nBOM=yes\nNumbers=digits\n", ',', false, false},
                    SettingsCase{"[Settings]\nDelimiter=tab\n", ',', false, false}));

TEST(ResultsCsvDialects, DelimiterMarkAndPlainNumbers)
{
    KeywordList list;
    list.AppendRow(1, "a;b", "1,234");
    list.SetCellText(0, KeywordRow::Google, "about 5,000");

    EXPECT_EQ(ResultsCsvText(list, {{';', true, true}}),
              "\xEF\xBB\xBF\"No\";\"Keywords\";\"Searches\";\"Google\";\"Yahoo\";\"Msn\"\r\n"
              "\"1\";\"a;b\";\"1234\";\"5000\";\"\";\"\"\r\n");
    // Numbers as the pages wrote them; the row number and keyword are never changed.
    EXPECT_EQ(ResultsCsvText(list, {{'\t', false, false}}),
              "\"No\"\t\"Keywords\"\t\"Searches\"\t\"Google\"\t\"Yahoo\"\t\"Msn\"\r\n"
              "\"1\"\t\"a;b\"\t\"1,234\"\t\"about 5,000\"\t\"\"\t\"\"\r\n");
}

TEST(ResultsCsvDialects, KeiColumnsFollowTheEngineColumnsWhileShown)
{
    KeywordList list;
    list.AppendRow(1, "golf", "1,000");
    list.SetCellText(0, KeywordRow::Yahoo, "400");
    EXPECT_EQ(ResultsCsvText(list, {{}, true}),
              "\"No\",\"Keywords\",\"Searches\",\"Google\",\"Yahoo\",\"Msn\",\"KEI Google\",\"KEI Yahoo\",\"KEI Msn\"\r\n"
              "\"1\",\"golf\",\"1,000\",\"\",\"400\",\"\",\"\",\"2500.00\",\"\"\r\n");
}

} // namespace
