#include "app/TForm3.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include "app/AppPictures.h"
#include "app/AppResources.h"
#include "app/ProgramVersion.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {

constexpr int kClientWidth = 403;
constexpr int kClientHeight = 320;

QFont PixelFont(int pixels, bool bold)
{
    QFont font;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* WhiteLabel(QWidget* parent, const QFont& font)
{
    auto* label = new QLabel(parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

} // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    EnsureAppResources();
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("ZORVA"));
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, kClientWidth, kClientHeight);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(3);
    Panel1->setAutoFillBackground(true);
    QPalette black = Panel1->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::Light, QColor(96, 96, 96));
    black.setColor(QPalette::Dark, QColor(24, 24, 24));
    Panel1->setPalette(black);

    // 3-pixel bevel and 3-pixel border width, 1-pixel line: the picture box sits 8 pixels in.
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 204, 304);
    Image1->setScaledContents(true);
    Image1->setPixmap(AboutCameraPicture(QSize(200, 300)));

    Label1 = WhiteLabel(Panel1, PixelFont(16, true));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(214, 64, 182, 96);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setText(Texts().txtProgramTitle);

    Label2 = WhiteLabel(Panel1, PixelFont(16, true));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setText(QStringLiteral("ZORVA"));
    Label2->move(276, 162);
    Label2->adjustSize();

    Label3 = WhiteLabel(Panel1, PixelFont(11, false));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(233, 208, 137, 77);
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label3->setWordWrap(true);

    for (QWidget* part : {static_cast<QWidget*>(Panel1), static_cast<QWidget*>(Image1),
                          static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                          static_cast<QWidget*>(Label3)}) {
        part->installEventFilter(this);
    }
    FormShow();
}

void TForm3::CentreOn(const QWidget* owner)
{
    QRect area;
    if (owner != nullptr && owner->isVisible()) {
        area = owner->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) {
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TForm3::Image1Click()
{
    close();
}

void TForm3::FormShow()
{
    Label1->setText(Texts().txtProgramTitle);
    QString line = VersionLine(FileVersionText(ProgramFileVersion()));
    // The label breaks lines at line feeds; the version line separates its parts by returns.
    line.replace(u'\r', u'\n');
    Label3->setText(line);
}

void TForm3::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        Image1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zorva
