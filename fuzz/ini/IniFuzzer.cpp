// Reads an arbitrary file as the program ini file and as a language file, the way the program
// does: the log file's name from [LOGFILE], and every event pattern and argument kind of the
// LOG section, rendering an event report with them. Checks:
//  - a key that the file does not contain as text gives the default value;
//  - an event whose code has no pattern renders as the frame's hexadecimal bytes.
#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "link/EventDecoder.h"
#include "link/Frames.h"
#include "shell/IniFile.h"

namespace {

using namespace zorva;

constexpr std::uint8_t kEventReply = 0x09;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "ini invariant broken: %s\n", what);
    std::abort();
}

struct Rig {
    Rig()
    {
        static int argc = 1;
        static char name[] = "fuzz_ini";
        static char* argv[] = {name, nullptr};
        app = new QCoreApplication(argc, argv);
        path = dir.filePath(QStringLiteral("zr_pl.ini"));
    }
    QCoreApplication* app = nullptr;
    QTemporaryDir dir;
    QString path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Rig rig;
    {
        QFile file(rig.path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size)) {
            Fail("cannot write the input file");
        }
    }
    const QByteArray raw(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString fallback = QStringLiteral("\x01fallback");
    const QString logName =
        ReadIniString(rig.path, QStringLiteral("LOGFILE"), QStringLiteral("filename"), fallback);
    const QByteArray lower = raw.toLower();
    if (!lower.contains("filename") && logName != fallback) {
        Fail("a key that is not in the file has a value");
    }

    // An event report of a code the language files know, with argument bytes from the input.
    Bytes payload = {static_cast<std::uint8_t>(1 + (size > 0 ? data[size - 1] % 0x0A : 0))};
    for (std::size_t i = 0; i < 5; ++i) {
        payload.push_back(size > i ? data[i] : 0);
    }
    [[maybe_unused]] const QString text =
        DecodeEventText(BuildFrame(kEventReply, payload), rig.path);
    const Bytes unknown = BuildFrame(kEventReply, Bytes{0xEE, 0x01});
    if (!lower.contains("ee") &&
        DecodeEventText(unknown, rig.path) != QString::fromLatin1(BytesToHex(unknown))) {
        Fail("an event without a pattern did not render as its bytes");
    }
    return 0;
}
