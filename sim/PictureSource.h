// Where the module's pictures come from: generated test pictures, or the JPEG files of a
// folder taken in turn.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorva::sim {

using Jpeg = std::vector<std::uint8_t>;

class PictureSource {
public:
    virtual ~PictureSource() = default;
    // A new picture of camera 0..3; clockText is the module's clock at the moment.
    virtual Jpeg Take(int camera, const std::string& clockText) = 0;
};

class GeneratedPictures : public PictureSource {
public:
    Jpeg Take(int camera, const std::string& clockText) override;

private:
    unsigned counter_ = 0;
};

class FolderPictures : public PictureSource {
public:
    // Reads every *.jpg / *.jpeg file of the folder (sorted by name). Null with a reason when
    // the folder cannot be read or holds no picture.
    static std::unique_ptr<FolderPictures> Open(const std::string& folder, std::string* error);

    Jpeg Take(int camera, const std::string& clockText) override;
    std::size_t count() const { return pictures_.size(); }

private:
    std::vector<Jpeg> pictures_;
    std::size_t next_ = 0;
};

} // namespace zorva::sim
