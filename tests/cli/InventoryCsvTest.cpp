// The fleet's CSV reader on files as spreadsheets and hands save them: which separator, which
// cells, which rows (numbered as the spreadsheet numbers them).
#include "cli/fleet/InventoryCsv.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace zorva::test {
namespace {

using cli::ColumnLetters;
using cli::CsvTable;
using cli::ReadCsv;

struct CsvCase {
    const char* name;
    QByteArray bytes;
    char separator;
    QStringList header;
    std::vector<std::pair<int, QStringList>> rows; // row number, cells
};

TEST(InventoryCsv, ReadsWhatSpreadsheetsSave)
{
    const CsvCase cases[] = {
        {"CommaLf", "name,port\nA,COM1\n", ',', {"name", "port"}, {{2, {"A", "COM1"}}}},
        // Polish spreadsheets: semicolons, CR LF, a byte-order mark; a comma is then text.
        {"SemicolonCrLfBom",
         "\xEF\xBB\xBFname;port;tel\r\nŁódź 1;COM2;0,22 123\r\n",
         ';',
         {"name", "port", "tel"},
         {{2, {"Łódź 1", "COM2", "0,22 123"}}}},
        {"QuotesHoldSeparatorsQuotesAndLineBreaks",
         "name;remarks\r\nA;\"one; \"\"two\"\"\r\nthree\"\r\nB;x\r\n",
         ';',
         {"name", "remarks"},
         {{2, {"A", "one; \"two\"\r\nthree"}}, {3, {"B", "x"}}}},
        // A blank row keeps its number; the rows after it are named as the sheet shows them.
        {"BlankRowsLeftOutButCounted",
         "name,port\n\n,\nA,COM1\n",
         ',',
         {"name", "port"},
         {{4, {"A", "COM1"}}}},
        {"LastRowWithoutLineEnd",
         "name,port\nA,\"COM1\"",
         ',',
         {"name", "port"},
         {{2, {"A", "COM1"}}}},
        {"BlanksAfterAClosingQuote", "a,b\n\"x\" ,y\n", ',', {"a", "b"}, {{2, {"x", "y"}}}},
        {"QuoteInsideAnUnquotedCell",
         "a,b\n12\" lens,y\n",
         ',',
         {"a", "b"},
         {{2, {"12\" lens", "y"}}}},
        // The header's quotes count as its cells': one inside a name opens nothing.
        {"QuoteInsideAnUnquotedHeaderName",
         "na\"me;port\nx,y;z\n",
         ';',
         {"na\"me", "port"},
         {{2, {"x,y", "z"}}}},
        {"DoubledQuoteInAQuotedHeaderName",
         "\"a\"\"b,c\";d\nx,y;z\n",
         ';',
         {"a\"b,c", "d"},
         {{2, {"x,y", "z"}}}},
        {"SeparatorFromTheHeaderOnly",
         "\"a,b\";c\nx,y;z\n",
         ';',
         {"a,b", "c"},
         {{2, {"x,y", "z"}}}},
    };
    for (const CsvCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CsvTable table = ReadCsv(c.bytes);
        EXPECT_TRUE(table.problems.empty()) << table.problems.front().text.toStdString();
        EXPECT_EQ(table.separator, c.separator);
        EXPECT_EQ(table.header, c.header);
        ASSERT_EQ(table.records.size(), c.rows.size());
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(table.records[i].row, c.rows[i].first);
            EXPECT_EQ(table.records[i].cells, c.rows[i].second);
        }
    }
    // A cell keeps a byte-order mark of its own; only the file's, at its start, is skipped.
    const CsvTable marked = ReadCsv("\xEF\xBB\xBF"
                                    "a,b\nx,\xEF\xBB\xBFy\n");
    ASSERT_EQ(marked.records.size(), 1u);
    EXPECT_EQ(marked.header, QStringList({"a", "b"}));
    EXPECT_EQ(marked.records[0].cells.value(1), QStringLiteral(u"\uFEFFy"));
    EXPECT_EQ(ColumnLetters(1), "A");
    EXPECT_EQ(ColumnLetters(26), "Z");
    EXPECT_EQ(ColumnLetters(28), "AB");
}

} // namespace
} // namespace zorva::test
