#include "FontSet.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

const cairo_user_data_key_t kFaceKey{};

void ReleaseFtFace(void* face) { FT_Done_Face(static_cast<FT_Face>(face)); }

}  // namespace

FontSet::~FontSet() {
    if (regular) cairo_font_face_destroy(regular);
    if (bold) cairo_font_face_destroy(bold);
    // cairo may still cache scaled fonts of the faces; they are only freed at exit, so the
    // library stays open for the life of the process rather than risk a face outliving it.
}

bool FontSet::Load(const std::string& regularPath, const std::string& boldPath, std::string& error) {
    if (!library && FT_Init_FreeType(&library) != 0) {
        error = "FreeType did not start";
        library = nullptr;
        return false;
    }
    regular = LoadFace(regularPath, error);
    if (!regular) return false;
    bold = LoadFace(boldPath, error);
    return bold != nullptr;
}

cairo_font_face_t* FontSet::Face(FontStyle style) const { return style == FontStyle::kBold ? bold : regular; }

cairo_font_face_t* FontSet::LoadFace(const std::string& path, std::string& error) {
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        error = "cannot load the font " + path;
        return nullptr;
    }
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    // The FreeType face must live exactly as long as cairo's face that draws with it.
    if (cairo_font_face_set_user_data(cairoFace, &kFaceKey, face, ReleaseFtFace) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(cairoFace);
        FT_Done_Face(face);
        error = "cairo refused the font " + path;
        return nullptr;
    }
    return cairoFace;
}
