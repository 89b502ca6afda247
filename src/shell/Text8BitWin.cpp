// Windows-1250 text on Windows through the system's own code page tables: the Qt built for
// Windows here has no ICU, so QStringEncoder/QStringDecoder do not know "windows-1250" and
// would turn every 8-bit text (ini files, language files, record fields, log lines) empty.
#include <string>
#include <windows.h>

#include "shell/Text8Bit.h"

namespace zorva {

namespace {

constexpr UINT kCodePage = 1250;

} // namespace

QByteArray ToCp1250(const QString& text)
{
    // One byte per character, as on Linux: a character the code page cannot hold exactly (no
    // best-fit look-alikes) becomes '?', so field widths stay exact.
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const wchar_t c = static_cast<wchar_t>(text.at(i).unicode());
        if (c < 0x80) {
            out.append(static_cast<char>(c));
            continue;
        }
        char one[4] = {};
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &c, 1, one, sizeof one,
                                          nullptr, &usedDefault);
        out.append(n == 1 && !usedDefault ? one[0] : '?');
    }
    return out;
}

QString FromCp1250(const QByteArray& bytes)
{
    if (bytes.isEmpty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(kCodePage, 0, bytes.constData(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(kCodePage, 0, bytes.constData(), size, text.data(), length);
    return QString::fromStdWString(text);
}

} // namespace zorva
