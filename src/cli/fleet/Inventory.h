// The fleet's inventory: one module a row, with its name, its port and the values that replace
// the template's for that module. Every problem of the file is found here, before any port is
// opened, and named by row and column as the spreadsheet shows them.
#pragma once

#include <functional>
#include <vector>

#include <QByteArray>
#include <QString>

namespace zorva::cli {

struct InventoryValue {
    QString column; // "F (ps)"
    QString field;  // the name that --set takes ("ps")
    QString value;  // as the cell holds it
};

struct InventoryModule {
    int row = 0;
    QString name;                       // usable as a file name; unique without regard to case
    QString port;                       // as written; unique
    std::vector<InventoryValue> values; // the cells given, in column order
    QString technician, remarks;        // empty: not given
};

struct InventoryProblem {
    int row = 0;    // 0: the file as a whole
    QString column; // "B (port)"; empty: the row as a whole
    QString text;
};

// "row 3, column B (port): no port"
QString ProblemText(const InventoryProblem& problem);

struct Inventory {
    std::vector<InventoryModule> modules;
    std::vector<InventoryProblem> problems;
};

// Who a port is, so that two names of one port count as the same: an alias and the device it
// stands for, say. Network names are told apart here (tcp:// and socket:// to one server port
// are one port).
using PortIdentity = std::function<QString(const QString& port)>;

// Reads and checks the whole file: the header (name and port required; technician, remarks and
// the fields of --set; nothing else), each row (a name usable as a file name, a port, each value
// as --set would take it) and the rows against each other (no name or port twice).
Inventory ReadInventory(const QByteArray& bytes, const PortIdentity& portIdentity);

// Why `name` cannot name a module's files (NAME.zrd, NAME.pdf) on Linux and Windows alike, or
// empty when it can.
QString FileNameProblem(const QString& name);

} // namespace zorva::cli
