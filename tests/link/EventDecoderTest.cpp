// Event decoding: argument kinds, safe formatting of language-file patterns, and the shipped
// language files covering every event code.
#include "link/EventDecoder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "link/EventCodes.h"
#include "link/Frames.h"
#include "shell/IniFile.h"
#include "shell/Text8Bit.h"

namespace zorva {
namespace {

TEST(EventDecoder, ArgumentKindsTakeTheirBytesFromTheFront)
{
    struct Case {
        const char* kind;
        Bytes bytes;
        QString text;
        std::size_t left;
    };
    const Case cases[] = {
        {"int", {0x2C, 0x01, 0x00, 0x00, 0x77}, QStringLiteral("300"), 1},
        {"int", {0xFE, 0xFF, 0xFF, 0xFF}, QStringLiteral("-2"), 0},
        {"int", {0x00, 0x00, 0x00, 0x80}, QStringLiteral("-2147483648"), 0},
        {"int", {0x05, 0x01}, QStringLiteral("261"), 0}, // missing bytes read as 0
        {"int", {}, QStringLiteral("0"), 0},
        {"ABCD", {0x00, 0x09}, QStringLiteral("A"), 1},
        {"ABCD", {0x03}, QStringLiteral("D"), 0},
        {"ABCD", {0x04}, QStringLiteral("?"), 0},
        {"ABCD", {}, QStringLiteral("?"), 0}, // no byte left is no camera
        {"nic", {0x01, 0x02}, QString(), 2},
        {"INT", {0x01, 0x02}, QString(), 2}, // kinds are exact texts
        {"", {0x01}, QString(), 1},
    };
    for (const Case& c : cases) {
        std::span<const std::uint8_t> bytes(c.bytes);
        EXPECT_EQ(DecodeEventArg(QString::fromLatin1(c.kind), bytes), c.text) << c.kind;
        EXPECT_EQ(bytes.size(), c.left) << c.kind;
    }
}

TEST(EventDecoder, PatternsAreFormattedOnlyWithTextPlaceholders)
{
    const QString a = QStringLiteral("A"), b = QStringLiteral("7");
    struct Case {
        QString pattern;
        QString result;
    };
    const Case cases[] = {
        {QStringLiteral("kamera %s, wejście %s"), QStringLiteral("kamera A, wejście 7")},
        {QStringLiteral("tylko %s"), QStringLiteral("tylko A")},
        {QStringLiteral("bez argumentów"), QStringLiteral("bez argumentów")},
        {QStringLiteral("100%% %s"), QStringLiteral("100% A")},
        {QStringLiteral("%s%s"), QStringLiteral("A7")},
        // Anything else is shown as it stands.
        {QStringLiteral("%s %s %s"), QStringLiteral("%s %s %s")},
        {QStringLiteral("%d"), QStringLiteral("%d")},
        {QStringLiteral("%n%n%n"), QStringLiteral("%n%n%n")},
        {QStringLiteral("%08x %s"), QStringLiteral("%08x %s")},
        {QStringLiteral("100%"), QStringLiteral("100%")},
        {QStringLiteral("%S"), QStringLiteral("%S")},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatEventPattern(c.pattern, a, b), c.result) << c.pattern.toStdString();
    }
    // Flags, width and precision of text placeholders work as in printf; widths above the
    // longest event line count as that length.
    const QString camera = QStringLiteral("Kamera");
    const Case sized[] = {
        {QStringLiteral("%-10s|%s"), QStringLiteral("Kamera    |7")},
        {QStringLiteral("%5s|%3s"), QStringLiteral("Kamera|  7")},
        {QStringLiteral("%.3s %s"), QStringLiteral("Kam 7")},
        {QStringLiteral("%--8.3s|%.0s|"), QStringLiteral("Kam     ||")},
        {QStringLiteral("%.s|%-s"), QStringLiteral("|7")},
        {QStringLiteral("%99999999999s"), QString(255 - 6, u' ') + camera},
        {QStringLiteral("%*s"), QStringLiteral("%*s")},
        {QStringLiteral("%08s"), QStringLiteral("%08s")},
        {QStringLiteral("%-%"), QStringLiteral("%-%")},
        {QStringLiteral("%.3d"), QStringLiteral("%.3d")},
        {QStringLiteral("%5"), QStringLiteral("%5")},
    };
    for (const Case& c : sized) {
        EXPECT_EQ(FormatEventPattern(c.pattern, camera, b), c.result) << c.pattern.toStdString();
    }
    // Arguments that hold a percent sign are not formatted again.
    EXPECT_EQ(
        FormatEventPattern(QStringLiteral("%s %s"), QStringLiteral("%s"), QStringLiteral("%n")),
        QStringLiteral("%s %n"));
}

TEST(EventDecoder, AnyLanguageFileIsReadSafely)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("zr_pl.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ToCp1250(QStringLiteral("[LOG]\r\n"
                                       "01=%n%n%s%s%s\r\n01a=int\r\n01b=int\r\n"
                                       "02=Wejście %s%%\r\n02a=ABCD\r\n02b=ABCD\r\n"
                                       "03=%s\r\n03a=int\r\n03b=int\r\n"
                                       "04=\r\n")));
    file.close();
    const Bytes frame1 = BuildFrame(kRxEvent, Bytes{0x01, 1, 0, 0, 0, 2, 0, 0, 0});
    EXPECT_EQ(DecodeEventText(frame1, path), QStringLiteral("%n%n%s%s%s"));
    const Bytes frame2 = BuildFrame(kRxEvent, Bytes{0x02, 0x01});
    EXPECT_EQ(DecodeEventText(frame2, path), QStringLiteral("Wejście B%"));
    // Two "int" arguments where only one byte and the checksum are left.
    const Bytes frame3 = BuildFrame(kRxEvent, Bytes{0x03, 0x01});
    EXPECT_EQ(DecodeEventText(frame3, path), QString::number(0x01 + (int{frame3.back()} << 8)));
    // An empty pattern is a pattern: the line is empty.
    EXPECT_EQ(DecodeEventText(BuildFrame(kRxEvent, Bytes{0x04}), path), QString());
    // A missing file: every code is undescribed.
    EXPECT_EQ(DecodeEventText(frame2, dir.filePath(QStringLiteral("none.ini"))),
              QString::fromLatin1(BytesToHex(frame2)));
}

TEST(EventDecoder, ShippedLanguageFilesDescribeEveryEventCodeAlike)
{
    const std::uint8_t codes[] = {
        event::kInputAlarm,    event::kTamper,           event::kPowerLost,
        event::kPowerRestored, event::kTestTransmission, event::kVideoLost,
        event::kVideoRestored, event::kModemFailed,      event::kConfigChanged,
        event::kModuleStarted,
    };
    const QString dir = QStringLiteral(ZORVA_LANG_DIR);
    const QString pl = dir + QStringLiteral("/zr_pl.ini");
    const QString en = dir + QStringLiteral("/zr_en.ini");
    const QString log = QStringLiteral("LOG");
    for (std::uint8_t code : codes) {
        const QString key = QString::fromLatin1(IntToHexEven(code));
        for (const QString& file : {pl, en}) {
            const QString pattern = ReadIniString(file, log, key);
            EXPECT_FALSE(pattern.isEmpty()) << key.toStdString() << " in " << file.toStdString();
            int arguments = 0;
            for (const QChar suffix : {u'a', u'b'}) {
                const QString kind = ReadIniString(file, log, key + suffix);
                EXPECT_TRUE(kind == u"int" || kind == u"ABCD" || kind == u"nic")
                    << key.toStdString() << suffix.toLatin1() << "=" << kind.toStdString();
                arguments += kind != u"nic" ? 1 : 0;
                EXPECT_EQ(kind, ReadIniString(pl, log, key + suffix)) << "languages differ";
            }
            EXPECT_EQ(pattern.count(QStringLiteral("%s")), arguments) << pattern.toStdString();
            EXPECT_EQ(
                FormatEventPattern(pattern, QStringLiteral("x"), QStringLiteral("y")).count(u'%'),
                0);
        }
    }
    // Polish texts come through the 8-bit code page intact.
    EXPECT_EQ(ReadIniString(pl, log, QStringLiteral("02")),
              QStringLiteral("Sabotaż obudowy modułu"));
}

} // namespace
} // namespace zorva
