// The bundled sample movies: file name, compression and the function that builds each.
#pragma once

#include "kit.h"

#include <string>
#include <vector>

namespace samples {

struct SampleMovie {
    std::string fileName;
    Compression compression;
    MovieWriter (*build)();
};

// The twenty samples, by file name.
const std::vector<SampleMovie>& catalog();
// The idle animation players show when there is nothing else to show.
MovieWriter defaultMovie();

// Builders, grouped by the files that define them.
MovieWriter auroraGradients();
MovieWriter kaleidoscope();
MovieWriter sunsetSkyline();
MovieWriter equalizerBars();
MovieWriter bouncingMarbles();
MovieWriter orbitingPlanets();
MovieWriter starfieldWarp();
MovieWriter confettiParty();
MovieWriter clockwork();
MovieWriter morphingBloom();
MovieWriter oceanWaves();
MovieWriter strokeStyles();
MovieWriter pixelGarden();
MovieWriter checkerTunnel();
MovieWriter jpegPostcard();
MovieWriter blockLetters();
MovieWriter pressMeButton();
MovieWriter trafficLight();
MovieWriter spotlightMask();
MovieWriter firefliesChime();

} // namespace samples
