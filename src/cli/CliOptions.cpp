#include "cli/CliOptions.h"

#include <map>

namespace zorva::cli {

namespace {

// The files each command takes.
const std::map<QString, int>& FileCounts()
{
    static const std::map<QString, int> counts = {
        {QStringLiteral("status"), 0},  {QStringLiteral("read"), 1},   {QStringLiteral("write"), 1},
        {QStringLiteral("show"), 1},    {QStringLiteral("diff"), 2},   {QStringLiteral("clock"), 0},
        {QStringLiteral("picture"), 1}, {QStringLiteral("events"), 0},
    };
    return counts;
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
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            o.help = true;
            continue;
        }
        if (arg == QLatin1String("--quiet") || arg == QLatin1String("-q")) {
            o.quiet = true;
            continue;
        }
        if (arg == QLatin1String("--json")) {
            o.json = true;
            continue;
        }
        const bool takesValue = arg == QLatin1String("--port") ||
                                arg == QLatin1String("--timeout") ||
                                arg == QLatin1String("--lang") || arg == QLatin1String("--set") ||
                                arg == QLatin1String("--camera");
        if (takesValue) {
            if (i + 1 >= args.size()) {
                return fail(arg + QStringLiteral(" needs a value"));
            }
            const QString value = args[++i];
            if (arg == QLatin1String("--port")) {
                o.port = value;
            } else if (arg == QLatin1String("--timeout")) {
                bool ok = false;
                o.timeoutSeconds = value.toInt(&ok);
                if (!ok || o.timeoutSeconds < 1 || o.timeoutSeconds > 3600) {
                    return fail(QStringLiteral("--timeout takes whole seconds, 1 to 3600"));
                }
            } else if (arg == QLatin1String("--lang")) {
                if (value != QLatin1String("pl") && value != QLatin1String("en")) {
                    return fail(QStringLiteral("--lang takes pl or en"));
                }
                o.lang = value;
            } else if (arg == QLatin1String("--set")) {
                if (!value.contains(u'=')) {
                    return fail(QStringLiteral("--set takes FIELD=VALUE"));
                }
                o.sets << value;
            } else {
                const QString camera = value.toUpper();
                if (camera.size() != 1 || camera[0] < u'A' || camera[0] > u'D') {
                    return fail(QStringLiteral("--camera takes A, B, C or D"));
                }
                o.camera = camera[0].unicode() - u'A';
            }
            continue;
        }
        if (arg.startsWith(u'-') && arg.size() > 1) {
            return fail(QStringLiteral("unknown option ") + arg);
        }
        if (o.command.isEmpty()) {
            o.command = arg;
        } else {
            o.files << arg;
        }
    }
    if (o.help) {
        return parsed;
    }
    if (o.command.isEmpty()) {
        return fail(QStringLiteral("no command given"));
    }
    const auto count = FileCounts().find(o.command);
    if (count == FileCounts().end()) {
        return fail(QStringLiteral("unknown command ") + o.command);
    }
    if (o.files.size() != count->second) {
        return fail(QStringLiteral("%1 takes %2 file name(s)").arg(o.command).arg(count->second));
    }
    if (!o.sets.isEmpty() && o.command != QLatin1String("write")) {
        return fail(QStringLiteral("--set belongs to write"));
    }
    return parsed;
}

QString CliHelpText()
{
    return QStringLiteral(R"(Usage: zorva-cli [OPTIONS] COMMAND ...

The ZORVA module's configuration, status, clock and pictures from the command line, over the
same link as the window program zorva-config (same frames, time-outs, retries and log file).

Commands
  status [--json]                 firmware, the module's clock, cameras present/on, inputs
  read FILE.zrd                   the configuration into a file (2048 bytes, as Save after a read)
  write FILE.zrd [--set F=V ...]  load, change fields, write, wait for the restart, read back
                                  and compare; succeeds only when the module holds what was written
  show FILE.zrd [--json]          the fields of a file as the window shows them (no port)
  diff A.zrd B.zrd                the fields in which two files differ (no port)
  clock                           set the module's clock to this computer's local time
  picture [--camera A-D] OUT.jpg  fetch one picture (camera A by default)
  events                          print the module's event reports as they arrive, until Ctrl+C

Options
  --port NAME       COM1..COM8 (through the [ports] aliases of the settings file, as in the
                    window program) or a device path; default: the port the window program stored
  --timeout SECONDS how long to wait for the module in each step (default 30)
  --lang pl|en      language of captions and messages (default: the window program's)
  --quiet           no progress on standard error
  --json            results as JSON (status, show)
  --set F=V         change a field before writing; repeatable, applied in order with the window's
                    rules and ranges. Fields:
                      camA camB camC camD kol et mdm mdm2 srtc dhcp   0 or 1
                      obraz 1/1, 1/2 or 1/4        dz pz 1-255       ps 1-65535
                      ncp tcp 0-240   nmx tmx powt 0-20   oz 0-240   tt 0-255
                      vip vmask vgate sip a.b.c.d   id (8 letters, digits, blanks)
                      pass (16 characters)          tel tel2 (24 of 0-9 , W w ( ) ! " # $ % & ')
                    A value out of range is refused before the port is opened; so is a field the
                    window keeps disabled (the port while Ethernet is off, the module's addresses
                    while DHCP is on).
  --help            this text

Exit codes
  0  done
  1  failed: the module reported an error, a file could not be written
  2  usage error, or a --set value refused
  3  the port could not be opened (the reason is printed: permission, in use, not present,
     not a serial device)
  4  no answer from the module within the time-out
  5  write not verified: refused by the module, read back different, or the module did not
     come back after its restart
  6  a configuration file could not be read

Results go to standard output, progress and errors to standard error.
)");
}

} // namespace zorva::cli
