#include "PreviewSheet.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <utility>

#include "ArtCatalog.h"
#include "ArtPainter.h"
#include "HelpLayout.h"
#include "WindowLayout.h"

namespace {

struct SurfaceCloser {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceCloser>;

// Draws frame `frame` (of `frames`) of a picture made at `scale` with its top-left at (x, y), in
// window pixels, as the toolkit does.
void Blit(cairo_t* cr, cairo_surface_t* picture, int scale, int frames, int frame, double x, double y,
          double alpha = 1.0) {
    const double w = cairo_image_surface_get_width(picture) / static_cast<double>(scale);
    const double h = cairo_image_surface_get_height(picture) / static_cast<double>(scale) / frames;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_translate(cr, x, y - h * frame);
    cairo_scale(cr, 1.0 / scale, 1.0 / scale);
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

double PersonValue(int person, int field) {
    unsigned a = static_cast<unsigned>(person * 131 + field * 7919 + 17);
    a ^= a >> 13;
    a *= 0x5bd1e995U;
    a ^= a >> 15;
    return (a % 1000) / 999.0;
}

}  // namespace

PreviewSheet::PreviewSheet(const FontSet& fonts, std::string resourceDir, std::string helpPath)
    : fonts(fonts), resourceDir(std::move(resourceDir)), helpPath(std::move(helpPath)) {}

cairo_surface_t* PreviewSheet::Load(int number, int scale) const {
    char name[32];
    std::snprintf(name, sizeof name, scale == 2 ? "/bmp%05d@2x.png" : "/bmp%05d.png", number);
    cairo_surface_t* s = cairo_image_surface_create_from_png((resourceDir + name).c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

bool PreviewSheet::Write(const std::string& outDir, std::string& error) const {
    return Window(outDir + "/preview-1x.png", 1, false, error) && Window(outDir + "/preview-2x.png", 2, false, error) &&
           Window(outDir + "/preview-help.png", 2, true, error) && Strips(outDir + "/preview-strips.png", error);
}

bool PreviewSheet::Window(const std::string& path, int scale, bool help, std::string& error) const {
    std::map<int, Surface> art;
    for (int n : {200, 201, 202, 203, 206, 207, 208, 209, 210, 211, 212, 213, 214, 216, 217, 222, 223, 224, 225}) {
        art[n].reset(Load(n, scale));
        if (!art[n]) {
            error = "picture " + std::to_string(n) + " is missing";
            return false;
        }
    }
    // The 1x window is enlarged twice without smoothing, so single pixels can be judged.
    const int zoom = scale == 1 ? 2 : 1;
    const int width = static_cast<int>(layout::kWindowWidth) * scale * zoom;
    const int height = static_cast<int>(layout::kWindowHeight) * scale * zoom;
    Surface sheet(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    Surface window(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width / zoom, height / zoom));
    cairo_t* cr = cairo_create(window.get());
    cairo_scale(cr, scale, scale);
    const ArtPainter painter(cr, fonts, scale);
    using namespace layout;

    Blit(cr, art[200].get(), scale, 1, 0, 0, 0);
    // The panel takes its picture from the picture's point (2, 2).
    cairo_save(cr);
    cairo_rectangle(cr, kCrowdPanel.left, kCrowdPanel.top, kCrowdPanel.Width(), kCrowdPanel.Height());
    cairo_clip(cr);
    Blit(cr, art[211].get(), scale, 1, 0, 0, 0);
    cairo_restore(cr);

    const double pw = kCrowdPanel.Width();
    const double ph = kCrowdPanel.Height();
    if (!help) {
        Blit(cr, art[217].get(), scale, 1, 0, kCrowdPanel.left + 24, kCrowdPanel.bottom - 20);
        Blit(cr, art[216].get(), scale, 1, 0, kCrowdPanel.left + 4, kCrowdPanel.bottom - 32 - 64);
        double sx = 0, sy = 0;
        for (int person = 0; person < 31; ++person) {
            const double px = kCrowdPanel.left + std::trunc((pw - 8) * PersonValue(person, 6) + 4);
            const double py = kCrowdPanel.top + std::trunc((ph - 8) * (1 - PersonValue(person, 0)) + 4);
            Blit(cr, art[210].get(), scale, 4, 0, px - 12, py - 9);
            if (person == 4) sx = px, sy = py;
        }
        Blit(cr, art[212].get(), scale, 1, 0, sx - 17, sy - 18, 200.0 / 255.0);
        Blit(cr, art[210].get(), scale, 4, 2, sx - 12, sy - 9);
    } else {
        // The help screen as the help pages draw it: text, rules, track, thumb and arrows.
        std::ifstream file(helpPath, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const auto measure = [&](const std::string& s) { return painter.TextWidth(FontStyle::kRegular, 10, s); };
        const auto lines = HelpLayout().Wrap(text, pw - 24, measure);
        std::printf("help: %zu lines after wrapping\n", lines.size());
        const double ox = kCrowdPanel.left, oy = kCrowdPanel.top;
        painter.FillRect(ox + pw - 19, oy + 49, 17, ph - 88, Bytes(49, 82, 112));
        painter.FillRect(ox + pw - 19, oy + 49, 17, 7, Bytes(153, 179, 212));
        Blit(cr, art[223].get(), scale, 1, 0, ox + pw - 19, oy + 20);
        Blit(cr, art[224].get(), scale, 1, 0, ox + pw - 19, oy + ph - 39);
        double top = oy + 8;
        for (size_t i = 0; i < lines.size() && top < oy + ph - 16; ++i, top += 12) {
            const std::string& line = lines[i];
            const bool heading = line.find(':') != std::string::npos;
            if (!heading && line.find('#') != std::string::npos) {
                const double w = i > 0 ? measure(lines[i - 1]) : 0;
                painter.HLine(ox + 5, ox + w + 4, top + 2, Bytes(215, 255, 255));
                continue;
            }
            painter.Text(FontStyle::kRegular, 10, ox + 5, top + 12, line, Align::kLeft,
                         heading ? Bytes(255, 255, 255) : Bytes(185, 211, 244));
        }
    }

    Blit(cr, art[202].get(), scale, 2, 0, kPopulationDown.left, kPopulationDown.top);
    Blit(cr, art[203].get(), scale, 2, 1, kPopulationUp.left, kPopulationUp.top);
    Blit(cr, art[202].get(), scale, 2, 0, kPersonPrevious.left, kPersonPrevious.top);
    Blit(cr, art[203].get(), scale, 2, 0, kPersonNext.left, kPersonNext.top);
    Blit(cr, art[206].get(), scale, 2, 1, kSoloSwitch.left, kSoloSwitch.top);
    Blit(cr, art[208].get(), scale, 2, 0, kRandomiseButton.left, kRandomiseButton.top);
    Blit(cr, art[209].get(), scale, 2, 1, kScopeSwitch.left, kScopeSwitch.top);
    Blit(cr, art[213].get(), scale, 2, 0, kProgramPrevious.left, kProgramPrevious.top);
    Blit(cr, art[214].get(), scale, 2, 0, kProgramNext.left, kProgramNext.top);
    Blit(cr, art[222].get(), scale, 2, help ? 1 : 0, kHelpSwitch.left, kHelpSwitch.top);
    Blit(cr, art[225].get(), scale, 1, 0, kOverloadLamp.left, kOverloadLamp.top, 0.8);
    const Box personKnobs[] = {kSpectraShift, kSpectraModGain, kSpectraModSpeed, kTimeDelay, kTimeModGain,
                               kTimeModSpeed,  kPan,           kGain,            kDiffuserSpread, kSpectraOffset};
    int frame = 0;
    for (const Box& k : personKnobs) Blit(cr, art[201].get(), scale, 65, (frame += 13) % 65, k.left, k.top);
    const Box mixKnobs[] = {kWetKnob, kDryKnob, kLowerKnob, kUpperKnob};
    const int mixFrames[] = {45, 20, 0, 64};
    for (int i = 0; i < 4; ++i) Blit(cr, art[207].get(), scale, 65, mixFrames[i], mixKnobs[i].left, mixKnobs[i].top);

    // Menu and field text as the toolkit draws it: black, 11 px for the numbers, 9 px otherwise.
    const auto black = Bytes(0, 0, 0);
    painter.Text(FontStyle::kRegular, 11, kPopulationMenu.CentreX(), kPopulationMenu.bottom - 5, "31", Align::kCentre, black);
    painter.Text(FontStyle::kRegular, 11, kPersonMenu.CentreX(), kPersonMenu.bottom - 6, "5", Align::kCentre, black);
    painter.Text(FontStyle::kRegular, 9, kDisplayMenu.CentreX(), kDisplayMenu.bottom - 4, "display  X: pan    Y: spectra",
                 Align::kCentre, black);
    painter.Text(FontStyle::kRegular, 9, kTargetMenu.CentreX(), kTargetMenu.bottom - 4, "all", Align::kCentre, black);
    painter.Text(FontStyle::kRegular, 9, kProgramName.left + 2, kProgramName.bottom - 3, "Chattering Crowd", Align::kLeft,
                 black);
    cairo_destroy(cr);

    cairo_t* out = cairo_create(sheet.get());
    cairo_scale(out, zoom, zoom);
    cairo_set_source_surface(out, window.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(out), CAIRO_FILTER_NEAREST);
    cairo_paint(out);
    cairo_destroy(out);
    if (cairo_surface_write_to_png(sheet.get(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool PreviewSheet::Strips(const std::string& path, std::string& error) const {
    const auto resources = ArtCatalog().Resources();
    const int scale = 2;
    const double width = 1000;
    const int height = 400;
    Surface sheet(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), height));
    cairo_t* cr = cairo_create(sheet.get());
    // A dark checkerboard, near the plane's colour, shows which pixels are transparent.
    for (int y = 0; y < height; y += 8)
        for (int x = 0; x < width; x += 8) {
            const double v = ((x + y) / 8) % 2 ? 0.10 : 0.16;
            cairo_set_source_rgb(cr, v, v, v);
            cairo_rectangle(cr, x, y, 8, 8);
            cairo_fill(cr);
        }
    double x = 10, y = 10, rowHeight = 0;
    for (const ArtResource& r : resources) {
        if (r.number == 200 || r.number == 211) continue;
        Surface picture(Load(r.number, scale));
        if (!picture) {
            error = "picture " + std::to_string(r.number) + " is missing";
            cairo_destroy(cr);
            return false;
        }
        const double w = cairo_image_surface_get_width(picture.get());
        // Knob strips: every eighth frame side by side, so the sweep can be seen.
        const int shown = r.frames > 8 ? 9 : 1;
        const double h = cairo_image_surface_get_height(picture.get()) / (shown > 1 ? r.frames : 1);
        if (x + w * shown > width - 10) x = 10, y += rowHeight + 12, rowHeight = 0;
        for (int i = 0; i < shown; ++i) {
            cairo_save(cr);
            cairo_rectangle(cr, x, y, w, h);
            cairo_clip(cr);
            cairo_set_source_surface(cr, picture.get(), x, y - (shown > 1 ? i * 8 * h : 0));
            cairo_paint(cr);
            cairo_restore(cr);
            x += w + 4;
        }
        x += 12;
        rowHeight = std::fmax(rowHeight, h);
    }
    cairo_destroy(cr);
    if (cairo_surface_write_to_png(sheet.get(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
