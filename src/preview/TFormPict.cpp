#include "TFormPict.h"

#include <bit>
#include <span>

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include "preview/JpegDecoder.h"
#include "preview/PictureFiles.h"
#include "preview/PictureView.h"
#include "preview/PlaceholderPicture.h"
#include "shell/FormPlacement.h"
#include "shell/LanguageTexts.h"
#include "shell/SettingsStore.h"

namespace zorva {
namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kFlashGreen(0x00, 0xFF, 0x00);
// The caption the window is created with. Its placement is stored under this name whatever
// language is in force, so that the next start finds it again.
const QString kDefinitionCaption = QStringLiteral("Podgląd");
const QString kPicstr = QStringLiteral("picstr");
constexpr int kFrameStrip = 4;
constexpr int kBottomBarHeight = 44;
constexpr int kFlashMs = 1000;
// During a long decode the picture is repainted every so many rows.
constexpr int kProgressRows = 64;

QWidget* MakeStrip(QWidget* parent, const char* name)
{
    auto* strip = new QWidget(parent);
    strip->setObjectName(QString::fromLatin1(name));
    strip->setAutoFillBackground(true);
    return strip;
}

} // namespace

TFormPict::TFormPict(QWidget* parent) : QWidget(parent, Qt::Window)
{
    BuildControls();
    FormCreate();
}

TFormPict::~TFormPict()
{
    FormDestroy();
}

void TFormPict::BuildControls()
{
    setObjectName(QStringLiteral("FormPict"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, kSilver);
    setPalette(silver);
    setAutoFillBackground(true);
    resize(518, 333);

    Image2 = MakePlaceholderPicture();

    Image1 = new PictureView(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    Image1->setMinimumSize(1, 1);
    connect(Image1, &PictureView::pressed, this, [this](Qt::MouseButton b) { Image1MouseDown(b); });

    Panel2 = MakeStrip(this, "Panel2"); // bottom
    Panel3 = MakeStrip(this, "Panel3"); // top
    Panel4 = MakeStrip(this, "Panel4"); // left
    Panel5 = MakeStrip(this, "Panel5"); // right
    Panel2->setFixedHeight(kFrameStrip);
    Panel3->setFixedHeight(kFrameStrip);
    Panel4->setFixedWidth(kFrameStrip);
    Panel5->setFixedWidth(kFrameStrip);
    SetFrameColour(kSilver);

    auto* frame = new QGridLayout;
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    frame->addWidget(Panel3, 0, 0, 1, 3);
    frame->addWidget(Panel4, 1, 0);
    frame->addWidget(Image1, 1, 1);
    frame->addWidget(Panel5, 1, 2);
    frame->addWidget(Panel2, 2, 0, 1, 3);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kBottomBarHeight);
    auto* bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(4, 0, 4, 2);

    RadioGroup1 = new QGroupBox(Panel1);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* cameras = new QHBoxLayout(RadioGroup1);
    cameras->setContentsMargins(6, 0, 6, 0);
    RadioGroup1Items = new QButtonGroup(this);
    const char* const names[] = {"A", "B", "C", "D"};
    for (int i = 0; i < 4; ++i) {
        auto* item = new QRadioButton(QString::fromLatin1(names[i]), RadioGroup1);
        item->setObjectName(QStringLiteral("RadioGroup1_%1").arg(QLatin1String(names[i])));
        RadioGroup1Items->addButton(item, i);
        cameras->addWidget(item);
    }
    RadioGroup1Items->button(0)->setChecked(true);
    // A click on the camera already chosen changes nothing and must not drop the picture.
    connect(RadioGroup1Items, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) {
            RadioGroup1Click();
        }
    });

    SB_play = new QToolButton(Panel1);
    SB_play->setObjectName(QStringLiteral("SB_play"));
    SB_play->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    SB_play->setCheckable(true);
    SB_stop = new QToolButton(Panel1);
    SB_stop->setObjectName(QStringLiteral("SB_stop"));
    SB_stop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    SB_stop->setCheckable(true);
    // One of the two is always down.
    auto* playStop = new QButtonGroup(this);
    playStop->setExclusive(true);
    playStop->addButton(SB_play);
    playStop->addButton(SB_stop);
    SB_stop->setChecked(true);
    connect(SB_play, &QToolButton::clicked, this, [this] { SB_playClick(); });
    connect(SB_stop, &QToolButton::clicked, this, [this] { SB_stopClick(); });

    CheckBox1 = new QCheckBox(Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool) { CheckBox1Click(); });

    // Packet size: always the largest, so the field stays hidden.
    SpinEdit1 = new QSpinBox(Panel1);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(0, 15);
    SpinEdit1->setValue(15);
    SpinEdit1->setVisible(false);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this](int) { SpinEdit1Change(); });

    bar->addWidget(RadioGroup1);
    bar->addWidget(SB_play);
    bar->addWidget(SB_stop);
    bar->addWidget(CheckBox1);
    bar->addWidget(SpinEdit1);
    bar->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(frame, 1);
    column->addWidget(Panel1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kFlashMs);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TFormPict::FormCreate()
{
    setWindowTitle(kDefinitionCaption);
    picStream_.clear();
    // A damaged stored value is reported once the window exists; the window is still set up.
    QString error;
    if (!RestoreFormPlacement(this, kRegKey, &error)) {
        creationError_ = error;
    }
    std::uint8_t picstr = 0;
    if (!RegReadBytes(kRegKey, kPicstr, &picstr, 1, &error)) {
        if (creationError_.isEmpty()) {
            creationError_ = error;
        }
        picstr = 0;
    }
    CheckBox1->setChecked(picstr != 0);
    CheckBox1Click();

    const LanguageTexts& texts = Texts();
    RadioGroup1->setTitle(texts.txtCameras);
    setWindowTitle(texts.txtPicture);
    CheckBox1->setText(texts.txtAutoSize);
}

void TFormPict::FormDestroy()
{
    Timer1->stop();
    picStream_.clear();
    setWindowTitle(kDefinitionCaption);
    SaveFormPlacement(this, kRegKey);
    const std::uint8_t picstr = CheckBox1->isChecked() ? 1 : 0;
    RegWriteBytes(kRegKey, kPicstr, &picstr, 1);
}

void TFormPict::ApplyLanguageTexts()
{
    const LanguageTexts& texts = Texts();
    RadioGroup1->setTitle(texts.txtCameras);
    setWindowTitle(texts.txtPreview);
    CheckBox1->setText(texts.txtAutoSize);
}

void TFormPict::SetPictcntAccess(PictcntGet get, PictcntSet set)
{
    getPictcnt_ = std::move(get);
    setPictcnt_ = std::move(set);
}

std::uint16_t TFormPict::pictcnt() const
{
    return getPictcnt_ ? getPictcnt_() : ownPictcnt_;
}

void TFormPict::setPictcnt(std::uint16_t value)
{
    if (setPictcnt_) {
        setPictcnt_(value);
    } else {
        ownPictcnt_ = value;
    }
}

void TFormPict::clrStream()
{
    picStream_.clear();
}

void TFormPict::add2Stream(const std::uint8_t* x, int l)
{
    if (x == nullptr || l <= 0) {
        return;
    }
    picStream_.append(reinterpret_cast<const char*>(x), l);
}

QString TFormPict::PictureFolder() const
{
    return folderSet_ ? folder_ : zorva::PictureFolder();
}

void TFormPict::SetPictureFolder(const QString& folder)
{
    folderSet_ = true;
    folder_ = folder;
    if (!folder_.isEmpty() && !folder_.endsWith(QLatin1Char('/'))) {
        folder_ += QLatin1Char('/');
    }
}

bool TFormPict::Load2pict(std::uint8_t cam, QString* error)
{
    pictureNumber_ = NextPictureNumber(pictureNumber_);
    const QString path = PictureFileName(PictureFolder(), cam, pictureNumber_);
    const std::span<const std::uint8_t> bytes(
        reinterpret_cast<const std::uint8_t*>(picStream_.constData()),
        static_cast<std::size_t>(picStream_.size()));
    if (!SavePictureFile(path, bytes, error)) {
        return false;
    }
    lastPictureFile_ = path;
    // The camera asked for: the picture's tag is the module's own and need not name it.
    const auto camera = static_cast<std::size_t>(std::countr_zero(unsigned{KamNr()}) & 3);
    lastPictures_[camera] = {picStream_, QDateTime::currentDateTime()};
    // The line does not wait for the screen: the file is on disk before the next request
    // leaves, and the picture is decoded and shown as soon as the reply handler has returned.
    QMetaObject::invokeMethod(
        this, [this, saved = picStream_] { ShowSavedPicture(saved); }, Qt::QueuedConnection);
    return true;
}

void TFormPict::ShowSavedPicture(const QByteArray& saved)
{
    const std::span<const std::uint8_t> bytes(
        reinterpret_cast<const std::uint8_t*>(saved.constData()),
        static_cast<std::size_t>(saved.size()));
    SetFrameColour(kFlashGreen);
    for (QWidget* strip : {Panel2, Panel3, Panel4, Panel5}) {
        strip->repaint();
    }

    // A tall picture is painted as its rows arrive. The view lets go of the image after each
    // paint so that the decoder goes on writing into it without a copy.
    JpegRowsDecoded progress;
    if (Image1->isVisible()) {
        progress = [this](const QImage& partial, int) {
            Image1->SetPicture(partial);
            Image1->repaint();
            Image1->SetPicture(QImage());
        };
    }
    JpegPicture picture = DecodeJpeg(bytes, JpegLimits{}, progress, kProgressRows);
    if (picture.outcome == JpegPicture::NoHeader) {
        // Not a picture: the placeholder stands in, and the frame stays lit until a later
        // picture's flash ends.
        ShowPicture(Image2);
        return;
    }
    ShowPicture(picture.image);
    Timer1->start();
}

std::uint8_t TFormPict::KamNr() const
{
    const int index = RadioGroup1Items->checkedId();
    if (index >= 1 && index <= 3) {
        return static_cast<std::uint8_t>(1u << index);
    }
    return 1;
}

std::uint8_t TFormPict::PictWB() const
{
    return static_cast<std::uint8_t>(SpinEdit1->value() & 0x0F);
}

void TFormPict::SB_playClick()
{
    clrStream();
    setPictcnt(0);
    ShowPlayButtons(true);
}

void TFormPict::SB_stopClick()
{
    setPictcnt(kPictStopped);
    ShowPlayButtons(false);
}

void TFormPict::FormShow()
{
    ShowPicture(Image2);
}

void TFormPict::SyncButtons(std::uint16_t value)
{
    ShowPlayButtons(value != kPictStopped);
}

void TFormPict::ShowPlayButtons(bool playing)
{
    // Set the one that goes down; the exclusive group releases the other.
    QToolButton* down = playing ? SB_play : SB_stop;
    if (!down->isChecked()) {
        down->setChecked(true);
    }
}

void TFormPict::RadioGroup1Click()
{
    if (pictcnt() != kPictStopped) {
        SB_stopClick();
        SB_playClick();
    }
}

void TFormPict::SpinEdit1Change()
{
    RadioGroup1Click();
}

void TFormPict::CheckBox1Click()
{
    Image1->SetFitToArea(CheckBox1->isChecked());
    Image1->update();
}

void TFormPict::Timer1Timer()
{
    SetFrameColour(kSilver);
    Timer1->stop();
}

bool TFormPict::Image1MouseDown(Qt::MouseButton button)
{
    if (button != Qt::LeftButton) {
        return false;
    }
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    QWindow* window = windowHandle();
    return window != nullptr && window->startSystemMove();
}

void TFormPict::FormClose()
{
    setPictcnt(kPictStopped);
    ShowPlayButtons(false);
}

void TFormPict::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window; it lives as long as the program.
    FormClose();
    event->accept();
}

void TFormPict::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        FormShow();
    }
    QWidget::showEvent(event);
}

void TFormPict::SetFrameColour(const QColor& colour)
{
    frameLit_ = colour == kFlashGreen;
    for (QWidget* strip : {Panel2, Panel3, Panel4, Panel5}) {
        QPalette p = strip->palette();
        p.setColor(QPalette::Window, colour);
        strip->setPalette(p);
    }
}

void TFormPict::ShowPicture(const QImage& picture)
{
    Image1->SetPicture(picture);
}

QImage TFormPict::ShownPicture() const
{
    return Image1->Picture();
}

QRect TFormPict::ShownPictureRect() const
{
    return Image1->PictureRect();
}

QSize TFormPict::PictureAreaSize() const
{
    return Image1->size();
}

bool TFormPict::FlashTimerActive() const
{
    return Timer1->isActive();
}

int TFormPict::RadioGroup1ItemIndex() const
{
    return RadioGroup1Items->checkedId();
}

void TFormPict::SetRadioGroup1ItemIndex(int index)
{
    if (index == RadioGroup1ItemIndex()) {
        return;
    }
    if (index >= 0 && index < 4) {
        RadioGroup1Items->button(index)->setChecked(true); // the toggle runs RadioGroup1Click
        return;
    }
    // An exclusive group cannot be emptied by unchecking; lift the rule for a moment.
    RadioGroup1Items->setExclusive(false);
    if (QAbstractButton* checked = RadioGroup1Items->checkedButton()) {
        checked->setChecked(false);
    }
    RadioGroup1Items->setExclusive(true);
    RadioGroup1Click();
}

} // namespace zorva
