// zorva-cli fleet, the real executable, against several simulated modules at once: each module
// answers for itself (one silent, one refusing writes, one keeping another byte than written),
// the plan writes nothing, Ctrl+C lets a write finish; and every problem of an inventory is
// named before any port is opened.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CliRig.h"
#include "config/ConfigBlock.h"
#include "config/ConfigRecord.h"
#include "sim/ModuleCore.h"
#include "sim/SimOptions.h"
#include "sim/TcpBridge.h"

namespace zorva::test {
namespace {

class FleetRig : public CliRig {
public:
    void TearDown() override
    {
        for (auto& module : modules) {
            module->Stop();
        }
        CliRig::TearDown();
    }

    // Another module on a line of its own, traced to NAME.trace; its link's path.
    QString AddModule(const char* name, const std::function<void(sim::Options&)>& setUp = {})
    {
        sim::Options o;
        o.linkPath = Path(name).toStdString() + ".tty";
        o.traceFile = Path(name).toStdString() + ".trace";
        o.resetSeconds = 0.2;
        o.seed = 4242;
        if (setUp) {
            setUp(o);
        }
        modules.push_back(std::make_unique<sim::Simulator>(o));
        std::string error;
        EXPECT_TRUE(modules.back()->Start(&error)) << error;
        return QString::fromStdString(o.linkPath);
    }

    QString WriteFile(const char* name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return Path(name);
    }

    QString Template(const std::function<void(ConfigRecord::Image&)>& change = {}) const
    {
        ConfigRecord::Image image = sim::DefaultConfig();
        if (change) {
            change(image);
        }
        return WriteFile("template.zrd",
                         QByteArray(reinterpret_cast<const char*>(image.data()), 2048));
    }

    // The write frames that the module received, as its trace shows them.
    int WriteFrames(const char* name) const
    {
        int frames = 0;
        for (const QByteArray& line : Bytes(Path(name) + ".trace").split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            frames += words.size() > 5 && words[1] == "RX" && words[5] == "02";
        }
        return frames;
    }

    static ConfigRecord Record(const QString& file)
    {
        ConfigRecord::Image image{};
        EXPECT_TRUE(LoadBlock(file, image)) << file.toStdString();
        ConfigRecord record;
        record.Load(image);
        return record;
    }

    std::vector<std::unique_ptr<sim::Simulator>> modules;
};

// One object a module by name, and the summary, from --json.
std::map<QString, QJsonObject> JsonByName(const CliRun& run, QJsonObject* summary)
{
    std::map<QString, QJsonObject> byName;
    for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        // Nothing else: what the modules' commands print is the fleet's to read, not to pass on.
        EXPECT_TRUE(object.contains(QStringLiteral("name")) ||
                    object.contains(QStringLiteral("summary")))
            << line.toStdString();
        if (object.contains(QStringLiteral("summary"))) {
            *summary = object[QStringLiteral("summary")].toObject();
        } else {
            byName[object[QStringLiteral("name")].toString()] = object;
        }
    }
    return byName;
}

// The summary's line of a module.
QString Row(const CliRun& run, const QString& name)
{
    for (const QString& line : run.out.split(u'\n')) {
        if (line.startsWith(name + QStringLiteral("  "))) {
            return line;
        }
    }
    return {};
}

TEST_F(FleetRig, EachModuleAnswersForItselfInStatusPlanWriteReadAndReport)
{
    const QString plain = AddModule("plain");
    sim::TcpBridge bridge;
    std::string error;
    ASSERT_TRUE(bridge.Listen("127.0.0.1", 0, &error)) << error;
    bridge.Start(AddModule("network").toStdString());
    const QString silent = AddModule("silent");
    ASSERT_EQ(modules.back()->Execute("silent on"), "");
    const QString refusing = AddModule("refusing", [](sim::Options& o) { o.rejectWrite = true; });
    const QString skewing =
        AddModule("skewing", [](sim::Options& o) { o.storeSkew = *sim::ParseSkewByte("ps"); });
    // As a spreadsheet in Polish saves it: semicolons, CR LF, a quoted cell holding both.
    const QString inventory = WriteFile(
        "sklepy.csv",
        QStringLiteral("name;port;id;ps;pass;remarks\r\n"
                       "Sklep Łódź;%1;SKL01;8081;tajne1;\"Kamera B; przestawiona\"\r\n"
                       "Żabka 2;%2;ZAB02;8082;;\r\n"
                       "Cichy;%3;CIC03;;;\r\n"
                       "Odmowa;%4;ODM04;8084;tajne4;\r\n"
                       "Krzywy;%5;KRZ05;8085;;\r\n")
            .arg(plain, QString::fromStdString(bridge.address()), silent, refusing, skewing)
            .toUtf8());
    const QString templ = Template();
    const QStringList names = {"Sklep Łódź", "Żabka 2", "Cichy", "Odmowa", "Krzywy"};
    const QStringList common = {"--lang", "en", "--timeout", "2"};

    QJsonObject summary;
    const CliRun status = Cli(common + QStringList{"fleet", "status", "--json", inventory});
    EXPECT_EQ(status.exit, 4) << Show(status);
    auto json = JsonByName(status, &summary);
    for (const QString& name : names) {
        const QJsonObject& module = json[name];
        if (name == QLatin1String("Cichy")) {
            EXPECT_EQ(module["exit"].toInt(), 4) << Show(status);
            EXPECT_TRUE(module["reason"].toString().contains("no answer from the module"));
        } else {
            EXPECT_EQ(module["exit"].toInt(), 0) << name.toStdString() << Show(status);
            EXPECT_EQ(module["firmware"].toString(), "1.02") << Show(status);
            EXPECT_EQ(module["id"].toString(), "ZRV0417") << Show(status);
            EXPECT_TRUE(module["cameras"]["B"]["on"].toBool()) << Show(status);
            EXPECT_LE(std::abs(module["clockOffset"].toInt(99)), 2) << Show(status);
        }
    }
    EXPECT_EQ(summary["failed"].toArray(), QJsonArray{"Cichy"}) << Show(status);

    // The plan: each change from what to what, the password only as changed; nothing written.
    const CliRun plan = Cli(common + QStringList{"fleet", "write", templ, inventory});
    EXPECT_EQ(plan.exit, 4) << Show(plan);
    for (const char* part : {"Sklep Łódź (",
                             ": 3 changes\n  id Device identifier: \"ZRV0417\" -> \"SKL01\"\n"
                             "  pass Password: changed\n  ps Port: 8080 -> 8081\n",
                             "Krzywy (", "ps Port: 8080 -> 8085"}) {
        EXPECT_TRUE(plan.out.contains(QString::fromUtf8(part))) << part << Show(plan);
    }
    EXPECT_FALSE((plan.out + plan.err).contains("tajne")) << Show(plan);
    for (const char* module : {"plain", "network", "silent", "refusing", "skewing"}) {
        EXPECT_EQ(WriteFrames(module), 0) << module;
    }

    const CliRun write = Cli(common + QStringList{"fleet", "write", templ, inventory, "--yes"});
    EXPECT_EQ(write.exit, 5) << Show(write); // not as planned outweighs no answer
    EXPECT_TRUE(Row(write, "Sklep Łódź").endsWith("written, verified")) << Show(write);
    EXPECT_TRUE(Row(write, "Żabka 2").endsWith("written, verified")) << Show(write);
    EXPECT_TRUE(Row(write, "Cichy").contains("failed (4): no answer")) << Show(write);
    EXPECT_TRUE(Row(write, "Odmowa").contains("failed (5): write not verified: the module refused"))
        << Show(write);
    EXPECT_TRUE(Row(write, "Krzywy").contains("Port: written 8085, read 8086")) << Show(write);
    EXPECT_TRUE(write.out.endsWith("5 modules: 2 done, 3 failed: Cichy, Odmowa, Krzywy\n"))
        << Show(write);
    EXPECT_TRUE(write.err.contains("] Odmowa: failed (5)")) << Show(write);
    EXPECT_FALSE((write.out + write.err).contains("tajne")) << Show(write);

    // What each module holds now, read by the fleet.
    const CliRun read = Cli(common + QStringList{"fleet", "read", inventory, Path("kopie")});
    EXPECT_EQ(read.exit, 4) << Show(read);
    // Path() takes Latin-1: the Polish names are joined on as UTF-8.
    const QString copies = Path("kopie") + u'/';
    const ConfigRecord lodz = Record(copies + "Sklep Łódź.zrd");
    EXPECT_EQ(lodz.rawText(cfg::id), "SKL01   ");
    EXPECT_EQ(lodz.port(), 8081);
    EXPECT_TRUE(lodz.rawText(cfg::pass).startsWith("tajne1"));
    EXPECT_EQ(Record(copies + "Żabka 2.zrd").port(), 8082);
    EXPECT_EQ(Record(Path("kopie/Odmowa.zrd")).port(), 8080);
    EXPECT_EQ(Record(Path("kopie/Krzywy.zrd")).port(), 8086);
    EXPECT_FALSE(QFile::exists(Path("kopie/Cichy.zrd")));

    // A module as planned says so, and is not written again.
    const CliRun again =
        Cli(common + QStringList{"fleet", "write", "--json", "--yes", templ, inventory});
    json = JsonByName(again, &summary);
    EXPECT_EQ(json["Sklep Łódź"]["result"].toString(), "already as planned") << Show(again);
    EXPECT_EQ(json["Sklep Łódź"]["changes"].toArray().size(), 0) << Show(again);
    EXPECT_EQ(WriteFrames("plain"), 1);
    // The password that the refusing module never took is planned again, and never shown.
    const QJsonArray refused = json["Odmowa"]["changes"].toArray();
    const auto pass = std::find_if(refused.begin(), refused.end(),
                                   [](const QJsonValue& c) { return c["field"] == "pass"; });
    ASSERT_NE(pass, refused.end()) << Show(again);
    const QJsonObject secret = QJsonValue(*pass).toObject();
    EXPECT_TRUE(secret["changed"].toBool()) << Show(again);
    EXPECT_FALSE(secret.contains("to")) << Show(again);
    EXPECT_FALSE(again.out.contains("tajne4")) << Show(again);

    const CliRun report = Cli(common + QStringList{"fleet", "report", inventory, Path("raporty"),
                                                   "--technician", "Jan Nowak"});
    EXPECT_EQ(report.exit, 4) << Show(report);
    for (const char* name : {"Sklep Łódź", "Żabka 2", "Odmowa", "Krzywy"}) {
        EXPECT_TRUE(Bytes(Path("raporty/") + QString::fromUtf8(name) + ".pdf").startsWith("%PDF"))
            << name << Show(report);
    }
    EXPECT_FALSE(QFile::exists(Path("raporty/Cichy.pdf")));
}

// Ctrl+C starts no further module, stops a module that only waits, and lets the write under way
// finish its read-back; a second Ctrl+C stops it, and the fleet says that nobody knows what the
// module holds.
TEST_F(FleetRig, CtrlCLetsAWriteFinishAndASecondOneStopsIt)
{
    // Slow lines: the read before the write and the read-back take seconds.
    const auto slow = [](sim::Options& o) { o.baud = 1200; };
    const QString first = AddModule("first", slow);
    const QString second = AddModule("second", slow);
    const QString quiet = AddModule("quiet");
    ASSERT_EQ(modules.back()->Execute("silent on"), "");
    const QString templ = Template();
    const auto inventory = [&](int port) {
        return WriteFile("pair.csv", QStringLiteral("name,port,ps\nA,%1,%2\nB,%3,9999\n")
                                         .arg(first)
                                         .arg(port)
                                         .arg(second)
                                         .toUtf8());
    };
    const QStringList args = {"fleet", "write", "--yes", "--jobs", "1", templ};

    // Q waits for its module the whole time-out unless the Ctrl+C reaches its own wait.
    const QString withQuiet =
        WriteFile("three.csv", QStringLiteral("name,port,ps\nA,%1,9001\nQ,%2,9002\nB,%3,9999\n")
                                   .arg(first, quiet, second)
                                   .toUtf8());
    const CliRun once =
        Cli({"--timeout", "600", "fleet", "write", "--yes", "--jobs", "2", templ, withQuiet},
            "A: writing", [](QProcess& p) { ::kill(static_cast<pid_t>(p.processId()), SIGINT); });
    EXPECT_EQ(once.exit, 130) << Show(once);
    EXPECT_TRUE(Row(once, "A").endsWith("written, verified")) << Show(once);
    EXPECT_TRUE(Row(once, "Q").contains("interrupted (130)")) << Show(once);
    EXPECT_TRUE(Row(once, "B").contains("not started")) << Show(once);
    EXPECT_EQ(WriteFrames("second"), 0);

    const CliRun twice = Cli(args + QStringList{inventory(9003)}, "A: writing", [](QProcess& p) {
        ::kill(static_cast<pid_t>(p.processId()), SIGINT);
        QByteArray err;
        while (!err.contains("Ctrl+C again") && p.waitForReadyRead(30000)) {
            err += p.readAllStandardError();
        }
        ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    });
    EXPECT_EQ(twice.exit, 130) << Show(twice);
    EXPECT_TRUE(Row(twice, "A").contains("state unknown: check it")) << Show(twice);
    EXPECT_TRUE(twice.out.endsWith("2 modules: 0 done, 1 state unknown: A, 1 not started\n"))
        << Show(twice);
}

// Modules run at once in one process: what each says is its own, never another's. The working
// ones' status (read from what their command printed) names their own line; each failing one's
// reason names its own port.
TEST_F(FleetRig, ModulesRunAtOnceKeepTheirOwnOutput)
{
    QString csv = QStringLiteral("name,port\n");
    QStringList ports;
    for (const char* name : {"m1", "m2", "m3", "m4"}) {
        ports << AddModule(name);
        ports << Path(name) + QStringLiteral(".missing");
    }
    for (qsizetype i = 0; i < ports.size(); ++i) {
        csv += QStringLiteral("N%1,%2\n").arg(i).arg(ports[i]);
    }
    const QString inventory = WriteFile("own.csv", csv.toUtf8());
    const CliRun run = Cli(
        {"--lang", "en", "--timeout", "5", "fleet", "status", "--json", "--jobs", "8", inventory});
    EXPECT_EQ(run.exit, 3) << Show(run);
    QJsonObject summary;
    auto json = JsonByName(run, &summary);
    for (qsizetype i = 0; i < ports.size(); ++i) {
        const QJsonObject& module = json[QStringLiteral("N%1").arg(i)];
        const QString own = module["device"].toString() + module["reason"].toString();
        EXPECT_TRUE(own.contains(ports[i])) << i << Show(run);
        for (qsizetype other = 0; other < ports.size(); ++other) {
            EXPECT_TRUE(other == i || !own.contains(ports[other]))
                << i << " " << other << Show(run);
        }
    }
}

// The fleet's command line: each mistake ends with exit code 2 and says what the command takes.
TEST_F(FleetRig, CommandLineMistakesEndWithExitCode2)
{
    const std::pair<QStringList, const char*> cases[] = {
        {{"fleet"}, "fleet takes status, read, write or report"},
        {{"fleet", "erase", "x.csv"}, "fleet takes status, read, write or report"},
        {{"fleet", "write", "x.csv"}, "fleet write takes TEMPLATE.zrd INVENTORY.csv"},
        {{"fleet", "read", "x.csv"}, "fleet read takes INVENTORY.csv DIR"},
        {{"fleet", "status", "x.csv", "--yes"}, "--yes is an option of fleet write"},
        {{"fleet", "read", "x.csv", "d", "--technician", "N"},
         "--technician is an option of fleet report"},
        {{"fleet", "status", "x.csv", "--jobs", "0"}, "--jobs takes a number of modules"},
        {{"--port", "COM1", "fleet", "status", "x.csv"}, "--port is not an option of fleet"},
        {{"fleet", "status", "no.csv"}, "no.csv: cannot be read"},
    };
    for (const auto& [args, error] : cases) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.exit, 2) << Show(run);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(error))) << error << "\n" << Show(run);
    }
}

struct InventoryCase {
    const char* csv; // PORT: the module's link
    QStringList problems;
};

// Each problem is named by row and column, all of them in one go, and nothing is done: the
// module behind every valid row is never opened.
TEST_F(FleetRig, EveryProblemOfAnInventoryIsNamedBeforeAnyPortIsOpened)
{
    StartModule(); // COM1, the alias of module.tty
    const QString port = AddModule("watched");
    const QString ethernetOff = Template([](ConfigRecord::Image& i) { i[cfg::links] &= ~1; });
    const InventoryCase cases[] = {
        {"name,port,colour\nA,PORT,1\n", {"row 1, column C (colour): unknown column \"colour\""}},
        {"name,port,ex1\nA,PORT,1\n", {"row 1, column C (ex1): ex1 cannot be set"}},
        {"name\nA\n", {"row 1: no column \"port\""}},
        {"name;port;ps\n;PORT;8081\n", {"row 2, column A (name): no name"}},
        {"name,port,remarks\nA,PORT,\"one\ntwo\"\nB,,\n", {"row 3, column B (port): no port"}},
        {"name;port\nŁódź-1;PORT\nŁÓDŹ-1;/nonexistent/b\n",
         {"row 3, column A (name): ŁÓDŹ-1 is already the name of row 2"}},
        {"name,port\nA,COM1\nB,MODULE\n",
         {"row 3, column B (port): MODULE is already the port of "
          "row 2"}},
        {"name,port\nA,tcp://127.0.0.1:4001\nB,socket://127.0.0.1:4001\n",
         {"row 3, column B (port): socket://127.0.0.1:4001 is already the port of row 2"}},
        {"name;port;ps;dz\nA;PORT;70000;0\n",
         {"row 2, column C (ps): ps=70000 refused: ps takes 1 to 65535",
          "row 2, column D (dz): dz=0 refused"}},
        {"name,port\nA/B,PORT\nCON.site,/nonexistent/c\n",
         {"row 2, column A (name): A/B cannot name a file",
          "row 3, column A (name): CON.site cannot name a file on Windows"}},
        {"name,port\n\"A,PORT\n", {"row 2, column A (name): a quoted field has no closing quote"}},
        {"name,port\n\"A\"x,PORT\n", {"row 2, column A (name): text after the closing quote"}},
        {"name;port\n\xA3\xF3"
         "d\x9F;PORT\n",
         {"row 2, column A (name): not UTF-8 text"}},
        {"name,port\nA,tcp://host\nB,auto\n",
         {"row 2, column B (port): tcp://host is not a network port",
          "row 3, column B (port): auto finds the port of one module only"}},
        {"name,port\nA,PORT,x\n", {"row 2, column C (no header): a value beyond the header"}},
        {"", {"empty"}},
        {"name,port\n", {"no module listed"}},
        // A value that the template's window would refuse: the port while Ethernet is off.
        {"name;port;ps\nA;PORT;8081\n",
         {"row 2, column C (ps): ps cannot be set: its field is "
          "disabled"}},
    };
    for (const InventoryCase& c : cases) {
        const auto placed = [&](QString text) {
            return text.replace(QStringLiteral("PORT"), port)
                .replace(QStringLiteral("MODULE"), Path("module.tty"));
        };
        QByteArray bytes = placed(QString::fromUtf8(c.csv)).toUtf8();
        if (QByteArray(c.csv).contains('\xA3')) {
            bytes = QByteArray(c.csv).replace("PORT", port.toUtf8());
        }
        const QString inventory = WriteFile("inventory.csv", bytes);
        const bool write = c.problems.first().contains("disabled");
        const CliRun run = Cli(write ? QStringList{"fleet", "write", ethernetOff, inventory}
                                     : QStringList{"fleet", "status", inventory});
        EXPECT_EQ(run.exit, 2) << c.csv << Show(run);
        for (const QString& problem : c.problems) {
            EXPECT_TRUE(run.err.contains("inventory.csv: " + placed(problem)))
                << problem.toStdString() << "\n"
                << Show(run);
        }
        EXPECT_TRUE(run.err.contains("nothing was done")) << Show(run);
    }
    // The module would have seen a program open its line: a good inventory shows that it does.
    const auto opened = [&] {
        return Bytes(Path("watched.trace")).count("program opened the line");
    };
    EXPECT_EQ(opened(), 0);
    WriteFile("inventory.csv", QStringLiteral("name,port\nA,%1\n").arg(port).toUtf8());
    const CliRun good = Cli({"fleet", "status", Path("inventory.csv")});
    EXPECT_EQ(good.exit, 0) << Show(good);
    for (int i = 0; i < 300 && opened() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_GT(opened(), 0);
}

} // namespace
} // namespace zorva::test
