#include "show/CompiledShow.h"

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "effects/filters/FX_Contrast.h"
#include "effects/filters/FX_FillColor.h"
#include "effects/filters/FX_Noise.h"
#include "effects/filters/FX_RadialBlur.h"
#include "effects/generators/FX_GridExpander.h"
#include "effects/generators/FX_Image.h"
#include "effects/generators/FX_Parallax.h"
#include "effects/generators/FX_Sprite.h"
#include "effects/generators/FX_VLines.h"
#include "scene3d/FX_3ds.h"

namespace {

constexpr float kTwoPi = 6.28318548f;    // bit pattern 0x40C90FDB
constexpr float kFourPi = 12.5663710f;   // bit pattern 0x41490FDB
constexpr uint32_t W = 512, H = 384;

using Seg = LinearInterpolator<int>;
using Seg3 = LinearInterpolator<Vector3>;
using SegC = LinearInterpolator<Color>;

// The files of each list, in load order. Only the numbered noise frames have fixed names.
std::vector<std::string> files(int list) {
    // stem1.png .. stemN.png
    auto series = [](const std::string& stem, int n) {
        std::vector<std::string> v;
        for (int i = 1; i <= n; ++i) v.push_back(stem + std::to_string(i) + ".png");
        return v;
    };
    auto join = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    switch (list) {
        case 1: return series("data/mess/noise/1/", 8);
        case 2: return series("data/mess/noise/2/", 6);
        case 3: return series("data/mess/noise/3/", 9);
        case 4:
            return join({"data/overlays/interlace.png", "data/overlays/noise.png", "data/overlays/noisebg.png",
                         "data/mess/test.png", "data/overlays/interlace2.png"},
                        series("data/mess/overlay", 5));
        case 5: return join({"data/mess/picture.png"}, series("data/mess/credits", 5));
        case 6: return join(series("data/mess/text", 3), {"data/mess/title.png"});
        case 7: return series("data/textpverlay/text", 5);
        case 8: return {"data/mess/mask.png", "data/mess/mask2.png"};
        case 9:
            return join(join(join({"data/mess/tunnel.jpg"}, series("data/mess/pic", 6)),
                             {"data/mess/scroller1.png", "data/mess/scroller2.png"}),
                        series("data/mess/flash", 4));
        case 10: return series("data/greets/greet", 7);
        default: return {"data/mess/end.png"};
    }
}

class Script {
public:
    Script(Timeline& t, ShowContent& c) : timeline(t), content(c) {}

    PixelArray* image(int list, int index) { return content.lists[size_t(list - 1)]->get(index); }
    ImageList* sequence(int list) { return content.lists[size_t(list - 1)].get(); }

    // Appends a built effect with its window, the last step of every entry.
    template <class T>
    T& add(std::unique_ptr<T> effect, float start, float end) {
        effect->setTimeWindow(start, end);
        timeline.addEffect(effect.get());
        T& ref = *effect;
        content.effects.push_back(std::move(effect));
        return ref;
    }

    FX_FillColor& fill(int mode, uint32_t colour, float start, float end) {
        auto e = std::make_unique<FX_FillColor>(W, H, mode);
        e->setPacked(colour);
        return add(std::move(e), start, end);
    }

    FX_FillColor& fade(int mode, uint32_t from, uint32_t to, float start, float end) {
        auto e = std::make_unique<FX_FillColor>(W, H, mode);
        e->addColorSegment(SegC(Color(from), Color(to), start, end));
        return add(std::move(e), start, end);
    }

    FX_Image& picture(int blend, PixelArray* source, float start, float end, int opacity = -1) {
        auto e = std::make_unique<FX_Image>(W, H, nullptr);
        e->setBlendMode(blend);
        e->setSourceImage(source);
        if (opacity >= 0) e->setOpacity(opacity);
        return add(std::move(e), start, end);
    }

    void noisePair(float start, float end, float addedEnd) {
        auto sub = std::make_unique<FX_Image>(W, H, nullptr);
        sub->setBlendMode(2);
        sub->setImageSequence(sequence(3));
        add(std::move(sub), start, end);
        auto added = std::make_unique<FX_Image>(W, H, nullptr);
        added->setBlendMode(1);
        added->setImageSequence(sequence(1));
        add(std::move(added), start, addedEnd);
    }

    FX_Noise& noise(int flags, float start, float end) { return add(std::make_unique<FX_Noise>(W, H, flags), start, end); }

    // A row-swap noise layer whose amount follows `amounts`.
    void rowSwap(std::initializer_list<Seg> amounts, float start, float end) {
        auto e = std::make_unique<FX_Noise>(W, H, 256);
        for (const Seg& a : amounts) e->addAmountSegment(a);
        add(std::move(e), start, end);
    }

    FX_RadialBlur& radialBlur(float start, float end) {
        return add(std::make_unique<FX_RadialBlur>(W, H, 0, 0.05f), start, end);
    }

    FX_3ds& scene(const char* path, float start, float end) { return add(std::make_unique<FX_3ds>(W, H, path), start, end); }

private:
    Timeline& timeline;
    ShowContent& content;
};

}  // namespace

ShowContent buildCompiledShow(Timeline& timeline) {
    ShowContent content;
    resetPictureBudget();
    for (int list = 1; list <= 11; ++list) {
        content.lists.push_back(std::make_unique<ImageList>());
        for (const std::string& f : files(list)) content.lists.back()->add(f);
    }
    timeline.setFrameSize(W, H);
    timeline.setEndTime(122.0f);
    timeline.setStartOffset(0.0f);

    Script s(timeline, content);
    s.fill(0, 0x000000, 15.1f, 36.5f);                                    // 1
    s.radialBlur(14, 36.5f);                                              // 2
    s.fill(2, 0x0F0F0A, 0, 14);                                           // 3
    {                                                                     // 4
        auto e = std::make_unique<FX_3ds>(W, H, "data/scene/spiky/spiky.3ds");
        e->objectRenderMode = 6;
        e->addPositionSegment(Seg3(0, 0, 0, 0, 0, 0, 0, 36.5f));
        e->addAngleSegment(Seg3(0, 0, 0, kTwoPi, kTwoPi, kTwoPi, 0, 36.5f));
        s.add(std::move(e), 0, 36.5f);
    }
    s.rowSwap({Seg(0, 64, 1, 1.75f), Seg(64, 0, 1.75f, 2.5f), Seg(32, 0, 2.5f, 3)}, 1, 3);  // 5
    {                                                                     // 6
        auto e = std::make_unique<FX_Noise>(W, H, 32);
        e->setBlendMode(1);
        e->setPacked(0x666666);
        e->setRadius(1);
        e->setAmount(255);
        s.add(std::move(e), 2.25f, 14.7f);
    }
    s.scene("data/hollin/demo013.3ds", 36.5f, 53.6f);                      // 7
    {                                                                     // 8
        auto e = std::make_unique<FX_3ds>(W, H, "data/hollin/acti2.3ds");
        e->timeScale = 2.0f;
        for (auto [a, b] : {std::pair{59.0f, 59.0f}, {61.25f, 61.5f}, {61.5f, 61.75f}, {61.75f, 62.0f}})
            e->addObjectTrack(LinearInterpolator<float>(56, 58, a, b));
        for (auto [a, b] : {std::pair{66.5f, 66.7f}, {66.7f, 66.9f}, {66.9f, 67.1f}})
            e->addObjectTrack(LinearInterpolator<float>(64.5f, 66.5f, a, b));
        s.add(std::move(e), 53.6f, 68.4f);
    }
    s.fill(0, 0x000000, 68.4f, 84.3f);                                    // 9
    {                                                                     // 10
        auto e = std::make_unique<FX_3ds>(W, H, "data/scene/cube2/cube2.3ds");
        e->objectRenderMode = 6;
        e->addPositionSegment(Seg3(0, 0, -1024, 0, 0, -192, 68.4f, 68.9f));
        e->addPositionSegment(Seg3(0, 0, -192, 0, 0, -1024, 70.8f, 71.1f));
        e->addPositionSegment(Seg3(0, 0, -1024, 0, 0, -150, 71.1f, 71.4f));
        e->addAngleSegment(Seg3(0, 0, 0, kFourPi, kFourPi, kFourPi, 68.4f, 84.3f));
        e->addAngleSegment(Seg3(0, 0, 0, kFourPi, 0, 0, 74, 84.3f));
        e->addAngleSegment(Seg3(0, 0, 0, kFourPi, -kFourPi, -kFourPi, 76.5f, 80.5f));
        e->addAngleSegment(Seg3(0, 0, 0, -kFourPi, kFourPi, -kFourPi, 80.5f, 84.3f));
        s.add(std::move(e), 68.4f, 84.3f);
    }
    s.radialBlur(53.6f, 84.3f);                                           // 11
    s.scene("data/hollin/templom2.3ds", 99.6f, 116.1f);                   // 12
    s.picture(2, s.image(8, 0), 99.6f, 116.1f).randomPosition = true;     // 13
    s.radialBlur(99.6f, 116.1f);                                          // 14
    s.noise(64, 61.6f, 62.4f);                                            // 15
    s.noise(64, 69.1f, 67.1f);                                            // never active
    s.noise(64, 76.5f, 77.9f);                                            // 17
    {                                                                     // 18
        auto e = std::make_unique<FX_GridExpander>(W, H, 1);
        e->setBlendMode(0);
        e->setSourceImage(s.image(9, 0));
        e->addPositionSegment(Seg3(0, 180, 0, 0, -180, 60000, 84.3f, 99.6f));
        e->addTargetSegment(Seg3(-90, 0, 0, 0, 0, -1000, 84.3f, 99.6f));
        e->addPositionSegment(Seg3(0, 10, 0, 0, -10, 6000, 98.5f, 99.6f));
        e->addTargetSegment(Seg3(-70, 0, 0, 0, 0, -650, 98.5f, 99.6f));
        s.add(std::move(e), 84.3f, 99.6f);
    }
    s.noisePair(59.66f, 60.25f, 60.25f);                                  // 19, 20
    s.noisePair(61.66f, 62.25f, 62.25f);                                  // 21, 22
    s.noisePair(65.2f, 68.4f, 68.4f);                                     // 23, 24
    s.noisePair(68.9f, 70, 70);                                           // 25, 26
    s.noisePair(70.75f, 71.5f, 71);                                       // 27, 28
    s.noise(64, 71.7f, 72.5f);                                            // 29
    s.noisePair(72.5f, 84.3f, 84.3f);                                     // 30, 31
    {                                                                     // 32
        auto e = std::make_unique<FX_Image>(W, H, nullptr);
        e->setBlendMode(1);
        e->setImageSequence(s.sequence(3));
        s.add(std::move(e), 102.5f, 103.25f);
    }
    {                                                                     // 33
        auto e = std::make_unique<FX_Sprite>(W, H, s.image(9, 7), 8);
        e->setOpacity(255);
        e->addOpacitySegment(Seg(0, 255, 41, 43));
        e->addOpacitySegment(Seg(255, 0, 52, 54));
        e->addPosition2DSegment(LinearInterpolator<Vector2>(0, 0, 0, -300, 38.1f, 69.6f));
        s.add(std::move(e), 41, 54);
    }
    {                                                                     // 34
        auto e = std::make_unique<FX_Sprite>(W, H, s.image(9, 8), 8);
        e->setOpacity(255);
        e->addPosition2DSegment(LinearInterpolator<Vector2>(0, 384, 0, -300, 99.6f, 120));
        s.add(std::move(e), 99.6f, 120);
    }
    s.add(std::make_unique<FX_Parallax>(W, H, 5u), 84.3f, 99.6f);         // 35
    s.add(std::make_unique<FX_VLines>(W, H), 90, 97.6f);                  // 36
    s.rowSwap({Seg(92, 0, 56.1f, 56.7f), Seg(44, 0, 56.7f, 57.2f), Seg(64, 0, 57.2f, 58.3f)}, 56.1f, 58.3f);  // 37
    {                                                                     // 38
        FX_Image& e = s.picture(3, s.image(10, 0), 84.75f, 99);
        e.addOpacitySegment(Seg(0, 255, 84.75f, 85.25f));
        e.addOpacitySegment(Seg(255, 0, 85.25f, 85.75f));
    }
    const float cards[] = {86.5f, 88.25f, 90, 91.75f, 93.5f, 95.25f};     // 39 to 44
    for (int k = 0; k < 6; ++k) {
        const float a = cards[k];
        auto e = std::make_unique<FX_Image>(W, H, nullptr);
        e->setBlendMode(3);
        e->setSourceImage(s.image(10, k + 1));
        e->addOpacitySegment(Seg(0, 255, a, a + 0.5f));
        e->addOpacitySegment(Seg(255, 0, a + 0.5f, a + 1));
        s.add(std::move(e), a, a + 1);
    }
    s.picture(3, s.image(4, 5), 0, 122, 255);                             // 45
    {                                                                     // 46 to 49
        FX_Image& e46 = s.picture(3, s.image(7, 2), 4, 9, 255);
        e46.addOpacitySegment(Seg(0, 255, 4, 5));
        e46.addOpacitySegment(Seg(255, 0, 8, 9));
        FX_Image& e47 = s.picture(3, s.image(7, 3), 11, 16, 255);
        e47.addOpacitySegment(Seg(0, 255, 11, 12));
        e47.addOpacitySegment(Seg(255, 0, 15, 16));
        s.picture(3, s.image(7, 0), 15.1f, 21.1f, 255).addOpacitySegment(Seg(255, 0, 20.1f, 21.1f));
        s.picture(3, s.image(7, 1), 30.5f, 36.5f, 255).addOpacitySegment(Seg(255, 0, 35.1f, 36.5f));
    }
    const std::pair<float, float> overlays[] = {{40.25f, 42}, {41.2f, 42.75f}, {45.8f, 49.2f}, {46.6f, 50.1f}};
    for (int k = 0; k < 4; ++k) s.picture(3, s.image(4, 6 + k), overlays[k].first, overlays[k].second, 255);  // 50-53
    {                                                                     // 54
        auto e = std::make_unique<FX_FillColor>(W, H, 1);
        const std::pair<float, float> pulses[] = {{40.25f, 40.75f}, {41.2f, 42},    {42, 42.5f},    {42.7f, 43},
                                                  {45.8f, 46.25f},  {46.6f, 47.1f}, {49.2f, 50},    {50.1f, 50.5f},
                                                  {50.75f, 51}};
        for (auto [a, b] : pulses) e->addColorSegment(SegC(Color(0x993333u), Color(0x000000u), a, b));
        s.add(std::move(e), 40.25f, 51);
    }
    s.fade(1, 0xFF0000, 0x000000, 74, 74.5f);                             // 55
    s.fill(0, 0x000000, 116.1f, 122);                                     // 56
    {                                                                     // 57
        FX_Image& e = s.picture(3, s.image(11, 0), 116.5f, 122);
        e.addOpacitySegment(Seg(0, 255, 116.5f, 118.5f));
        e.addOpacitySegment(Seg(255, 0, 120, 122));
    }
    s.fade(2, 0x000000, 0xFFFFFF, 115.1f, 116.1f);                        // 58
    const std::pair<float, float> flashes[] = {{15.1f, 16.1f},   {30.5f, 31.5f},    {38.1f, 40.1f}, {53.6f, 54.6f},
                                               {61.25f, 62.75f}, {68.9f, 69.9f},    {71.5f, 72.5f}, {79, 80},
                                               {99.75f, 100.75f}, {100.2f, 101.2f}, {102.1f, 103.1f}};
    for (int k = 0; k < 11; ++k)                                          // 59 to 69
        s.fade(1, k == 9 ? 0xFFFF6F : 0xFFFFFF, 0x000000, flashes[k].first, flashes[k].second);
    const std::pair<float, float> pictures[] = {{37.1f, 37.3f}, {37.3f, 37.4f}, {37.4f, 37.7f}, {37.7f, 38}};
    for (int k = 0; k < 4; ++k) s.picture(0, s.image(9, 9 + k), pictures[k].first, pictures[k].second);  // 70-73
    {                                                                     // 74
        auto e = std::make_unique<FX_Contrast>(W, H);
        e->contrast = 0.5f;
        s.add(std::move(e), 0, 122);
    }
    s.picture(2, s.image(4, 0), 0, 122);                                  // 75
    return content;
}

ShowContent loadShowFile(Timeline& timeline) {
    timeline.setFrameSize(W, H);
    ShowFile file;
    ShowProblem error;
    ShowContent content;
    const bool ok = readShowFile("show.toml", file, error) && buildShowContent(file, content, error);
    EXPECT_TRUE(ok) << error.text();
    if (ok) installShow(timeline, file, content);
    return content;
}
