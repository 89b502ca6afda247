// The dialog and the serial component on real pseudo-terminals: the port is closed while the
// dialog shows, a pick only changes the device name, and the next open reaches the picked
// device. The aliases COM5 and COM6 of the settings store point at two pseudo-terminals.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <QByteArray>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QSettings>
#include <QTest>

#include "ModalDriver.h"
#include "serial/TComm64.h"
#include "serial/ui/TFormKonf.h"
#include "shell/LanguageTexts.h"
#include "support/OpenNow.h"

namespace zorva {
namespace {

using testing::WhenModalShows;

// The controlling side of a pseudo-terminal; the component opens the device side by its path.
class Pty {
public:
    Pty()
    {
        fd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (fd_ >= 0 && ::grantpt(fd_) == 0 && ::unlockpt(fd_) == 0) {
            path_ = QString::fromLocal8Bit(::ptsname(fd_));
        }
    }
    ~Pty()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Ok() const { return fd_ >= 0 && !path_.isEmpty(); }
    const QString& Path() const { return path_; }

    // True once the device side, opened before, is held open by nobody (a device side
    // that was never opened does not report this).
    bool HungUp() const
    {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 0) >= 0 && (p.revents & POLLHUP) != 0;
    }

    QByteArray Receive(int count, int withinMs) const
    {
        QByteArray got;
        const QDeadlineTimer deadline(withinMs);
        while (got.size() < count && !deadline.hasExpired()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(deadline.remainingTime())) <= 0) {
                break;
            }
            char buf[64];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            got.append(buf, static_cast<qsizetype>(n));
        }
        return got;
    }

private:
    int fd_ = -1;
    QString path_;
};

class PortAroundDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!first_.Ok() || !second_.Ok()) {
            GTEST_SKIP() << "no pseudo-terminals on this system";
        }
        SetPolishTexts();
        QSettings store(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        store.clear();
        store.setValue(QStringLiteral("ports/COM5"), first_.Path());
        store.setValue(QStringLiteral("ports/COM6"), second_.Path());
        store.sync();
        ApplyPortRSDefaults(port_);
        port_.setDeviceName(QStringLiteral("COM5"));
    }
    void TearDown() override
    {
        port_.Close();
        QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).clear();
    }

    std::unique_ptr<TFormKonf> MakeDialog()
    {
        return std::make_unique<TFormKonf>(port_, FlagAccess{[] { return true; }, [](bool) {}},
                                           FlagAccess{[] { return true; }, [](bool) {}}, nullptr);
    }

    // Picks the entry whose device name is `name` with the arrow keys, as a user would.
    static void PickWithKeys(QComboBox* box, const QString& name)
    {
        const int target = box->findData(name);
        ASSERT_GE(target, 0) << name.toStdString();
        while (box->currentIndex() != target) {
            QTest::keyClick(box, box->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        }
    }

    Pty first_, second_;
    TComm64 port_;
};

TEST_F(PortAroundDialogTest, OpenPortIsClosedWhileShownAndTheReopenReachesThePickedDevice)
{
    test::OpenNow(port_);
    ASSERT_TRUE(port_.Enabled());
    EXPECT_FALSE(first_.HungUp());

    auto dialog = MakeDialog();
    bool enabledWhileShown = true;
    bool firstHungUpWhileShown = false;
    bool enabledAfterPick = true;
    QString nameAfterPick;
    WhenModalShows<TFormKonf>([&](TFormKonf* d) {
        enabledWhileShown = port_.Enabled();
        firstHungUpWhileShown = first_.HungUp();
        PickWithKeys(d->CCB1, QStringLiteral("COM6"));
        nameAfterPick = port_.DeviceName();
        enabledAfterPick = port_.Enabled();
        QTest::keyClick(d, Qt::Key_Return);
    });

    // What the menu item does around the dialog.
    port_.Close();
    dialog->exec();
    test::OpenNow(port_);

    EXPECT_FALSE(enabledWhileShown);
    EXPECT_TRUE(firstHungUpWhileShown);
    EXPECT_EQ(nameAfterPick, QStringLiteral("COM6"));
    EXPECT_FALSE(enabledAfterPick) << "a pick must not open the port";
    ASSERT_TRUE(port_.Enabled());
    EXPECT_TRUE(first_.HungUp());
    EXPECT_FALSE(second_.HungUp());

    const std::uint8_t frame[] = {0xFF, 0xFF, 0x02, 0x01, 0x01};
    ASSERT_EQ(port_._Write_(frame, 5), 5);
    EXPECT_EQ(second_.Receive(5, 5000), QByteArray("\xFF\xFF\x02\x01\x01", 5));
}

TEST_F(PortAroundDialogTest, ClosedPortStaysClosedAfterAPick)
{
    ASSERT_FALSE(port_.Enabled());
    auto dialog = MakeDialog();
    WhenModalShows<TFormKonf>([](TFormKonf* d) {
        PickWithKeys(d->CCB1, QStringLiteral("COM6"));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    dialog->exec();
    EXPECT_EQ(port_.DeviceName(), QStringLiteral("COM6"));
    EXPECT_FALSE(port_.Enabled());
}

} // namespace
} // namespace zorva
