#include "toolkit/ToolkitFont.h"

#include <cairo-ft.h>
#include <string>
#include <utility>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "toolkit/VstguiTypes.h"

namespace {

constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu/";

struct Faces {
    cairo_font_face_t* normal = nullptr;
    cairo_font_face_t* bold = nullptr;
    cairo_font_options_t* options = nullptr;
    // The options are plain memory cairo keeps no reference to; freeing them at unload keeps a host
    // that loads and unloads the plug-in from collecting them.
    Faces() = default;
    Faces(Faces&& other) noexcept
        : normal(other.normal), bold(other.bold), options(std::exchange(other.options, nullptr)) {}
    ~Faces() {
        if (options != nullptr) cairo_font_options_destroy(options);
    }
};

cairo_font_face_t* LoadFace(FT_Library library, const char* file, bool bold) {
    FT_Face face = nullptr;
    if (library != nullptr && FT_New_Face(library, (std::string(kFontFolder) + file).c_str(), 0, &face) == 0) {
        cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
        if (cairo_font_face_status(cairoFace) == CAIRO_STATUS_SUCCESS) return cairoFace;
        cairo_font_face_destroy(cairoFace);
        FT_Done_Face(face);
    }
    // Without the file the text still shows, in whatever fontconfig calls DejaVu Sans.
    return cairo_toy_font_face_create("DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                                      bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
}

// Loaded once and never released: cairo's caches may keep the faces after this module is unloaded,
// and a release callback into unloaded code would crash the host. The cost is one small FreeType
// library per load of the module.
const Faces& TheFaces() {
    static const Faces faces = [] {
        Faces f;
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
        f.normal = LoadFace(library, "DejaVuSans.ttf", false);
        f.bold = LoadFace(library, "DejaVuSans-Bold.ttf", true);
        f.options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(f.options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(f.options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_antialias(f.options, CAIRO_ANTIALIAS_GRAY);
        return f;
    }();
    return faces;
}

cairo_scaled_font_t* CreateScaledFont(double pixelSize, long style) {
    cairo_matrix_t fontMatrix;
    cairo_matrix_t identity;
    cairo_matrix_init_scale(&fontMatrix, pixelSize, pixelSize);
    cairo_matrix_init_identity(&identity);
    return cairo_scaled_font_create(ToolkitFont::Face(style), &fontMatrix, &identity, ToolkitFont::Options());
}

// Length of the UTF-8 sequence starting at s, 0 when it is not a valid one.
size_t Utf8SequenceLength(const unsigned char* s) {
    const unsigned char c = s[0];
    size_t length = 0;
    unsigned int codePoint = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) { length = 2; codePoint = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { length = 3; codePoint = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { length = 4; codePoint = c & 0x07; }
    else return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0;  // also stops at the terminating zero
        codePoint = (codePoint << 6) | (s[i] & 0x3F);
    }
    const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return overlong || surrogate || codePoint > 0x10FFFF ? 0 : length;
}

}  // namespace

cairo_font_face_t* ToolkitFont::Face(long style) {
    const Faces& faces = TheFaces();
    return (style & kBoldFace) != 0 ? faces.bold : faces.normal;
}

const cairo_font_options_t* ToolkitFont::Options() { return TheFaces().options; }

double ToolkitFont::Advance(const std::string& utf8, double pixelSize, long style) {
    if (utf8.empty() || !(pixelSize > 0)) return 0;
    cairo_scaled_font_t* font = CreateScaledFont(pixelSize, style);
    cairo_text_extents_t extents{};
    cairo_scaled_font_text_extents(font, utf8.c_str(), &extents);
    const bool ok = cairo_scaled_font_status(font) == CAIRO_STATUS_SUCCESS;
    cairo_scaled_font_destroy(font);
    return ok ? extents.x_advance : 0;
}

void ToolkitFont::VerticalMetrics(double pixelSize, long style, double* ascent, double* descent) {
    cairo_scaled_font_t* font = CreateScaledFont(pixelSize > 0 ? pixelSize : 1, style);
    cairo_font_extents_t extents{};
    cairo_scaled_font_extents(font, &extents);
    cairo_scaled_font_destroy(font);
    if (ascent != nullptr) *ascent = extents.ascent;
    if (descent != nullptr) *descent = extents.descent;
}

std::string ToolkitFont::ToUtf8(const char* text) {
    std::string out;
    if (text == nullptr) return out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    bool valid = true;
    for (const unsigned char* p = bytes; *p != 0;) {
        const size_t length = Utf8SequenceLength(p);
        if (length == 0) {
            valid = false;
            break;
        }
        p += length;
    }
    for (const unsigned char* p = bytes; *p != 0; ++p) {
        const unsigned char c = *p;
        if (c < 0x20 || c == 0x7F) out += ' ';
        else if (c < 0x80 || valid) out += static_cast<char>(c);
        else {  // Latin-1 byte: two UTF-8 bytes
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
