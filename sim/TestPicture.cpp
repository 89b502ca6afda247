#include "TestPicture.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>

#include "BitmapFont.h"

namespace zorva::sim {

namespace {

struct Canvas {
    int width;
    int height;
    std::vector<std::uint8_t> rgb;

    void Put(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return;
        }
        const auto at = static_cast<std::size_t>((y * width + x) * 3);
        rgb[at] = r;
        rgb[at + 1] = g;
        rgb[at + 2] = b;
    }

    void Fill(int x0, int y0, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        for (int y = y0; y < y0 + h; ++y) {
            for (int x = x0; x < x0 + w; ++x) {
                Put(x, y, r, g, b);
            }
        }
    }

    // White text with a black shadow so that it reads on any background.
    void Text(int x, int y, int scale, const std::string& text)
    {
        for (int pass = 0; pass < 2; ++pass) {
            const int offset = pass == 0 ? scale / 2 + 1 : 0;
            const std::uint8_t level = pass == 0 ? 0 : 255;
            int penX = x + offset;
            for (char c : text) {
                const auto& rows = Glyph(c);
                for (int row = 0; row < kGlyphHeight; ++row) {
                    for (int col = 0; col < kGlyphWidth; ++col) {
                        if ((rows[static_cast<std::size_t>(row)] >> (kGlyphWidth - 1 - col)) & 1) {
                            Fill(penX + col * scale, y + offset + row * scale, scale, scale, level,
                                 level, level);
                        }
                    }
                }
                penX += (kGlyphWidth + 1) * scale;
            }
        }
    }
};

int TextWidth(const std::string& text, int scale)
{
    return static_cast<int>(text.size()) * (kGlyphWidth + 1) * scale - scale;
}

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info)
{
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    std::longjmp(trap->jump, 1);
}

} // namespace

std::vector<std::uint8_t> EncodeJpeg(const std::vector<std::uint8_t>& rgb, int width, int height,
                                     int quality, const std::string& comment)
{
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
        return {};
    }
    // Only trivially destructible objects live across setjmp; libjpeg reports errors by
    // jumping back here instead of ending the process.
    jpeg_compress_struct info;
    ErrorTrap trap;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnJpegError;
    if (setjmp(trap.jump) != 0) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    if (!comment.empty()) {
        jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                          static_cast<unsigned>(comment.size()));
    }
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> jpeg(buffer, buffer + size);
    std::free(buffer);
    return jpeg;
}

std::vector<std::uint8_t> MakeTestPicture(int camera, unsigned counter,
                                          const std::string& clockText)
{
    Canvas canvas{kTestPictureWidth, kTestPictureHeight,
                  std::vector<std::uint8_t>(kTestPictureWidth * kTestPictureHeight * 3)};
    // Each camera has its own tint so that pictures of different cameras differ at a glance.
    static const std::uint8_t tints[4][3] = {
        {200, 60, 60}, {60, 170, 70}, {60, 90, 200}, {200, 170, 40}};
    const auto& tint = tints[camera & 3];
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            const int shade = 60 + (x * 100) / canvas.width + (y * 60) / canvas.height;
            canvas.Put(x, y, static_cast<std::uint8_t>(tint[0] * shade / 220),
                       static_cast<std::uint8_t>(tint[1] * shade / 220),
                       static_cast<std::uint8_t>(tint[2] * shade / 220));
        }
    }
    // Colour bars along the bottom edge.
    static const std::uint8_t bars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255},
                                            {0, 255, 0},     {255, 0, 255}, {255, 0, 0},
                                            {0, 0, 255},     {0, 0, 0}};
    for (int i = 0; i < 8; ++i) {
        canvas.Fill(i * 40, 208, 40, 32, bars[i][0], bars[i][1], bars[i][2]);
    }

    const std::string letter(1, static_cast<char>('A' + (camera & 3)));
    canvas.Text((canvas.width - TextWidth(letter, 12)) / 2, 12, 12, letter);
    // Appended rather than "#" + to_string(): GCC 12 at -O3 warns (-Wrestrict) on the latter.
    std::string count = "#";
    count += std::to_string(counter);
    canvas.Text((canvas.width - TextWidth(count, 4)) / 2, 112, 4, count);
    canvas.Text((canvas.width - TextWidth(clockText, 2)) / 2, 160, 2, clockText);
    canvas.Text(6, 6, 2, "ZORVA SIM");
    std::string comment = "ZORVA camera ";
    comment += letter;
    comment += " picture ";
    comment += std::to_string(counter);
    return EncodeJpeg(canvas.rgb, canvas.width, canvas.height, 80, comment);
}

} // namespace zorva::sim
