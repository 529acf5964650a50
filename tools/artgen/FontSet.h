// The two DejaVu Sans faces the art is lettered in, loaded from their files through FreeType so the
// result does not depend on the machine's font configuration.
#pragma once

#include <string>

typedef struct _cairo_font_face cairo_font_face_t;
typedef struct FT_LibraryRec_* FT_Library;

enum class FontStyle { kRegular, kBold };

class FontSet {
public:
    FontSet() = default;
    ~FontSet();
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;

    // Loads both faces; false (with the reason) when a file is missing or unreadable.
    bool Load(const std::string& regularPath, const std::string& boldPath, std::string& error);
    // The face of a style; null before a successful Load.
    cairo_font_face_t* Face(FontStyle style) const;

private:
    cairo_font_face_t* LoadFace(const std::string& path, std::string& error);

    FT_Library library = nullptr;
    cairo_font_face_t* regular = nullptr;
    cairo_font_face_t* bold = nullptr;
};
