#include "catalog.h"

namespace samples {

const std::vector<SampleMovie>& catalog() {
    using C = Compression;
    static const std::vector<SampleMovie> list = {
        {"aurora-gradients.swf", C::Zlib, auroraGradients},
        {"block-letters.swf", C::Zlib, blockLetters},
        {"bouncing-marbles.swf", C::Zlib, bouncingMarbles},
        {"checker-tunnel.swf", C::Zlib, checkerTunnel},
        {"clockwork.swf", C::Zlib, clockwork},
        {"confetti-party.swf", C::Lzma, confettiParty},
        {"equalizer-bars.swf", C::None, equalizerBars},
        {"fireflies-chime.swf", C::Zlib, firefliesChime},
        {"jpeg-postcard.swf", C::Zlib, jpegPostcard},
        {"kaleidoscope.swf", C::Zlib, kaleidoscope},
        {"morphing-bloom.swf", C::None, morphingBloom},
        {"ocean-waves.swf", C::Lzma, oceanWaves},
        {"orbiting-planets.swf", C::None, orbitingPlanets},
        {"pixel-garden.swf", C::Lzma, pixelGarden},
        {"press-me-button.swf", C::None, pressMeButton},
        {"spotlight-mask.swf", C::Zlib, spotlightMask},
        {"starfield-warp.swf", C::Lzma, starfieldWarp},
        {"stroke-styles.swf", C::Lzma, strokeStyles},
        {"sunset-skyline.swf", C::Zlib, sunsetSkyline},
        {"traffic-light.swf", C::None, trafficLight},
    };
    return list;
}

} // namespace samples
