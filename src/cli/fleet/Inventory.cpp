#include "cli/fleet/Inventory.h"

#include <map>
#include <optional>

#include "cli/fleet/InventoryCsv.h"
#include "config/ConfigFields.h"
#include "config/RecordEditing.h"
#include "serial/network/NetworkNames.h"

namespace zorva::cli {

namespace {

// What a column of the inventory holds.
enum class Column { Ignored, Name, Port, Technician, Remarks, Field };

struct ColumnRule {
    Column kind = Column::Ignored;
    QString label; // "F (ps)"
    QString field; // for a field: the name --set takes, spelled as --set spells it
};

// Longer names than this would not fit a file name once a Polish letter takes two bytes.
constexpr int kLongestName = 100;

// A control character in free text would be lost or garble a line; tabs and line breaks are
// a spreadsheet's own.
bool HasControlCharacter(const QString& text, bool lineBreaksAllowed)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool lineBreak = u == u'\t' || u == u'\r' || u == u'\n';
        if ((u < 32 && !(lineBreaksAllowed && lineBreak)) || u == 127) {
            return true;
        }
    }
    return false;
}

// The field that a column names, without regard to case ("PS", "CamA").
const RecordField* FieldNamed(const QString& name)
{
    for (const RecordField& field : RecordFields()) {
        if (name.compare(QLatin1String(field.name), Qt::CaseInsensitive) == 0) {
            return &field;
        }
    }
    return nullptr;
}

class Checker {
public:
    Checker(const CsvTable& table, const PortIdentity& portIdentity, Inventory& inventory)
        : table_(table), portIdentity_(portIdentity), inventory_(inventory)
    {
    }

    void Run()
    {
        for (const CsvProblem& p : table_.problems) {
            Problem(p.row, p.column > 0 ? Label(p.column) : QString(), p.text);
        }
        if (table_.header.isEmpty() && table_.records.empty()) {
            Problem(0, {},
                    QStringLiteral("empty: the first row names the columns (name, port, "
                                   "then the fields that differ by module)"));
            return;
        }
        ReadHeader();
        for (const CsvRecord& record : table_.records) {
            ReadRow(record);
        }
        if (table_.records.empty()) {
            Problem(0, {}, QStringLiteral("no module listed under the header"));
        }
    }

private:
    QString Label(int column) const
    {
        const qsizetype i = column - 1;
        const QString name =
            i < table_.header.size() ? table_.header[i].trimmed() : QStringLiteral("no header");
        return QStringLiteral("%1 (%2)").arg(ColumnLetters(column), name);
    }

    void Problem(int row, const QString& column, const QString& text)
    {
        inventory_.problems.push_back({row, column, text});
    }

    // A column without a name is a spreadsheet's leftover as long as nothing stands in it.
    bool ColumnEmpty(qsizetype column) const
    {
        for (const CsvRecord& record : table_.records) {
            if (column < record.cells.size() && !record.cells[column].isEmpty()) {
                return false;
            }
        }
        return true;
    }

    void ReadHeader()
    {
        std::map<QString, QString> seen; // lower-case name -> label
        for (qsizetype i = 0; i < table_.header.size(); ++i) {
            const int column = static_cast<int>(i) + 1;
            ColumnRule rule;
            rule.label = Label(column);
            const QString name = table_.header[i].trimmed();
            const QString lower = name.toLower();
            if (name.isEmpty()) {
                if (!ColumnEmpty(i)) {
                    Problem(1, rule.label,
                            QStringLiteral("a column without a name holds values: name it"));
                }
            } else if (seen.count(lower) != 0) {
                Problem(1, rule.label,
                        QStringLiteral("%1 is already column %2").arg(name, seen[lower]));
            } else if (lower == QLatin1String("name")) {
                rule.kind = Column::Name;
                nameLabel_ = rule.label;
            } else if (lower == QLatin1String("port")) {
                rule.kind = Column::Port;
                portLabel_ = rule.label;
            } else if (lower == QLatin1String("technician")) {
                rule.kind = Column::Technician;
            } else if (lower == QLatin1String("remarks")) {
                rule.kind = Column::Remarks;
            } else if (const RecordField* field = FieldNamed(name)) {
                if (FieldShownInWindow(*field)) {
                    rule.kind = Column::Field;
                    rule.field = QLatin1String(field->name);
                } else {
                    Problem(1, rule.label,
                            RecordEditing::CheckValue(QLatin1String(field->name), QString()));
                }
            } else {
                Problem(1, rule.label,
                        QStringLiteral("unknown column \"%1\": the columns are name, port, "
                                       "technician, remarks and the fields that --set takes "
                                       "(zorva-cli --help lists them)")
                            .arg(name));
            }
            if (!name.isEmpty() && seen.count(lower) == 0) {
                seen[lower] = ColumnLetters(column);
            }
            rules_.push_back(rule);
        }
        if (nameLabel_.isEmpty()) {
            Problem(1, {}, QStringLiteral("no column \"name\""));
        }
        if (portLabel_.isEmpty()) {
            Problem(1, {}, QStringLiteral("no column \"port\""));
        }
    }

    void ReadRow(const CsvRecord& record)
    {
        InventoryModule module;
        module.row = record.row;
        for (qsizetype i = 0; i < record.cells.size(); ++i) {
            const QString& cell = record.cells[i];
            if (i >= static_cast<qsizetype>(rules_.size())) {
                if (!cell.isEmpty()) {
                    Problem(record.row, Label(static_cast<int>(i) + 1),
                            QStringLiteral("a value beyond the header's last column"));
                }
                continue;
            }
            const ColumnRule& rule = rules_[static_cast<std::size_t>(i)];
            switch (rule.kind) {
            case Column::Ignored:
                break;
            case Column::Name:
                // Typed blanks around a name are slips; a file name keeps its letters composed.
                module.name = cell.trimmed().normalized(QString::NormalizationForm_C);
                break;
            case Column::Port:
                module.port = cell.trimmed();
                break;
            case Column::Technician:
            case Column::Remarks:
                if (HasControlCharacter(cell, true)) {
                    Problem(record.row, rule.label, QStringLiteral("a control character"));
                }
                (rule.kind == Column::Technician ? module.technician : module.remarks) =
                    cell.trimmed();
                break;
            case Column::Field:
                if (!cell.isEmpty()) {
                    const QString refused = RecordEditing::CheckValue(rule.field, cell);
                    if (!refused.isEmpty()) {
                        Problem(record.row, rule.label, refused);
                    }
                    module.values.push_back({rule.label, rule.field, cell});
                }
                break;
            }
        }
        // Without the column the header's problem says it once for every row.
        if (!nameLabel_.isEmpty()) {
            CheckName(module, nameLabel_);
        }
        if (!portLabel_.isEmpty()) {
            CheckPort(module, portLabel_);
        }
        inventory_.modules.push_back(std::move(module));
    }

    void CheckName(const InventoryModule& module, const QString& label)
    {
        if (module.name.isEmpty()) {
            Problem(module.row, label, QStringLiteral("no name"));
            return;
        }
        if (const QString problem = FileNameProblem(module.name); !problem.isEmpty()) {
            Problem(module.row, label, problem);
            return;
        }
        // Windows and most Mac disks take SITE-1 and site-1 for one file.
        Once(names_, module.name.toCaseFolded(), module, label, module.name, "name");
    }

    // `key` taken by the first row that has it; a later row is named with that one.
    void Once(std::map<QString, int>& taken, const QString& key, const InventoryModule& module,
              const QString& label, const QString& value, const char* what)
    {
        if (const auto it = taken.find(key); it != taken.end()) {
            Problem(module.row, label,
                    QStringLiteral("%1 is already the %2 of row %3")
                        .arg(value, QLatin1String(what))
                        .arg(it->second));
        } else {
            taken[key] = module.row;
        }
    }

    void CheckPort(const InventoryModule& module, const QString& label)
    {
        if (module.port.isEmpty()) {
            Problem(module.row, label, QStringLiteral("no port"));
            return;
        }
        if (module.port.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0) {
            Problem(module.row, label,
                    QStringLiteral("auto finds the port of one module only: name each port"));
            return;
        }
        if (HasControlCharacter(module.port, false)) {
            Problem(module.row, label, QStringLiteral("a control character"));
            return;
        }
        QString key;
        const std::string port = module.port.toStdString();
        if (serial::IsNetworkName(port)) {
            const std::optional<serial::NetworkAddress> address = serial::ParseNetworkName(port);
            if (!address) {
                Problem(module.row, label,
                        QStringLiteral("%1 is not a network port: tcp://HOST:PORT, "
                                       "socket://HOST:PORT or rfc2217://HOST:PORT")
                            .arg(module.port));
                return;
            }
            key = QStringLiteral("net %1 %2")
                      .arg(QString::fromStdString(address->host).toLower())
                      .arg(address->port);
        } else {
            key = portIdentity_ ? portIdentity_(module.port) : module.port;
        }
        Once(ports_, key, module, label, module.port, "port");
    }

    const CsvTable& table_;
    const PortIdentity& portIdentity_;
    Inventory& inventory_;
    std::vector<ColumnRule> rules_;
    QString nameLabel_, portLabel_; // the columns' labels; empty: no such column
    std::map<QString, int> names_;  // folded name -> row
    std::map<QString, int> ports_;  // port identity -> row
};

} // namespace

QString ProblemText(const InventoryProblem& problem)
{
    if (problem.row == 0) {
        return problem.text;
    }
    if (problem.column.isEmpty()) {
        return QStringLiteral("row %1: %2").arg(problem.row).arg(problem.text);
    }
    return QStringLiteral("row %1, column %2: %3")
        .arg(problem.row)
        .arg(problem.column, problem.text);
}

Inventory ReadInventory(const QByteArray& bytes, const PortIdentity& portIdentity)
{
    Inventory inventory;
    Checker(ReadCsv(bytes), portIdentity, inventory).Run();
    return inventory;
}

QString FileNameProblem(const QString& name)
{
    if (name.size() > kLongestName) {
        return QStringLiteral("a name of at most %1 characters").arg(kLongestName);
    }
    if (name == QLatin1String(".") || name == QLatin1String("..")) {
        return QStringLiteral("%1 cannot name a file").arg(name);
    }
    for (const QChar c : name) {
        if (c.unicode() < 32 || c.unicode() == 127 || QStringLiteral("/\\:*?\"<>|").contains(c)) {
            return QStringLiteral("%1 cannot name a file: no / \\ : * ? \" < > | or control "
                                  "characters")
                .arg(name);
        }
    }
    if (name.endsWith(u'.') || name.endsWith(u' ')) {
        return QStringLiteral("%1 cannot name a file on Windows: it ends with a dot or a blank")
            .arg(name);
    }
    // Windows keeps these for devices, with any extension.
    static const QStringList kDevices = {
        QStringLiteral("CON"),  QStringLiteral("PRN"),  QStringLiteral("AUX"),
        QStringLiteral("NUL"),  QStringLiteral("COM1"), QStringLiteral("COM2"),
        QStringLiteral("COM3"), QStringLiteral("COM4"), QStringLiteral("COM5"),
        QStringLiteral("COM6"), QStringLiteral("COM7"), QStringLiteral("COM8"),
        QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"),
        QStringLiteral("LPT3"), QStringLiteral("LPT4"), QStringLiteral("LPT5"),
        QStringLiteral("LPT6"), QStringLiteral("LPT7"), QStringLiteral("LPT8"),
        QStringLiteral("LPT9")};
    if (kDevices.contains(name.section(u'.', 0, 0).trimmed(), Qt::CaseInsensitive)) {
        return QStringLiteral("%1 cannot name a file on Windows: it names a device").arg(name);
    }
    return {};
}

} // namespace zorva::cli
