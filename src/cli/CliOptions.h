// The command line of zorva-cli: global options, the command and its arguments, the exit codes
// and the help text.
#pragma once

#include <QString>
#include <QStringList>

namespace zorva::cli {

// Documented in the help text; scripts rely on them.
enum ExitCode {
    kDone = 0,
    kFailed = 1,           // the module reported an error, a file could not be written; diff:
                           // the files differ
    kUsage = 2,            // the command line, or a --set value, was refused
    kPortNotOpened = 3,    // the port could not be opened (the reason is printed)
    kNoAnswer = 4,         // the module stayed silent for the time-out
    kWriteNotVerified = 5, // refused, read back different, or not back after its restart
    kFileNotReadable = 6,  // a configuration file could not be read
    kInterrupted = 130,    // SIGINT or SIGTERM (Ctrl+C), as shells report them
};

struct CliOptions {
    QString port;            // empty: the port the window program has stored
    int timeoutSeconds = 30; // how long the module may stay silent while a request waits
    QString lang;            // "pl", "en", or empty: the window program's stored language
    bool quiet = false;
    bool json = false;
    bool help = false;
    bool version = false;
    QString command;
    QStringList files; // fleet: the subcommand, then its files
    QStringList sets;  // "F=V" in the order given
    int camera = 0;    // 0..3 for A..D
    bool idGiven = false;
    QString id; // history: the device identifier of the module whose configurations to list
    bool technicianGiven = false;
    QString technician; // report
    QString remarks;    // report
    int jobs = 8;       // fleet: modules at once
    bool yes = false;   // fleet write: write, not only plan
};

struct ParsedCli {
    CliOptions options;
    QString error; // non-empty: a usage error
};

// `args` without the program's name.
ParsedCli ParseCli(const QStringList& args);

QString CliHelpText();
QString CliVersionText();

} // namespace zorva::cli
