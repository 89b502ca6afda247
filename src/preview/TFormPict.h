// The picture preview window. It owns the picture being assembled from the link's packets,
// the camera and packet-size choice, the play and stop buttons and the fit-size choice; it
// saves each complete picture to a file and shows it with a short green flash of its frame.
// The link's picture packet counter is not stored here: the window reads and writes it through
// the accessors given to SetPictcntAccess (until then it keeps a counter of its own).
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <QWidget>

#include "shell/PictureCounter.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QSpinBox;
class QTimer;
class QToolButton;

namespace zorva {

class PictureView;

class TFormPict : public QWidget {
    Q_OBJECT
public:
    using PictcntGet = std::function<std::uint16_t()>;
    using PictcntSet = std::function<void(std::uint16_t)>;

    explicit TFormPict(QWidget* parent = nullptr);
    ~TFormPict() override;

    void SetPictcntAccess(PictcntGet get, PictcntSet set);

    // Called by the link.
    void clrStream();
    // Appends l bytes (0 to 255 in practice) from x to the picture being assembled.
    void add2Stream(const std::uint8_t* x, int l);
    // Saves the assembled picture under the next file name; it is decoded and shown as soon as
    // control returns to the event loop. Returns false and sets *error when the file cannot be
    // written; the shown picture is then unchanged. A picture that cannot be decoded is not an
    // error: the placeholder is shown instead.
    bool Load2pict(std::uint8_t cam, QString* error = nullptr);
    // Camera mask of the chosen camera: A 1, B 2, C 4, D 8; 1 when none is chosen.
    std::uint8_t KamNr() const;
    // Packet size in units of 16 bytes.
    std::uint8_t PictWB() const;
    // Drops any part-received picture and (re)starts the transfer at packet 0.
    void SB_playClick();
    void SB_stopClick();
    // Shows the placeholder picture.
    void FormShow();
    // From the idle handler: stop shown pressed when the counter is 0xFFFF, play otherwise.
    void SyncButtons(std::uint16_t pictcnt);
    void ShowPlayButtons(bool playing);
    // After a language switch: captions from the current language texts.
    void ApplyLanguageTexts();

    // The settings error met while the window was created ("Invalid data type for ..."),
    // empty when there was none; the program shows it.
    QString CreationError() const { return creationError_; }

    // Handlers of the window's controls.
    void RadioGroup1Click();
    void SpinEdit1Change();
    void CheckBox1Click();
    void Timer1Timer();
    // Returns whether a window move was started.
    bool Image1MouseDown(Qt::MouseButton button);
    // Hides the window and stops playing.
    void FormClose();

    // State, for the program and the tests.
    const QByteArray& PicStream() const { return picStream_; }
    // Number of the last saved picture (0 at start; the next is one more, 500 wraps to 0).
    int PictureNumber() const { return pictureNumber_; }
    void SetPictureNumber(int number) { pictureNumber_ = number; }
    // Folder the pictures are saved in, with its trailing separator; the temporary folder unless
    // set (empty: the current folder).
    QString PictureFolder() const;
    void SetPictureFolder(const QString& folder);
    QString LastPictureFile() const { return lastPictureFile_; }
    // The last picture of a camera (0..3 for A..D) saved in this run: the service report's.
    struct CameraPicture {
        QByteArray jpeg; // empty until one was saved
        QDateTime taken;
    };
    const CameraPicture& LastPictureOf(int camera) const { return lastPictures_.at(camera & 3); }
    QImage ShownPicture() const;
    QRect ShownPictureRect() const; // in the coordinates of the picture area
    QSize PictureAreaSize() const;
    bool FrameLit() const { return frameLit_; }
    bool FlashTimerActive() const;
    // Camera item chosen, -1 for none.
    int RadioGroup1ItemIndex() const;
    void SetRadioGroup1ItemIndex(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void BuildControls();
    void SetFrameColour(const QColor& colour);
    void ShowPicture(const QImage& picture);
    // Flashes the frame, decodes the picture saved last and shows it.
    void ShowSavedPicture(const QByteArray& saved);
    std::uint16_t pictcnt() const;
    void setPictcnt(std::uint16_t value);

    PictcntGet getPictcnt_;
    PictcntSet setPictcnt_;
    std::uint16_t ownPictcnt_ = kPictStopped;

    QByteArray picStream_;
    int pictureNumber_ = 0;
    bool folderSet_ = false;
    QString folder_;
    QString lastPictureFile_;
    std::array<CameraPicture, 4> lastPictures_;
    bool frameLit_ = false;
    QString creationError_;

    PictureView* Image1 = nullptr;
    QImage Image2; // the placeholder picture
    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* Panel3 = nullptr;
    QWidget* Panel4 = nullptr;
    QWidget* Panel5 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup1Items = nullptr;
    QToolButton* SB_play = nullptr;
    QToolButton* SB_stop = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QTimer* Timer1 = nullptr;
};

} // namespace zorva
