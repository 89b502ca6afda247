#include "PictureFiles.h"

#include <filesystem>
#include <system_error>

#include <QDir>
#include <QFile>

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
    // The bytes go to a file beside the target, which is then renamed over it, so a failed write
    // never leaves a half-written picture under the name of a good one. Unlike QSaveFile nothing
    // is forced to the disk: the picture is there to be looked at, and waiting for the disk
    // would hold the line's next request for about a millisecond.
    const auto fail = [&](const QString& why) {
        if (error) {
            *error = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path), why);
        }
        return false;
    };
    // A plain file rather than a QTemporaryFile: on Windows that one keeps its handle after
    // close(), and a file still open cannot be renamed.
    QFile part(path + QStringLiteral(".part"));
    if (!part.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return fail(part.errorString());
    }
    const auto size = static_cast<qint64>(bytes.size());
    if ((size > 0 && part.write(reinterpret_cast<const char*>(bytes.data()), size) != size) ||
        !part.flush()) {
        const QString why = part.errorString();
        part.close();
        part.remove();
        return fail(why);
    }
    part.close();
    std::error_code renamed;
    std::filesystem::rename(std::filesystem::path(part.fileName().toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), renamed);
    if (renamed) {
        part.remove();
        return fail(QString::fromStdString(renamed.message()));
    }
    return true;
}

} // namespace zorva
