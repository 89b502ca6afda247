#include "app/CentredMessage.h"

#include <algorithm>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>

namespace zorva {

QStringList LinesToMeasure(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == u'\r') {
        ++start;
    }
    static const QRegularExpression kBreaks(QStringLiteral("[\\r\\n]+"));
    return text.mid(start).split(kBreaks);
}

int WidestLineWidth(const QString& text, const QFontMetrics& metrics)
{
    int widest = 0;
    for (const QString& line : LinesToMeasure(text)) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return widest;
}

QPoint CentredMessagePosition(const QRect& owner, int widestLine)
{
    // C++ integer division truncates towards zero, as the rule wants for negative sums too.
    int x = owner.left() + owner.width() / 2 - (widestLine + 80) / 2;
    int y = owner.top() + owner.height() / 2 - 50;
    if (x < 0) {
        x = 10;
    }
    if (y < 0) {
        y = 10;
    }
    return {x, y};
}

QMessageBox::StandardButton ShowCentredMessage(const QString& text, QMessageBox::Icon kind,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton,
                                               QWidget* owner, const QString& details)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    QMessageBox box(kind, QStringLiteral("ZORVA"), shown, buttons, owner);
    box.setDefaultButton(defaultButton);
    if (!details.isEmpty()) {
        box.setDetailedText(details);
    }
    QRect frame;
    if (owner != nullptr) {
        frame = owner->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        frame = screen->geometry();
    }
    const QFontMetrics metrics(owner != nullptr ? owner->font() : box.font());
    box.move(CentredMessagePosition(frame, WidestLineWidth(text, metrics)));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace zorva
