#include "cli/fleet/InventoryCsv.h"

#include <algorithm>

#include <QStringDecoder>

namespace zorva::cli {

namespace {

constexpr char kQuote = '"';

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// The separator of the header row: its first comma or semicolon outside quotes. A header of one
// column has none; a comma then. Quotes count as the reader counts them: they open a field only
// at its start (the first field's, here), and inside one a doubled quote is a quote.
char HeaderSeparator(const QByteArray& bytes, qsizetype from)
{
    bool quoted = false;
    for (qsizetype i = from; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == kQuote) {
                if (i + 1 < bytes.size() && bytes[i + 1] == kQuote) {
                    ++i;
                } else {
                    quoted = false;
                }
            }
        } else if (c == kQuote && i == from) {
            quoted = true;
        } else if (c == ',' || c == ';') {
            return c;
        } else if (IsLineEnd(c)) {
            break;
        }
    }
    return ',';
}

// The separators, quotes and line ends are ASCII, so the bytes are cut into cells before any
// decoding: a cell's UTF-8 sequences are never split.
class Reader {
public:
    Reader(const QByteArray& bytes, qsizetype from, CsvTable& table)
        : bytes_(bytes), from_(from), table_(table)
    {
    }

    void Run()
    {
        const qsizetype n = bytes_.size();
        for (qsizetype i = from_; i < n; ++i) {
            const char c = bytes_[i];
            if (inQuotes_) {
                if (c != kQuote) {
                    cell_ += c;
                } else if (i + 1 < n && bytes_[i + 1] == kQuote) {
                    cell_ += kQuote;
                    ++i;
                } else {
                    inQuotes_ = false;
                    closed_ = true;
                }
                continue;
            }
            if (c == table_.separator) {
                EndCell();
            } else if (IsLineEnd(c)) {
                if (c == '\r' && i + 1 < n && bytes_[i + 1] == '\n') {
                    ++i;
                }
                EndRecord();
                continue;
            } else if (closed_) {
                // Blanks after the closing quote are a spreadsheet's padding; anything else
                // means the quotes are not where the writer meant them.
                if (c != ' ' && c != '\t' && !strayNoted_) {
                    Problem(row_, Column(), QStringLiteral("text after the closing quote"));
                    strayNoted_ = true;
                }
            } else if (c == kQuote && cell_.isEmpty()) {
                inQuotes_ = true;
                quotedFrom_ = row_;
            } else {
                // A quote inside an unquoted field is taken as it is.
                cell_ += c;
            }
            pending_ = true;
        }
        if (inQuotes_) {
            Problem(quotedFrom_, Column(), QStringLiteral("a quoted field has no closing quote"));
        }
        if (pending_) {
            EndRecord();
        }
    }

private:
    int Column() const { return static_cast<int>(cells_.size()) + 1; }

    void Problem(int row, int column, const QString& text)
    {
        table_.problems.push_back({row, column, text});
    }

    void EndCell()
    {
        // Each cell as it is: a byte-order mark is the file's (skipped before), never a cell's.
        QStringDecoder decode(QStringDecoder::Utf8, QStringConverter::Flag::Stateless |
                                                        QStringConverter::Flag::ConvertInitialBom);
        QString text = decode(cell_);
        if (decode.hasError()) {
            Problem(row_, Column(),
                    QStringLiteral("not UTF-8 text (save the inventory as CSV UTF-8)"));
        }
        cells_ << text;
        cell_.clear();
        closed_ = false;
        strayNoted_ = false;
    }

    void EndRecord()
    {
        EndCell();
        if (row_ == 1) {
            table_.header = cells_;
        } else if (std::any_of(cells_.cbegin(), cells_.cend(),
                               [](const QString& c) { return !c.isEmpty(); })) {
            table_.records.push_back({row_, cells_});
        }
        cells_.clear();
        pending_ = false;
        ++row_;
    }

    const QByteArray& bytes_;
    const qsizetype from_;
    CsvTable& table_;
    int row_ = 1;
    QStringList cells_;
    QByteArray cell_;
    bool inQuotes_ = false;   // inside a quoted field
    bool closed_ = false;     // the cell's closing quote has been read
    bool strayNoted_ = false; // text after that quote has been named once
    bool pending_ = false;    // bytes of a row not ended yet
    int quotedFrom_ = 0;      // the row where the open quoted field began
};

} // namespace

CsvTable ReadCsv(const QByteArray& bytes)
{
    CsvTable table;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        table.problems.push_back(
            {1, 0, QStringLiteral("UTF-16 text (save the inventory as CSV UTF-8)")});
        return table;
    }
    const qsizetype from = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    table.separator = HeaderSeparator(bytes, from);
    Reader(bytes, from, table).Run();
    return table;
}

QString ColumnLetters(int column)
{
    QString letters;
    for (int n = column; n > 0; n = (n - 1) / 26) {
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    }
    return letters;
}

} // namespace zorva::cli
