// What zorva-cli says of a visit that is not the first to a clean module: the report's changes on
// a repeat visit and across a changed identifier, a line that goes quiet while the report waits,
// what the report's pictures and remarks show, and a clock whose replies come late.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "CliRig.h"
#include "sim/TestPicture.h"

namespace zorva::test {
namespace {

class Visit : public CliRig {};

QString PdfText(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPictures(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput())
        .count(QRegularExpression(QStringLiteral("(^|\\n)\\s*\\d+\\s+\\d+\\s+image\\s")));
}

void ExpectLines(const QString& text, const QStringList& patterns)
{
    for (const QString& line : patterns) {
        EXPECT_TRUE(text.contains(QRegularExpression(line))) << line.toStdString() << "\n"
                                                             << text.toStdString();
    }
}

// Yesterday's read, today's write of the port: the module held 8080 when today's visit began
// (its first contact is kept although its bytes equal yesterday's). The visit goes on through a
// write that changes the identifier and through the computer's clock put back an hour, and a
// visit that crosses midnight keeps its first read.
TEST_F(Visit, ARepeatVisitReportsWhatChangedSinceItsFirstContact)
{
    StartModule();
    const QStringList report = {"--lang", "en", "report"};
    fakeTime = QStringLiteral("-24h");
    ASSERT_EQ(Cli({"read", Path("a.zrd")}).exit, 0);
    fakeTime.clear();
    ASSERT_EQ(Cli({"write", Path("a.zrd"), "--set", "ps=8081"}).exit, 0);
    CliRun run = Cli(report + QStringList{Path("r1.pdf")});
    ASSERT_EQ(run.exit, 0) << Show(run);
    ExpectLines(PdfText(Path("r1.pdf")),
                {"From the first read of this visit", "\\n\\s*Port +8080 +8081\\s",
                 "The last write \\([^)]*\\) was verified"});

    ASSERT_EQ(Cli({"read", Path("b.zrd")}).exit, 0);
    ASSERT_EQ(Cli({"write", Path("b.zrd"), "--set", "id=SHOP12", "--set", "tt=9"}).exit, 0);
    fakeTime = QStringLiteral("-1h");
    run = Cli(report + QStringList{Path("r2.pdf")});
    ASSERT_EQ(run.exit, 0) << Show(run);
    const QString text = PdfText(Path("r2.pdf"));
    ExpectLines(text, {"\\n\\s*Device identifier +\"ZRV0417\" +\"SHOP12\"\\s",
                       "\\n\\s*Port +8080 +8081\\s", "The last write \\([^)]*\\) was verified"});
    EXPECT_FALSE(text.contains(QStringLiteral("Nothing changed"))) << text.toStdString();

    fakeTime = QStringLiteral("@2030-01-01 23:50:00");
    ASSERT_EQ(Cli({"read", Path("c.zrd")}).exit, 0);
    fakeTime = QStringLiteral("@2030-01-02 00:10:00");
    ASSERT_EQ(Cli({"write", Path("c.zrd"), "--set", "ps=8082"}).exit, 0);
    ASSERT_EQ(Cli(report + QStringList{Path("r3.pdf")}).exit, 0);
    ExpectLines(PdfText(Path("r3.pdf")),
                {"first read of this visit \\(2030-01-01 23:5", "\\n\\s*Port +8081 +8082\\s"});
}

// The module falls silent while the report fetches its pictures: no report claims the module's
// state, and the reason is said with --quiet too.
TEST_F(Visit, AReportWhoseLineGoesQuietIsNotWritten)
{
    StartModule();
    ASSERT_EQ(simulator->Execute("silent after-picture"), "");
    const CliRun run = Cli({"--quiet", "--timeout", "3", "report", Path("r.pdf")});
    EXPECT_EQ(run.exit, 4) << Show(run);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no answer from the module on COM1"))) << Show(run);
    EXPECT_FALSE(QFile::exists(Path("r.pdf")));
}

// A wrong packet number (0xDD) starts the picture again; a picture that decodes only in part is
// shown as damaged; remarks keep their lines.
TEST_F(Visit, TheReportsPicturesAndRemarksSayWhatCame)
{
    QDir(dir.path()).mkpath(QStringLiteral("pictures"));
    const std::vector<std::uint8_t> whole = sim::MakeTestPicture(0, 1, "2030-01-01 00:00:00");
    QFile cut(Path("pictures/cut.jpg"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(reinterpret_cast<const char*>(whole.data()),
              static_cast<qint64>(whole.size() * 2 / 3));
    cut.close();
    options.picturesDir = Path("pictures").toStdString();
    options.faults.delayMs = 200;
    StartModule();
    const CliRun run = Cli(
        {"--lang", "en", "report", Path("r.pdf"), "--remarks", "line one\nline two"},
        "picture of camera A", [&](QProcess&) { ASSERT_EQ(simulator->Execute("error DD"), ""); });
    ASSERT_EQ(run.exit, 0) << Show(run);
    const QString text = PdfText(Path("r.pdf"));
    ExpectLines(text, {"Remarks +line one *\\n\\s*line two"});
    EXPECT_EQ(text.count(QStringLiteral("damaged, only part of the picture decoded")), 2)
        << text.toStdString();
    EXPECT_EQ(PdfPictures(Path("r.pdf")), 2) << text.toStdString();
}

// The module answers two seconds and more late, so status requests written before the clock
// frame are still waiting; it then hangs on the frame. Their replies are no success.
TEST_F(Visit, LateStatusRepliesToRequestsBeforeTheClockFrameAreNoSuccess)
{
    options.faults.delayMs = 2500;
    StartModule();
    ASSERT_EQ(simulator->Execute("silent after-clock"), "");
    const CliRun run = Cli({"--timeout", "30", "clock"});
    EXPECT_EQ(run.exit, 4) << Show(run);
    EXPECT_TRUE(run.err.contains("the link was lost")) << Show(run);
}

} // namespace
} // namespace zorva::test
