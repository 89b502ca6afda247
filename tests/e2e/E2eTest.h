// Fixture of the whole-program tests: one ProgramRig per case, its diagnostics printed when the
// case fails, and shorthands over the simulator's trace.
#pragma once

#include <gtest/gtest.h>

#include <QList>

#include "ProgramRig.h"

namespace zorva::e2e {

// Frame codes as they appear in the trace: requests of the program, replies of the module.
enum Code : int {
    kDane = 0x01,
    kWrite = 0x02,
    kStan = 0x03,
    kReset = 0x05,
    kRdDhcp = 0x06,
    kPict = 0x07,
    kConfigReply = 0x01,
    kWriteAck = 0x02,
    kNetworkReply = 0x06,
    kPicturePacket = 0x07,
    kEventReport = 0x09,
};

// Deadlines only a hang should outlast, wine on a busy machine included: for anything the
// program does within a few of its one-second steps, and for what waits on its start as well.
constexpr int kStepsMs = 30000;
constexpr int kStartMs = 60000;

class E2eTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (HasFailure()) {
            ADD_FAILURE() << rig_.Diagnostics().toStdString();
        }
    }

    TraceFile& Trace() { return rig_.Trace(); }
    // Codes of the frames with the keyword after `since`.
    QList<int> Codes(const char* keyword, double since = 0)
    {
        QList<int> codes;
        for (const TraceEntry& e : Trace().Frames(keyword, -1, since)) {
            codes << e.code();
        }
        return codes;
    }
    // The program's requests after `since` are polls until the first status reply is taken in,
    // then the read: DANE, and RdDHCP once the configuration is in. On a loaded machine that
    // reply can be taken in after the next tick has polled again: more than one poll may come.
    void ExpectPollsThenTheRead(double since)
    {
        const QList<int> requests = Codes("RX", since);
        const qsizetype read = requests.indexOf(kDane);
        ASSERT_GE(read, 1) << "no poll before the read";
        for (const int code : requests.mid(0, read)) {
            EXPECT_TRUE(code == kStan || code == kRdDhcp) << code;
        }
        EXPECT_EQ(requests.first(), kStan);
        EXPECT_EQ(requests.mid(read, 2), (QList<int>{kDane, kRdDhcp}));
    }
    // Waits for a frame with the keyword and code after `since`; its time, or -1.
    double WaitFrame(const char* keyword, int code, double since, int timeoutMs = kStepsMs)
    {
        QList<TraceEntry> found;
        WaitFor(
            [&] {
                found = Trace().Frames(keyword, code, since);
                return !found.isEmpty();
            },
            timeoutMs);
        return found.isEmpty() ? -1 : found.first().time;
    }
    // The simulator and the program (with the settings seeded) started; for the test build
    // also its hook ready.
    void Start(Build build, const QStringList& simArguments,
               const QMap<QString, QVariant>& settings = {}, bool hookEnvironment = false,
               const QStringList& programArguments = {})
    {
        ASSERT_TRUE(rig_.StartSimulator(simArguments)) << rig_.Error().toStdString();
        rig_.SeedSettings(settings);
        ASSERT_TRUE(rig_.StartProgram(build, programArguments, hookEnvironment))
            << rig_.Error().toStdString();
        if (build == Build::Test) {
            ASSERT_TRUE(rig_.WaitReady(kStartMs));
        }
    }
    // Waits until the module's configuration and network settings have been read.
    void WaitConnected()
    {
        const double read = WaitFrame("RX", kDane, 0, kStartMs);
        ASSERT_GT(read, 0) << "the program never read the configuration";
        ASSERT_GT(WaitFrame("TX", kNetworkReply, read), 0);
    }

    ProgramRig rig_;
};

inline QByteArray OneByte(int value)
{
    return QByteArray(1, static_cast<char>(value));
}

} // namespace zorva::e2e
