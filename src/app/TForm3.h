// The splash window at start, reused as the about box: a picture, the program's title in the
// current language, the product name and the version and maker's line. A click anywhere on it
// closes it; closing only hides it.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;

namespace zorva {

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    // Places the window over the middle of `owner`, or of the screen when there is none.
    void CentreOn(const QWidget* owner);
    // Closes the window (the click handler of every part of it).
    void Image1Click();

    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr; // program title
    QLabel* Label2 = nullptr; // product name
    QLabel* Label3 = nullptr; // version and maker's line

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
};

} // namespace zorva
