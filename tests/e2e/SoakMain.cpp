// zorva-soak MINUTES: the test build of the program streams pictures from the simulator for
// MINUTES over a line that splits answers, spoils 2 % of them and puts noise between them,
// and that is unplugged every few minutes. At the end: every picture saved is a JPEG the
// module sent (with the fill of its last packet), the program still answers, its resident size
// has not grown beyond the tolerance, and its log file holds exactly the checksum-error lines
// that the spoilt frames call for. Prints a summary; exits non-zero on any failure.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>

#include "ChecksumLines.h"
#include "ProgramRig.h"
#include "TestPictures.h"

namespace zorva::e2e {
namespace {

// Growth of the resident size allowed from the start of streaming (after a warm-up) to the end.
constexpr long kRssToleranceKb = 3 * 1024;
constexpr int kStepsMs = 20000;

struct Report {
    QStringList failures;
    void Fail(const QString& what)
    {
        failures << what;
        std::fprintf(stderr, "soak: FAILED: %s\n", qPrintable(what));
    }
};

void Say(const QString& text)
{
    std::printf("soak: %s\n", qPrintable(text));
    std::fflush(stdout);
}

// Checks every picture file that is new or changed since the last look.
class PictureWatch {
public:
    PictureWatch(QString folder, const QList<QByteArray>& sources)
        : folder_(std::move(folder)), sources_(sources)
    {
    }
    void Look(Report& report)
    {
        const QFileInfoList files =
            QDir(folder_).entryInfoList({QStringLiteral("zr_p*.jpg")}, QDir::Files);
        for (const QFileInfo& info : files) {
            const QString signature = QStringLiteral("%1/%2")
                                          .arg(info.size())
                                          .arg(info.lastModified().toMSecsSinceEpoch());
            if (seen_.value(info.fileName()) == signature) {
                continue;
            }
            seen_.insert(info.fileName(), signature);
            QFile file(info.filePath());
            const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            ++checked;
            if (SourceOf(bytes, sources_) < 0 || !DecodesAsJpeg(bytes)) {
                ++bad;
                report.Fail(
                    QStringLiteral("%1 is not a picture the module sent").arg(info.filePath()));
            }
        }
    }
    int checked = 0;
    int bad = 0;

private:
    QString folder_;
    QList<QByteArray> sources_;
    QHash<QString, QString> seen_;
};

bool WaitConnected(ProgramRig& rig, double since)
{
    double read = -1;
    WaitFor(
        [&] {
            const QList<TraceEntry> reads = rig.Trace().Frames("RX", 0x01, since);
            if (!reads.isEmpty()) {
                read = reads.first().time;
            }
            return read > 0 && !rig.Trace().Frames("TX", 0x06, read).isEmpty();
        },
        kStepsMs);
    return read > 0 && !rig.Trace().Frames("TX", 0x06, read).isEmpty();
}

int Soak(double minutes)
{
    Report report;
    ProgramRig rig;
    const QString folder = rig.Folder(QStringLiteral("module-pictures"));
    const QList<QByteArray> sources = WriteTestPictures(folder, 4);
    const auto seed = QString::number(QDateTime::currentMSecsSinceEpoch() % 1000000 + 1);
    const double total = minutes * 60.0;
    // An unplug every few minutes; a short run gets a few of them all the same.
    const double unplugEvery = std::clamp(total / 3.0, 30.0, 180.0);
    Say(QStringLiteral("%1 min, seed %2, unplug every %3 s, folder kept with ZORVA_E2E_KEEP=1")
            .arg(minutes)
            .arg(seed)
            .arg(unplugEvery));

    if (!rig.StartSimulator({QStringLiteral("--pictures"), folder, QStringLiteral("--split"),
                             QStringLiteral("--corrupt"), QStringLiteral("0.02"),
                             QStringLiteral("--garbage"), QStringLiteral("0.05"),
                             QStringLiteral("--event-every"), QStringLiteral("10"),
                             QStringLiteral("--seed"), seed})) {
        report.Fail(rig.Error());
        return 1;
    }
    rig.SeedSettings({{QStringLiteral("pl"), QByteArray(1, '\0')}});
    if (!rig.StartProgram(Build::Test) || !rig.WaitReady(kStepsMs)) {
        report.Fail(QStringLiteral("the program did not start: ") + rig.Error());
        return 1;
    }
    if (!WaitConnected(rig, 0) || !rig.Hook(QStringLiteral("play")).ok) {
        report.Fail(QStringLiteral("no connection or no play at the start"));
        Say(rig.Diagnostics());
        return 1;
    }

    PictureWatch pictures(rig.PictureFolder(), sources);
    // Warm-up: the first pictures fill the caches that stay for the run.
    WaitFor(
        [&] {
            return QDir(rig.PictureFolder()).entryList({QStringLiteral("zr_p*.jpg")}).size() >= 5;
        },
        60000);
    const long rssStart = rig.ProgramRssKb();
    long rssMax = rssStart;
    const double start = MonotonicSeconds();
    double nextUnplug = start + unplugEvery;
    int unplugs = 0;
    int recovered = 0;
    while (MonotonicSeconds() - start < total && rig.ProgramRunning()) {
        // Pacing of the soak's own looks, not a synchronisation.
        WaitFor([] { return false; }, 2000);
        pictures.Look(report);
        rssMax = std::max(rssMax, rig.ProgramRssKb());
        if (MonotonicSeconds() >= nextUnplug && MonotonicSeconds() - start < total - 20) {
            ++unplugs;
            const double at = MonotonicSeconds();
            rig.Sim(QStringLiteral("unplug 1.5"));
            const bool reopened = WaitFor(
                [&] {
                    return !rig.Trace()
                                .Notes(QStringLiteral("program opened the line"), at)
                                .isEmpty();
                },
                kStepsMs);
            // The lost link stopped the transfer; the user presses play again.
            if (reopened && WaitConnected(rig, at) &&
                rig.HookUntilOk(QStringLiteral("play"), kStepsMs).ok) {
                ++recovered;
            } else {
                report.Fail(QStringLiteral("no recovery after the unplug at %1 s")
                                .arg(at - start, 0, 'f', 1));
            }
            nextUnplug = MonotonicSeconds() + unplugEvery;
        }
    }
    pictures.Look(report);
    const long rssEnd = rig.ProgramRssKb();

    // Still answering: the hook and the line.
    const double asked = MonotonicSeconds();
    const bool pinged = rig.Hook(QStringLiteral("ping")).ok;
    const bool polled =
        WaitFor([&] { return !rig.Trace().Frames("RX", 0x03, asked).isEmpty(); }, kStepsMs);
    if (!pinged || !polled) {
        report.Fail(QStringLiteral("the program no longer answers (hook %1, STAN %2)")
                        .arg(pinged ? "yes" : "no", polled ? "yes" : "no"));
    }

    // Silence, so that all that was sent has been read and cut, then the checksum lines.
    const double quiet = MonotonicSeconds();
    rig.Sim(QStringLiteral("silent on"));
    WaitFor([&] { return !rig.Trace().Frames("RX-IGNORED", -1, quiet + 0.5).isEmpty(); }, kStepsMs);
    const ChecksumComparison checksums =
        CompareChecksumLines(rig.Trace().Entries(), rig.LogLines());
    for (const QString& problem : checksums.problems.mid(0, 10)) {
        report.Fail(problem);
    }
    if (checksums.injected == 0) {
        report.Fail(QStringLiteral("no frame was spoilt: the run was too short to tell"));
    }
    if (!rig.Hook(QStringLiteral("quit")).ok || !rig.WaitProgramFinished()) {
        report.Fail(QStringLiteral("the program did not end cleanly"));
    }

    if (pictures.checked < 10) {
        report.Fail(QStringLiteral("only %1 pictures saved").arg(pictures.checked));
    }
    if (rssStart <= 0 || rssEnd - rssStart > kRssToleranceKb) {
        report.Fail(QStringLiteral("resident size grew from %1 kB to %2 kB (allowed %3 kB)")
                        .arg(rssStart)
                        .arg(rssEnd)
                        .arg(kRssToleranceKb));
    }

    Say(QStringLiteral("pictures: %1 saved and checked, %2 bad")
            .arg(pictures.checked)
            .arg(pictures.bad));
    Say(QStringLiteral("unplugs: %1, recovered %2").arg(unplugs).arg(recovered));
    Say(QStringLiteral("resident size: %1 kB after warm-up, %2 kB at the end, %3 kB at most "
                       "(growth allowed %4 kB)")
            .arg(rssStart)
            .arg(rssEnd)
            .arg(rssMax)
            .arg(kRssToleranceKb));
    Say(QStringLiteral("checksum errors: ") + checksums.Summary());
    Say(QStringLiteral("still answering: hook %1, STAN %2")
            .arg(pinged ? "yes" : "no", polled ? "yes" : "no"));
    if (!report.failures.isEmpty()) {
        Say(rig.Diagnostics());
        Say(QStringLiteral("FAILED (%1 problems)").arg(report.failures.size()));
        return 1;
    }
    Say(QStringLiteral("passed"));
    return 0;
}

} // namespace
} // namespace zorva::e2e

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 0;
    if (minutes <= 0) {
        std::fprintf(stderr, "usage: zorva-soak MINUTES\n");
        return 2;
    }
    return zorva::e2e::Soak(minutes);
}
