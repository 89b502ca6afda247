#include "PictureScaling.h"

namespace zorva {

QRect FitPicture(QSize picture, QSize area, bool fitToArea)
{
    const qint64 w = picture.width();
    const qint64 h = picture.height();
    const qint64 cw = area.width();
    const qint64 ch = area.height();
    qint64 outW = w;
    qint64 outH = h;
    if (w <= 0 || h <= 0 || cw <= 0 || ch <= 0) {
        outW = 0;
        outH = 0;
    } else if (fitToArea || w > cw || h > ch) {
        // Fill the area along the picture's longer side, then shrink if the other side spills.
        if (w > h) {
            outW = cw;
            outH = cw * h / w;
            if (outH > ch) {
                outH = ch;
                outW = ch * w / h;
            }
        } else {
            outH = ch;
            outW = ch * w / h;
            if (outW > cw) {
                outW = cw;
                outH = cw * h / w;
            }
        }
    }
    return QRect(int((cw - outW) / 2), int((ch - outH) / 2), int(outW), int(outH));
}

} // namespace zorva
