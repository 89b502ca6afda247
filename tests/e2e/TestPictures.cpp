#include "TestPictures.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>

namespace zorva::e2e {

QList<QByteArray> WriteTestPictures(const QString& folder, int count)
{
    QList<QByteArray> pictures;
    for (int i = 0; i < count; ++i) {
        QImage image(120 + 60 * i, 90 + 30 * i, QImage::Format_RGB888);
        image.fill(QColor::fromHsv((i * 67) % 360, 200, 220));
        QPainter painter(&image);
        painter.setPen(Qt::white);
        for (int x = 0; x < image.width(); x += 6) {
            painter.drawLine(x, 0, image.width() - x, image.height() - 1);
        }
        painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("picture %1").arg(i));
        painter.end();
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG", 85);
        if (i == 2) {
            // Fill bytes before the marker after the start of the picture: allowed by JPEG, and
            // a false sync pair with a plausible length (FF FF E0) inside the first packet.
            bytes.insert(2, "\xFF\xFF", 2);
        }
        if (i == 1) {
            // Bytes after the end marker do not change the picture.
            bytes.append(
                QByteArray((kPacketBytes - bytes.size() % kPacketBytes) % kPacketBytes, '\0'));
        }
        QFile file(QStringLiteral("%1/pic%2.jpg").arg(folder).arg(i));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
        }
        pictures << bytes;
    }
    return pictures;
}

int SourceOf(const QByteArray& saved, const QList<QByteArray>& sources)
{
    for (qsizetype i = 0; i < sources.size(); ++i) {
        const qsizetype padded =
            (sources[i].size() + kPacketBytes - 1) / kPacketBytes * kPacketBytes;
        if (saved.size() == padded && saved.startsWith(sources[i]) &&
            saved.mid(sources[i].size()).count('\0') == padded - sources[i].size()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool DecodesAsJpeg(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "JPG");
    const QImage image = reader.read();
    return !image.isNull() && reader.error() == QImageReader::UnknownError;
}

} // namespace zorva::e2e
