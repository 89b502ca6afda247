// A CSV file as a spreadsheet saves it (RFC 4180): a header row, then one record a row; fields
// separated by a comma or a semicolon, whichever the header uses (spreadsheets in Polish save
// semicolons); a field in double quotes may hold separators, line breaks and quotes written
// twice; lines end with CR LF or LF; UTF-8 text, a byte-order mark at the start skipped.
#pragma once

#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zorva::cli {

struct CsvRecord {
    int row = 0; // as a spreadsheet numbers it: the header is row 1
    QStringList cells;
};

struct CsvProblem {
    int row = 0;
    int column = 0; // from 1; 0 when the problem is the row's, not a cell's
    QString text;
};

struct CsvTable {
    char separator = ',';
    QStringList header;
    // The rows after the header; a row whose cells are all empty is left out (it keeps its
    // number, so that the rows after it are named as the spreadsheet names them).
    std::vector<CsvRecord> records;
    std::vector<CsvProblem> problems;
};

// Reads the whole file. Every problem is noted with its row and column, and reading goes on
// after it, so that one pass names them all.
CsvTable ReadCsv(const QByteArray& bytes);

// A column's letters as a spreadsheet shows them: 1 is A, 26 is Z, 27 is AA.
QString ColumnLetters(int column);

} // namespace zorva::cli
