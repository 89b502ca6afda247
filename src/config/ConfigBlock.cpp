#include "config/ConfigBlock.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zorva {

bool LoadBlock(const QString& fileName, ConfigRecord::Image& buffer)
{
    QFile file(fileName);
    // Reading only: a read-only file, or one on a medium the user may not write, still loads.
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    // A separate buffer, so that a short or unreadable file never leaves part of itself in the
    // record while the load is reported as failed.
    ConfigRecord::Image block{};
    const auto size = static_cast<qint64>(block.size());
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(reinterpret_cast<char*>(block.data()) + got, size - got);
        if (n <= 0) {
            return false;
        }
        got += n;
    }
    file.close();
    buffer = block;
    return true;
}

// Where the atomic save cannot make its temporary file beside the target or cannot put it in
// the target's place (a folder the user may not write), the file itself may well be writable.
// It is opened without truncation and its first 2048 bytes overwritten before its size is set,
// so a write that fails at once leaves the old file whole instead of an empty one.
bool WriteBlockInPlace(const QString& fileName, const ConfigRecord::Image& buffer)
{
    if (!QFileInfo(fileName).isFile()) {
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered)) {
        return false;
    }
    const auto size = static_cast<qint64>(buffer.size());
    const bool written =
        file.write(reinterpret_cast<const char*>(buffer.data()), size) == size && file.resize(size);
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

bool SaveBlock(const QString& fileName, const ConfigRecord::Image& buffer)
{
    // QSaveFile writes a temporary file beside the target and renames it over the target only
    // after everything was written, so a full disk or a crash keeps the old file whole.
    // Unbuffered, because an error met while a buffered write is flushed at commit() is not
    // seen by commit(), which would then put a truncated file in place of the old one.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return WriteBlockInPlace(fileName, buffer);
    }
    const auto size = static_cast<qint64>(buffer.size());
    if (file.write(reinterpret_cast<const char*>(buffer.data()), size) != size || !file.flush()) {
        return false; // the temporary file goes with `file`; the target is untouched
    }
    return file.commit() || WriteBlockInPlace(fileName, buffer);
}

} // namespace zorva
