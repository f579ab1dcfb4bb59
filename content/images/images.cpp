#include "images.h"

#include "generators.h"
#include "png.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

using imagegen::Canvas;

struct Entry {
    const char *file;
    int width, height;
    const char *kind;
    bool tileable;
    Canvas (*make)(int, int);
    const char *description;
};

// Each description says what the image shows and what the scenes use it for.
const Entry kEntries[] = {
    // Texture maps, all seamless unless said otherwise.
    {"marble.png", 256, 256, "texture", true, imagegen::Marble,
     "White Carrara marble with grey veins; columns, plinths, lettering, puzzle pieces."},
    {"marble_green.jpg", 256, 256, "texture", true, imagegen::MarbleGreen,
     "Dark green banded marble with pale veins; column bases, plinths, puzzle pieces, blocks."},
    {"wood.png", 256, 256, "texture", true, imagegen::Wood,
     "Oak floor boards, four rows of staggered planks with growth rings; floors and blocks."},
    {"brushed_metal.png", 256, 256, "texture", true, imagegen::BrushedMetal,
     "Brushed steel with horizontal streaks; machine parts: chips, reactor rings."},
    {"rust.png", 256, 256, "texture", true, imagegen::Rust,
     "Teal paint eaten by orange-brown rust and pitting; tunnel bands, blocks."},
    {"tiles.png", 256, 256, "texture", true, imagegen::Tiles,
     "Glazed white tiles with cobalt and ochre flower motifs, 4x4 with grout; the walls of a "
     "hall."},
    {"circuit.png", 256, 256, "texture", true, imagegen::Circuit,
     "Green circuit board with traces, pads, vias and three chips; a board for a city of chips."},
    {"tech_panel.png", 256, 256, "texture", true, imagegen::TechPanel,
     "Grey sci-fi hull plates: bevels, rivets, vents, hazard stripes; hull plates, chips, "
     "satellites."},
    {"hexgrid.png", 256, 256, "texture", true, imagegen::HexGrid,
     "Cyan glowing hexagon grid on dark navy, some cells lit; skies, chips, cones, tunnel bands. "
     "Also works "
     "additively."},
    {"checker.png", 128, 128, "texture", true, imagegen::Checker,
     "Anti-aliased 8x8 checker, cream and crimson; puzzle pieces, floors."},
    {"stripes.png", 128, 128, "texture", true, imagegen::CandyStripes,
     "Anti-aliased diagonal candy stripes, pink, white and mint; candy pills."},
    {"brick.png", 256, 256, "texture", true, imagegen::Brick,
     "Red-brown running-bond brick with ragged mortar, 8 courses; hall walls."},
    {"stone.png", 256, 256, "texture", true, imagegen::Flagstones,
     "Irregular grey-beige flagstones with dark joints; floors and plinths."},
    {"concrete.jpg", 256, 256, "texture", true, imagegen::Concrete,
     "Grey cast concrete with stains, pores and grit; decks."},
    {"tunnel_panel.png", 512, 512, "texture", true, imagegen::TunnelPanel,
     "Tunnel lining: 4 panels around by 2 along, cyan light strips, bolted ring beams, grilles, "
     "lamps; tunnel walls."},
    {"grid.png", 256, 256, "texture", true, imagegen::NeonGrid,
     "Magenta and cyan neon grid lines on black; neon floors, skies and tunnel walls. Bright on "
     "black, so "
     "also additive."},
    {"sky.png", 512, 256, "texture", false, imagegen::Sky,
     "Blue sky with cumulus clouds, zenith at the top row and horizon at the bottom; seamless left "
     "to "
     "right only; open-sky backdrops."},
    {"lava.png", 256, 256, "texture", true, imagegen::Lava,
     "Black crust split by glowing orange-yellow cracks; lava floors and skies, glowing parts."},
    {"plasma.png", 256, 256, "texture", true, imagegen::Plasma,
     "Smooth rainbow plasma bands; the skins of tori. Colourful under the white light."},
    {"carbon.png", 128, 128, "texture", true, imagegen::CarbonFibre,
     "Carbon-fibre 2/2 twill weave, dark grey with sheen; dark machine parts, shards, pylons."},
    {"nebula.jpg", 512, 512, "texture", true, imagegen::Nebula,
     "Purple-pink nebula with blue gas and stars on black; space backdrops."},
    {"caustics.png", 256, 256, "texture", true, imagegen::Caustics,
     "Underwater blue with bright rippling caustic light; underwater backdrops."},

    // Sphere-mapped reflection maps.
    {"chrome_env.png", 256, 256, "envmap", false, imagegen::ChromeEnv,
     "Chrome: blue sky with clouds and sun, white horizon, dark checkered ground; chrome and "
     "steel."},
    {"gold_env.png", 256, 256, "envmap", false, imagegen::GoldEnv,
     "Polished gold: warm room with bright windows, gold tinted; gold and warm chrome."},
    {"studio_env.png", 256, 256, "envmap", false, imagegen::StudioEnv,
     "Dark studio with white key, red and blue rim and violet fill softboxes; studio chrome."},
    {"sunset_env.png", 256, 256, "envmap", false, imagegen::SunsetEnv,
     "Sunset: orange-to-purple sky, low sun, mountain silhouettes, sea with a sun path; sunset "
     "chrome, "
     "and strips of it as a texture paint a sky and sea."},
    {"neon_env.png", 256, 256, "envmap", false, imagegen::NeonEnv,
     "Neon night: magenta floor grid, cyan ceiling rings, neon bars on black; neon chrome and "
     "glass."},
    {"ice_env.jpg", 256, 256, "envmap", false, imagegen::IceEnv,
     "Cold ice field under pale sky with a small sun; ice and cold chrome."},
    {"fire_env.png", 256, 256, "envmap", false, imagegen::FireEnv,
     "Inferno: smoky red sky over cracked glowing lava; molten metal and fire-lit steel."},

    // Glows for transparent (additive) materials.
    {"glow_white.png", 128, 128, "glow", false, imagegen::GlowWhite,
     "Soft warm-white round glow; lights and white-outs."},
    {"glow_blue.png", 128, 128, "glow", false, imagegen::GlowBlue,
     "Soft round glow, white core, blue halo; blue lights, sparks and cores."},
    {"glow_orange.png", 128, 128, "glow", false, imagegen::GlowOrange,
     "Soft round glow, white core, orange halo; warm lights, embers, heat and a low sun."},
    {"glow_magenta.png", 128, 128, "glow", false, imagegen::GlowMagenta,
     "Soft round glow, white core, magenta halo; magenta lights, neon rings, haze."},
    {"beam.png", 256, 128, "glow", false, imagegen::Beam,
     "Horizontal light streak, white core and cyan halo, fading at both ends; beams, arcs, light "
     "streaks, neon tubes."},
    {"flare_ring.png", 256, 256, "glow", false, imagegen::FlareRing,
     "Lens-flare ring with a chromatic rim and faint inner haze; halos and flare rings."},
    {"particle.png", 128, 128, "glow", false, imagegen::Particle,
     "Small hot dot with a soft warm halo; particles, stars, sparks."},
    {"sparkle.png", 256, 256, "glow", false, imagegen::Sparkle,
     "Four-point star with shorter diagonal spikes, blue-white; glints and flashes."},
    {"flare_hex.png", 128, 128, "glow", false, imagegen::FlareHex,
     "Faint green hexagonal lens ghost with a brighter rim, for lens-flare chains; no scene has "
     "one yet."},
};

const Entry *FindEntry(const std::string &file)
{
    for (const Entry &e : kEntries) {
        if (file == e.file) return &e;
    }
    return nullptr;
}

bool EndsWith(const std::string &s, const char *suffix)
{
    std::string t(suffix);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

bool WriteOne(const Entry &e, const std::string &dir, std::string *error)
{
    std::vector<unsigned char> rgb = e.make(e.width, e.height).ToRgb8();
    std::string path = dir + "/" + e.file;
    if (EndsWith(path, ".jpg")) {
        return WriteJpeg(path, e.width, e.height, rgb, 92, error);
    }
    return WritePng(path, e.width, e.height, rgb, error);
}

}  // namespace

const std::vector<ImageInfo> &ImageCatalogue()
{
    static const std::vector<ImageInfo> catalogue = [] {
        std::vector<ImageInfo> list;
        for (const Entry &e : kEntries) {
            list.push_back({e.file, e.width, e.height, e.kind, e.description, e.tileable});
        }
        return list;
    }();
    return catalogue;
}

std::vector<unsigned char> RenderImage(const std::string &file, int *w, int *h)
{
    const Entry *e = FindEntry(file);
    *w = e ? e->width : 0;
    *h = e ? e->height : 0;
    if (!e) return {};
    return e->make(e->width, e->height).ToRgb8();
}

bool WriteAllImages(const std::string &dir, std::string *error)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        if (error) *error = dir + ": cannot create directory: " + ec.message();
        return false;
    }
    const size_t count = sizeof kEntries / sizeof kEntries[0];
    std::atomic<size_t> next{0};
    std::mutex failureLock;
    std::string failure;
    auto worker = [&] {
        for (size_t i = next++; i < count; i = next++) {
            std::string message;
            if (!WriteOne(kEntries[i], dir, &message)) {
                std::lock_guard<std::mutex> lock(failureLock);
                if (failure.empty()) failure = message;
            }
        }
    };
    unsigned threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        pool.emplace_back(worker);
    }
    worker();
    for (std::thread &t : pool) {
        t.join();
    }
    if (!failure.empty()) {
        if (error) *error = failure;
        return false;
    }
    return true;
}
