#include "PlayDriver.h"

#include "app/TForm1.h"
#include "common/ProcFigures.h"
#include "link/LinkCore.h"
#include "preview/PictureFiles.h"
#include "preview/TFormPict.h"

namespace zorva::bench {

namespace {
// Looking at the picture counter 20 times a second costs the program nothing measurable.
constexpr int kLookMs = 50;
// After the automatic read the program polls once; its start-up allocations are done by then.
constexpr int kSettleMs = 1500;
} // namespace

PlayDriver::PlayDriver(const ProgramWindows& windows, long pictures, int timeoutSeconds)
    : windows_(windows), wanted_(pictures), timeoutMs_(timeoutSeconds * 1000)
{
    sinceStart_.start();
    connect(&look_, &QTimer::timeout, this, &PlayDriver::Look);
    look_.start(kLookMs);
}

void PlayDriver::Look()
{
    if (sinceStart_.elapsed() > timeoutMs_) {
        timedOut_ = true;
        Finish();
        return;
    }
    const LinkCore* link = windows_.form1->Link();
    if (!connected_) {
        // Connected, the configuration and the network settings read.
        if (link != nullptr && !link->StatusEmpty() && !link->readit() && link->Timer1Tag() == 0) {
            connected_ = true;
            settling_ = true;
            QTimer::singleShot(kSettleMs, this, &PlayDriver::Play);
        }
        return;
    }
    if (!playing_) {
        return;
    }
    // Pictures saved since the last look; the number wraps, so it is followed step by step.
    const int number = windows_.preview->PictureNumber();
    for (int n = lastNumber_; n != number; n = NextPictureNumber(n)) {
        ++shown_;
        if (shown_ == 1) {
            rssFirst_ = ResidentKiB();
        }
    }
    lastNumber_ = number;
    if (shown_ >= wanted_) {
        Finish();
    }
}

void PlayDriver::Play()
{
    settling_ = false;
    rssStart_ = ResidentKiB();
    windows_.form1->Obraz1Click(); // the preview window, as the tool button opens it
    lastNumber_ = windows_.preview->PictureNumber();
    windows_.preview->SB_playClick();
    playing_ = true;
}

void PlayDriver::Finish()
{
    look_.stop();
    if (playing_) {
        windows_.preview->SB_stopClick();
        rssEnd_ = ResidentKiB();
    }
    playing_ = false;
    windows_.form1->close();
}

} // namespace zorva::bench
