// Every picture the generator writes: its resource number, its size in window pixels (the whole
// strip for pictures with several frames) and how to draw it.
#pragma once

#include <functional>
#include <vector>

#include "ArtPainter.h"

struct ArtResource {
    int number;
    double width;
    double height;
    int frames;
    std::function<void(const ArtPainter&)> draw;
};

class ArtCatalog {
public:
    std::vector<ArtResource> Resources() const;
};
