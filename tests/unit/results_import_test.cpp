#include "core/list_columns.h"
#include "core/results_export.h"
#include "core/results_import.h"
#include "support/core/recording_ui.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// A table with what saved files carry: counts with separators, quotes, a delimiter of
// every dialect inside a keyword, bytes that are not UTF-8, empty cells, a sort.
KeywordList SampleTable()
{
    KeywordList list;
    list.AppendRow(7, "golf \"pro\" clubs", "1,234");
    list.AppendRow(2, "a,b;c\td", "");
    list.AppendRow(15, "caf\xE9", "12");
    list.SetCellText(0, 2, "5,678,900");
    list.SetCellText(2, 4, "0");
    return list;
}

OpenedResults Parse(const KeywordList& columns, std::string_view bytes)
{
    ResultsCsvReader reader(columns);
    reader.Feed(bytes);
    return reader.Finish();
}

void ExpectSameTable(const std::vector<KeywordRow>& rows, const KeywordList& list)
{
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(list.CountRows()));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(rows[row].Caption, list.RowCaption(static_cast<int>(row)));
        for (int cell = 0; cell < ListColumns::CellCount(list); ++cell)
            EXPECT_EQ(rows[row].Cell(cell), list.CellText(static_cast<int>(row), cell));
    }
}

struct DialectCase {
    const char* Name;
    CsvLayout Layout;
};

class ResultsRoundTrip : public testing::TestWithParam<DialectCase> {};

TEST_P(ResultsRoundTrip, SavingAnOpenedFileAgainGivesTheSameBytes)
{
    const CsvLayout& layout = GetParam().Layout;
    const std::string saved = ResultsCsvText(SampleTable(), layout);

    KeywordList reopened;
    const OpenedResults opened = Parse(reopened, saved);
    EXPECT_EQ(opened.KeiColumns, layout.KeiColumns);
    reopened.AppendRows(opened.Rows);
    EXPECT_EQ(ResultsCsvText(reopened, layout), saved);
    if (!layout.Dialect.PlainNumbers)
        ExpectSameTable(opened.Rows, SampleTable());
}

TEST_P(ResultsRoundTrip, PiecesOfAnySizeReadAlike)
{
    const std::string saved = ResultsCsvText(SampleTable(), GetParam().Layout);
    const KeywordList columns;
    const OpenedResults whole = Parse(columns, saved);
    for (std::size_t piece = 1; piece <= 4; ++piece) {
        ResultsCsvReader reader(columns);
        for (std::size_t at = 0; at < saved.size(); at += piece)
            reader.Feed(std::string_view(saved).substr(at, piece));
        const OpenedResults pieces = reader.Finish();
        ASSERT_EQ(pieces.Rows.size(), whole.Rows.size()) << piece;
        for (std::size_t row = 0; row < whole.Rows.size(); ++row)
            for (int cell = 0; cell < ListColumns::CellCount(columns); ++cell)
                EXPECT_EQ(pieces.Rows[row].Cell(cell), whole.Rows[row].Cell(cell)) << "piece " << piece << " row " << row;
    }
}

INSTANTIATE_TEST_SUITE_P(Dialects, ResultsRoundTrip,
                         testing::Values(DialectCase{"Comma", {}}, DialectCase{"Semicolon", {{';', false, false}}},
                                         DialectCase{"Tab", {{'\t', false, false}}},
                                         DialectCase{"ByteOrderMark", {{',', true, false}}},
                                         DialectCase{"PlainNumbers", {{';', true, true}}},
                                         DialectCase{"KeiColumns", {{'\t', false, false}, true}}),
                         [](const testing::TestParamInfo<DialectCase>& info) { return std::string(info.param.Name); });

TEST(ResultsImport, ColumnsAreMatchedByNameInAnyOrderAndMissingCountsStayEmpty)
{
    const KeywordList columns;
    const OpenedResults opened =
        Parse(columns, "Keywords;\"Msn\";No\n\"golf\";\"12\";\"3\"\n\r\n\"tennis; balls\";;4");
    ASSERT_EQ(opened.Rows.size(), 2u);
    EXPECT_EQ(opened.Rows[0].Caption, "3");
    EXPECT_EQ(opened.Rows[0].Cell(KeywordRow::Keywords), "golf");
    EXPECT_EQ(opened.Rows[0].Cell(KeywordRow::Msn), "12");
    EXPECT_EQ(opened.Rows[0].Cell(KeywordRow::Google), "");
    EXPECT_EQ(opened.Rows[1].Cell(KeywordRow::Keywords), "tennis; balls");
    EXPECT_EQ(opened.Rows[1].Caption, "4");
}

TEST(ResultsImport, AQuotedLineBreakStaysInTheCell)
{
    const KeywordList columns;
    const OpenedResults opened = Parse(columns, "\"No\",\"Keywords\"\r\n\"1\",\"two\r\nlines\"\r\n");
    ASSERT_EQ(opened.Rows.size(), 1u);
    EXPECT_EQ(opened.Rows[0].Cell(KeywordRow::Keywords), "two\r\nlines");
}

struct BadFileCase {
    const char* Name;
    std::string Bytes;
    std::string Message; // the ResultsFormatError's text
};

class BadResultsFile : public testing::TestWithParam<BadFileCase> {};

TEST_P(BadResultsFile, IsRefusedNamingTheFirstBadLine)
{
    const KeywordList columns;
    try {
        Parse(columns, GetParam().Bytes);
        FAIL() << "read as results";
    } catch (const ResultsFormatError& error) {
        EXPECT_EQ(error.what(), GetParam().Message);
    }
}

const std::string Head = "\"No\",\"Keywords\"\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, BadResultsFile,
    testing::Values(
        BadFileCase{"Empty", "", "line 1: no header line"},
        BadFileCase{"OnlyAByteOrderMark", "\xEF\xBB\xBF", "line 1: no header line"},
        BadFileCase{"KeywordList", "golf\r\ntennis\r\n", "line 1: the header names an unknown column \"golf\""},
        BadFileCase{"NoNumberColumn", "\"Keywords\",\"Google\"\r\n", "line 1: the header has no \"No\" column"},
        BadFileCase{"NoKeywordColumn", "\"No\",\"Google\"\r\n", "line 1: the header has no \"Keywords\" column"},
        BadFileCase{"ColumnTwice", "\"No\",\"Keywords\",\"No\"\r\n",
                    "line 1: the header names the column \"No\" twice"},
        BadFileCase{"TooFewFields", Head + "\"1\",\"a\"\r\n\"2\"\r\n", "line 3: 1 fields where the header has 2"},
        BadFileCase{"TooManyFields", Head + "\"1\",\"a\",\"b\"\r\n",
                    "line 2: more fields than the header has columns (2)"},
        BadFileCase{"OtherDelimiter", Head + "\"1\";\"a\"\r\n", "line 2: text after the closing quote of a field"},
        BadFileCase{"QuoteClosedOnlyByTheNextRow", Head + "\"1\",\"a\r\n\"2\r\nb\r\n", "line 2: text after the closing quote of a field"},
        BadFileCase{"QuoteNeverClosedAtTheEnd", Head + "\"1\",\"a\r\nb\r\nc\r\n", "line 2: a quote is never closed"},
        BadFileCase{"QuoteInsideAField", Head + "\"1\",a\"b\"\r\n",
                    "line 2: a quote inside a field that does not start with one"},
        BadFileCase{"NulByte", Head + "\"1\",\"a" + std::string(1, '\0') + "\"\r\n", "line 2: a NUL byte"},
        BadFileCase{"RowNumberNotANumber", Head + "\"1\",\"a\"\n\"x\",\"b\"\n", "line 3: \"x\" is not a row number"},
        BadFileCase{"RowNumberTooLarge", Head + "\"2147483648\",\"b\"\n",
                    "line 2: \"2147483648\" is not a row number"},
        BadFileCase{"LongRecord", Head + "\"1\",\"" + std::string(MaxRecordBytes, 'x') + "\"\r\n",
                    "line 2: a record longer than 1048576 bytes"},
        BadFileCase{"ControlBytesAreNotShown", "\"No\",\"Key\x1bwords\"\r\n",
                    "line 1: the header names an unknown column \"Key?words\""},
        // Cut at 40 bytes, but not inside the two bytes of an é.
        BadFileCase{"LongCaptionsAreCutBetweenCharacters",
                    "\"No\",\"" + std::string(39, 'a') + "\xC3\xA9tail\"\r\n",
                    "line 1: the header names an unknown column \"" + std::string(39, 'a') + "...\""}),
    [](const testing::TestParamInfo<BadFileCase>& info) { return std::string(info.param.Name); });

class OpenResultsTest : public testing::Test {
protected:
    struct FixedChooser : OpenFileChooser {
        std::optional<std::string> File;
        std::optional<std::string> ChooseOpenFile() override { return File; }
    };

    bool Open(const std::string& file, const std::function<bool(uint64_t, uint64_t)>& progress = Always)
    {
        chooser.File = file;
        return OpenResults(list, prompter, status, chooser, progress);
    }

    static bool Always(uint64_t, uint64_t) { return true; }

    TempDir folder;
    KeywordList list;
    ScriptedPrompter prompter;
    RecordingStatus status;
    FixedChooser chooser;
};

TEST_F(OpenResultsTest, AppendsTheRowsAfterThoseListedAndShowsTheCount)
{
    list.AppendRow(1, "listed", "");
    const std::string file = folder.WriteFile("r.csv", ResultsCsvText(SampleTable(), {{',', false, false}, true}));
    EXPECT_TRUE(Open(file));
    ASSERT_EQ(list.CountRows(), 4);
    EXPECT_EQ(list.RowCaption(1), "7");
    EXPECT_EQ(list.CellText(1, 2), "5,678,900");
    EXPECT_EQ(status.RowCountStatus.back(), "4 items listed");
    EXPECT_TRUE(prompter.Asked.empty());
}

TEST_F(OpenResultsTest, ABadFileIsRefusedAndChangesNothing)
{
    list.AppendRow(1, "listed", "");
    const std::string file = folder.WriteFile("bad.csv", Head + "\"1\",\"a\"\r\n\"2\"\r\n");
    EXPECT_FALSE(Open(file));
    EXPECT_EQ(list.CountRows(), 1);
    ASSERT_EQ(prompter.Asked.size(), 1u);
    EXPECT_EQ(prompter.Asked[0].Text, "This is not a results file: line 3: 1 fields where the header has 2.");
}

TEST_F(OpenResultsTest, WhatIsNotARegularFileIsRefusedWithoutWaiting)
{
    const std::string fifo = (folder.Path() / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name : {fifo, folder.Path().string(), (folder.Path() / "missing").string()}) {
        prompter.Asked.clear();
        EXPECT_FALSE(Open(name));
        ASSERT_EQ(prompter.Asked.size(), 1u) << name;
        EXPECT_EQ(prompter.Asked[0].Text.rfind("Could not open the file: ", 0), 0u) << prompter.Asked[0].Text;
    }
}

TEST_F(OpenResultsTest, StopDuringTheReadAddsNothing)
{
    std::string big = Head;
    while (big.size() < 3 * ReadPieceBytes)
        big += "\"1\",\"golf clubs for beginners\"\r\n";
    const std::string file = folder.WriteFile("big.csv", big);
    int calls = 0;
    EXPECT_FALSE(Open(file, [&](uint64_t done, uint64_t total) {
        EXPECT_EQ(total, big.size());
        EXPECT_LE(done, total);
        return ++calls < 2;
    }));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(list.CountRows(), 0);
    EXPECT_TRUE(prompter.Asked.empty());
}

} // namespace
