// Real JPEG pictures for the simulator to send (--pictures DIR), and the check that a picture
// file saved by the program is one of them: the JPEG followed by the zero fill of its last
// packet.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace zorva::e2e {

// Packet size the preview asks for by default: 15 units of 16 bytes.
constexpr int kPacketBytes = 240;

// Writes `count` different pictures to `folder` as pic0.jpg, pic1.jpg ... and returns their
// bytes. Sizes differ; the second is padded after its end marker to a whole number of packets,
// so that its last packet needs no fill; the third holds JPEG fill bytes (FF FF) that form a
// false sync pair inside its first packet.
QList<QByteArray> WriteTestPictures(const QString& folder, int count);

// Index of the source picture that `saved` holds, or -1.
int SourceOf(const QByteArray& saved, const QList<QByteArray>& sources);

// Whether the bytes decode as a complete JPEG picture (Qt's own reader, not the program's).
bool DecodesAsJpeg(const QByteArray& bytes);

} // namespace zorva::e2e
