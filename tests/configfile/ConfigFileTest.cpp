// Configuration files on real files in a temporary folder: load and save rules, the New, Open
// and Save commands, and the remembered folder.
#include "config/ConfigFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "shell/LanguageTexts.h"
#include "shell/SettingsStore.h"

namespace zorva {
namespace {

QByteArray Pattern(qsizetype size, int seed)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + seed + i / 256) & 0xFF);
    }
    return bytes;
}

QByteArray ImageBytes(const ConfigRecord& record)
{
    const auto& image = record.FileImage();
    return QByteArray(reinterpret_cast<const char*>(image.data()),
                      static_cast<qsizetype>(image.size()));
}

void FillRecord(ConfigRecord& record, int seed)
{
    const QByteArray bytes = Pattern(kRecordSize, seed);
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        record.setByte(i, static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(i)]));
    }
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).clear();
        SetPolishTexts();
        programDir_ = dir_.filePath(QStringLiteral("program"));
        ASSERT_TRUE(QDir().mkpath(programDir_));
    }
    void TearDown() override { QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).clear(); }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    QString WriteFile(const QString& name, const QByteArray& bytes) const
    {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_EQ(f.write(bytes), bytes.size());
        return f.fileName();
    }

    ConfigFileCommands Commands()
    {
        ConfigFileHooks hooks;
        hooks.chooseFileToOpen = [this](const QString& start) {
            openStarts_.append(start);
            return openChoice_;
        };
        hooks.chooseFileToSave = [this](const QString& start) {
            saveStarts_.append(start);
            return saveChoice_;
        };
        hooks.showConfig = [this] { ++refreshes_; };
        hooks.postError = [this](const QString& text) { emsg_ = text; };
        return ConfigFileCommands(record_, std::move(hooks), programDir_);
    }

    QString StoredLastDir() const { return RegReadString(kRegKey, kLastDirValue); }

    QTemporaryDir dir_;
    QString programDir_;
    ConfigRecord record_;
    QString openChoice_, saveChoice_;
    QStringList openStarts_, saveStarts_;
    int refreshes_ = 0;
    QString emsg_;
};

TEST_F(ConfigFileTest, SaveThenOpenPutsBackAll2048Bytes)
{
    FillRecord(record_, 11);
    const QByteArray saved = ImageBytes(record_);
    saveChoice_ = Path(QStringLiteral("a.zrd"));
    Commands().ToolButton6Click();
    EXPECT_EQ(FileBytes(saveChoice_), saved);
    EXPECT_TRUE(emsg_.isEmpty());

    record_.ClearAll();
    openChoice_ = saveChoice_;
    Commands().ToolButton1Click();
    EXPECT_EQ(ImageBytes(record_), saved);
    EXPECT_EQ(refreshes_, 1);
    EXPECT_TRUE(emsg_.isEmpty());
}

// Open of files of several sizes: only 2048 bytes or more load; a failure posts the message,
// keeps the record and the window, and keeps the remembered folder.
TEST_F(ConfigFileTest, OpenBySize)
{
    struct Case {
        const char* what;
        qsizetype size; // -1: no file at all
        bool loads;
    };
    const Case cases[] = {
        {"missing file", -1, false}, {"empty file", 0, false},   {"2047 bytes", 2047, false},
        {"2048 bytes", 2048, true},  {"4096 bytes", 4096, true}, {"2049 bytes", 2049, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).clear();
        FillRecord(record_, 99);
        const QByteArray before = ImageBytes(record_);
        const QByteArray content = Pattern(std::max<qsizetype>(c.size, 0), 5);
        const QString sub = Path(QStringLiteral("sub%1").arg(c.size + 1));
        ASSERT_TRUE(QDir().mkpath(sub));
        openChoice_ = sub + QStringLiteral("/f.zrd");
        if (c.size >= 0) {
            QFile f(openChoice_);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        refreshes_ = 0;
        emsg_.clear();

        Commands().ToolButton1Click();

        if (c.loads) {
            EXPECT_EQ(ImageBytes(record_), content.left(2048));
            EXPECT_EQ(refreshes_, 1);
            EXPECT_TRUE(emsg_.isEmpty());
            EXPECT_EQ(StoredLastDir(), sub + u'/');
        } else {
            EXPECT_EQ(ImageBytes(record_), before);
            EXPECT_EQ(refreshes_, 0);
            EXPECT_EQ(emsg_, QStringLiteral("Nie odczytano danych."));
            EXPECT_TRUE(StoredLastDir().isEmpty());
        }
    }
}

TEST_F(ConfigFileTest, FailedOpenPostsTheTextOfTheLanguageInForce)
{
    SetEnglishTexts();
    openChoice_ = WriteFile(QStringLiteral("short.zrd"), Pattern(100, 1));
    Commands().ToolButton1Click();
    EXPECT_EQ(emsg_, QStringLiteral("Data not read."));
}

TEST_F(ConfigFileTest, NewClearsTheFirst255BytesAndKeepsTheRestForTheNextSave)
{
    openChoice_ = WriteFile(QStringLiteral("full.zrd"), Pattern(2048, 77));
    Commands().ToolButton1Click();
    refreshes_ = 0;

    Commands().Nowy1Click();
    EXPECT_EQ(refreshes_, 1);
    const QByteArray after = ImageBytes(record_);
    EXPECT_EQ(after.left(255), QByteArray(255, '\0'));
    EXPECT_EQ(after.mid(255), Pattern(2048, 77).mid(255));

    saveChoice_ = Path(QStringLiteral("again.zrd"));
    Commands().ToolButton6Click();
    EXPECT_EQ(FileBytes(saveChoice_), after);
}

// Loading only reads: a file the program may not write to still loads.
TEST_F(ConfigFileTest, FileThatCannotBeWrittenLoads)
{
    const QString readOnly = WriteFile(QStringLiteral("ro.zrd"), Pattern(2048, 3));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                    QFileDevice::ReadOther));
    openChoice_ = readOnly;
    Commands().ToolButton1Click();
    EXPECT_EQ(ImageBytes(record_), Pattern(2048, 3));
    EXPECT_TRUE(emsg_.isEmpty());

    // A running program cannot be opened for writing even by root; where the system refuses
    // it, it proves that loading does not ask for write access.
    const QString self = QCoreApplication::applicationFilePath();
    const int fd = ::open(QFile::encodeName(self).constData(), O_RDWR);
    if (fd >= 0) {
        ::close(fd);
        GTEST_SKIP() << "this system lets a running program be opened for writing";
    }
    ConfigRecord::Image image{};
    ASSERT_TRUE(LoadBlock(self, image));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(image.data()), 2048),
              FileBytes(self).left(2048));
}

// Raises the process's file size limit so that writes beyond `bytes` fail (EFBIG), as on a
// full disk; root is bound by it too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(ConfigFileTest, FailedSaveIsReportedKeepsTheOldFileAndStillRemembersTheFolder)
{
    const QString folder = Path(QStringLiteral("target"));
    ASSERT_TRUE(QDir().mkpath(folder));
    saveChoice_ = folder + QStringLiteral("/keep.zrd");
    const QByteArray old = Pattern(2048, 42);
    {
        QFile f(saveChoice_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    FillRecord(record_, 1);
    {
        const FileSizeLimit limit(1000);
        Commands().ToolButton6Click();
    }
    EXPECT_EQ(emsg_, QStringLiteral("Nie zapisano pliku."));
    EXPECT_EQ(FileBytes(saveChoice_), old);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("keep.zrd")});
    EXPECT_EQ(StoredLastDir(), folder + u'/');
}

TEST_F(ConfigFileTest, SaveIntoReadOnlyFolderWritesTheWritableFileInPlace)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "folder permissions do not bind root; the long name case covers it";
    }
    const QString folder = Path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    saveChoice_ = folder + QStringLiteral("/keep.zrd");
    {
        QFile f(saveChoice_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Pattern(2048, 8));
    }
    FillRecord(record_, 9);
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    Commands().ToolButton6Click();
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(emsg_, QString());
    EXPECT_EQ(FileBytes(saveChoice_), ImageBytes(record_));
    EXPECT_EQ(StoredLastDir(), folder + u'/');
}

TEST_F(ConfigFileTest, SaveThatCannotReplaceTheFileWritesItInPlace)
{
    // A name of the longest length the system allows: the file itself can be written, but the
    // new content cannot get a longer temporary name beside it to be put in place with (as in
    // a folder the user may not write, which does not bind root).
    const QString name = QString(251, u'k') + QStringLiteral(".zrd");
    struct Case {
        const char* what;
        rlim_t sizeLimit;
        bool saved;
    };
    const Case cases[] = {
        {"written in place", RLIM_INFINITY, true},
        {"a failed write is still reported and keeps the old file", 1000, false},
    };
    for (const Case& c : cases) {
        saveChoice_ = WriteFile(name, Pattern(2048, 3));
        FillRecord(record_, 4);
        emsg_.clear();
        {
            const FileSizeLimit limit(c.sizeLimit);
            Commands().ToolButton6Click();
        }
        EXPECT_EQ(emsg_, c.saved ? QString() : QStringLiteral("Nie zapisano pliku.")) << c.what;
        EXPECT_EQ(FileBytes(saveChoice_), c.saved ? ImageBytes(record_) : Pattern(2048, 3))
            << c.what;
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{name}) << c.what;
    }
}

TEST_F(ConfigFileTest, InPlaceWriteThatFailsAtOnceKeepsTheOldFileAndOtherwiseSetsTheSize)
{
    const QString path = WriteFile(QStringLiteral("kept.zrd"), Pattern(5000, 3));
    for (const rlim_t limit : {rlim_t{0}, RLIM_INFINITY}) {
        const FileSizeLimit sizeLimit(limit);
        EXPECT_EQ(WriteBlockInPlace(path, record_.FileImage()), limit != 0);
        EXPECT_EQ(FileBytes(path), limit == 0 ? Pattern(5000, 3) : ImageBytes(record_));
    }
}

TEST_F(ConfigFileTest, SaveIntoMissingFolderIsReported)
{
    saveChoice_ = Path(QStringLiteral("gone/x.zrd"));
    Commands().ToolButton6Click();
    EXPECT_EQ(emsg_, QStringLiteral("Nie zapisano pliku."));
    EXPECT_FALSE(QFile::exists(saveChoice_));
}

TEST_F(ConfigFileTest, SaveReplacesALongerFileWhole)
{
    saveChoice_ = WriteFile(QStringLiteral("long.zrd"), Pattern(5000, 2));
    FillRecord(record_, 6);
    Commands().ToolButton6Click();
    EXPECT_EQ(FileBytes(saveChoice_), ImageBytes(record_));
}

TEST_F(ConfigFileTest, CancelledDialogsChangeNothing)
{
    FillRecord(record_, 4);
    const QByteArray before = ImageBytes(record_);
    Commands().ToolButton1Click();
    Commands().ToolButton6Click();
    EXPECT_EQ(ImageBytes(record_), before);
    EXPECT_EQ(refreshes_, 0);
    EXPECT_TRUE(emsg_.isEmpty());
    EXPECT_TRUE(StoredLastDir().isEmpty());
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList());
}

TEST_F(ConfigFileTest, DialogsStartInTheLastFolderOrTheProgramFolder)
{
    Commands().Otwrz1Click();
    Commands().Zapisz1Click();
    EXPECT_EQ(openStarts_, QStringList{programDir_});
    EXPECT_EQ(saveStarts_, QStringList{programDir_});

    const QString folder = Path(QStringLiteral("cfgs"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/one.zrd");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Pattern(2048, 0));
    }
    openChoice_ = file;
    Commands().ToolButton1Click();
    openChoice_.clear();

    // A new run: the value comes back from the store's file on disk.
    QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).sync();
    const QString storeFile = QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).fileName();
    EXPECT_EQ(QSettings(storeFile, QSettings::IniFormat).value(kLastDirValue).toString(),
              folder + u'/');
    openStarts_.clear();
    saveStarts_.clear();
    Commands().ToolButton1Click();
    Commands().ToolButton6Click();
    EXPECT_EQ(openStarts_, QStringList{folder + u'/'});
    EXPECT_EQ(saveStarts_, QStringList{folder + u'/'});
}

} // namespace
} // namespace zorva
