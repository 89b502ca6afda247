// Loads an arbitrary file as a configuration file (a real file on disk, through LoadBlock) and
// refreshes the configuration area's real widgets from whatever it holds. Checks:
//  - a file shorter than the record is refused and leaves the buffer as it was;
//  - a longer one gives exactly its first 2,048 bytes;
//  - showing the record settles it: a second refresh changes no byte.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "config/ConfigFile.h"
#include "config/EditorLink.h"
#include "config/ui/ConfigPanel.h"

namespace {

using namespace zorva;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "configuration file invariant broken: %s\n", what);
    std::abort();
}

class QuietLink : public EditorLink {
public:
    void ResetPollCounter() override {}
    QString FirmwareVersion() const override { return QStringLiteral("1.02"); }
    bool StatusKnown() const override { return true; }
};

struct Rig {
    Rig()
    {
        static int argc = 1;
        static char name[] = "fuzz_configfile";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new QApplication(argc, argv);
        panel = new ConfigPanel(record, network, link);
        // A value that does not fit its byte would open a message box: note it instead.
        panel->SetRangeErrorHandler([] {});
        path = dir.filePath(QStringLiteral("fuzz.zrd"));
    }
    QApplication* app = nullptr;
    ConfigRecord record;
    NetworkRecord network;
    QuietLink link;
    ConfigPanel* panel = nullptr;
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
    ConfigRecord::Image buffer;
    buffer.fill(0x5A);
    const bool loaded = LoadBlock(rig.path, buffer);
    if (size < buffer.size()) {
        if (loaded) {
            Fail("a short file was loaded");
        }
        for (std::uint8_t b : buffer) {
            if (b != 0x5A) {
                Fail("a refused file changed the buffer");
            }
        }
        return 0;
    }
    if (!loaded || std::memcmp(buffer.data(), data, buffer.size()) != 0) {
        Fail("a whole file did not load as its first bytes");
    }
    rig.record.Load(buffer);
    rig.panel->ShowConfig();
    // The fields may put a value they cannot show in its shown form back into the record; after
    // that, showing the record again must leave it as it is.
    const ConfigRecord::Image shown = rig.record.FileImage();
    rig.panel->ShowConfig();
    if (rig.record.FileImage() != shown) {
        Fail("showing the record twice changed it twice");
    }
    return 0;
}
