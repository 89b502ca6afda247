// The rig of zorva-cli's tests: the real executable, run in a private folder with its own
// settings, data and home, against simulated modules of the `sim` library.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include "sim/Simulator.h"

namespace zorva::test {

struct CliRun {
    int exit = -1;
    QString out, err;
};

class CliRig : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("config/Nurvo"));
        options.linkPath = Path("module.tty").toStdString();
        options.resetSeconds = 0.2;
        options.seed = 4242;
    }
    void TearDown() override
    {
        if (simulator) {
            simulator->Stop();
        }
    }

    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    void StartModule()
    {
        simulator = std::make_unique<sim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(simulator->Start(&error)) << error;
        // The window program's alias, which zorva-cli resolves the same way.
        QFile settings(Path("config/Nurvo/QEN.conf"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[ports]\nCOM1=" + QFile::encodeName(Path("module.tty")) + "\n");
    }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path("config"));
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), Path("data"));
        // As from a console with no display: zorva-cli chooses its own platform.
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        // The computer's clock moved by Debian's faketime; the timers keep real time.
        if (!fakeTime.isEmpty()) {
            env.insert(QStringLiteral("LD_PRELOAD"),
                       QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"));
            env.insert(QStringLiteral("FAKETIME"), fakeTime);
            env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
        }
        if (!portCandidates.isEmpty()) {
            env.insert(QStringLiteral("ZORVA_PORT_CANDIDATES"), portCandidates.join(u':'));
        }
        return env;
    }

    // Runs zorva-cli in the test's folder, on COM1 (the alias) unless the arguments name a port
    // or the command needs none; `act` runs once `marker` shows on its standard error.
    CliRun Cli(QStringList args, const QByteArray& marker = {},
               const std::function<void(QProcess&)>& act = {})
    {
        const QStringList noPort = {QStringLiteral("show"),    QStringLiteral("diff"),
                                    QStringLiteral("history"), QStringLiteral("--version"),
                                    QStringLiteral("--help"),  QStringLiteral("fleet")};
        if (!args.contains(QStringLiteral("--port")) &&
            std::none_of(noPort.begin(), noPort.end(), [&](auto& a) { return args.contains(a); })) {
            args = QStringList{QStringLiteral("--port"), QStringLiteral("COM1")} + args;
        }
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.setWorkingDirectory(dir.path());
        process.start(Program(), args);
        process.setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (!marker.isEmpty() && !err.contains(marker) && process.waitForReadyRead(30000)) {
            err += process.readAllStandardError();
        }
        if (act && err.contains(marker)) {
            act(process);
        }
        CliRun run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
        } else if (process.exitStatus() == QProcess::NormalExit) {
            run.exit = process.exitCode();
        }
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(err + process.readAllStandardError());
        return run;
    }

    static QString Program()
    {
        return QString::fromLocal8Bit(qgetenv("ZORVA_BIN_DIR")) + QStringLiteral("/zorva-cli");
    }

    static QByteArray Bytes(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    sim::Options options;
    std::unique_ptr<sim::Simulator> simulator;
    QStringList portCandidates; // what --port auto tries instead of the machine's ports
    // The computer's clock as zorva-cli sees it, in faketime's words ("-24h", "@2030-01-01 23:50").
    QString fakeTime;
};

inline std::string Show(const CliRun& run)
{
    return "exit " + std::to_string(run.exit) + "\nout: " + run.out.toStdString() +
           "\nerr: " + run.err.toStdString();
}

} // namespace zorva::test
