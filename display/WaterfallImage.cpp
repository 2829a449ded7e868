#include "display/WaterfallImage.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>

namespace tarnvel::display {

namespace {

// 3 x 5 pixel digits, one row per byte, bit 2 the left column.
constexpr std::array<std::array<uint8_t, 5>, 10> kDigits = {{
    {7, 5, 5, 5, 7},  // 0
    {2, 6, 2, 2, 7},  // 1
    {7, 1, 7, 4, 7},  // 2
    {7, 1, 3, 1, 7},  // 3
    {5, 5, 7, 1, 1},  // 4
    {7, 4, 7, 1, 7},  // 5
    {7, 4, 7, 5, 7},  // 6
    {7, 1, 1, 2, 2},  // 7
    {7, 5, 7, 5, 7},  // 8
    {7, 5, 7, 1, 7},  // 9
}};
constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;
constexpr int kGlyphAdvance = 4;
constexpr int kLabelBandHeight = 10;  // labels are centred in the top 10 rows

void putPixel(uint8_t* strip, int width, int x, int y, uint8_t colour) {
    if (x >= 0 && x < width && y >= 0 && y < kScaleStripHeight)
        strip[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
            colour;
}

void drawLabel(uint8_t* strip, int width, int centreX, const std::string& text) {
    const int textWidth = static_cast<int>(text.size()) * kGlyphAdvance - 1;
    int x = centreX - textWidth / 2;
    const int top = (kLabelBandHeight - kGlyphHeight) / 2;
    for (char ch : text) {
        if (ch >= '0' && ch <= '9') {
            const auto& glyph = kDigits[static_cast<size_t>(ch - '0')];
            for (int gy = 0; gy < kGlyphHeight; ++gy)
                for (int gx = 0; gx < kGlyphWidth; ++gx)
                    if (glyph[static_cast<size_t>(gy)] & (4 >> gx))
                        putPixel(strip, width, x + gx, top + gy, kImageWhite);
        }
        x += kGlyphAdvance;
    }
}

struct PngWriter {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() {
        if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        if (file != nullptr) std::fclose(file);
    }
};

// libpng reports errors by longjmp; nothing with a destructor lives in this frame.
bool writeRows(png_structp png, png_infop info, std::FILE* file, int width, int height,
               const png_color* colours, int colourCount, png_bytep* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, colours, colourCount);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

}  // namespace

std::vector<Colour> imagePalette(const DisplayPalette& palette) {
    std::vector<Colour> out(palette.begin(), palette.end());
    out.push_back(rgb(0, 0, 0));
    out.push_back(rgb(255, 255, 255));
    return out;
}

void drawScaleStrip(const FrequencyScale& scale, double dialKHz, int width, uint8_t* strip) {
    std::fill_n(strip, static_cast<size_t>(width) * kScaleStripHeight, kPaletteBlack);
    for (const ScaleTick& t : scale.ticks(dialKHz)) {
        for (int y = t.top; y <= kScaleTickBottom; ++y) putPixel(strip, width, t.x, y, kImageWhite);
        if (t.labelled) drawLabel(strip, width, t.x, t.label);
    }
}

WaterfallImage::WaterfallImage(int width) : width_(std::max(width, 1)) {}

void WaterfallImage::appendRow(const uint8_t* row) {
    pixels_.insert(pixels_.end(), row, row + width_);
    ++rowCount_;
}

void WaterfallImage::appendSpectrumRow(const SpectrumRow& out, const WaterfallSettings& settings) {
    pixels_.resize(pixels_.size() + static_cast<size_t>(width_), kPaletteBlack);
    paintSpectrumRow(out, settings, width_, pixels_.data() + pixels_.size() - width_);
    ++rowCount_;
}

void WaterfallImage::appendSeparatorRow(const WaterfallSettings& settings) {
    pixels_.resize(pixels_.size() + static_cast<size_t>(width_), kPaletteBlack);
    paintSeparatorRow(settings, width_, pixels_.data() + pixels_.size() - width_);
    ++rowCount_;
}

WaterfallImage WaterfallImage::fromModel(const WaterfallModel& model) {
    WaterfallImage image(model.width());
    // Oldest (bottom line) first, so that NewestFirst reproduces the view.
    for (int line = model.rows() - 1; line >= 0; --line)
        image.appendRow(model.row(model.ringRowForLine(line)));
    return image;
}

WaterfallImageResult WaterfallImage::writePng(const std::string& path,
                                              const DisplayPalette& palette, RowOrder order,
                                              const WaterfallSettings& settings,
                                              const ScaleStripOptions& scaleOptions) const {
    const int stripRows = scaleOptions.show ? kScaleStripHeight : 0;
    const int height = stripRows + rowCount_;
    if (height == 0) return {false, "Error writing " + path + ": no rows"};

    std::vector<uint8_t> strip;
    if (scaleOptions.show) {
        strip.resize(static_cast<size_t>(width_) * kScaleStripHeight);
        drawScaleStrip(FrequencyScale(settings.freqMode, width_, settings.sampleRate),
                       scaleOptions.dialKHz, width_, strip.data());
    }
    std::vector<png_bytep> rows;
    rows.reserve(static_cast<size_t>(height));
    for (int y = 0; y < stripRows; ++y)
        rows.push_back(strip.data() + static_cast<size_t>(y) * width_);
    for (int i = 0; i < rowCount_; ++i) {
        const int source = order == RowOrder::NewestFirst ? rowCount_ - 1 - i : i;
        rows.push_back(const_cast<png_bytep>(row(source)));
    }

    std::vector<png_color> colours;
    for (Colour c : imagePalette(palette))
        colours.push_back(png_color{static_cast<png_byte>(redOf(c)),
                                    static_cast<png_byte>(greenOf(c)),
                                    static_cast<png_byte>(blueOf(c))});

    PngWriter w;
    w.file = std::fopen(path.c_str(), "wb");
    if (w.file == nullptr) return {false, "Cannot create " + path};
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (w.png != nullptr) w.info = png_create_info_struct(w.png);
    if (w.png == nullptr || w.info == nullptr) return {false, "Error writing " + path};
    const bool written = writeRows(w.png, w.info, w.file, width_, height, colours.data(),
                                   static_cast<int>(colours.size()), rows.data());
    std::FILE* file = w.file;
    w.file = nullptr;
    if (std::fclose(file) != 0 || !written) return {false, "Error writing " + path};
    return {true, {}};
}

}  // namespace tarnvel::display
