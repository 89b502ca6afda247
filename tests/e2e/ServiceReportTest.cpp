// The service report made in the window, as a technician makes it: a field edited but not
// written, File -> "Raport serwisowy...", the technician's name, the file; the report takes a
// picture of each camera that is on itself. A second report to the same file asks first.
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

TEST_F(ServiceReportTest, TheModuleAsReadWithAPictureOfEachCameraAndTheUnwrittenEditNamed)
{
    ASSERT_NO_FATAL_FAILURE(Start(Build::Test, {QStringLiteral("--seed"), QStringLiteral("3")},
                                  {{QStringLiteral("pl"), OneByte(1)}}));
    ASSERT_NO_FATAL_FAILURE(WaitConnected());
    ASSERT_TRUE(rig_.Hook(QStringLiteral("type E_pass zmiana1")).ok);

    const QString pdf = rig_.Folder(QStringLiteral("report")) + QStringLiteral("/r.pdf");
    const auto startReport = [&](bool asks) {
        rig_.Hook(QStringLiteral("trigger Raportserwisowy1"), 300); // answers once closed
        ASSERT_TRUE(rig_.HookUntilOk(QStringLiteral("type E_technician Jan Nowak"), kStepsMs).ok);
        ASSERT_TRUE(
            rig_.Hook(QStringLiteral("type E_file ") + (rig_.Windows() ? "Z:" : "") + pdf).ok);
        // A question asked answers the click only once it is closed.
        const bool clicked = rig_.Hook(QStringLiteral("click B_write"), asks ? 300 : 10000).ok;
        ASSERT_TRUE(clicked || asks);
    };
    ASSERT_NO_FATAL_FAILURE(startReport(false));
    EXPECT_TRUE(rig_.HookUntilOk(QStringLiteral("box"), kStepsMs)
                    .text.startsWith(QStringLiteral("Zmiany w edytorze nie zostały zapisane")));
    EXPECT_TRUE(rig_.HookUntilOk(QStringLiteral("box"), kStepsMs)
                    .text.startsWith(QStringLiteral("Raport zapisany: ")));

    const QString text = Tool("pdftotext", {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (const char* line : {"\\n\\s*Technik +Jan Nowak\\s", "\\n\\s*Hasło +ustawione\\s",
                             "Kamera A, 20", "Kamera B, 20"}) {
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(line))))
            << line << "\n"
            << text.toStdString();
    }
    EXPECT_FALSE(text.contains(QStringLiteral("zmiana1")) || text.contains("serwis12"));
    const QString images = Tool("pdfimages", {QStringLiteral("-list"), pdf});
    // The type column; the encoding column says "image" too where pictures are not kept as JPEG.
    EXPECT_EQ(
        images.count(QRegularExpression(QStringLiteral("(^|\\n)\\s*\\d+\\s+\\d+\\s+image\\s"))), 2)
        << images.toStdString();

    // The same file again: asked, refused, the dialog stays until cancelled.
    ASSERT_NO_FATAL_FAILURE(startReport(true));
    EXPECT_TRUE(rig_.HookUntilOk(QStringLiteral("box No"), kStepsMs)
                    .text.contains(QStringLiteral("już istnieje")));
    ASSERT_TRUE(rig_.Hook(QStringLiteral("click B_cancel")).ok);
    EXPECT_EQ(Tool("pdftotext", {QStringLiteral("-layout"), pdf, QStringLiteral("-")}), text);
    EXPECT_TRUE(rig_.TerminateProgram());
}

} // namespace
} // namespace zorva::e2e
