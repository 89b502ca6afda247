// The configuration history dialog (File, "Configuration history..."): the kept configurations,
// newest first, filtered by module. "Load" puts the chosen one into the editor as opening its
// file does; "Compare" lists the fields in which it differs from the editor's content.
#pragma once

#include <functional>
#include <vector>

#include <QDialog>
#include <QStringList>

#include "config/ConfigHistory.h"
#include "config/ConfigRecord.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace zorva {

class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    // `open` loads a file into the editor as the File menu's Open does; true when it did.
    HistoryDialog(const ConfigHistory& history, const ConfigRecord& editor,
                  std::function<bool(const QString& path)> open, QWidget* parent = nullptr);

    // The files of the rows shown, top first.
    QStringList ShownFiles() const;
    void SelectRow(int row);
    // What the latest Compare found, one line each.
    QString DifferencesText() const;

    void CB_moduleChange();
    void B_loadClick();
    void B_compareClick();

    QComboBox* CB_module = nullptr;
    QTreeWidget* LV_history = nullptr;
    QPlainTextEdit* M_differences = nullptr;
    QPushButton* B_load = nullptr;
    QPushButton* B_compare = nullptr;
    QPushButton* B_close = nullptr;

private:
    QString ChosenFile() const;

    const ConfigRecord& editor_;
    std::function<bool(const QString&)> open_;
    std::vector<HistoryEntry> entries_; // every module's, newest first
};

} // namespace zorva
