#include "shell/LogFile.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimeZone>

#include "TestFiles.h"
#include "shell/Text8Bit.h"

namespace zorva {
namespace {

class LogFile : public ::testing::Test {
protected:
    // A program ini file naming `logName` (relative to the temporary folder).
    QString IniNaming(const QString& logPath)
    {
        const QString ini = dir.filePath(QStringLiteral("zorva-config.ini"));
        EXPECT_TRUE(
            test::WriteFile(ini, "[LOGFILE]\r\nfilename=" + QFile::encodeName(logPath) + "\r\n"));
        return ini;
    }
    QString LogPath() const { return dir.filePath(QStringLiteral("zorva.log")); }

    QTemporaryDir dir;
    const QDateTime firstStart{QDate(2011, 3, 15), QTime(14, 5, 9)};
    const QDateTime secondStart{QDate(2011, 3, 16), QTime(8, 0, 1)};
};

TEST_F(LogFile, StartLineEndsWithTwoBlanksAndTheStartWords)
{
    const QString ini = IniNaming(LogPath());
    EXPECT_EQ(StartLogFileFrom(ini, firstStart), LogPath());
    const QByteArray expected = ToCp1250(LogDateTime(firstStart)) + "  START PROGRAMU ZORVA\r\n";
    EXPECT_EQ(test::ReadFile(LogPath()), expected);
    EXPECT_EQ(LogLinePrefix(firstStart), LogDateTime(firstStart) + QStringLiteral("  "));
}

TEST_F(LogFile, SecondRunAppendsAfterTheFirstRunsLines)
{
    const QString ini = IniNaming(LogPath());
    const QString path = StartLogFileFrom(ini, firstStart);
    AppendLine(path, LogLinePrefix(firstStart) + QStringLiteral("event one"));
    ASSERT_EQ(StartLogFileFrom(ini, secondStart), path);
    const QByteArray expected = ToCp1250(LogDateTime(firstStart)) + "  START PROGRAMU ZORVA\r\n" +
                                ToCp1250(LogDateTime(firstStart)) + "  event one\r\n" +
                                ToCp1250(LogDateTime(secondStart)) + "  START PROGRAMU ZORVA\r\n";
    EXPECT_EQ(test::ReadFile(path), expected);
}

TEST_F(LogFile, NoLogFileWithoutIniFileSectionOrKey)
{
    const QString missingIni = dir.filePath(QStringLiteral("missing.ini"));
    EXPECT_EQ(StartLogFileFrom(missingIni, firstStart), QString());

    const QString noKey = dir.filePath(QStringLiteral("nokey.ini"));
    ASSERT_TRUE(test::WriteFile(noKey, "[LOGFILE]\nfile=" + QFile::encodeName(LogPath()) +
                                           "\n[OTHER]\nfilename=" + QFile::encodeName(LogPath()) +
                                           "\n"));
    EXPECT_EQ(StartLogFileFrom(noKey, firstStart), QString());

    const QString emptyValue = dir.filePath(QStringLiteral("empty.ini"));
    ASSERT_TRUE(test::WriteFile(emptyValue, "[LOGFILE]\nfilename=\n"));
    EXPECT_EQ(StartLogFileFrom(emptyValue, firstStart), QString());

    // Nothing but the ini files themselves was written.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

// A named log file that cannot be written is no log file, and the start says why.
TEST_F(LogFile, UnwritableLogFileGivesNoLogFileAndItsReason)
{
    const QString missingFolder = dir.filePath(QStringLiteral("no/such/folder/zorva.log"));
    for (const QString& path : {missingFolder, dir.path()}) {
        FileProblem problem;
        EXPECT_EQ(StartLogFileFrom(IniNaming(path), firstStart, &problem), QString());
        EXPECT_EQ(problem.path, path);
        EXPECT_FALSE(problem.reason.isEmpty()) << path.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(missingFolder));
    FileProblem none;
    EXPECT_EQ(StartLogFileFrom(IniNaming(LogPath()), firstStart, &none), LogPath());
    EXPECT_EQ(none.path, QString());
}

TEST_F(LogFile, LinesAreWindows1250WithCrLf)
{
    AppendLine(LogPath(), QString::fromUtf16(u"ł"));
    AppendLine(LogPath(), QString::fromUtf16(u"Zdarzenie: wej\u015Bcie \u017C\u20AC\u00F1"));
    EXPECT_EQ(test::ReadFile(LogPath()),
              QByteArray("\xB3\r\nZdarzenie: wej\x9C\x63ie \xBF\x80?\r\n"));
}

TEST_F(LogFile, DeletedFileIsCreatedAgainByTheNextLine)
{
    AppendLine(LogPath(), QStringLiteral("one"));
    ASSERT_TRUE(QFile::remove(LogPath()));
    AppendLine(LogPath(), QStringLiteral("two"));
    EXPECT_EQ(test::ReadFile(LogPath()), QByteArray("two\r\n"));
}

TEST_F(LogFile, AppendLineWithoutCreateLeavesAMissingFileMissing)
{
    AppendLine(LogPath(), QStringLiteral("lost"), false);
    EXPECT_FALSE(QFileInfo::exists(LogPath()));
    AppendLine(LogPath(), QStringLiteral("one"), true);
    AppendLine(LogPath(), QStringLiteral("two"), false);
    EXPECT_EQ(test::ReadFile(LogPath()), QByteArray("one\r\ntwo\r\n"));
}

TEST_F(LogFile, FailuresAreSilent)
{
    AppendLine(QString(), QStringLiteral("nowhere"));
    AppendLine(dir.path(), QStringLiteral("a folder"));
    AppendLine(dir.filePath(QStringLiteral("missing/x.log")), QStringLiteral("no folder"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
}

TEST(LogDateTime, TimeZoneFieldsAreStripped)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("HH:mm:ss t"), QStringLiteral("HH:mm:ss")},
        {QStringLiteral("h:mm:ss AP t"), QStringLiteral("h:mm:ss AP")},
        {QString::fromUtf16(u"h:mm:ss\u202FAP\u00A0t"), QString::fromUtf16(u"h:mm:ss\u202FAP")},
        {QStringLiteral("t HH:mm:ss"), QStringLiteral("HH:mm:ss")},
        {QStringLiteral("HH:mm:ss tttt"), QStringLiteral("HH:mm:ss")},
        {QStringLiteral("HH:mm:ss (t)"), QStringLiteral("HH:mm:ss ()")},
        {QStringLiteral("HH 'o''clock' mm"), QStringLiteral("HH 'o''clock' mm")},
        {QStringLiteral("HH:mm:ss 'at' t"), QStringLiteral("HH:mm:ss 'at'")},
        {QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm:ss")},
    };
    for (const auto& [format, stripped] : cases) {
        EXPECT_EQ(StripTimeZoneField(format), stripped) << format.toStdString();
    }
}

TEST(LogDateTime, SystemFormatsWithoutTimeZone)
{
    const QDateTime utc(QDate(2011, 3, 15), QTime(14, 5, 9), QTimeZone::utc());
    const QString text = LogDateTime(utc);
    EXPECT_FALSE(text.contains(QStringLiteral("UTC"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("GMT"))) << text.toStdString();
    EXPECT_TRUE(text.startsWith(QLocale::system().toString(utc.date(), QLocale::ShortFormat)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(":05:09"))) << text.toStdString();
    EXPECT_EQ(text, text.trimmed());

    const QDateTime local(QDate(2011, 7, 1), QTime(9, 8, 7));
    const QString abbreviation = local.timeZoneAbbreviation();
    if (!abbreviation.isEmpty()) {
        EXPECT_FALSE(LogDateTime(local).contains(abbreviation)) << abbreviation.toStdString();
    }
}

TEST(ProgramIni, ExtensionIsReplacedByIni)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("/opt/zorva/zorva-config"), QStringLiteral("/opt/zorva/zorva-config.ini")},
        {QStringLiteral("/opt/zorva/ZORVA.EXE"), QStringLiteral("/opt/zorva/ZORVA.ini")},
        {QStringLiteral("/opt/zorva.d/program"), QStringLiteral("/opt/zorva.d/program.ini")},
        {QStringLiteral("/opt/a.b.exe"), QStringLiteral("/opt/a.b.ini")},
        {QStringLiteral("/opt/.hidden"), QStringLiteral("/opt/.hidden.ini")},
        {QString(), QString()},
    };
    for (const auto& [program, ini] : cases) {
        EXPECT_EQ(IniPathForProgram(program), ini) << program.toStdString();
    }
    EXPECT_EQ(ProgramIniPath(),
              QCoreApplication::applicationDirPath() + QStringLiteral("/foundation_tests.ini"));
}

// The save goes to the first path that takes it whole; one that fails keeps what it held.
TEST_F(LogFile, TrafficLogGoesToTheFirstWritableSaveFile)
{
    EXPECT_EQ(TrafficLogSavePaths(), QStringList{QDir::homePath() + QStringLiteral("/qen.log")});
    const QString blocked = dir.filePath(QStringLiteral("missing/qen.log"));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString first = dir.filePath(QStringLiteral("first.log"));
    const QString second = dir.filePath(QStringLiteral("second.log"));
    ASSERT_TRUE(test::WriteFile(second, "earlier"));
    const struct {
        QStringList paths;
        QString savedTo;
        QString failedAt;
    } cases[] = {
        {{first, second}, first, {}},
        {{blocked, second}, second, {}},
        {{blocked, folder}, {}, folder},
    };
    for (const auto& c : cases) {
        const SavedFile saved = SaveToFirstWritable(c.paths, "log\r\n");
        EXPECT_EQ(saved.path, c.savedTo) << c.paths.join(u' ').toStdString();
        EXPECT_EQ(saved.problem.path, c.failedAt);
        if (!c.savedTo.isEmpty()) {
            EXPECT_EQ(test::ReadFile(c.savedTo), "log\r\n");
        }
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

} // namespace
} // namespace zorva
