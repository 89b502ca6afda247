// svg-to-png IN.svg OUT.png WIDTH HEIGHT   renders an SVG picture to a PNG of that size
// svg-to-png IN.svg OUT.ico SIZE...        renders it square at each size into one icon file
// svg-to-png IN.svg OUT.jpg WIDTH HEIGHT   renders it on white to a JPEG (test pictures)
// A host tool of the Windows build, which has no Qt Svg. Exit code 0 on success.
#include <cstdio>
#include <vector>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>

namespace {

QImage Render(QSvgRenderer& renderer, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, width, height));
    return image;
}

void PutLittleEndian(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// An icon file with one PNG picture per size: a 6-byte header, a 16-byte entry per picture,
// then the pictures (the form Windows reads since Vista; Qt's writer stores only one picture).
QByteArray IconFile(QSvgRenderer& renderer, const std::vector<int>& sizes)
{
    std::vector<QByteArray> pictures;
    for (int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        Render(renderer, size, size).save(&buffer, "PNG");
        pictures.push_back(png);
    }
    QByteArray out;
    PutLittleEndian(out, 0, 2);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, static_cast<quint32>(sizes.size()), 2);
    quint32 offset = 6 + 16 * static_cast<quint32>(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const quint32 side = sizes[i] >= 256 ? 0 : static_cast<quint32>(sizes[i]); // 0 is 256
        PutLittleEndian(out, side, 1);
        PutLittleEndian(out, side, 1);
        PutLittleEndian(out, 0, 2);  // no palette, reserved
        PutLittleEndian(out, 1, 2);  // colour planes
        PutLittleEndian(out, 32, 2); // bits per pixel
        PutLittleEndian(out, static_cast<quint32>(pictures[i].size()), 4);
        PutLittleEndian(out, offset, 4);
        offset += static_cast<quint32>(pictures[i].size());
    }
    for (const QByteArray& png : pictures) {
        out.append(png);
    }
    return out;
}

int Fail(const QString& why)
{
    std::fprintf(stderr, "svg-to-png: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (args.size() < 3) {
        return Fail(
            QStringLiteral("usage: svg-to-png IN.svg OUT.png W H | IN.svg OUT.ico SIZE..."));
    }
    QSvgRenderer renderer(args.at(0));
    if (!renderer.isValid()) {
        return Fail(QStringLiteral("cannot read ") + args.at(0));
    }
    std::vector<int> sizes;
    for (const QString& text : args.mid(2)) {
        bool ok = false;
        const int n = text.toInt(&ok);
        if (!ok || n <= 0 || n > 4096) {
            return Fail(QStringLiteral("bad size ") + text);
        }
        sizes.push_back(n);
    }
    const QString out = args.at(1);
    if (out.endsWith(QStringLiteral(".ico"))) {
        QFile file(out);
        if (!file.open(QIODevice::WriteOnly) || !file.write(IconFile(renderer, sizes))) {
            return Fail(QStringLiteral("cannot write ") + out);
        }
        return 0;
    }
    if (sizes.size() != 2) {
        return Fail(QStringLiteral("a PNG needs WIDTH and HEIGHT"));
    }
    if (out.endsWith(QStringLiteral(".jpg"))) {
        QImage picture(sizes[0], sizes[1], QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter(&picture).drawImage(0, 0, Render(renderer, sizes[0], sizes[1]));
        return picture.save(out, "JPEG", 90) ? 0 : Fail(QStringLiteral("cannot write ") + out);
    }
    if (!Render(renderer, sizes[0], sizes[1]).save(out, "PNG")) {
        return Fail(QStringLiteral("cannot write ") + out);
    }
    return 0;
}
