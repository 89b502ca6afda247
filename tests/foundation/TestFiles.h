// Small helpers for tests that work on real files in a temporary folder.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace zorva::test {

inline bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The file's bytes; empty when it cannot be read.
inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace zorva::test
