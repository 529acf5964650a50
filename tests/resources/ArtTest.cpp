// The committed pictures and help text: sizes the editor relies on, frames, transparency where
// pictures are blended, light fields under black text, and the help file's format.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Picture {
    int number;
    int width;   // one frame, window pixels
    int height;  // one frame, window pixels
    int frames;
    bool opaque;  // drawn by copying: every pixel must cover what is beneath
};

// The sizes the editor's places assume; the window's size is the size of picture 200.
const Picture kPictures[] = {
    {200, 504, 404, 1, true},  {201, 36, 36, 65, true},   {202, 22, 19, 2, true},   {203, 22, 19, 2, true},
    {206, 36, 18, 2, true},    {207, 36, 36, 65, true},   {208, 56, 18, 2, true},   {209, 56, 16, 2, true},
    {210, 24, 19, 4, false},   {211, 352, 290, 1, true},  {212, 34, 36, 1, false},  {213, 18, 13, 2, true},
    {214, 18, 13, 2, true},    {215, 12, 48, 1, false},   {216, 12, 64, 1, false},  {217, 48, 12, 1, false},
    {218, 48, 12, 1, false},   {222, 44, 13, 2, true},    {223, 17, 29, 1, true},   {224, 17, 29, 1, true},
    {225, 16, 16, 1, false},
};

struct SurfaceCloser {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceCloser>;

std::string ResourcePath(const std::string& name) { return std::string(MH_SOURCE_DIR) + "/resources/" + name; }

Surface LoadPicture(int number, int scale) {
    char name[32];
    std::snprintf(name, sizeof name, scale == 1 ? "bmp%05d.png" : "bmp%05d@2x.png", number);
    Surface s(cairo_image_surface_create_from_png(ResourcePath(name).c_str()));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    cairo_surface_flush(s.get());
    return s;
}

struct Pixel {
    int a, r, g, b;
};

Pixel At(cairo_surface_t* s, int x, int y) {
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    const uint32_t v = reinterpret_cast<const uint32_t*>(row)[x];
    return {static_cast<int>(v >> 24), static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255),
            static_cast<int>(v & 255)};
}

double Luminance(Pixel p) { return 0.299 * p.r + 0.587 * p.g + 0.114 * p.b; }

// Mean luminance of a rectangle of a picture made at `scale`, given in window pixels.
double MeanLuminance(cairo_surface_t* s, int scale, int left, int top, int right, int bottom) {
    double sum = 0;
    int count = 0;
    for (int y = top * scale; y < bottom * scale; ++y)
        for (int x = left * scale; x < right * scale; ++x, ++count) sum += Luminance(At(s, x, y));
    return sum / count;
}

std::vector<std::string> HelpLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

TEST(Art, EveryPictureDecodesAtItsSizeAndTwiceThatAt2x) {
    for (const Picture& p : kPictures) {
        SCOPED_TRACE(p.number);
        Surface one = LoadPicture(p.number, 1);
        Surface two = LoadPicture(p.number, 2);
        ASSERT_TRUE(one && two);
        EXPECT_EQ(cairo_image_surface_get_width(one.get()), p.width);
        EXPECT_EQ(cairo_image_surface_get_height(one.get()), p.height * p.frames);
        EXPECT_EQ(cairo_image_surface_get_height(one.get()) % p.frames, 0);
        EXPECT_EQ(cairo_image_surface_get_width(two.get()), 2 * p.width);
        EXPECT_EQ(cairo_image_surface_get_height(two.get()), 2 * p.height * p.frames);
    }
}

TEST(Art, CopiedPicturesAreOpaqueAndBlendedOnesHaveClearSurroundings) {
    for (const Picture& p : kPictures) {
        SCOPED_TRACE(p.number);
        for (int scale : {1, 2}) {
            Surface s = LoadPicture(p.number, scale);
            ASSERT_TRUE(s);
            const int w = cairo_image_surface_get_width(s.get());
            const int h = cairo_image_surface_get_height(s.get());
            if (p.opaque) {
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) ASSERT_EQ(At(s.get(), x, y).a, 255) << x << "," << y;
            } else {
                EXPECT_EQ(At(s.get(), 0, 0).a, 0);
                EXPECT_EQ(At(s.get(), w - 1, h - 1).a, 0);
            }
        }
    }
    // The ring frames the selected marker: its middle stays clear.
    Surface ring = LoadPicture(212, 1);
    ASSERT_TRUE(ring);
    EXPECT_EQ(At(ring.get(), 17, 18).a, 0);
}

TEST(Art, FramesOfAStripDifferAndThe2xPictureIsTheSameDrawing) {
    for (const Picture& p : kPictures) {
        SCOPED_TRACE(p.number);
        Surface one = LoadPicture(p.number, 1);
        Surface two = LoadPicture(p.number, 2);
        ASSERT_TRUE(one && two);
        for (int f = 0; f < p.frames; ++f) {
            const int top = f * p.height;
            const double a = MeanLuminance(one.get(), 1, 0, top, p.width, top + p.height);
            const double b = MeanLuminance(two.get(), 2, 0, top, p.width, top + p.height);
            EXPECT_NEAR(a, b, 6.0) << "frame " << f;
        }
        if (p.frames > 1) {
            // First and last frames must show different states (knob at its two ends, button up and down).
            bool differ = false;
            for (int y = 0; y < p.height && !differ; ++y)
                for (int x = 0; x < p.width && !differ; ++x) {
                    const Pixel u = At(one.get(), x, y);
                    const Pixel v = At(one.get(), x, y + (p.frames - 1) * p.height);
                    differ = u.r != v.r || u.g != v.g || u.b != v.b || u.a != v.a;
                }
            EXPECT_TRUE(differ);
        }
    }
}

TEST(Art, TextFieldsAreLightAndTheCrowdPlaneIsDark) {
    Surface window = LoadPicture(200, 1);
    Surface plane = LoadPicture(211, 1);
    ASSERT_TRUE(window && plane);
    // The toolkit draws black text here: population, person, display, target menus and the name field.
    const int fields[][4] = {{13, 297, 36, 316}, {424, 38, 447, 59}, {44, 350, 192, 364}, {206, 350, 300, 364},
                             {118, 384, 258, 396}};
    for (const auto& f : fields) EXPECT_GT(MeanLuminance(window.get(), 1, f[0] + 1, f[1] + 1, f[2] - 1, f[3] - 1), 180.0);
    // Light markers and the help pages' light text go over the plane.
    EXPECT_LT(MeanLuminance(plane.get(), 1, 0, 0, 352, 290), 40.0);
}

TEST(HelpText, IsAsciiWithCrLfLineEnds) {
    std::ifstream file(ResourcePath("Murmurhall Help.txt"), std::ios::binary);
    ASSERT_TRUE(file.is_open());
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        ASSERT_TRUE((c >= 32 && c < 127) || c == '\r' || c == '\n') << "byte " << i;
        if (c == '\r') {
            ASSERT_EQ(text[i + 1], '\n') << "byte " << i;
        }
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "byte " << i;
        }
    }
}

TEST(HelpText, HeadingsRulesAndWordsFitTheHelpLayout) {
    std::ifstream file(ResourcePath("Murmurhall Help.txt"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::vector<std::string> lines = HelpLines(text);
    ASSERT_GE(lines.size(), 20u);
    EXPECT_EQ(lines.front().find('#'), std::string::npos);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        SCOPED_TRACE(line);
        const size_t colon = line.find(':');
        // A colon makes a heading: only at the end of a line short enough not to wrap, else a
        // wrapped piece of a paragraph would turn into a heading.
        if (colon != std::string::npos) {
            EXPECT_EQ(colon, line.size() - 1);
            EXPECT_LE(line.size(), 45u);
        }
        // A rule line is hashes only and underlines the heading just above it.
        if (line.find('#') != std::string::npos) {
            EXPECT_EQ(line.find_first_not_of('#'), std::string::npos);
            ASSERT_GT(i, 0u);
            EXPECT_EQ(lines[i - 1].back(), ':');
        }
        // The layout breaks lines at spaces; a word longer than a line would be cut apart.
        size_t run = 0;
        for (char c : line) {
            run = c == ' ' ? 0 : run + 1;
            ASSERT_LE(run, 30u);
        }
    }
}
