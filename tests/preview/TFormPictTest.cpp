// The preview window driven as the link and the user drive it: real widgets on the offscreen
// platform, real JPEG data, real files in temporary folders, settings in a temporary store.
#include "preview/TFormPict.h"

#include <gtest/gtest.h>

#include <memory>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include "JpegTestData.h"
#include "preview/JpegDecoder.h"
#include "preview/PlaceholderPicture.h"
#include "shell/LanguageTexts.h"
#include "shell/SettingsStore.h"

namespace zorva {
namespace {

using test::EncodeJpeg;
using test::MakeTestPattern;

// Settings and the temporary folder point into a folder of their own before anything uses them.
class IsolatedFolders : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid() && temp_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
        qputenv("HOME", QFile::encodeName(config_.path()));
        qputenv("TMPDIR", QFile::encodeName(temp_.path()));
    }

private:
    QTemporaryDir config_;
    QTemporaryDir temp_;
};
const auto* const kIsolated = ::testing::AddGlobalTestEnvironment(new IsolatedFolders);

template <typename Condition> bool WaitUntil(Condition condition, int ms = 5000)
{
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class PreviewWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pictures_.isValid());
        form_ = MakeForm();
    }

    std::unique_ptr<TFormPict> MakeForm()
    {
        auto form = std::make_unique<TFormPict>();
        form->SetPictcntAccess([this] { return pictcnt_; },
                               [this](std::uint16_t v) { pictcnt_ = v; });
        form->SetPictureFolder(pictures_.path());
        return form;
    }

    template <typename T> T* Control(const char* name)
    {
        T* control = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    // Feeds a picture the way the link does: 240-byte packets, then Load2pict.
    bool Receive(const std::vector<std::uint8_t>& bytes, std::uint8_t tag = 1,
                 QString* error = nullptr)
    {
        form_->SB_playClick();
        for (std::size_t at = 0; at < bytes.size(); at += 240) {
            const int count = int(std::min<std::size_t>(240, bytes.size() - at));
            form_->add2Stream(bytes.data() + at, count);
            ++pictcnt_;
        }
        const bool saved = form_->Load2pict(tag, error);
        pictcnt_ = kPictComplete;
        // The picture is shown once the reply handler has returned to the event loop.
        QCoreApplication::sendPostedEvents(form_.get(), QEvent::MetaCall);
        return saved;
    }

    QString PicturePath(const char* name) const { return pictures_.filePath(QLatin1String(name)); }

    QTemporaryDir pictures_;
    std::uint16_t pictcnt_ = kPictStopped;
    std::unique_ptr<TFormPict> form_;
};

TEST_F(PreviewWindow, StartsStoppedOnCameraAWithTheLanguageTexts)
{
    EXPECT_EQ(form_->windowTitle(), Texts().txtPicture);
    EXPECT_EQ(Control<QGroupBox>("RadioGroup1")->title(), Texts().txtCameras);
    EXPECT_EQ(Control<QCheckBox>("CheckBox1")->text(), Texts().txtAutoSize);
    EXPECT_TRUE(Control<QToolButton>("SB_stop")->isChecked());
    EXPECT_FALSE(Control<QToolButton>("SB_play")->isChecked());
    EXPECT_EQ(form_->RadioGroup1ItemIndex(), 0);
    EXPECT_EQ(form_->PictWB(), 15);
    EXPECT_FALSE(Control<QSpinBox>("SpinEdit1")->isVisibleTo(form_.get()));
    EXPECT_TRUE(form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(form_->FlashTimerActive());
    EXPECT_FALSE(form_->FrameLit());
    EXPECT_TRUE(form_->CreationError().isEmpty());
    EXPECT_EQ(pictcnt_, kPictStopped); // creating the window does not start anything
}

TEST_F(PreviewWindow, KamNrIsTheMaskOfTheChosenCamera)
{
    const std::pair<int, std::uint8_t> cases[] = {{0, 1}, {1, 2}, {2, 4}, {3, 8}, {-1, 1}};
    for (const auto& [index, mask] : cases) {
        form_->SetRadioGroup1ItemIndex(index);
        EXPECT_EQ(form_->RadioGroup1ItemIndex(), index);
        EXPECT_EQ(form_->KamNr(), mask) << "item " << index;
    }
    Control<QRadioButton>("RadioGroup1_D")->click();
    EXPECT_EQ(form_->KamNr(), 8);
}

TEST_F(PreviewWindow, FileNamesCycleThroughFiveHundredAndOne)
{
    const auto jpeg = EncodeJpeg(MakeTestPattern(8, 8));
    QByteArray last;
    for (int i = 1; i <= 502; ++i) {
        // Bytes after the end marker tell the files apart; the decoder ignores them.
        auto bytes = jpeg;
        const QByteArray mark = QByteArray::number(i);
        bytes.insert(bytes.end(), mark.begin(), mark.end());
        ASSERT_TRUE(Receive(bytes, 1)) << i;
        if (i == 1 || i == 500 || i == 501 || i == 502) {
            const char* expected = i == 1     ? "zr_p01_001.jpg"
                                   : i == 500 ? "zr_p01_500.jpg"
                                   : i == 501 ? "zr_p01_000.jpg"
                                              : "zr_p01_001.jpg";
            EXPECT_EQ(form_->LastPictureFile(), PicturePath(expected)) << i;
            EXPECT_EQ(ReadFile(PicturePath(expected)), form_->PicStream()) << i;
        }
    }
    EXPECT_EQ(QDir(pictures_.path()).entryList(QDir::Files).size(), 501);
    EXPECT_TRUE(ReadFile(PicturePath("zr_p01_001.jpg")).endsWith("502"));
}

// The next request must not wait for the decoding: when Load2pict returns, the file is whole on
// disk and the shown picture is still the one before; it changes once the handler has returned.
TEST_F(PreviewWindow, PictureIsSavedAtOnceAndShownAfterTheHandler)
{
    const QImage source = MakeTestPattern(40, 30);
    ASSERT_TRUE(Receive(EncodeJpeg(source)));
    const QImage before = form_->ShownPicture();

    const auto next = EncodeJpeg(MakeTestPattern(24, 16));
    form_->SB_playClick();
    form_->add2Stream(next.data(), int(next.size()));
    ASSERT_TRUE(form_->Load2pict(1));
    EXPECT_EQ(ReadFile(form_->LastPictureFile()), form_->PicStream());
    EXPECT_EQ(form_->ShownPicture(), before);
    // A new picture starting before the event loop runs does not change what is shown.
    form_->SB_playClick();
    QCoreApplication::sendPostedEvents(form_.get(), QEvent::MetaCall);
    EXPECT_EQ(form_->ShownPicture().size(), QSize(24, 16));
}

TEST_F(PreviewWindow, TagIsWrittenInHex)
{
    ASSERT_TRUE(Receive(EncodeJpeg(MakeTestPattern(8, 8)), 15));
    EXPECT_EQ(form_->LastPictureFile(), PicturePath("zr_p0F_001.jpg"));
    EXPECT_TRUE(QFile::exists(PicturePath("zr_p0F_001.jpg")));
}

TEST_F(PreviewWindow, PicturesGoToTheTemporaryFolderByDefault)
{
    TFormPict form;
    form.SetPictcntAccess([this] { return pictcnt_; }, [this](std::uint16_t v) { pictcnt_ = v; });
    EXPECT_EQ(form.PictureFolder(), QDir::tempPath() + QLatin1Char('/'));
    form.SetPictureNumber(41);
    const auto bytes = EncodeJpeg(MakeTestPattern(8, 8));
    form.add2Stream(bytes.data(), int(bytes.size()));
    ASSERT_TRUE(form.Load2pict(2));
    const QString expected = QDir(QDir::tempPath()).filePath(QStringLiteral("zr_p02_042.jpg"));
    EXPECT_EQ(form.LastPictureFile(), expected);
    EXPECT_EQ(ReadFile(expected), form.PicStream());
    QFile::remove(expected);
}

TEST_F(PreviewWindow, SaveFailureIsReturnedAndTheShownPictureStays)
{
    const auto bytes = EncodeJpeg(MakeTestPattern(40, 30));
    ASSERT_TRUE(Receive(bytes));
    ASSERT_TRUE(WaitUntil([&] { return !form_->FrameLit(); }));
    const QImage shown = form_->ShownPicture();

    form_->SetPictureFolder(pictures_.filePath(QStringLiteral("gone")));
    QString error;
    EXPECT_FALSE(Receive(EncodeJpeg(MakeTestPattern(20, 20)), 1, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(form_->ShownPicture(), shown);
    EXPECT_FALSE(form_->FrameLit());
    EXPECT_EQ(form_->PictureNumber(), 2); // the number is used up all the same
}

TEST_F(PreviewWindow, PlayDuringAHalfReceivedPictureStartsAgainAtPacketZero)
{
    Control<QToolButton>("SB_play")->click();
    EXPECT_EQ(pictcnt_, 0);
    const std::vector<std::uint8_t> packet(240, 0x5A);
    for (int i = 0; i < 3; ++i) {
        form_->add2Stream(packet.data(), 240);
        ++pictcnt_;
    }
    ASSERT_EQ(form_->PicStream().size(), 720);
    Control<QToolButton>("SB_play")->click();
    EXPECT_EQ(pictcnt_, 0);
    EXPECT_TRUE(form_->PicStream().isEmpty());
    EXPECT_TRUE(Control<QToolButton>("SB_play")->isChecked());
    EXPECT_FALSE(Control<QToolButton>("SB_stop")->isChecked());
}

TEST_F(PreviewWindow, StopButtonStopsTheTransfer)
{
    Control<QToolButton>("SB_play")->click();
    pictcnt_ = 9;
    Control<QToolButton>("SB_stop")->click();
    EXPECT_EQ(pictcnt_, kPictStopped);
    EXPECT_TRUE(Control<QToolButton>("SB_stop")->isChecked());
    EXPECT_FALSE(Control<QToolButton>("SB_play")->isChecked());
}

TEST_F(PreviewWindow, CameraChangeWhileStoppedOnlyChangesTheNextRequest)
{
    const std::vector<std::uint8_t> packet(240, 1);
    form_->add2Stream(packet.data(), 240);
    Control<QRadioButton>("RadioGroup1_B")->click();
    EXPECT_EQ(pictcnt_, kPictStopped);
    EXPECT_EQ(form_->KamNr(), 2);
    EXPECT_EQ(form_->PicStream().size(), 240);
    EXPECT_TRUE(Control<QToolButton>("SB_stop")->isChecked());
}

TEST_F(PreviewWindow, ChoiceChangeWhilePlayingRestartsThePicture)
{
    struct Case {
        const char* name;
        std::uint16_t pictcntBefore;
        std::function<void()> change;
        std::uint8_t kamNr, pictWB;
    };
    const Case cases[] = {
        {"camera C mid-picture", 7, [this] { Control<QRadioButton>("RadioGroup1_C")->click(); }, 4,
         15},
        {"camera D after a complete picture", kPictComplete,
         [this] { Control<QRadioButton>("RadioGroup1_D")->click(); }, 8, 15},
        {"packet size", 3, [this] { Control<QSpinBox>("SpinEdit1")->setValue(14); }, 8, 14},
    };
    const std::vector<std::uint8_t> packet(240, 2);
    for (const Case& c : cases) {
        form_->SB_playClick();
        form_->add2Stream(packet.data(), 240);
        pictcnt_ = c.pictcntBefore;
        c.change();
        EXPECT_EQ(pictcnt_, 0) << c.name;
        EXPECT_TRUE(form_->PicStream().isEmpty()) << c.name;
        EXPECT_EQ(form_->KamNr(), c.kamNr) << c.name;
        EXPECT_EQ(form_->PictWB(), c.pictWB) << c.name;
        EXPECT_TRUE(Control<QToolButton>("SB_play")->isChecked()) << c.name;
    }
}

TEST_F(PreviewWindow, ClickOnTheChosenCameraKeepsThePictureInProgress)
{
    const std::vector<std::uint8_t> packet(240, 3);
    for (const char* camera : {"RadioGroup1_A", "RadioGroup1_C"}) {
        Control<QRadioButton>(camera)->click(); // choose it while stopped
        form_->SB_playClick();
        form_->add2Stream(packet.data(), 240);
        pictcnt_ = 5;
        Control<QRadioButton>(camera)->click();
        EXPECT_EQ(pictcnt_, 5) << camera;
        EXPECT_EQ(form_->PicStream().size(), 240) << camera;
        form_->SB_stopClick();
    }
}

TEST_F(PreviewWindow, CloseWhilePlayingHidesStopsAndShowsThePlaceholderAgain)
{
    form_->show();
    ASSERT_TRUE(Receive(EncodeJpeg(MakeTestPattern(64, 48))));
    form_->SB_playClick();
    pictcnt_ = 12;
    EXPECT_NE(form_->ShownPicture().size(), QSize(kPlaceholderWidth, kPlaceholderHeight));

    EXPECT_TRUE(form_->close());
    EXPECT_TRUE(form_->isHidden());
    EXPECT_FALSE(form_->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(pictcnt_, kPictStopped);

    form_->show();
    EXPECT_TRUE(Control<QToolButton>("SB_stop")->isChecked());
    EXPECT_EQ(form_->ShownPicture(), MakePlaceholderPicture());
}

TEST_F(PreviewWindow, IdleSyncKeepsTheButtonsInStepWithTheCounter)
{
    const std::pair<std::uint16_t, bool> cases[] = {{0, true},
                                                    {kPictStopped, false},
                                                    {200, true},
                                                    {kPictComplete, true},
                                                    {kPictStopped, false}};
    for (const auto& [value, playing] : cases) {
        form_->SyncButtons(value);
        EXPECT_EQ(Control<QToolButton>("SB_play")->isChecked(), playing) << value;
        EXPECT_EQ(Control<QToolButton>("SB_stop")->isChecked(), !playing) << value;
    }
}

TEST_F(PreviewWindow, ScalesByTheFitChoice)
{
    form_->resize(518, 333);
    form_->show();
    ASSERT_EQ(form_->PictureAreaSize(), QSize(510, 281));
    ASSERT_TRUE(Receive(EncodeJpeg(MakeTestPattern(320, 240))));
    auto* fit = Control<QCheckBox>("CheckBox1");
    fit->setChecked(false);
    EXPECT_EQ(form_->ShownPictureRect(), QRect(95, 20, 320, 240));
    fit->setChecked(true);
    EXPECT_EQ(form_->ShownPictureRect(), QRect(68, 0, 374, 281));
}

TEST_F(PreviewWindow, ShowsTheDecodedPictureWithAGreenFlash)
{
    form_->show();
    Control<QCheckBox>("CheckBox1")->setChecked(true);
    const auto bytes = EncodeJpeg(MakeTestPattern(102, 56));
    ASSERT_TRUE(Receive(bytes));
    EXPECT_EQ(form_->ShownPicture(), DecodeJpeg(bytes).image);
    EXPECT_TRUE(form_->FrameLit());
    EXPECT_TRUE(form_->FlashTimerActive());
    EXPECT_EQ(Control<QWidget>("Panel3")->palette().color(QPalette::Window), QColor(0, 255, 0));

    // What is painted is the picture, scaled to the area.
    auto* view = Control<QWidget>("Image1");
    const QImage painted = view->grab().toImage();
    const QRect where = form_->ShownPictureRect();
    const QColor corner = painted.pixelColor(where.topLeft() + QPoint(3, 3));
    const QColor source = form_->ShownPicture().pixelColor(0, 0);
    EXPECT_NEAR(corner.red(), source.red(), 40);
    EXPECT_NEAR(corner.green(), source.green(), 40);
    EXPECT_NEAR(corner.blue(), source.blue(), 40);

    ASSERT_TRUE(WaitUntil([&] { return !form_->FrameLit(); }));
    EXPECT_FALSE(form_->FlashTimerActive());
    EXPECT_EQ(Control<QWidget>("Panel2")->palette().color(QPalette::Window),
              QColor(0xC0, 0xC0, 0xC0));
}

TEST_F(PreviewWindow, DataWithoutAHeaderShowsThePlaceholderAndLeavesTheFrameGreen)
{
    for (const auto& bytes : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>(700, 0x33)}) {
        ASSERT_TRUE(Receive(EncodeJpeg(MakeTestPattern(16, 16))));
        ASSERT_TRUE(WaitUntil([&] { return !form_->FrameLit(); }));

        ASSERT_TRUE(Receive(bytes));
        EXPECT_EQ(ReadFile(form_->LastPictureFile()).size(), qsizetype(bytes.size()));
        EXPECT_EQ(form_->ShownPicture(), MakePlaceholderPicture());
        EXPECT_TRUE(form_->FrameLit());
        EXPECT_FALSE(form_->FlashTimerActive());
    }
}

TEST_F(PreviewWindow, CutPictureShowsWhatArrived)
{
    const auto whole = EncodeJpeg(MakeTestPattern(64, 128));
    const std::vector<std::uint8_t> half(whole.begin(), whole.begin() + whole.size() / 2);
    ASSERT_TRUE(Receive(half));
    EXPECT_EQ(form_->ShownPicture().size(), QSize(64, 128));
    EXPECT_TRUE(form_->FlashTimerActive());
}

TEST_F(PreviewWindow, TallPictureIsPaintedWhileItDecodes)
{
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    form_->show();
    auto* view = Control<QWidget>("Image1");
    QCoreApplication::processEvents();
    view->installEventFilter(&counter);
    const auto bytes = EncodeJpeg(MakeTestPattern(32, 600));
    ASSERT_TRUE(Receive(bytes)); // no event processing inside: paints are the decoder's own
    view->removeEventFilter(&counter);
    EXPECT_GE(counter.paints, 5);
    EXPECT_EQ(form_->ShownPicture(), DecodeJpeg(bytes).image);
}

TEST_F(PreviewWindow, FormShowFromTheLinkShowsThePlaceholder)
{
    ASSERT_TRUE(Receive(EncodeJpeg(MakeTestPattern(16, 16))));
    form_->FormShow();
    const QImage shown = form_->ShownPicture();
    EXPECT_EQ(shown.size(), QSize(138, 100));
    EXPECT_EQ(shown.depth(), 24);
}

TEST_F(PreviewWindow, RightButtonDoesNotMoveTheWindow)
{
    form_->show();
    EXPECT_FALSE(form_->Image1MouseDown(Qt::RightButton));
    EXPECT_FALSE(form_->Image1MouseDown(Qt::MiddleButton));
}

TEST_F(PreviewWindow, LanguageSwitchRetitlesTheWindow)
{
    SetEnglishTexts();
    form_->ApplyLanguageTexts();
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Preview"));
    EXPECT_EQ(Control<QGroupBox>("RadioGroup1")->title(), QStringLiteral("Cameras"));
    EXPECT_EQ(Control<QCheckBox>("CheckBox1")->text(), QStringLiteral("auto size"));
    SetPolishTexts();
    form_->ApplyLanguageTexts();
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Podgląd"));
}

TEST_F(PreviewWindow, FitChoiceAndPlacementSurviveARestart)
{
    for (bool fit : {true, false}) {
        form_->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(fit);
        form_->move(123, 77);
        form_->resize(600, 400);
        form_.reset(); // program end
        form_ = MakeForm();
        EXPECT_EQ(Control<QCheckBox>("CheckBox1")->isChecked(), fit);
        EXPECT_EQ(form_->pos(), QPoint(123, 77));
        EXPECT_EQ(form_->size(), QSize(600, 400));
        EXPECT_TRUE(form_->CreationError().isEmpty());
    }
}

TEST_F(PreviewWindow, MissingFitSettingStartsUnchecked)
{
    form_.reset(); // stores "picstr" = 1
    QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).remove(QStringLiteral("picstr"));
    form_ = MakeForm();
    EXPECT_FALSE(Control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(form_->CreationError().isEmpty());
}

TEST_F(PreviewWindow, DamagedFitSettingIsReportedAndTheWindowStillWorks)
{
    form_.reset();
    RegWriteString(kRegKey, QStringLiteral("picstr"), QStringLiteral("yes"));
    form_ = MakeForm();
    EXPECT_TRUE(form_->CreationError().contains(QStringLiteral("picstr")));
    EXPECT_FALSE(Control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(form_->windowTitle(), Texts().txtPicture);
    form_.reset(); // writes a good value again
    form_ = MakeForm();
    EXPECT_TRUE(form_->CreationError().isEmpty());
}

} // namespace
} // namespace zorva
