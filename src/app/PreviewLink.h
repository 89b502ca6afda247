// The preview window as the link core sees it. The preview window is created after the main
// window, so until it is set every call finds no window and does nothing.
#pragma once

#include <functional>

#include "link/LinkInterfaces.h"

class QWidget;

namespace zorva {

class TFormPict;

class PreviewLink final : public LinkPreview {
public:
    // Attaches the window and lets it read and set the link's picture packet counter.
    void Attach(TFormPict* form, std::function<std::uint16_t()> getPictcnt,
                std::function<void(std::uint16_t)> setPictcnt);
    QWidget* Window() const;
    // Captions of the window from the current language texts.
    void ApplyLanguageTexts();

    std::uint8_t KamNr() const override;
    std::uint8_t PictWB() const override;
    void add2Stream(const std::uint8_t* x, int l) override;
    bool Load2pict(std::uint8_t cam) override;
    void SB_playClick() override;
    void FormShow() override;
    void ShowPlayButtons(bool playing) override;

private:
    TFormPict* form_ = nullptr;
};

} // namespace zorva
