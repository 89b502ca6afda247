// Stores values of arbitrary type and size under the names the program reads at start-up (the
// port, the language, the fit choice, the windows' placements, the last folder, the port
// aliases) and reads them back as the program does. Checks:
//  - a read never writes past the buffer it was given;
//  - a refused value gives exactly "Invalid data type for 'NAME'", and a refusal leaves zeros;
//  - a restored window lies on the desktop it was restored to.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QWidget>

#include "serial/DeviceNames.h"
#include "shell/FormPlacement.h"
#include "shell/SettingsStore.h"

namespace {

using namespace zorva;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "settings invariant broken: %s\n", what);
    std::abort();
}

struct StoredName {
    const char* group; // "" for the root
    QString name;
};

const StoredName kNames[] = {
    {"", QStringLiteral("cm")},
    {"", QStringLiteral("pl")},
    {"", QStringLiteral("picstr")},
    {"", QStringLiteral("dpth")},
    {"", QStringLiteral("ZORVA")},
    {"", QStringLiteral("Podgląd")},
    {"pos", QStringLiteral("Konfiguracja")},
    {"ports", QStringLiteral("COM1")},
    {"ports", QStringLiteral("com2")},
};

struct Rig {
    Rig()
    {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_settings";
        static char* argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
        for (const char* caption : {"ZORVA", "Podgląd", "Konfiguracja"}) {
            auto* window = new QWidget;
            window->setWindowTitle(QString::fromUtf8(caption));
            windows.push_back(window);
        }
    }
    QTemporaryDir dir;
    QApplication* app = nullptr;
    std::vector<QWidget*> windows;
};

QVariant FuzzedValue(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 5)) {
    case 0:
        return QByteArray::fromStdString(input.ConsumeRandomLengthString(40));
    case 1:
        return QString::fromStdString(input.ConsumeRandomLengthString(40));
    case 2:
        return input.ConsumeIntegral<int>();
    case 3:
        return QStringList{QString::fromStdString(input.ConsumeRandomLengthString(8)),
                           QString::fromStdString(input.ConsumeRandomLengthString(8))};
    case 4:
        return input.ConsumeFloatingPoint<double>();
    default:
        return input.ConsumeBool();
    }
}

void CheckByteRead(const QString& name)
{
    std::uint8_t buffer[1 + 8];
    std::memset(buffer, 0xA5, sizeof buffer);
    QString error;
    const bool ok = RegReadBytes(kRegKey, name, buffer, 1, &error);
    for (std::size_t i = 1; i < sizeof buffer; ++i) {
        if (buffer[i] != 0xA5) {
            Fail("a one-byte read wrote past its buffer");
        }
    }
    if (!ok &&
        (error != QStringLiteral("Invalid data type for '%1'").arg(name) || buffer[0] != 0)) {
        Fail("a refused value was not reported as the wrong type, or left a byte");
    }
}

void CheckRestoredPlacement(const std::vector<QWidget*>& windows, std::size_t i)
{
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    QWidget* window = windows[i];
    window->setGeometry(10, 10, 200, 100);
    QString error;
    const QString& key = i == 2 ? kRegPosKey : kRegKey;
    if (RestoreFormPlacement(window, key, &error)) {
        const QRect placed = window->geometry();
        if (placed.left() < desktop.left() - placed.width() ||
            placed.top() < desktop.top() - placed.height() || placed.left() > desktop.right() ||
            placed.top() > desktop.bottom()) {
            std::fprintf(stderr, "placed at %d,%d %dx%d on %d,%d %dx%d\n", placed.left(),
                         placed.top(), placed.width(), placed.height(), desktop.left(),
                         desktop.top(), desktop.width(), desktop.height());
            Fail("a restored window lies off the desktop");
        }
    } else if (!error.startsWith(QStringLiteral("Invalid data type for '"))) {
        Fail("a refused placement was not reported as the wrong type");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Rig rig;
    FuzzedDataProvider input(data, size);
    {
        QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        settings.clear();
        for (const StoredName& stored : kNames) {
            if (!input.ConsumeBool()) {
                continue;
            }
            const QString key = *stored.group == '\0'
                                    ? stored.name
                                    : QLatin1String(stored.group) + QLatin1Char('/') + stored.name;
            settings.setValue(key, FuzzedValue(input));
        }
    }

    // Every reader opens the store anew, as the program does; each input runs one of them, so
    // that an input costs two openings of the store instead of a dozen.
    static const QString kByteNames[] = {QStringLiteral("cm"), QStringLiteral("pl"),
                                         QStringLiteral("picstr")};
    static const QString kPorts[] = {QStringLiteral("COM1"), QStringLiteral("COM2"),
                                     QStringLiteral("COM9")};
    const int reader = input.ConsumeIntegralInRange(0, 9);
    if (reader < 3) {
        CheckByteRead(kByteNames[reader]);
    } else if (reader == 3) {
        [[maybe_unused]] const QString folder = RegReadString(kRegKey, QStringLiteral("dpth"));
    } else if (reader < 7) {
        [[maybe_unused]] const QString device = ResolveDeviceName(kPorts[reader - 4]);
    } else {
        CheckRestoredPlacement(rig.windows, static_cast<std::size_t>(reader - 7));
    }
    return 0;
}
