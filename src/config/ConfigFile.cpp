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

bool LoadBlock(const QString& fileName, ConfigRecord::Image& buffer)
{
    QFile file(fileName);
    // Reading only: a read-only file, or one on a medium the user may not write, still loads.
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    // A separate buffer, so that a short or unreadable file never leaves part of itself in the
    // record while the load is reported as failed.
    ConfigRecord::Image block{};
    const auto size = static_cast<qint64>(block.size());
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(reinterpret_cast<char*>(block.data()) + got, size - got);
        if (n <= 0) {
            return false;
        }
        got += n;
    }
    file.close();
    buffer = block;
    return true;
}

namespace {

// The plain save over an existing file: used where the atomic save cannot make its temporary
// file beside the target or cannot put it in the target's place (a folder the user may not
// write), while the file itself may well be writable.
bool WriteInPlace(const QString& fileName, const ConfigRecord::Image& buffer)
{
    if (!QFileInfo(fileName).isFile()) {
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        return false;
    }
    const auto size = static_cast<qint64>(buffer.size());
    const bool written = file.write(reinterpret_cast<const char*>(buffer.data()), size) == size;
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace

bool SaveBlock(const QString& fileName, const ConfigRecord::Image& buffer)
{
    // QSaveFile writes a temporary file beside the target and renames it over the target only
    // after everything was written, so a full disk or a crash keeps the old file whole.
    // Unbuffered, because an error met while a buffered write is flushed at commit() is not
    // seen by commit(), which would then put a truncated file in place of the old one.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return WriteInPlace(fileName, buffer);
    }
    const auto size = static_cast<qint64>(buffer.size());
    if (file.write(reinterpret_cast<const char*>(buffer.data()), size) != size || !file.flush()) {
        return false; // the temporary file goes with `file`; the target is untouched
    }
    return file.commit() || WriteInPlace(fileName, buffer);
}

QString FolderWithSeparator(const QString& filePath)
{
    QString folder = QFileInfo(filePath).absolutePath();
    if (!folder.endsWith(u'/')) {
        folder += u'/';
    }
    return QDir::toNativeSeparators(folder);
}

ConfigFileCommands::ConfigFileCommands(ConfigRecord& record, ConfigFileHooks hooks,
                                       QString programDir)
    : record_(record), hooks_(std::move(hooks)), programDir_(std::move(programDir))
{
}

QString ConfigFileCommands::StartFolder() const
{
    const QString last = RegReadString(kRegKey, kLastDirValue);
    return last.isEmpty() ? programDir_ : last;
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
    if (fileName.isEmpty()) {
        return;
    }
    ConfigRecord::Image image = record_.FileImage();
    if (!LoadBlock(fileName, image)) {
        if (hooks_.postError) {
            hooks_.postError(Texts().txtNotRead);
        }
        return;
    }
    record_.Load(image);
    if (hooks_.showConfig) {
        hooks_.showConfig();
    }
    RegWriteString(kRegKey, kLastDirValue, FolderWithSeparator(fileName));
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
