// The Open and Save commands with the real file dialogs, driven on the offscreen platform.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "ModalDriver.h"
#include "config/ConfigFile.h"
#include "shell/LanguageTexts.h"
#include "shell/SettingsStore.h"

namespace zorva {
namespace {

using testing::WhenModalShows;

QLineEdit* FileNameEdit(QFileDialog* dialog)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Types a name into the dialog's file name field and presses Enter.
void EnterFileName(QFileDialog* dialog, const QString& name)
{
    QLineEdit* edit = FileNameEdit(dialog);
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

struct SeenDialog {
    QString folder;
    QString fileName;
    QStringList filters;
    QString defaultSuffix;
};

SeenDialog Look(QFileDialog* dialog)
{
    QLineEdit* edit = FileNameEdit(dialog);
    return {dialog->directory().absolutePath(), edit != nullptr ? edit->text() : QString(),
            dialog->nameFilters(), dialog->defaultSuffix()};
}

class ConfigFileDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).clear();
        SetPolishTexts();
        folder_ = dir_.filePath(QStringLiteral("configs"));
        ASSERT_TRUE(QDir().mkpath(folder_));
        RegWriteString(kRegKey, kLastDirValue, folder_ + u'/');
    }
    void TearDown() override { QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).clear(); }

    ConfigFileCommands Commands()
    {
        ConfigFileHooks hooks;
        hooks.chooseFileToOpen = [](const QString& start) {
            return ChooseConfigFileToOpen(nullptr, start, QFileDialog::DontUseNativeDialog);
        };
        hooks.chooseFileToSave = [](const QString& start) {
            return ChooseConfigFileToSave(nullptr, start, QFileDialog::DontUseNativeDialog);
        };
        hooks.showConfig = [this] { ++refreshes_; };
        hooks.postError = [this](const QString& text) { emsg_ = text; };
        return ConfigFileCommands(record_, std::move(hooks), dir_.path());
    }

    QTemporaryDir dir_;
    QString folder_;
    ConfigRecord record_;
    int refreshes_ = 0;
    QString emsg_;
};

TEST_F(ConfigFileDialogTest, OpenDialogStartsInTheLastFolderWithNameZrdAndLoadsThePick)
{
    QByteArray content(2048, '\0');
    for (int i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(255 - i % 256);
    }
    {
        QFile f(folder_ + QStringLiteral("/stored.zrd"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    SeenDialog seen;
    WhenModalShows<QFileDialog>([&seen](QFileDialog* d) {
        seen = Look(d);
        EnterFileName(d, QStringLiteral("stored.zrd"));
    });
    Commands().ToolButton1Click();

    EXPECT_EQ(seen.folder, folder_);
    EXPECT_EQ(seen.fileName, QStringLiteral("zrd"));
    EXPECT_EQ(seen.filters, QStringList{QStringLiteral("zrd (*.zrd)")});
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(record_.FileImage().data()), 2048), content);
    EXPECT_EQ(refreshes_, 1);
    EXPECT_TRUE(emsg_.isEmpty());
}

TEST_F(ConfigFileDialogTest, SaveDialogAddsTheExtensionAndOverwritesWithoutAQuestion)
{
    record_.setByte(0, 1);
    record_.setByte(2047, 0xAB);
    SeenDialog seen;
    WhenModalShows<QFileDialog>([&seen](QFileDialog* d) {
        seen = Look(d);
        EnterFileName(d, QStringLiteral("fresh"));
    });
    Commands().ToolButton6Click();
    EXPECT_EQ(seen.folder, folder_);
    EXPECT_EQ(seen.filters, QStringList{QStringLiteral("zrd (*.zrd)")});
    EXPECT_EQ(seen.defaultSuffix, QStringLiteral("zrd"));
    const QString saved = folder_ + QStringLiteral("/fresh.zrd");
    ASSERT_TRUE(QFile::exists(saved));

    // Saving over it again: the dialog accepts at once, no confirmation box in between.
    record_.setByte(2047, 0xCD);
    WhenModalShows<QFileDialog>([](QFileDialog* d) { EnterFileName(d, QStringLiteral("fresh")); });
    Commands().ToolButton6Click();
    QFile f(saved);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), 2048);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[0]), 1);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[2047]), 0xCD);
    EXPECT_TRUE(emsg_.isEmpty());
}

TEST_F(ConfigFileDialogTest, EscapeCancelsTheOpenDialog)
{
    record_.setByte(10, 7);
    WhenModalShows<QFileDialog>([](QFileDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
    Commands().ToolButton1Click();
    EXPECT_EQ(record_.byte(10), 7);
    EXPECT_EQ(refreshes_, 0);
    EXPECT_TRUE(emsg_.isEmpty());
}

} // namespace
} // namespace zorva
