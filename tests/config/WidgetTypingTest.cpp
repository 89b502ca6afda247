// Typing into the configuration area's real widgets, key by key, and checking the record
// after each keystroke and after the focus leaves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>

#include "FakeFields.h"
#include "config/ui/ConfigPanel.h"
#include "config/ui/MaskedEdit.h"
#include "config/ui/SpinEdit.h"
#include "shell/LanguageTexts.h"

namespace zorva::test {
namespace {

class Typing : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPolishTexts();
        panel = std::make_unique<ConfigPanel>(record, network, link);
        panel->ShowConfig();
        panel->show();
        panel->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox*>(w) != nullptr) {
                w->close();
            }
        }
    }

    template <typename W> W* Find(const char* name)
    {
        W* w = panel->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // Puts the focus into a field's text part and waits until it is there.
    void FocusInto(QWidget* w)
    {
        w->setFocus(Qt::MouseFocusReason);
        QWidget* target = w->focusProxy() != nullptr ? w->focusProxy() : w;
        ASSERT_TRUE(QTest::qWaitFor([&] { return target->hasFocus(); }, 2000));
    }

    // Moves the focus to another control of the window, as a Tab or a click elsewhere would.
    void LeaveField()
    {
        auto* elsewhere = Find<QCheckBox>("CB_kol");
        elsewhere->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return elsewhere->hasFocus(); }, 2000));
    }

    ConfigRecord record;
    NetworkRecord network;
    FakeLink link;
    std::unique_ptr<ConfigPanel> panel;
};

TEST_F(Typing, SpinFieldStoresEachKeystrokeAndClampsOnLeaving)
{
    auto* spin = Find<SpinEdit>("SE_DZ");
    FocusInto(spin);
    QTest::keyClick(spin->lineEdit(), Qt::Key_A, Qt::ControlModifier);

    const struct {
        char key;
        const char* shown;
        int stored;
    } steps[] = {
        {'3', "3", 3}, {'x', "3", 3}, {'0', "30", 30}, {'0', "300", 255}, {'9', "300", 255}};
    for (const auto& s : steps) {
        QTest::keyClicks(spin->lineEdit(), QString(QChar(s.key)));
        EXPECT_EQ(spin->text(), s.shown) << s.key;
        EXPECT_EQ(record.byte(cfg::dz), s.stored) << s.key;
    }
    EXPECT_GT(link.pollResets, 0);

    LeaveField();
    EXPECT_EQ(spin->text(), "255");
    EXPECT_EQ(record.byte(cfg::dz), 255);

    // Emptied, it reads its minimum (stored as 1); leaving puts a number back.
    FocusInto(spin);
    QTest::keyClick(spin->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(spin->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(spin->text(), "");
    EXPECT_EQ(record.byte(cfg::dz), 1);
    QTest::keyClick(spin->lineEdit(), Qt::Key_Up); // the minimum 0 plus one
    EXPECT_EQ(spin->text(), "1");
    QTest::keyClick(spin->lineEdit(), Qt::Key_Up);
    EXPECT_EQ(record.byte(cfg::dz), 2);
    QTest::keyClick(spin->lineEdit(), Qt::Key_Down);
    QTest::keyClick(spin->lineEdit(), Qt::Key_Down);
    EXPECT_EQ(spin->text(), "0");
    EXPECT_EQ(record.byte(cfg::dz), 1);
    LeaveField();
    EXPECT_EQ(spin->text(), "1");
}

TEST_F(Typing, RangeErrorIsReportedOnceAndTheEditorGoesOn)
{
    Find<QCheckBox>("CB_ET")->click();
    auto* spin = Find<SpinEdit>("SE_TT");
    ASSERT_TRUE(spin->isEnabled());
    FocusInto(spin);
    QTest::keyClick(spin->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin->lineEdit(), QStringLiteral("30"));
    EXPECT_EQ(record.byte(cfg::tt), 30);
    QTest::keyClicks(spin->lineEdit(), QStringLiteral("00"));
    EXPECT_EQ(spin->text(), "3000");
    EXPECT_EQ(record.byte(cfg::tt), 30) << "refused values leave the byte alone";

    QMessageBox* box = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* b = qobject_cast<QMessageBox*>(w); b != nullptr && b->isVisible()) {
                    box = b;
                }
            }
            return box != nullptr;
        },
        2000));
    EXPECT_EQ(box->text(), "Range check error");
    int boxes = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        boxes += (qobject_cast<QMessageBox*>(w) != nullptr && w->isVisible()) ? 1 : 0;
    }
    EXPECT_EQ(boxes, 1) << "two refused keystrokes, one report at a time";
    // The report taking the focus is not leaving the field: nothing was clamped.
    EXPECT_EQ(spin->text(), "3000");
    box->accept();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !box->isVisible(); }, 2000));

    FocusInto(spin);
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(spin->lineEdit(), Qt::Key_Backspace);
    }
    EXPECT_EQ(spin->text(), "3");
    EXPECT_EQ(record.byte(cfg::tt), 3);
    QTest::keyClicks(spin->lineEdit(), QStringLiteral("5"));
    EXPECT_EQ(record.byte(cfg::tt), 35);
    QTest::keyClicks(spin->lineEdit(), QStringLiteral("0"));
    EXPECT_EQ(record.byte(cfg::tt), 35);
    LeaveField();
    EXPECT_EQ(spin->text(), "255");
    EXPECT_EQ(record.byte(cfg::tt), 255);
}

TEST_F(Typing, SwitchedOffSpinFieldTakesNoInput)
{
    auto* spin = Find<SpinEdit>("SE_NCP"); // Ethernet is off in the zero record
    EXPECT_FALSE(spin->isEnabled());
    EXPECT_TRUE(spin->isReadOnly());
    QTest::keyClicks(spin->lineEdit(), QStringLiteral("12"));
    EXPECT_EQ(record.byte(cfg::ncp), 0);
}

TEST_F(Typing, IpFieldOverwritesSlotsAndStoresEachKeystroke)
{
    Find<QCheckBox>("CB_ET")->click();
    auto* ip = Find<MaskedEdit>("ME_sip");
    FocusInto(ip);
    QTest::keyClick(ip, Qt::Key_Home);
    EXPECT_EQ(ip->valueText(), "  0.  0.  0.  0");

    const struct {
        char key;
        const char* shown;
        Octets stored;
    } steps[] = {
        {'1', "1 0.  0.  0.  0", {1, 0, 0, 0}},
        {'9', "190.  0.  0.  0", {190, 0, 0, 0}},
        {'2', "192.  0.  0.  0", {192, 0, 0, 0}}, // the cursor jumps over the dot
        {'1', "192.1 0.  0.  0", {192, 1, 0, 0}},
        {'x', "192.1 0.  0.  0", {192, 1, 0, 0}},
        {'6', "192.160.  0.  0", {192, 160, 0, 0}},
        {'8', "192.168.  0.  0", {192, 168, 0, 0}},
        {' ', "192.168.  0.  0", {192, 168, 0, 0}},
        {' ', "192.168.  0.  0", {192, 168, 0, 0}},
        {'1', "192.168.  1.  0", {192, 168, 1, 0}},
        {'.', "192.168.  1.  0", {192, 168, 1, 0}}, // already at the next slot: stays
        {' ', "192.168.  1.  0", {192, 168, 1, 0}},
        {'1', "192.168.  1. 10", {192, 168, 1, 10}},
        {'0', "192.168.  1. 10", {192, 168, 1, 10}},
        {'7', "192.168.  1. 10", {192, 168, 1, 10}}, // the field is full
    };
    for (const auto& s : steps) {
        QTest::keyClicks(ip, QString(QChar(s.key)));
        EXPECT_EQ(ip->valueText(), s.shown) << s.key;
        EXPECT_EQ(record.ip(cfg::sip), s.stored) << s.key;
    }
    EXPECT_EQ(record.byte(cfg::sip), 0xC0);
    EXPECT_EQ(record.byte(cfg::sip + 3), 0x0A);

    QTest::keyClick(ip, Qt::Key_Backspace);
    QTest::keyClick(ip, Qt::Key_Backspace);
    EXPECT_EQ(ip->valueText(), "192.168.  1.   ");
    EXPECT_EQ(record.ip(cfg::sip), (Octets{192, 168, 1, 0}));
    QTest::keyClicks(ip, QStringLiteral("99"));
    EXPECT_EQ(record.ip(cfg::sip), (Octets{192, 168, 1, 99}));

    LeaveField();
    EXPECT_EQ(ip->valueText(), "192.168.  1. 99");
    EXPECT_EQ(record.ip(cfg::sip), (Octets{192, 168, 1, 99}));

    // A slot holding 999 keeps its low 8 bits.
    FocusInto(ip);
    QTest::keyClick(ip, Qt::Key_Home);
    QTest::keyClicks(ip, QStringLiteral("999"));
    EXPECT_EQ(record.byte(cfg::sip), 231);
}

TEST_F(Typing, IdentifierShowsBlanksAsUnderscoresWhileEditing)
{
    auto* id = Find<MaskedEdit>("ME_ID");
    FocusInto(id);
    QTest::keyClick(id, Qt::Key_Home);
    EXPECT_EQ(id->text(), "________");

    QTest::keyClicks(id, QStringLiteral("7"));
    EXPECT_EQ(id->text(), "7_______");
    EXPECT_EQ(record.rawText(cfg::id), "7       ");
    EXPECT_EQ(record.byte(cfg::id.offset), 0x37);

    const struct {
        char key;
        const char* stored;
    } steps[] = {{'-', "7       "},
                 {'A', "7A      "},
                 {'b', "7Ab     "},
                 {' ', "7Ab     "},
                 {'9', "7Ab 9   "}};
    for (const auto& s : steps) {
        QTest::keyClicks(id, QString(QChar(s.key)));
        EXPECT_EQ(record.rawText(cfg::id), s.stored) << s.key;
    }
    QTest::keyClick(id, Qt::Key_Backspace);
    EXPECT_EQ(record.rawText(cfg::id), "7Ab     ");
    QTest::keyClick(id, Qt::Key_Home);
    QTest::keyClick(id, Qt::Key_Delete);
    EXPECT_EQ(record.rawText(cfg::id), " Ab     ");

    LeaveField();
    EXPECT_EQ(id->text(), " Ab     ");
    EXPECT_EQ(id->valueText(), " Ab     ");
    EXPECT_EQ(record.rawText(cfg::id), " Ab     ");
}

TEST_F(Typing, PhoneFieldDropsFilteredCharacters)
{
    Find<QCheckBox>("CB_MDM")->click();
    auto* phone = Find<QLineEdit>("Edit_tel");
    ASSERT_TRUE(phone->isEnabled());
    FocusInto(phone);
    QTest::keyClicks(phone, QStringLiteral("0+48 W,12a*"));
    EXPECT_EQ(phone->text(), "048 W,12");
    EXPECT_EQ(record.rawText(cfg::tel), QStringLiteral("048 W,12") + QString(16, u' '));
}

TEST_F(Typing, PhoneFilterHoldsForInputMethodsAndDrops)
{
    Find<QCheckBox>("CB_MDM")->click();
    auto* phone = Find<QLineEdit>("Edit_tel");
    FocusInto(phone);
    QTest::keyClicks(phone, QStringLiteral("12"));

    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("3a,W\u0105("));
    QApplication::sendEvent(phone, &composed);
    EXPECT_EQ(phone->text(), QStringLiteral("123,W("));

    QMimeData dragged;
    dragged.setText(QStringLiteral("abc"));
    const QPoint at = phone->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(phone, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(phone, &drop);
    EXPECT_FALSE(drop.isAccepted());

    EXPECT_EQ(phone->text(), QStringLiteral("123,W("));
    EXPECT_EQ(record.rawText(cfg::tel).left(6), QStringLiteral("123,W("));
}

TEST_F(Typing, PasswordIsShownInClear)
{
    auto* pass = Find<QLineEdit>("E_pass");
    EXPECT_EQ(pass->echoMode(), QLineEdit::Normal);
    FocusInto(pass);
    QTest::keyClicks(pass, QStringLiteral("abc"));
    EXPECT_EQ(record.rawText(cfg::pass), QStringLiteral("abc") + QString(13, QChar(0)));
}

} // namespace
} // namespace zorva::test

namespace zorva::test {
namespace {

// The panel's widgets report losing the focus while they are destroyed; the rules they
// notify must still be there.
TEST(PanelLifetime, DestroyedWithATypedFieldInFocus)
{
    ConfigRecord record;
    NetworkRecord network;
    FakeLink link;
    auto panel = std::make_unique<ConfigPanel>(record, network, link);
    panel->ShowConfig();
    panel->show();
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    auto* spin = panel->findChild<SpinEdit*>("SE_DZ");
    spin->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spin->lineEdit()->hasFocus(); }, 2000));
    QTest::keyClick(spin->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin->lineEdit(), QStringLiteral("500"));
    EXPECT_EQ(record.byte(cfg::dz), 255);
    panel.reset();
    EXPECT_EQ(record.byte(cfg::dz), 255);
}

} // namespace
} // namespace zorva::test
