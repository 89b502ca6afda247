#include "cli/CliOptions.h"

#include <algorithm>
#include <vector>

#include <QCommandLineParser>

#include "config/RecordEditing.h"

namespace zorva::cli {

namespace {

struct CommandRule {
    const char* name;
    int files;           // -1: the command checks them itself
    QStringList options; // besides --lang, --quiet, --help and --version
};

const std::vector<CommandRule>& Commands()
{
    const QString port = QStringLiteral("port");
    const QString timeout = QStringLiteral("timeout");
    const QString json = QStringLiteral("json");
    static const std::vector<CommandRule> commands = {
        {"status", 0, {port, timeout, json}},
        {"read", 1, {port, timeout}},
        {"write", 1, {port, timeout, QStringLiteral("set")}},
        {"show", 1, {json}},
        {"diff", 2, {}},
        {"clock", 0, {port, timeout}},
        {"picture", 1, {port, timeout, QStringLiteral("camera")}},
        {"events", 0, {port, timeout, json}},
        {"history", 0, {QStringLiteral("id"), json}},
        {"report", 1, {port, timeout, QStringLiteral("technician"), QStringLiteral("remarks")}},
        {"fleet",
         -1,
         {timeout, json, QStringLiteral("jobs"), QStringLiteral("yes"),
          QStringLiteral("technician"), QStringLiteral("remarks")}},
    };
    return commands;
}

// The subcommands of fleet and their files.
QString FleetUsageError(const CliOptions& o, const QStringList& optionNames)
{
    static const std::vector<std::pair<QString, QString>> kSubcommands = {
        {QStringLiteral("status"), QStringLiteral("INVENTORY.csv")},
        {QStringLiteral("read"), QStringLiteral("INVENTORY.csv DIR")},
        {QStringLiteral("write"), QStringLiteral("TEMPLATE.zrd INVENTORY.csv")},
        {QStringLiteral("report"), QStringLiteral("INVENTORY.csv DIR")},
    };
    const QString sub = o.files.value(0);
    const auto it = std::find_if(kSubcommands.begin(), kSubcommands.end(),
                                 [&](const auto& s) { return s.first == sub; });
    if (it == kSubcommands.end()) {
        return QStringLiteral("fleet takes status, read, write or report");
    }
    if (o.files.size() != it->second.count(u' ') + 2) {
        return QStringLiteral("fleet %1 takes %2").arg(sub, it->second);
    }
    const std::pair<const char*, const char*> only[] = {
        {"yes", "write"}, {"technician", "report"}, {"remarks", "report"}};
    for (const auto& [option, command] : only) {
        if (optionNames.contains(QLatin1String(option)) && sub != QLatin1String(command)) {
            return QStringLiteral("--%1 is an option of fleet %2")
                .arg(QLatin1String(option), QLatin1String(command));
        }
    }
    return {};
}

} // namespace

ParsedCli ParseCli(const QStringList& args)
{
    ParsedCli parsed;
    CliOptions& o = parsed.options;
    auto fail = [&](const QString& text) {
        parsed.error = text;
        return parsed;
    };
    // The texts live in CliHelpText; the parser only needs the names and which take a value.
    const QCommandLineOption port(QStringLiteral("port"), {}, QStringLiteral("NAME"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), {}, QStringLiteral("SECONDS"));
    const QCommandLineOption lang(QStringLiteral("lang"), {}, QStringLiteral("LANG"));
    const QCommandLineOption quiet(QStringList{QStringLiteral("q"), QStringLiteral("quiet")});
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption set(QStringLiteral("set"), {}, QStringLiteral("F=V"));
    const QCommandLineOption camera(QStringLiteral("camera"), {}, QStringLiteral("CAMERA"));
    const QCommandLineOption id(QStringLiteral("id"), {}, QStringLiteral("ID"));
    const QCommandLineOption technician(QStringLiteral("technician"), {}, QStringLiteral("NAME"));
    const QCommandLineOption remarks(QStringLiteral("remarks"), {}, QStringLiteral("TEXT"));
    const QCommandLineOption jobs(QStringLiteral("jobs"), {}, QStringLiteral("N"));
    const QCommandLineOption yes(QStringLiteral("yes"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    QCommandLineParser parser;
    parser.addOptions({port, timeout, lang, quiet, json, set, camera, id, technician, remarks, jobs,
                       yes, help, version});
    if (!parser.parse(QStringList{QStringLiteral("zorva-cli")} + args)) {
        return fail(parser.errorText());
    }
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    if (o.help || o.version) {
        return parsed;
    }
    o.port = parser.value(port);
    o.quiet = parser.isSet(quiet);
    o.json = parser.isSet(json);
    o.sets = parser.values(set);
    o.idGiven = parser.isSet(id);
    o.id = parser.value(id);
    o.technicianGiven = parser.isSet(technician);
    o.technician = parser.value(technician);
    o.remarks = parser.value(remarks);
    if (parser.isSet(timeout)) {
        bool ok = false;
        o.timeoutSeconds = parser.value(timeout).toInt(&ok);
        if (!ok || o.timeoutSeconds < 1 || o.timeoutSeconds > 3600) {
            return fail(QStringLiteral("--timeout takes whole seconds, 1 to 3600"));
        }
    }
    o.yes = parser.isSet(yes);
    if (parser.isSet(jobs)) {
        bool ok = false;
        o.jobs = parser.value(jobs).toInt(&ok);
        if (!ok || o.jobs < 1 || o.jobs > 256) {
            return fail(QStringLiteral("--jobs takes a number of modules, 1 to 256"));
        }
    }
    if (parser.isSet(lang)) {
        o.lang = parser.value(lang);
        if (o.lang != QLatin1String("pl") && o.lang != QLatin1String("en")) {
            return fail(QStringLiteral("--lang takes pl or en"));
        }
    }
    for (const QString& value : o.sets) {
        if (!value.contains(u'=')) {
            return fail(QStringLiteral("--set takes FIELD=VALUE"));
        }
    }
    if (parser.isSet(camera)) {
        const QString letter = parser.value(camera).toUpper();
        if (letter.size() != 1 || letter[0] < u'A' || letter[0] > u'D') {
            return fail(QStringLiteral("--camera takes A, B, C or D"));
        }
        o.camera = letter[0].unicode() - u'A';
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        return fail(QStringLiteral("no command given"));
    }
    o.command = positional.first();
    o.files = positional.mid(1);
    const auto rule = std::find_if(Commands().begin(), Commands().end(), [&](const auto& r) {
        return o.command == QLatin1String(r.name);
    });
    if (rule == Commands().end()) {
        return fail(QStringLiteral("unknown command ") + o.command);
    }
    if (rule->files >= 0 && o.files.size() != rule->files) {
        return fail(QStringLiteral("%1 takes %2 file name(s)").arg(o.command).arg(rule->files));
    }
    // An option the command would ignore is more likely a mistake than a wish.
    const QStringList everywhere = {QStringLiteral("lang"), QStringLiteral("q"),
                                    QStringLiteral("quiet")};
    for (const QString& name : parser.optionNames()) {
        if (!everywhere.contains(name) && !rule->options.contains(name)) {
            return fail(QStringLiteral("--%1 is not an option of %2").arg(name, o.command));
        }
    }
    if (o.command == QLatin1String("fleet")) {
        if (const QString error = FleetUsageError(o, parser.optionNames()); !error.isEmpty()) {
            return fail(error);
        }
    }
    return parsed;
}

QString CliVersionText()
{
    return QStringLiteral("zorva-cli " ZORVA_VERSION);
}

QString CliHelpText()
{
    return QStringLiteral(R"(Usage: zorva-cli [OPTIONS] COMMAND [FILE ...]

The ZORVA module's configuration, status, clock and pictures from the command line, over the
same link as the window program zorva-config (same frames, retries and log file).

Commands:
  status                          firmware, the module's clock, cameras present/on, inputs
  read FILE.zrd                   the configuration into a file (2048 bytes, as Save after a read)
  write FILE.zrd [--set F=V ...]  load, change fields, write, wait for the restart, read back
                                  and compare; succeeds only when the module holds what was written
  show FILE.zrd                   the fields of a file as the window shows them (no port)
  diff A.zrd B.zrd                the fields in which two files differ (no port)
  clock                           set the module's clock to this computer's local time
  picture [--camera A-D] OUT.jpg  fetch one picture (camera A by default)
  events                          print the module's event reports as they arrive, until Ctrl+C
  history [--id ID]               the configurations kept of every read and acknowledged write,
                                  newest first: time, identifier, read or written, file (no
                                  port); put one back on a module with write FILE
  report OUT.pdf [--technician NAME] [--remarks TEXT]
                                  a service report (A4 PDF): the visit, the module as found,
                                  its configuration as read now, the fields changed since the
                                  first read today, one picture from each camera that is on
                                  (a camera whose picture cannot be had is named instead)
  fleet status INVENTORY.csv      each module of the inventory (below): whether it answers or
                                  why not, firmware, identifier, its clock against this
                                  computer's, cameras present and on
  fleet read INVENTORY.csv DIR    each module's configuration into DIR/NAME.zrd
  fleet write TEMPLATE.zrd INVENTORY.csv [--yes]
                                  reads each module and prints the plan: every field that the
                                  template with the module's values would change, from what to
                                  what (the password only as changed), and writes nothing; with
                                  --yes writes each module whose plan is not empty, verified as
                                  write verifies
  fleet report INVENTORY.csv DIR  a service report of each module into DIR/NAME.pdf

Options:
  --port NAME        the serial port: COM1, COM2, ... (also above COM8, such as COM12) or a
                     device path. On Linux a COM name goes through the [ports] aliases of the
                     window program's settings file, and COMn without one is /dev/ttyS<n-1>.
                     Default: the port the window program stored.
                     auto: the first port of the list that the port settings dialog shows
                     on which a module answers one status request (each port is opened,
                     which pulses DTR, and gets that request only); the port found is named
                     on standard error. ZORVA_PORT_CANDIDATES names the ports to try instead
                     (separated as in PATH), for tests.
  --timeout SECONDS  give up when the module has stayed silent this long while a request of
                     the program waits for its answer (default 30). Every reply or picture
                     packet starts the count again (an echo of the requests does not); the
                     program's own pauses (until its next step, before it repeats a request) do
                     not count. While the port is closed (gone, tried again once a second)
                     all time counts.
  --lang pl|en       language of captions and of what the module and the port report
                     (default: the window program's)
  -q, --quiet        no progress on standard error
  --json             results as JSON: status and show one object, history one array,
                     events one object a line, fleet one object a module, then one
                     {"summary": ...}
  --set F=V          change a field before writing; repeatable, applied in order with the
                     window's rules and ranges (fields below). A value out of range is refused
                     before the port is opened; so is a change of a field that the window
                     keeps disabled (the port while Ethernet is off, the module's addresses
                     while DHCP is on). Every value that show --json prints is taken back.
  --camera A-D       the camera of picture
  --id ID            the module whose configurations history lists (its device identifier)
  --technician NAME  the technician's name in the report (default: the name the window
                     program's report dialog remembers); fleet report: for the modules whose
                     row names none
  --remarks TEXT     remarks for the report; fleet report: as --technician
  --jobs N           fleet: how many modules at once (default 8)
  --yes              fleet write: write the modules, not only plan
  -h, --help         this text
  --version          the program's version
  --                 the end of the options: what follows is the command and its files

An option that the command does not use is refused. --option=value is the same as
--option value.

Fields of --set:
  camA camB camC camD kol et mdm mdm2 srtc dhcp
                     true or false (also 1 or 0, on or off)
  obraz              1/1, 1/2 or 1/4
  dz pz              1 to 255
  ps                 1 to 65535
  ncp tcp oz         0 to 240
  nmx tmx powt       0 to 20
  tt                 0 to 255
  vip vmask vgate sip
                     an address a.b.c.d
  id                 at most 8 letters, digits or blanks
  pass               at most 16 printable ASCII characters
  tel tel2           at most 24 of %1

The fleet's inventory is a CSV file as a spreadsheet saves it (UTF-8, a header row, comma or
semicolon as the header uses, quoted fields), one module a row. Columns: name (required,
unique, usable as a file name), port (required: any name that --port takes, one module a port),
technician and remarks (fleet report), and any field of --set, whose value replaces the
template's for that module (an empty cell keeps the template's). A problem of the inventory is
named by row and column, and nothing is done: exit code 2. Each module runs as its own
zorva-cli command would (same link, time-outs and exit codes); a line on standard error as each
finishes, then the summary on standard output. The fleet's exit code is 0 when every module
succeeded, else the most serious of theirs (5, 1, 6, 4, 3). Ctrl+C starts no further module and
lets a write go on to its read-back; a second Ctrl+C stops it (its state is then unknown);
exit code 130.

Exit codes:
  0    done
  1    failed: the module reported an error or has no picture to send, a file could not be
       written; diff: the files differ
  2    usage error, or a --set value refused
  3    the port could not be opened (the reason is printed: no access, in use, not present,
       not a serial device), or it went away and stayed gone for --timeout
  4    no answer: the module stayed silent for --timeout, or the link was lost (picture,
       write, clock); --port auto: no port answered
  5    write not verified: refused by the module, read back different, or the module did not
       come back after its restart
  6    a configuration file could not be read
  130  interrupted (Ctrl+C, SIGTERM)

Results go to standard output, progress and errors to standard error.
)")
        .arg(PhoneCharactersText());
}

} // namespace zorva::cli
