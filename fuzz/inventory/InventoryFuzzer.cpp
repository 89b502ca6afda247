// Reads arbitrary bytes as a fleet's inventory, the way zorva-cli fleet does. Checks:
//  - every problem names a row of the file (or the file) and says something;
//  - the rows kept are in order, after the header, and none is blank;
//  - a file read without problems reads the same again once written back with every cell
//    quoted (separators, quotes and line breaks inside cells survive);
//  - an inventory without problems lists modules with a name usable as a file name and a
//    port, neither twice, and values that --set takes.
#include <cstdio>
#include <cstdlib>
#include <set>

#include "cli/fleet/Inventory.h"
#include "cli/fleet/InventoryCsv.h"
#include "config/RecordEditing.h"

namespace {

using namespace zorva;
using namespace zorva::cli;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "inventory invariant broken: %s\n", what);
    std::abort();
}

QByteArray Quoted(const QStringList& cells, char separator)
{
    QByteArray line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            line += separator;
        }
        line += '"' + cells[i].toUtf8().replace("\"", "\"\"") + '"';
    }
    return line + "\r\n";
}

void CheckCsv(const QByteArray& bytes)
{
    const CsvTable table = ReadCsv(bytes);
    const int lines = static_cast<int>(bytes.count('\n') + bytes.count('\r')) + 1;
    for (const CsvProblem& p : table.problems) {
        if (p.row < 1 || p.row > lines || p.column < 0 || p.text.isEmpty()) {
            Fail("a problem names no row of the file");
        }
    }
    int previous = 1;
    for (const CsvRecord& record : table.records) {
        if (record.row <= previous) {
            Fail("rows out of order, or the header taken as a row");
        }
        previous = record.row;
        if (std::all_of(record.cells.cbegin(), record.cells.cend(),
                        [](const QString& c) { return c.isEmpty(); })) {
            Fail("a blank row kept");
        }
    }
    // An empty file has no header row to write back.
    if (!table.problems.empty() || table.header.isEmpty()) {
        return;
    }
    QByteArray again = Quoted(table.header, table.separator);
    for (const CsvRecord& record : table.records) {
        again += Quoted(record.cells, table.separator);
    }
    const CsvTable reread = ReadCsv(again);
    if (!reread.problems.empty() || reread.header != table.header ||
        reread.records.size() != table.records.size()) {
        Fail("the table written back does not read the same");
    }
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        if (reread.records[i].cells != table.records[i].cells) {
            Fail("a row written back does not read the same");
        }
    }
}

void CheckInventory(const QByteArray& bytes)
{
    const Inventory inventory =
        ReadInventory(bytes, [](const QString& port) { return port.toLower(); });
    for (const InventoryProblem& p : inventory.problems) {
        if (p.row < 0 || ProblemText(p).isEmpty()) {
            Fail("a problem without a text");
        }
    }
    if (!inventory.problems.empty()) {
        return;
    }
    if (inventory.modules.empty()) {
        Fail("an inventory without modules accepted");
    }
    std::set<QString> names, ports;
    for (const InventoryModule& m : inventory.modules) {
        if (m.name.isEmpty() || m.port.isEmpty() || !FileNameProblem(m.name).isEmpty()) {
            Fail("a module without a usable name or a port accepted");
        }
        if (!names.insert(m.name.toCaseFolded()).second || !ports.insert(m.port).second) {
            Fail("a name or a port accepted twice");
        }
        for (const InventoryValue& v : m.values) {
            if (!RecordEditing::CheckValue(v.field, v.value).isEmpty()) {
                Fail("a value accepted that --set refuses");
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CheckCsv(bytes);
    CheckInventory(bytes);
    return 0;
}
