#include "PictureFiles.h"

#include <QDir>
#include <QSaveFile>

namespace zorva {

int NextPictureNumber(int number)
{
    ++number;
    return number > kLastPictureNumber ? 0 : number;
}

QString PictureFileName(const QString& folder, std::uint8_t tag, int number)
{
    QString hex = QString::number(tag, 16).toUpper();
    if (hex.size() % 2 != 0) {
        hex.prepend(QLatin1Char('0'));
    }
    return folder + QStringLiteral("zr_p") + hex + QLatin1Char('_') +
           QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')) + QStringLiteral(".jpg");
}

QString PictureFolder()
{
    const QString temp = QDir::tempPath();
    if (temp.isEmpty()) {
        return {};
    }
    return temp.endsWith(QLatin1Char('/')) ? temp : temp + QLatin1Char('/');
}

bool SavePictureFile(const QString& path, std::span<const std::uint8_t> bytes, QString* error)
{
    // QSaveFile writes beside the target and renames over it, so a failed write never leaves a
    // half-written picture under the name of a good one.
    QSaveFile file(path);
    const auto fail = [&](const QString& why) {
        if (error) {
            *error = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path), why);
        }
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(file.errorString());
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (size > 0 && file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(why);
    }
    if (!file.commit()) {
        return fail(file.errorString());
    }
    return true;
}

} // namespace zorva
