// The Windows program's data-holding platform files under wine: the settings store in the
// current user's registry (raw REG_BINARY and REG_SZ values, any other type refused), the
// Windows-1250 conversion through the system's code page, and the port list from
// HARDWARE\DEVICEMAP\SERIALCOMM, and the port kept by its full name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

#include "serial/ComNames.h"
#include "serial/StoredPort.h"
#include "serial/ports/PortList.h"
#include "shell/SettingsStore.h"
#include "shell/Text8Bit.h"

namespace zorva {
namespace {

const QString kKey = QStringLiteral("Software\\Nurvo\\ZorvaTest\\");
const wchar_t* const kKeyPath = L"Software\\Nurvo\\ZorvaTest";

struct Stored {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool exists = false;
};

Stored Query(const wchar_t* key, const wchar_t* name)
{
    Stored out;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &out.type, nullptr,
                     &size) != ERROR_SUCCESS) {
        return out;
    }
    out.bytes.resize(size);
    out.exists = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &out.type,
                              out.bytes.data(), &size) == ERROR_SUCCESS;
    out.bytes.resize(size);
    return out;
}

void Put(const wchar_t* name, DWORD type, const std::vector<BYTE>& bytes)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKeyPath, name, type, bytes.data(),
                              static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

class SettingsStoreWin : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath); }
};

TEST_F(SettingsStoreWin, BytesAreWrittenAsRawBinaryValues)
{
    const std::uint8_t port = 2;
    RegWriteBytes(kKey, QStringLiteral("cm"), &port, 1);
    const std::vector<std::uint8_t> placement = {1,    0, 0, 0, 2,    0, 0, 0,
                                                 0x65, 3, 0, 0, 0x80, 1, 0, 0};
    RegWriteBytes(kKey, QStringLiteral("ZORVA"), placement.data(), 16);

    const Stored cm = Query(kKeyPath, L"cm");
    EXPECT_EQ(cm.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(cm.bytes, std::vector<BYTE>{2});
    const Stored zorva = Query(kKeyPath, L"ZORVA");
    EXPECT_EQ(zorva.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(zorva.bytes, std::vector<BYTE>(placement.begin(), placement.end()));
}

TEST_F(SettingsStoreWin, ReadsTakeOnlyBinaryValuesThatFit)
{
    struct Case {
        const char* what;
        DWORD type; // REG_NONE: no value stored
        std::vector<BYTE> stored;
        int count;
        bool ok;
        std::vector<BYTE> read; // the whole buffer after the call
        int bytesRead;
    };
    const std::vector<Case> cases = {
        {"one byte", REG_BINARY, {7}, 1, true, {7}, 1},
        {"missing value reads as zeros", REG_NONE, {}, 2, true, {0, 0}, 0},
        {"shorter value, rest zero", REG_BINARY, {1, 2, 3}, 5, true, {1, 2, 3, 0, 0}, 3},
        {"text value", REG_SZ, {'2', 0, 0, 0}, 1, false, {0}, 0},
        {"number value", REG_DWORD, {2, 0, 0, 0}, 4, false, {0, 0, 0, 0}, 0},
        {"longer than the buffer", REG_BINARY, {1, 2}, 1, false, {0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath);
        if (c.type != REG_NONE) {
            Put(L"v", c.type, c.stored);
        }
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(c.count), 0xEE);
        int bytesRead = -1;
        QString error;
        EXPECT_EQ(RegReadBytesCounted(kKey, QStringLiteral("v"), buffer.data(), c.count, &bytesRead,
                                      &error),
                  c.ok);
        EXPECT_EQ(std::vector<BYTE>(buffer.begin(), buffer.end()), c.read);
        EXPECT_EQ(bytesRead, c.bytesRead);
        EXPECT_EQ(error, c.ok ? QString() : QStringLiteral("Invalid data type for 'v'"));
    }
}

TEST_F(SettingsStoreWin, TextIsAStringValueAndOtherTypesReadAsEmpty)
{
    const QString folder = QStringLiteral("C:\\Konfiguracje\\Łódź");
    RegWriteString(kKey, QStringLiteral("dpth"), folder);
    const Stored dpth = Query(kKeyPath, L"dpth");
    EXPECT_EQ(dpth.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(RegReadString(kKey, QStringLiteral("dpth")), folder);

    Put(L"bin", REG_BINARY, {'a', 0});
    EXPECT_EQ(RegReadString(kKey, QStringLiteral("bin")), QString());
    EXPECT_EQ(RegReadString(kKey, QStringLiteral("missing")), QString());
}

TEST_F(SettingsStoreWin, DoubledSeparatorBeforePosNamesTheSubkeyPos)
{
    const std::uint8_t one = 1;
    RegWriteBytes(QStringLiteral("Software\\Nurvo\\ZorvaTest\\\\pos"), QStringLiteral("x"), &one,
                  1);
    EXPECT_EQ(Query(L"Software\\Nurvo\\ZorvaTest\\pos", L"x").bytes, std::vector<BYTE>{1});
    EXPECT_EQ(PortAlias(QStringLiteral("COM1")), QString()) << "no aliases on Windows";
}

// Listed names are the devices here: a port above COM8, one not named COMn at all, or a network
// address, is kept in full beside its one-byte number and comes back while that number still
// agrees with it.
TEST(StoredPortWin, PortsAboveComEightComeBackByTheirFullName)
{
    // The program's own key: the test leaves neither value behind for the program run after it.
    const wchar_t* const key = L"Software\\Nurvo\\QEN";
    struct Cleanup {
        const wchar_t* key;
        ~Cleanup()
        {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"cm");
            RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"cmn");
        }
    } cleanup{key};
    const struct {
        std::uint8_t cm;
        const char* picked;
        const char* atStart;
    } cases[] = {{1, "COM12", "COM12"},
                 {9, "COM9", "COM9"},
                 {2, "COM2", "COM2"},
                 {0, "CNCA0", "CNCA0"},
                 {1, "BT", "BT"}, // CNCA0: a virtual pair
                 {2, "rfc2217://10.0.0.5:4001", "rfc2217://10.0.0.5:4001"},
                 {0, "tcp://10.0.0.5:4001", "tcp://10.0.0.5:4001"}};

    for (const auto& c : cases) {
        RegWriteBytes(kRegKey, QStringLiteral("cm"), &c.cm, 1);
        WriteFullPortName(QString::fromLatin1(c.picked));
        const Stored cmn = Query(key, L"cmn");
        EXPECT_EQ(cmn.type, static_cast<DWORD>(REG_SZ)) << c.picked;
        QString name;
        ASSERT_TRUE(ReadStoredDeviceName(&name));
        EXPECT_EQ(name, QString::fromLatin1(c.atStart));
    }
    // A port number changed since (by an older version, say) wins over the name.
    const std::uint8_t three = 3;
    RegWriteBytes(kRegKey, QStringLiteral("cm"), &three, 1);
    QString name;
    ASSERT_TRUE(ReadStoredDeviceName(&name));
    EXPECT_EQ(name, QStringLiteral("COM3"));
}

TEST(Text8BitWin, PolishLettersTakeOneByteEachAndTheRestBecomeQuestionMarks)
{
    struct Case {
        QString text;
        QByteArray bytes;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("abc 123"), QByteArray("abc 123")},
        {QStringLiteral("zażółć gęślą jaźń"),
         QByteArray("za\xBF\xF3\xB3\xE6 g\xEA\x9C\x6C\xB9 ja\x9F\xF1")},
        {QStringLiteral("ŁÓDŹ €"), QByteArray("\xA3\xD3\x44\x8F \x80")},
        {QStringLiteral("a\u65E5b"), QByteArray("a?b")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(ToCp1250(c.text), c.bytes);
        if (!c.bytes.contains('?')) {
            EXPECT_EQ(FromCp1250(c.bytes), c.text);
        }
    }
}

TEST(PlatformPortsWin, ListsTheStringDataOfSerialComm)
{
    HKEY key = nullptr;
    // HARDWARE is volatile: a key below it must be too.
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                        REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        GTEST_SKIP() << "HARDWARE\\DEVICEMAP\\SERIALCOMM cannot be written here";
    }
    const std::wstring com7 = L"COM7";
    const std::wstring com3 = L"com3";
    RegSetValueExW(key, L"\\Device\\ZorvaTest7", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(com7.c_str()),
                   static_cast<DWORD>((com7.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"\\Device\\ZorvaTest3", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(com3.c_str()),
                   static_cast<DWORD>((com3.size() + 1) * sizeof(wchar_t)));

    QStringList names;
    for (const PortEntry& e : PlatformPorts()) {
        names.append(e.name);
    }
    RegDeleteValueW(key, L"\\Device\\ZorvaTest7");
    RegDeleteValueW(key, L"\\Device\\ZorvaTest3");
    RegCloseKey(key);
    EXPECT_TRUE(names.contains(QStringLiteral("COM7"))) << names.join(u',').toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("com3"))) << names.join(u',').toStdString();
    // The dialog's order: COM1 to COM4 always, numbered names first, com3 only once.
    const QStringList ordered = OrderPortNames(names);
    EXPECT_EQ(ordered.count(QStringLiteral("com3")) + ordered.count(QStringLiteral("COM3")), 1);
    EXPECT_LT(ordered.indexOf(QStringLiteral("COM4")), ordered.indexOf(QStringLiteral("COM7")));
}

} // namespace
} // namespace zorva
