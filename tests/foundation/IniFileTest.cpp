#include "shell/IniFile.h"

#include <gtest/gtest.h>

#include <random>

#include <QTemporaryDir>

#include "TestFiles.h"

namespace zorva {
namespace {

class IniFile : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("file%1.ini").arg(++count));
        EXPECT_TRUE(test::WriteFile(path, bytes));
        return path;
    }
    QTemporaryDir dir;
    int count = 0;
};

TEST_F(IniFile, NamesCompareWithoutCaseAndBlanksAreTrimmed)
{
    const QString path = Write("; language file\r\n"
                               "[Other]\r\n"
                               "key=other section\r\n"
                               "  [ Log ]  \r\n"
                               "  Key  =   value with  inner  blanks   \r\n"
                               "EMPTY=\r\n"
                               "equation=a=b\r\n"
                               "; commented=yes\r\n"
                               "   ;indented=yes\r\n"
                               "no equals sign here\r\n"
                               "key=second\r\n"
                               "[LOGFILE]\n"
                               "filename=/var/log/zorva.log\n");
    struct Case {
        const char* section;
        const char* key;
        QString expected;
    };
    const Case cases[] = {
        {"LOG", "KEY", QStringLiteral("value with  inner  blanks")},
        {"log", "key", QStringLiteral("value with  inner  blanks")},
        {" Log ", " Key ", QStringLiteral("value with  inner  blanks")},
        {"other", "KEY", QStringLiteral("other section")},
        {"Log", "empty", QString()},
        {"Log", "equation", QStringLiteral("a=b")},
        {"Log", "commented", QStringLiteral("<default>")},
        {"Log", ";commented", QStringLiteral("<default>")},
        {"Log", "indented", QStringLiteral("<default>")},
        {"Log", "no equals sign here", QStringLiteral("<default>")},
        {"Log", "filename", QStringLiteral("<default>")},
        {"LOGFILE", "filename", QStringLiteral("/var/log/zorva.log")},
        {"Missing", "key", QStringLiteral("<default>")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadIniString(path, QString::fromLatin1(c.section), QString::fromLatin1(c.key),
                                QStringLiteral("<default>")),
                  c.expected)
            << c.section << "/" << c.key;
    }
}

TEST_F(IniFile, MissingFileOrKeyGivesTheDefault)
{
    EXPECT_EQ(ReadIniString(dir.filePath(QStringLiteral("none.ini")), QStringLiteral("LOG"),
                            QStringLiteral("1"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(ReadIniString(QString(), QStringLiteral("LOG"), QStringLiteral("1")), QString());
    EXPECT_EQ(
        ReadIniString(dir.path(), QStringLiteral("LOG"), QStringLiteral("1"), QStringLiteral("d")),
        QStringLiteral("d"));
    // A key before any section belongs to no section.
    const QString path = Write("1=loose\n[LOG]\n2=inside\n");
    EXPECT_EQ(ReadIniString(path, QStringLiteral("LOG"), QStringLiteral("1")), QString());
    EXPECT_EQ(ReadIniString(path, QStringLiteral("LOG"), QStringLiteral("2")),
              QStringLiteral("inside"));
}

TEST_F(IniFile, TextIsReadAsWindows1250)
{
    const QString path = Write("[LOG]\n1=Za\xB3\xB9\x63zenie wej\x9C\x63ia\n"
                               "[Sekcja \xA3\xF3\x64\x9F]\n\xBF=\xF3sma\n");
    EXPECT_EQ(ReadIniString(path, QStringLiteral("LOG"), QStringLiteral("1")),
              QString::fromUtf16(u"Za\u0142\u0105czenie wej\u015Bcia"));
    EXPECT_EQ(ReadIniString(path, QString::fromUtf16(u"SEKCJA \u0141\u00D3D\u0179"),
                            QString::fromUtf16(u"\u017B")),
              QString::fromUtf16(u"\u00F3sma"));
}

TEST_F(IniFile, Utf8FileWithByteOrderMarkIsReadAsUtf8)
{
    const QString path = Write("\xEF\xBB\xBF[LOG]\n1=Za\xC5\x82\xC4\x85\x63zenie\n");
    EXPECT_EQ(ReadIniString(path, QStringLiteral("log"), QStringLiteral("1")),
              QString::fromUtf16(u"Za\u0142\u0105czenie"));
}

TEST_F(IniFile, JunkLinesDoNotHideTheLinesAfterThem)
{
    static const char head[] =
        "[LOG\n\x00\x01\xFF=\xFE\n[]\n=no key\n[[x]]]\n\x81\x83\x88\x90\x98\n";
    static const char tail[] = "[LOG]\n\x00\x00=zero\n7 = seven \n";
    QByteArray junk(head, sizeof(head) - 1);
    junk += QByteArray(5000, '\xFF') + "\n";
    junk += QByteArray(tail, sizeof(tail) - 1);
    const QString path = Write(junk);
    EXPECT_EQ(ReadIniString(path, QStringLiteral("LOG"), QStringLiteral("7")),
              QStringLiteral("seven"));
}

TEST_F(IniFile, RandomBytesNeverBreakTheReader)
{
    std::mt19937 random(20110315);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 600);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes;
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            // Plenty of the characters the reader looks for.
            const int b = byte(random);
            bytes.append(b < 20 ? "[=;\n\r]"[b % 6] : static_cast<char>(b));
        }
        bytes.append("\n[LOG]\nprobe=found\n");
        const QString path = Write(bytes);
        EXPECT_EQ(ReadIniString(path, QStringLiteral("LOG"), QStringLiteral("probe")),
                  QStringLiteral("found"))
            << "round " << round;
    }
}

} // namespace
} // namespace zorva
