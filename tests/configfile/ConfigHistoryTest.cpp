// The configuration history on real files: names, what a read adds, the bound per module from
// the program ini file, the listing.
#include "config/ConfigHistory.h"

#include <gtest/gtest.h>

#include <thread>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace zorva {
namespace {

QStringList Names(const std::vector<HistoryEntry>& entries)
{
    QStringList names;
    for (const HistoryEntry& e : entries) {
        names << QFileInfo(e.path).fileName();
    }
    return names;
}

TEST(ConfigHistoryTest, KeepsEveryChangeOncePerModuleWithinTheIniFilesBoundNewestFirst)
{
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("zorva-config.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[LOGFILE]\r\nfilename=x.log\r\n[HISTORY]\r\nkeep=3\r\n");
    ini.close();
    EXPECT_EQ(HistoryKeepFrom(dir.filePath(QStringLiteral("none.ini"))), kHistoryKeepDefault);
    const ConfigHistory history(dir.filePath(QStringLiteral("history")),
                                HistoryKeepFrom(ini.fileName()));
    const QDateTime at(QDate(2024, 5, 6), QTime(7, 8, 9, 10));
    ConfigRecord module;
    module.setText(cfg::id, QStringLiteral("A:B/C*"));
    const ConfigRecord blank;
    const auto keep = [&](HistoryKind kind, const ConfigRecord& record, int second) {
        EXPECT_TRUE(history.Keep(kind, record.FileImage(), at.addSecs(second)));
    };
    keep(HistoryKind::Read, module, 0);
    keep(HistoryKind::Read, module, 1); // unchanged: nothing added
    keep(HistoryKind::Written, module, 2);
    module.setByte(kWriteImageSize, 1); // outside the configuration
    keep(HistoryKind::Read, module, 3); // after a write: what the module holds
    keep(HistoryKind::Read, module, 4); // unchanged: nothing added
    module.setPort(81);
    keep(HistoryKind::Read, module, 4);
    keep(HistoryKind::Read, blank, 5);
    EXPECT_EQ(Names(history.List()), (QStringList{"_blank__2024-05-06_07-08-14.010_1_read.zrd",
                                                  "A_B_C__2024-05-06_07-08-13.010_4_read.zrd",
                                                  "A_B_C__2024-05-06_07-08-12.010_3_read.zrd",
                                                  "A_B_C__2024-05-06_07-08-11.010_2_written.zrd"}));
    EXPECT_TRUE(history.List().front().identifier.isEmpty());
    EXPECT_EQ(HistoryIdentifier(history.List()[1]), QStringLiteral("A:B/C*"));

    // Files stamped by a clock that was once ahead, by this version or an earlier one: what comes
    // after them carries the clock's time and is the newest all the same, and the bound removes
    // the oldest made.
    for (const char* name : {"A_B_C__2031-01-01_00-00-00.000_read.zrd",
                             "A_B_C__2030-01-01_00-00-00.000_5_written.zrd"}) {
        ASSERT_TRUE(QFile::copy(history.List()[1].path, history.Folder() + u'/' + name));
    }
    keep(HistoryKind::Read, module, 4);
    EXPECT_EQ(Names(history.ListModule(QStringLiteral("A:B/C*"))),
              (QStringList{"A_B_C__2024-05-06_07-08-13.010_6_read.zrd",
                           "A_B_C__2030-01-01_00-00-00.000_5_written.zrd",
                           "A_B_C__2024-05-06_07-08-13.010_4_read.zrd"}));
    EXPECT_EQ(history.List().size(), 4u);
}

// A visit: back from the newest file while each comes less than eight hours after the one before
// (a clock put back makes no gap), across a write that changed the identifier; its first read is
// kept although yesterday's newest holds the same bytes.
TEST(ConfigHistoryTest, AVisitRunsBackToItsFirstReadAcrossAnIdentifierChange)
{
    QTemporaryDir dir;
    const ConfigHistory history(dir.filePath(QStringLiteral("history")), kHistoryKeepDefault);
    const QDateTime yesterday(QDate(2024, 5, 6), QTime(23, 0));
    const QDateTime today = yesterday.addSecs(12 * 3600);
    ConfigRecord module;
    module.setText(cfg::id, QStringLiteral("OLD"));
    const auto keep = [&](HistoryKind kind, const QDateTime& when, const QString& former = {}) {
        EXPECT_TRUE(history.Keep(kind, module.FileImage(), when, former));
    };
    keep(HistoryKind::Read, yesterday);
    keep(HistoryKind::Read, today); // the same bytes, but another visit
    module.setPort(81);
    keep(HistoryKind::Written, today.addSecs(60));
    keep(HistoryKind::Read, today.addSecs(70));
    module.setText(cfg::id, QStringLiteral("NEW"));
    keep(HistoryKind::Written, today.addSecs(-3000), QStringLiteral("OLD")); // clock put back
    keep(HistoryKind::Read, today.addSecs(-2990));

    QStringList kinds;
    for (const HistoryEntry& e : history.Visit(QStringLiteral("NEW"), today.addSecs(7 * 3600))) {
        kinds << e.module + (e.kind == HistoryKind::Read ? "/read" : "/written");
    }
    EXPECT_EQ(kinds,
              (QStringList{"OLD/read", "OLD/written", "OLD/read", "NEW/written", "NEW/read"}));
    EXPECT_EQ(history.Visit(QStringLiteral("NEW"), today.addSecs(3000)).front().when, today);
    // The next day is a visit of its own, and so is a module without files.
    EXPECT_TRUE(history.Visit(QStringLiteral("NEW"), today.addSecs(9 * 3600)).empty());
    EXPECT_TRUE(history.Visit(QStringLiteral("OTHER"), today).empty());
}

// Two programs keeping files of modules of one name at the same moment (a fleet of new modules):
// each file keeps a name of its own, none replaces another.
TEST(ConfigHistoryTest, FilesKeptAtTheSameMomentByTwoProgramsAreAllKept)
{
    QTemporaryDir dir;
    const ConfigHistory history(dir.filePath(QStringLiteral("history")), kHistoryKeepDefault * 2);
    const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9, 10));
    const auto program = [&](int first) {
        for (int i = first; i < first + kHistoryKeepDefault / 2; ++i) {
            ConfigRecord module;
            module.setPort(static_cast<std::uint16_t>(i + 1));
            EXPECT_TRUE(history.Keep(HistoryKind::Written, module.FileImage(), when));
        }
    };
    std::thread other(program, 0);
    program(kHistoryKeepDefault / 2);
    other.join();
    EXPECT_EQ(history.List().size(), static_cast<std::size_t>(kHistoryKeepDefault));
}

} // namespace
} // namespace zorva
