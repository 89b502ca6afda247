#include "shell/IniFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringView>

#include "shell/Text8Bit.h"

namespace zorva {

namespace {

// Language files are edited by users with any editor; a UTF-8 byte order mark tells that the
// editor saved the file as UTF-8, which would otherwise turn every Polish letter into two
// wrong characters.
QString DecodeIniText(const QByteArray& bytes)
{
    static const QByteArray kUtf8Bom("\xEF\xBB\xBF");
    if (bytes.startsWith(kUtf8Bom)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        return utf8.decode(QByteArrayView(bytes).sliced(kUtf8Bom.size()));
    }
    return FromCp1250(bytes);
}

} // namespace

QString ReadIniString(const QString& path, const QString& section, const QString& key,
                      const QString& defaultValue)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return defaultValue;
    }
    const QString text = DecodeIniText(file.readAll());
    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();

    // Every line is taken on its own: a broken line (no '=', no ']', stray bytes) is skipped
    // and cannot affect the lines after it. The first matching key wins, as with the
    // platform's own ini reader.
    bool inSection = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed(); // also drops the CR of CR LF line ends
        if (line.isEmpty() || line.startsWith(u';')) {
            continue;
        }
        if (line.startsWith(u'[')) {
            qsizetype close = line.indexOf(u']');
            if (close < 0) {
                close = line.size();
            }
            const QStringView name = line.sliced(1, close - 1).trimmed();
            inSection = name.compare(wantedSection, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection) {
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0) {
            continue;
        }
        if (line.first(equals).trimmed().compare(wantedKey, Qt::CaseInsensitive) == 0) {
            return line.sliced(equals + 1).trimmed().toString();
        }
    }
    return defaultValue;
}

} // namespace zorva
