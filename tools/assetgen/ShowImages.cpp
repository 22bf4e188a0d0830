// The pictures of the show, each made for the way the script blends it.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/ShowAssets.h"

namespace fs = std::filesystem;

namespace {

const char* const kBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kRegular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Light type wears a dark outline this wide, so it reads over whatever the show draws under it.
const uint32_t kInk = 0xFF08080Eu;
constexpr double kOutline = 2.5;

struct Writer {
    std::string dir, reason;
    bool ok = true;
    void png(const std::string& name, const Canvas& c) {
        if (!ok) return;
        const fs::path p = fs::path(dir) / name;
        fs::create_directories(p.parent_path());
        if (!c.writePng(p.string())) ok = false, reason = "cannot write " + p.string();
    }
    void jpeg(const std::string& name, const Canvas& c) {
        if (!ok) return;
        const fs::path p = fs::path(dir) / name;
        fs::create_directories(p.parent_path());
        if (!c.writeJpeg(p.string(), 92)) ok = false, reason = "cannot write " + p.string();
    }
};

// Film damage on black, for adding (bright specks and scratches) or subtracting (dark ones).
Canvas filmNoise(uint32_t seed, int specks, int scratches, int level) {
    Canvas c(512, 384);
    Dice d(seed);
    for (int i = 0; i < specks; ++i) {
        const int v = level / 2 + d.below(level / 2 + 1);
        c.disc(d.unit() * 512, d.unit() * 384, 0.4 + d.unit() * 1.6, argb(255, v, v, v), 0.8);
    }
    for (int i = 0; i < scratches; ++i) {
        const double x = d.unit() * 512, wobble = d.unit() * 6 - 3;
        const int v = level / 3 + d.below(level / 2 + 1);
        const double y0 = d.unit() * 200, y1 = y0 + 120 + d.unit() * 260;
        c.line(x, y0, x + wobble, y1, 1.0, argb(255, v, v, v));
    }
    // One soft hair or blotch per frame.
    const double hx = d.unit() * 512, hy = d.unit() * 384;
    for (int k = 0; k < 40; ++k)
        c.disc(hx + std::sin(k * 0.3 + seed) * 30 + k, hy + std::cos(k * 0.21) * 14, 0.8, argb(255, level, level, level), 0.7);
    return c;
}

Canvas interlace(int darkness, int period) {
    Canvas c(512, 384);
    for (int y = 0; y < 384; ++y)
        if (y % period == 0) c.rect(0, y, 512, y + 1, argb(255, darkness, darkness, darkness));
    return c;
}

// A picture that is transparent except for its art, for the opacity blend.
Canvas clear() { return Canvas(512, 384, 0x00000000u); }

// A title and its subtitle, the title's baseline at y. Titles that share the screen stand at different y.
Canvas titleText(const Font& bold, const Font& regular, const std::string& big, const std::string& small,
                 uint32_t colour, int y = 210) {
    Canvas c = clear();
    c.textCentred(bold, big, 64, y, colour, kInk, kOutline);
    c.textCentred(regular, small, 26, y + 42, argb(255, 240, 240, 245), kInk, kOutline);
    return c;
}

Canvas card(const Font& bold, const Font& regular, const std::string& heading, const std::vector<std::string>& lines,
            uint32_t accent) {
    Canvas c = clear();
    c.rect(56, 84, 456, 300, argb(200, 10, 12, 20));
    const uint32_t bar = argb(255, int((accent >> 16 & 255) * 0.6), int((accent >> 8 & 255) * 0.6), int((accent & 255) * 0.6));
    c.rect(56, 84, 456, 90, bar);  // the card's edges in a darker shade of its colour: not to be read as type
    c.rect(56, 294, 456, 300, bar);
    c.textCentred(bold, heading, 30, 136, accent | 0xFF000000u, kInk, kOutline);
    int y = 180;
    for (const std::string& l : lines) {
        c.textCentred(regular, l, 22, y, argb(255, 235, 235, 240), kInk, kOutline);
        y += 32;
    }
    return c;
}

// A scrolling card, added to the frame (so light type on black, no outline: black adds nothing). All its
// type stands in the top 300 rows: as the script scrolls it, the rows below stay clear of the overlay
// words at the bottom of the city and of the end card.
Canvas scroller(const Font& bold, const Font& regular, const std::vector<std::pair<std::string, std::string>>& rows) {
    Canvas c(512, 768);
    int y = 60;
    for (const auto& [heading, text] : rows) {
        if (!heading.empty()) {
            c.textCentred(bold, heading, 34, y, argb(255, 255, 210, 110));
            y += 44;
        }
        if (!text.empty()) {
            c.textCentred(regular, text, 26, y, argb(255, 225, 232, 255));
            y += 38;
        }
        y += 22;
    }
    return c;
}

// The tunnel texture: 256 x 256, seamless both ways (u runs along the tunnel, v round it): every term is
// periodic in 256. The panel joints are soft grooves about six texels wide, not one-texel lines, so the
// grid of the tunnel does not alias into jagged black steps.
Canvas tunnelTexture() {
    Canvas c(256, 256);
    const double tau = 6.283185307179586;
    auto groove = [](int t) {  // 1 on a joint (every 32 texels), falling smoothly to 0 away from it
        const double d = std::min(t % 32, 32 - t % 32);
        return std::exp(-(d * d) / 6.0);
    };
    for (int v = 0; v < 256; ++v)
        for (int u = 0; u < 256; ++u) {
            const double a = std::sin(u * tau / 64) * 0.5 + 0.5, b = std::sin(v * tau / 32 + std::sin(u * tau / 128) * 2) * 0.5 + 0.5;
            const double glow = 0.35 + 0.65 * a * b;
            const double shade = 1.0 - 0.6 * std::max(groove(u), groove(v));
            const int r = int((40 + 200 * glow * (0.6 + 0.4 * std::sin(v * tau / 256))) * shade);
            const int g = int((30 + 120 * glow) * shade), bl = int((90 + 160 * b) * shade);
            c.at(u, v) = argb(255, r, g, bl);
        }
    return c;
}

Canvas flash(const Font& bold, const std::string& word, uint32_t background) {
    Canvas c(512, 384, background);
    for (int y = 0; y < 384; y += 24) c.rect(0, y, 512, y + 12, background ^ 0x00101010u);
    c.textCentred(bold, word, 150, 250, 0xFFFFFFFFu, kInk, kOutline);
    return c;
}

Canvas mask() {
    Canvas c(1024, 768);
    Dice d(808);
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            const double r = std::hypot((x - 512) / 512.0, (y - 384) / 384.0);
            const int v = int(std::clamp((r - 0.55) * 260, 0.0, 200.0));
            c.at(x, y) = argb(255, v, v, v);
        }
    for (int i = 0; i < 900; ++i) {
        const int v = 60 + d.below(140);
        c.disc(d.unit() * 1024, d.unit() * 768, 0.5 + d.unit() * 2.5, argb(255, v, v, v), 1.0);
    }
    return c;
}

Canvas vignette() {
    Canvas c = clear();
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 512; ++x) {
            const double r = std::hypot((x - 256) / 256.0, (y - 192) / 192.0);
            const int a = int(std::clamp((r - 0.8) * 300, 0.0, 170.0));
            if (a > 2) c.at(x, y) = argb(a, 0, 0, 0);
        }
    return c;
}

// A word and three discs in the bottom band of the frame, in its left half (even variants) or right half
// (odd): the two overlays the city shows together take one half each, below the scrolling card's type.
Canvas shapes(const Font& bold, const std::string& word, uint32_t colour, int variant) {
    Canvas c = clear();
    const int half = variant % 2 ? 256 : 0;
    for (int k = 0; k < 3; ++k) c.disc(half + 40 + k * 88 + variant * 7, 312, 13 + 3 * ((k + variant) % 3), colour, 2.0);
    c.text(bold, word, 40, half + (256 - c.textWidth(bold, word, 40)) / 2, 368, 0xFFFFFFFFu, kInk, kOutline);
    return c;
}

}  // namespace

bool writeShowImages(const std::string& dir, std::string& reason) {
    const Font bold(kBold), regular(kRegular);
    if (!bold.ok() || !regular.ok()) {
        reason = std::string("cannot read the DejaVu fonts (") + kBold + ")";
        return false;
    }
    Writer w{dir, "", true};
    for (int i = 1; i <= 8; ++i) w.png("data/mess/noise/1/" + std::to_string(i) + ".png", filmNoise(100 + i, 500, 3, 230));
    for (int i = 1; i <= 6; ++i) w.png("data/mess/noise/2/" + std::to_string(i) + ".png", filmNoise(200 + i, 300, 2, 180));
    for (int i = 1; i <= 9; ++i) w.png("data/mess/noise/3/" + std::to_string(i) + ".png", filmNoise(300 + i, 700, 4, 200));

    w.png("data/overlays/interlace.png", interlace(48, 2));
    w.png("data/overlays/noise.png", filmNoise(400, 2500, 8, 160));
    w.png("data/overlays/noisebg.png", filmNoise(401, 6000, 0, 90));
    Canvas test(512, 384);
    test.verticalGradient(0xFF203060u, 0xFF602030u);
    test.textCentred(bold, "TEST", 80, 220, 0xFFFFFFFFu, kInk, kOutline);
    w.png("data/mess/test.png", test);
    w.png("data/overlays/interlace2.png", interlace(32, 3));
    w.png("data/mess/overlay1.png", vignette());
    const char* words[] = {"CODE", "ART", "MUSIC", "SOFTWARE"};
    const uint32_t hues[] = {argb(230, 230, 80, 60), argb(230, 60, 160, 230), argb(230, 240, 190, 60), argb(230, 150, 90, 220)};
    for (int k = 0; k < 4; ++k) w.png("data/mess/overlay" + std::to_string(k + 2) + ".png", shapes(bold, words[k], hues[k], k));

    Canvas picture(512, 384);
    picture.verticalGradient(0xFF101830u, 0xFF304058u);
    w.png("data/mess/picture.png", picture);
    for (int k = 1; k <= 5; ++k)
        w.png("data/mess/credits" + std::to_string(k) + ".png",
              card(bold, regular, "credits", {"generated by SoftShow"}, argb(255, 90, 200, 250)));
    for (int k = 1; k <= 3; ++k)
        w.png("data/mess/text" + std::to_string(k) + ".png", titleText(bold, regular, "SOFTSHOW", "part " + std::to_string(k), 0xFFFFFFFFu));
    w.png("data/mess/title.png", titleText(bold, regular, "SOFTSHOW", "a software-rendered show", 0xFFFFD070u));

    // text4 (11-16 s) and text1 (15.1-21.1 s) share the screen for a second: one high, one low.
    w.png("data/textpverlay/text1.png", titleText(bold, regular, "every pixel", "computed by our own code", 0xFFFFFFFFu, 290));
    w.png("data/textpverlay/text2.png", titleText(bold, regular, "no gpu", "512 x 384 words, one core", 0xFFFFE0A0u));
    w.png("data/textpverlay/text3.png", titleText(bold, regular, "SOFTSHOW", "presents", 0xFFFFFFFFu));
    w.png("data/textpverlay/text4.png", titleText(bold, regular, "locked", "to the music's position", 0xFFA0E0FFu, 130));
    w.png("data/textpverlay/text5.png", titleText(bold, regular, "thanks", "for watching", 0xFFFFFFFFu));

    w.png("data/mess/mask.png", mask());
    w.png("data/mess/mask2.png", interlace(64, 4));

    w.jpeg("data/mess/tunnel.jpg", tunnelTexture());
    for (int k = 1; k <= 6; ++k) {
        Canvas p(512, 384);
        p.verticalGradient(argb(255, 20 * k, 40, 90), argb(255, 10, 20 * k, 40));
        w.png("data/mess/pic" + std::to_string(k) + ".png", p);
    }
    w.png("data/mess/scroller1.png",
          scroller(bold, regular, {{"SOFTSHOW", "a real-time show in software"},
                                   {"code, art, music", "generated by SoftShow"}, {"", "512 x 384, 32 bits a pixel"}}));
    w.png("data/mess/scroller2.png",
          scroller(bold, regular, {{"thanks to", "the open-source libraries"}, {"", "SDL2   stb   FFTW"},
                                   {"", "mpg123   LAME   Debian"}}));
    const char* flashes[] = {"SOFT", "WARE", "SHOW", "NOW"};
    const uint32_t flashColours[] = {0xFF802020u, 0xFF206080u, 0xFF207040u, 0xFF705010u};
    for (int k = 0; k < 4; ++k) w.png("data/mess/flash" + std::to_string(k + 1) + ".png", flash(bold, flashes[k], flashColours[k]));

    const std::vector<std::vector<std::string>> greets = {
        {"greetings to", "everyone who writes", "free software"},
        {"SDL", "windows, keys and sound"},
        {"stb", "pictures in, pictures out", "and type"},
        {"FFTW", "the spectrum"},
        {"mpg123 and LAME", "the music, both ways"},
        {"GoogleTest", "keeping us honest"},
        {"Debian", "everything else"},
    };
    for (size_t k = 0; k < greets.size(); ++k) {
        std::vector<std::string> lines(greets[k].begin() + 1, greets[k].end());
        w.png("data/greets/greet" + std::to_string(k + 1) + ".png",
              card(bold, regular, greets[k][0], lines, argb(255, 120 + 20 * int(k), 200, 255 - 20 * int(k))));
    }
    Canvas end = clear();
    end.textCentred(bold, "SOFTSHOW", 72, 190, 0xFFFFFFFFu, kInk, kOutline);
    end.textCentred(regular, "thanks for watching", 26, 236, 0xFFD0D8FFu, kInk, kOutline);
    end.textCentred(regular, "made with SDL2, stb, FFTW, mpg123 and LAME", 18, 300, 0xFFB8C0D8u, kInk, kOutline);
    w.png("data/mess/end.png", end);
    reason = w.reason;
    return w.ok;
}
