#include "config/ConfigFile.h"

#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "shell/LanguageTexts.h"
#include "shell/SettingsStore.h"

namespace zorva {

namespace {

const QString kFilter = QStringLiteral("zrd (*.zrd)");
const QString kExtension = QStringLiteral("zrd");

} // namespace

QString FolderWithSeparator(const QString& filePath)
{
    QString folder = QFileInfo(filePath).absolutePath();
    if (!folder.endsWith(u'/')) {
        folder += u'/';
    }
    return QDir::toNativeSeparators(folder);
}

ConfigFileCommands::ConfigFileCommands(ConfigRecord& record, ConfigFileHooks hooks,
                                       QString defaultFolder)
    : record_(record), hooks_(std::move(hooks)), defaultFolder_(std::move(defaultFolder))
{
}

QString ConfigFileCommands::StartFolder() const
{
    const QString last = RegReadString(kRegKey, kLastDirValue);
    return last.isEmpty() ? defaultFolder_ : last;
}

void ConfigFileCommands::Nowy1Click()
{
    record_.ClearForNew();
    if (hooks_.showConfig) {
        hooks_.showConfig();
    }
}

void ConfigFileCommands::ToolButton1Click()
{
    const QString fileName = hooks_.chooseFileToOpen(StartFolder());
    if (!fileName.isEmpty() && OpenFile(fileName)) {
        RegWriteString(kRegKey, kLastDirValue, FolderWithSeparator(fileName));
    }
}

bool ConfigFileCommands::OpenFile(const QString& fileName)
{
    ConfigRecord::Image image = record_.FileImage();
    if (!LoadBlock(fileName, image)) {
        if (hooks_.postError) {
            hooks_.postError(Texts().txtNotRead);
        }
        return false;
    }
    record_.Load(image);
    if (hooks_.showConfig) {
        hooks_.showConfig();
    }
    return true;
}

void ConfigFileCommands::ToolButton6Click()
{
    const QString fileName = hooks_.chooseFileToSave(StartFolder());
    if (fileName.isEmpty()) {
        return;
    }
    const bool saved = SaveBlock(fileName, record_.FileImage());
    // The folder was chosen by the user, so it is remembered even when the save failed.
    RegWriteString(kRegKey, kLastDirValue, FolderWithSeparator(fileName));
    if (!saved && hooks_.postError) {
        hooks_.postError(Texts().txtNotSaved);
    }
}

QString ChooseConfigFileToOpen(QWidget* parent, const QString& startDir,
                               QFileDialog::Options options)
{
    QFileDialog dialog(parent, QString(), startDir, kFilter);
    dialog.setOptions(options);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectFile(kExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString ChooseConfigFileToSave(QWidget* parent, const QString& startDir,
                               QFileDialog::Options options)
{
    QFileDialog dialog(parent, QString(), startDir, kFilter);
    // An existing file is replaced without a question, as with every earlier save.
    dialog.setOptions(options | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(kExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace zorva
