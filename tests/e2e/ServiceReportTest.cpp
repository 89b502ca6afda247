// The service report made in the window, as a technician makes it: a picture shown, a field
// edited but not written, File -> "Raport serwisowy...", the technician's name, the file.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include "E2eTest.h"

namespace zorva::e2e {
namespace {

using ServiceReportTest = E2eTest;

QString Tool(const char* name, const QStringList& args)
{
    QProcess process;
    process.start(QLatin1String(name), args);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(ServiceReportTest, TheModuleAsReadWithTheLastPictureShownAndTheUnwrittenEditNamed)
{
    ASSERT_NO_FATAL_FAILURE(Start(Build::Test, {QStringLiteral("--seed"), QStringLiteral("3")},
                                  {{QStringLiteral("pl"), OneByte(1)}}));
    ASSERT_NO_FATAL_FAILURE(WaitConnected());
    ASSERT_TRUE(rig_.Hook(QStringLiteral("play")).ok);
    ASSERT_TRUE(
        WaitFor([&] { return !QDir(rig_.PictureFolder()).isEmpty(QDir::Files); }, kStepsMs));
    ASSERT_TRUE(rig_.Hook(QStringLiteral("stop")).ok);
    ASSERT_TRUE(rig_.Hook(QStringLiteral("type E_pass zmiana1")).ok);

    const QString pdf = rig_.Folder(QStringLiteral("report")) + QStringLiteral("/r.pdf");
    rig_.Hook(QStringLiteral("trigger Raportserwisowy1"), 300); // answers once closed
    ASSERT_TRUE(rig_.HookUntilOk(QStringLiteral("type E_technician Jan Nowak"), kStepsMs).ok);
    ASSERT_TRUE(rig_.Hook(QStringLiteral("type E_file ") + (rig_.Windows() ? "Z:" : "") + pdf).ok);
    ASSERT_TRUE(rig_.Hook(QStringLiteral("click B_write")).ok);
    EXPECT_TRUE(rig_.HookUntilOk(QStringLiteral("box"), kStepsMs)
                    .text.startsWith(QStringLiteral("Zmiany w edytorze nie zostały zapisane")));
    EXPECT_TRUE(rig_.HookUntilOk(QStringLiteral("box"), kStepsMs)
                    .text.startsWith(QStringLiteral("Raport zapisany: ")));

    const QString text = Tool("pdftotext", {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (const char* line : {"\\n\\s*Technik +Jan Nowak\\s", "\\n\\s*Hasło +ustawione\\s",
                             "Kamera A, 20", "Kamera B: nie zrobiono zdjęcia"}) {
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(line))))
            << line << "\n"
            << text.toStdString();
    }
    EXPECT_FALSE(text.contains(QStringLiteral("zmiana1")) || text.contains("serwis12"));
    const QString images = Tool("pdfimages", {QStringLiteral("-list"), pdf});
    // The type column; the encoding column says "image" too where pictures are not kept as JPEG.
    EXPECT_EQ(
        images.count(QRegularExpression(QStringLiteral("(^|\\n)\\s*\\d+\\s+\\d+\\s+image\\s"))), 1)
        << images.toStdString();
    EXPECT_TRUE(rig_.TerminateProgram());
}

} // namespace
} // namespace zorva::e2e
