// A main window on fresh settings, with helpers to read and write the stored values.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>

#include <QByteArray>
#include <QSettings>

#include "ModalBoxWatcher.h"
#include "app/TForm1.h"

namespace zorva::test {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSettings(); }

    static std::unique_ptr<TForm1> Create(const QStringList& arguments = {"zorva-config"})
    {
        return std::make_unique<TForm1>(arguments);
    }
    static QVariant Stored(const QString& name)
    {
        return QSettings(QStringLiteral("Nurvo"), QStringLiteral("QEN")).value(name);
    }
    static void Store(const QString& name, const QVariant& value)
    {
        QSettings settings(QStringLiteral("Nurvo"), QStringLiteral("QEN"));
        settings.setValue(name, value);
    }
    static void StoreByte(const QString& name, std::uint8_t value)
    {
        Store(name, QByteArray(1, static_cast<char>(value)));
    }
    static QByteArray PlacementRecord(std::array<std::int32_t, 4> values)
    {
        QByteArray bytes;
        for (std::int32_t v : values) {
            const auto u = static_cast<std::uint32_t>(v);
            for (int shift = 0; shift < 32; shift += 8) {
                bytes.append(static_cast<char>((u >> shift) & 0xFF));
            }
        }
        return bytes;
    }
};

} // namespace zorva::test
