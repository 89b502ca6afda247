// The preview window playing camera A against the module simulator: every picture the module
// cuts into packets comes back as a saved file holding the same JPEG, and the window shows it.
#include <gtest/gtest.h>

#include <algorithm>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/TForm1.h"
#include "link/Frames.h"
#include "link/LinkCore.h"
#include "preview/JpegDecoder.h"
#include "preview/TFormPict.h"
#include "sim/Simulator.h"
#include "support/WaitUntil.h"

using zorva::test::WaitUntil;

namespace zorva {
namespace {

constexpr int kDeadlineMs = 60000;
constexpr int kPacketBytes = 15 * kPictureUnit;

// Three different real JPEG pictures for the module to send, one after the other.
QList<QByteArray> WriteSourcePictures(const QString& folder)
{
    const QColor colours[] = {QColor(200, 30, 30), QColor(30, 160, 60), QColor(40, 60, 220)};
    QList<QByteArray> pictures;
    for (int i = 0; i < 3; ++i) {
        QImage image(160 + 40 * i, 120, QImage::Format_RGB888);
        image.fill(colours[i]);
        for (int x = 0; x < image.width(); x += 8) {
            image.setPixelColor(x, x % image.height(), Qt::white);
        }
        const QString path = QStringLiteral("%1/pic%2.jpg").arg(folder).arg(i);
        EXPECT_TRUE(image.save(path, "JPG", 90));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        pictures << file.readAll();
    }
    return pictures;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The source picture a saved file was assembled from: the file is the picture followed by the
// fill of its last packet.
int SourceOf(const QByteArray& saved, const QList<QByteArray>& sources)
{
    for (int i = 0; i < sources.size(); ++i) {
        const qsizetype padded =
            (sources[i].size() + kPacketBytes - 1) / kPacketBytes * kPacketBytes;
        if (saved.size() == padded && saved.startsWith(sources[i])) {
            return i;
        }
    }
    return -1;
}

TEST(PicturePlay, CameraAPicturesAreSavedAndShownAsTheModuleSentThem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString sourceFolder = dir.filePath(QStringLiteral("module-pictures"));
    const QString savedFolder = dir.filePath(QStringLiteral("saved"));
    ASSERT_TRUE(QDir().mkpath(sourceFolder));
    ASSERT_TRUE(QDir().mkpath(savedFolder));
    const QList<QByteArray> sources = WriteSourcePictures(sourceFolder);

    sim::Options options;
    options.linkPath = dir.filePath(QStringLiteral("module.tty")).toStdString();
    options.picturesDir = sourceFolder.toStdString();
    options.seed = 3;
    sim::Simulator module(options);
    std::string error;
    ASSERT_TRUE(module.Start(&error)) << error;

    {
        QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        settings.clear();
        settings.setValue(QStringLiteral("ports/COM1"), QString::fromStdString(module.linkPath()));
    }
    TForm1 form({QStringLiteral("zorva-config")});
    TFormPict preview;
    form.SetPreviewWindow(&preview);
    preview.SetPictureFolder(savedFolder);
    form.show();
    preview.show();
    ASSERT_TRUE(WaitUntil(
        [&] {
            return form.Link()->pictcnt() == kPictStopped &&
                   form.Label16->text().startsWith(QStringLiteral("Connected"));
        },
        kDeadlineMs));

    QTest::mouseClick(preview.findChild<QWidget*>(QStringLiteral("SB_play")), Qt::LeftButton);

    // Each picture as it is shown: the file saved for it and the picture on the screen.
    QList<int> seen;
    QString last;
    while (seen.size() < 3) {
        ASSERT_TRUE(WaitUntil(
            [&] {
                return !preview.LastPictureFile().isEmpty() && preview.LastPictureFile() != last;
            },
            kDeadlineMs));
        last = preview.LastPictureFile();
        // The picture is shown right after the handler that saved it.
        QCoreApplication::sendPostedEvents(&preview, QEvent::MetaCall);
        const QByteArray saved = ReadAll(last);
        const int source = SourceOf(saved, sources);
        ASSERT_GE(source, 0) << last.toStdString() << " is not a picture the module sent";
        seen << source;

        const JpegPicture decoded = DecodeJpeg(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(sources[source].constData()),
            static_cast<std::size_t>(sources[source].size())));
        ASSERT_EQ(decoded.outcome, JpegPicture::Decoded);
        const QImage shown = preview.ShownPicture();
        ASSERT_EQ(shown.size(), decoded.image.size());
        for (const QPoint p : {QPoint(0, 0), QPoint(8, 8), QPoint(shown.width() / 2, 60),
                               QPoint(shown.width() - 1, shown.height() - 1)}) {
            EXPECT_EQ(shown.pixel(p), decoded.image.pixel(p)) << p.x() << "," << p.y();
        }
    }
    preview.SB_stopClick();
    form.close();
    module.Stop();

    // Every file saved meanwhile, also those of pictures shown between two looks above, holds
    // a picture the module sent, and the module's pictures were not all the same one.
    const QStringList files = QDir(savedFolder).entryList({QStringLiteral("zr_p00_*.jpg")});
    ASSERT_GE(files.size(), 3);
    QList<int> sent;
    for (const QString& name : files) {
        const int source = SourceOf(ReadAll(savedFolder + u'/' + name), sources);
        EXPECT_GE(source, 0) << name.toStdString();
        sent << source;
    }
    std::sort(sent.begin(), sent.end());
    EXPECT_GT(std::unique(sent.begin(), sent.end()) - sent.begin(), 1);
}

} // namespace
} // namespace zorva
