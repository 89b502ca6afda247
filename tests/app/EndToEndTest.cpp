// The program against the module simulator: the main window in-process reading, editing and
// writing a configuration, and the real executable ended by SIGTERM storing its settings.
#include <gtest/gtest.h>

#include <csignal>

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/TForm1.h"
#include "config/ui/ConfigPanel.h"
#include "sim/Simulator.h"
#include "support/WaitUntil.h"

using zorva::test::WaitUntil;

namespace zorva {
namespace {

constexpr int kDeadlineMs = 30000;

void PointComOneAt(const QString& link)
{
    QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
    settings.clear();
    settings.setValue(QStringLiteral("ports/COM1"), link);
    settings.sync();
}

// Lines of the simulator's trace with the given keyword, as their hex byte lists.
QList<QStringList> TraceFrames(const QString& tracePath, const QString& keyword)
{
    QList<QStringList> frames;
    QFile trace(tracePath);
    if (!trace.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return frames;
    }
    while (!trace.atEnd()) {
        const QStringList fields =
            QString::fromLatin1(trace.readLine()).trimmed().split(u' ', Qt::SkipEmptyParts);
        if (fields.size() > 5 && fields[1] == keyword) {
            frames << fields.mid(2);
        }
    }
    return frames;
}

// Whether any traced frame with the keyword and the code (byte 3) holds `bytes` in a row.
bool TraceHas(const QString& tracePath, const QString& keyword, const QString& code,
              const QString& bytes)
{
    for (const QStringList& frame : TraceFrames(tracePath, keyword)) {
        if (frame[3] == code && frame.join(u' ').contains(bytes)) {
            return true;
        }
    }
    return false;
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        trace_ = dir_.filePath(QStringLiteral("trace.txt"));
        sim::Options options;
        options.linkPath = dir_.filePath(QStringLiteral("module.tty")).toStdString();
        options.traceFile = trace_.toStdString();
        options.resetSeconds = 0.2;
        options.seed = 1;
        simulator_ = std::make_unique<sim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(simulator_->Start(&error)) << error;
        link_ = QString::fromStdString(simulator_->linkPath());
    }
    void TearDown() override
    {
        if (simulator_) {
            simulator_->Stop();
        }
    }

    QTemporaryDir dir_;
    QString trace_;
    QString link_;
    std::unique_ptr<sim::Simulator> simulator_;
};

TEST_F(EndToEndTest, ReadsEditsAndWritesTheModulesConfiguration)
{
    PointComOneAt(link_);
    TForm1 form({QStringLiteral("zorva-config")});
    form.show();

    // The first status reply starts a read; the module's password arrives in its field.
    auto* password = form.Panel5->findChild<QLineEdit*>(QStringLiteral("E_pass"));
    ASSERT_NE(password, nullptr);
    ASSERT_TRUE(WaitUntil(
        [&] { return form.Label16->text().startsWith(QStringLiteral("Connected")); }, kDeadlineMs));
    WaitUntil([&] { return password->text() == QStringLiteral("serwis12"); }, kDeadlineMs);
    ASSERT_EQ(password->text(), QStringLiteral("serwis12"));
    ASSERT_TRUE(WaitUntil([&] { return form.ToolButton3->isEnabled(); }, kDeadlineMs));
    EXPECT_TRUE(form.StatusBarText().endsWith(QStringLiteral("opened")));

    password->setFocus();
    password->selectAll();
    QTest::keyClicks(password, QStringLiteral("newpass1"));
    ASSERT_EQ(password->text(), QStringLiteral("newpass1"));
    QTest::mouseClick(form.ToolButton3, Qt::LeftButton);

    // "newpass1" and its eight zero bytes of fill, in the write frame and afterwards in the
    // configuration that the module sends back when the program reads it again.
    const QString stored = QStringLiteral("6E 65 77 70 61 73 73 31 00 00 00 00 00 00 00 00");
    ASSERT_TRUE(WaitUntil(
        [&] { return TraceHas(trace_, QStringLiteral("RX"), QStringLiteral("02"), stored); },
        kDeadlineMs));
    ASSERT_TRUE(WaitUntil(
        [&] { return TraceHas(trace_, QStringLiteral("TX"), QStringLiteral("01"), stored); },
        kDeadlineMs));
    // The module was restarted between the two.
    EXPECT_TRUE(TraceHas(trace_, QStringLiteral("RX"), QStringLiteral("05"), QStringLiteral("05")));
    WaitUntil([&] { return password->text() == QStringLiteral("newpass1"); }, kDeadlineMs);
    ASSERT_EQ(password->text(), QStringLiteral("newpass1"));
    form.close();
}

TEST_F(EndToEndTest, ProgramEndedBySigtermStoresItsSettings)
{
    const QString program = qEnvironmentVariable("ZORVA_BIN_DIR") + QStringLiteral("/zorva-config");
    ASSERT_TRUE(QFile::exists(program)) << program.toStdString();

    // The program gets its own settings folder with COM1 on the simulator's link.
    QTemporaryDir profile;
    ASSERT_TRUE(profile.isValid());
    const QString conf = profile.filePath(QStringLiteral("Nurvo/QEN.conf"));
    QSettings seed(conf, QSettings::IniFormat);
    seed.setValue(QStringLiteral("ports/COM1"), link_);
    seed.sync();

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), profile.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, {QStringLiteral("/serw")});
    ASSERT_TRUE(process.waitForStarted(kDeadlineMs));

    // Running: it polls the module and reads its configuration and network settings.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return TraceHas(trace_, QStringLiteral("RX"), QStringLiteral("06"),
                            QStringLiteral("06"));
        },
        kDeadlineMs));
    EXPECT_TRUE(TraceHas(trace_, QStringLiteral("RX"), QStringLiteral("01"), QStringLiteral("01")));
    EXPECT_TRUE(TraceHas(trace_, QStringLiteral("RX"), QStringLiteral("03"), QStringLiteral("03")));

    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(kDeadlineMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);

    QSettings stored(conf, QSettings::IniFormat);
    const struct {
        const char* name;
        char value;
    } expected[] = {{"cm", 1},  {"cp", 8},   {"cs", 0},   {"cd", 4},
                    {"cpa", 0}, {"cdtr", 1}, {"crts", 1}, {"pl", 0}};
    for (const auto& e : expected) {
        EXPECT_EQ(stored.value(QLatin1String(e.name)).toByteArray(), QByteArray(1, e.value))
            << e.name;
    }
    EXPECT_EQ(stored.value(QStringLiteral("ZORVA")).toByteArray().size(), 16);
    EXPECT_EQ(stored.value(QStringLiteral("ports/COM1")).toString(), link_);
}

} // namespace
} // namespace zorva
