#include "shell/Text8Bit.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace zorva {

QByteArray ToCp1250(const QString& text)
{
    // Qt's encoder would drop or mangle unmappable characters; map them one by one so that
    // every character gives exactly one byte and field widths stay exact.
    QStringEncoder encoder("windows-1250", QStringConverter::Flag::Stateless);
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            out.append(static_cast<char>(c.unicode()));
            continue;
        }
        QByteArray one = encoder.encode(QStringView(&text.constData()[i], 1));
        if (encoder.hasError() || one.size() != 1) {
            encoder.resetState();
            out.append('?');
        } else {
            out.append(one);
        }
    }
    return out;
}

QString FromCp1250(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1250", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace zorva
