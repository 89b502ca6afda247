#include "app/PreviewLink.h"

#include "preview/TFormPict.h"

namespace zorva {

void PreviewLink::Attach(TFormPict* form, std::function<std::uint16_t()> getPictcnt,
                         std::function<void(std::uint16_t)> setPictcnt)
{
    form_ = form;
    if (form_ != nullptr) {
        form_->SetPictcntAccess(std::move(getPictcnt), std::move(setPictcnt));
    }
}

QWidget* PreviewLink::Window() const
{
    return form_;
}

void PreviewLink::ApplyLanguageTexts()
{
    if (form_ != nullptr) {
        form_->ApplyLanguageTexts();
    }
}

std::uint8_t PreviewLink::KamNr() const
{
    return form_ != nullptr ? form_->KamNr() : 1;
}

std::uint8_t PreviewLink::PictWB() const
{
    return form_ != nullptr ? form_->PictWB() : 0;
}

void PreviewLink::add2Stream(const std::uint8_t* x, int l)
{
    if (form_ != nullptr) {
        form_->add2Stream(x, l);
    }
}

bool PreviewLink::Load2pict(std::uint8_t cam)
{
    return form_ != nullptr && form_->Load2pict(cam);
}

void PreviewLink::SB_playClick()
{
    if (form_ != nullptr) {
        form_->SB_playClick();
    }
}

void PreviewLink::FormShow()
{
    if (form_ != nullptr) {
        form_->FormShow();
    }
}

void PreviewLink::ShowPlayButtons(bool playing)
{
    if (form_ != nullptr) {
        form_->ShowPlayButtons(playing);
    }
}

} // namespace zorva
