#include "PictureSource.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "TestPicture.h"

namespace zorva::sim {

Jpeg GeneratedPictures::Take(int camera, const std::string& clockText)
{
    return MakeTestPicture(camera, ++counter_, clockText);
}

namespace {

bool IsJpegName(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".jpg" || ext == ".jpeg";
}

} // namespace

std::unique_ptr<FolderPictures> FolderPictures::Open(const std::string& folder, std::string* error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && IsJpegName(it->path())) {
            names.push_back(it->path());
        }
    }
    if (ec) {
        *error = "cannot read the picture folder " + folder + ": " + ec.message();
        return nullptr;
    }
    std::sort(names.begin(), names.end());
    auto source = std::unique_ptr<FolderPictures>(new FolderPictures());
    for (const auto& name : names) {
        std::ifstream in(name, std::ios::binary);
        Jpeg bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad() || bytes.empty()) {
            *error = "cannot read the picture " + name.string();
            return nullptr;
        }
        source->pictures_.push_back(std::move(bytes));
    }
    if (source->pictures_.empty()) {
        *error = "no *.jpg or *.jpeg file in " + folder;
        return nullptr;
    }
    return source;
}

Jpeg FolderPictures::Take(int, const std::string&)
{
    const Jpeg& picture = pictures_[next_];
    next_ = (next_ + 1) % pictures_.size();
    return picture;
}

} // namespace zorva::sim
