// Configuration files: the 2048 bytes of the configuration record, nothing else, with the
// extension "zrd". The commands New, Open and Save are plain logic; the file dialogs, the
// window refresh and the deferred error message are handed in by the window that owns them.
#pragma once

#include <functional>

#include <QFileDialog>
#include <QString>

#include "config/ConfigBlock.h"
#include "config/ConfigRecord.h"

class QWidget;

namespace zorva {

// The stored value holding the folder of the last configuration file opened or saved.
inline const QString kLastDirValue = QStringLiteral("dpth");

// Asks for a file, starting in `startDir`: the chosen path, or an empty string on cancel.
using ChooseFileFn = std::function<QString(const QString& startDir)>;

// What the file commands need from the main window.
struct ConfigFileHooks {
    ChooseFileFn chooseFileToOpen;
    ChooseFileFn chooseFileToSave;
    std::function<void()> showConfig;                   // refresh the window from the record
    std::function<void(const QString& text)> postError; // deferred error message (emsg)
};

class ConfigFileCommands {
public:
    // `defaultFolder`: where the dialogs start while no last directory is stored.
    ConfigFileCommands(ConfigRecord& record, ConfigFileHooks hooks, QString defaultFolder);

    // New: clears bytes 0 to 254 of the record (the rest is kept) and refreshes the window.
    void Nowy1Click();
    // Open: loads a chosen file into the record; on failure posts txtNotRead and changes
    // neither the record nor the window nor the last directory.
    void ToolButton1Click();
    void Otwrz1Click() { ToolButton1Click(); }
    // Open without the dialog: loads the file into the record and refreshes the window, or posts
    // txtNotRead and changes nothing. The last directory stays as it is.
    bool OpenFile(const QString& fileName);
    // Save: writes the record to a chosen file; a failure posts txtNotSaved. The last directory
    // becomes the chosen file's folder either way.
    void ToolButton6Click();
    void Zapisz1Click() { ToolButton6Click(); }

    // The last directory, or the default folder when none is stored.
    QString StartFolder() const;

private:
    ConfigRecord& record_;
    ConfigFileHooks hooks_;
    QString defaultFolder_;
};

// The folder of `filePath` as a full path ending in the separator.
QString FolderWithSeparator(const QString& filePath);

// The real file dialogs: filter "zrd (*.zrd)"; the open dialog starts with the file name "zrd",
// the save dialog adds ".zrd" to a name typed without an extension. Both are modal.
QString ChooseConfigFileToOpen(QWidget* parent, const QString& startDir,
                               QFileDialog::Options options = {});
QString ChooseConfigFileToSave(QWidget* parent, const QString& startDir,
                               QFileDialog::Options options = {});

} // namespace zorva
