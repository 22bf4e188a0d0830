// Show files: the reader's checks, each bad snippet with the place and message it must give, and the
// building of what it read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/LiveShow.h"
#include "platform/PngWriter.h"
#include "showfile/ShowFile.h"

namespace fs = std::filesystem;

namespace {

// A folder with two pictures, a numbered series and a stand-in scene file, next to the show file.
struct ShowFolder : ::testing::Test {
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("softshow-showfile-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir / "pics");
        std::vector<uint32_t> small(64 * 32, 0x00336699u), square(256 * 256, 0x00C08040u);
        std::string reason;
        ASSERT_TRUE(writePng((dir / "small.png").string(), small.data(), 64, 32, reason)) << reason;
        ASSERT_TRUE(writePng((dir / "square.png").string(), square.data(), 256, 256, reason)) << reason;
        for (int k : {1, 2, 10}) fs::copy_file(dir / "small.png", dir / "pics" / ("p" + std::to_string(k) + ".png"));
        std::ofstream(dir / "scene.3ds") << "not read by the reader";
    }
    void TearDown() override { fs::remove_all(dir); }

    bool parse(const std::string& text, ShowFile& show, ShowProblem& error) {
        return parseShowText(text, (dir / "show.toml").string(), show, error);
    }
    fs::path dir;
};

}  // namespace

TEST_F(ShowFolder, EveryKindOfValueReadsAndBuilds) {
    const std::string text = R"(# a comment
end = 20
lists.pics = "pics/p*.png"
lists.one = ["small.png", "square.png"]
fx = [
  { fx = "FillColor", color = 0x102030, segments = [{ color = [0x000000, 0xFFFFFF], at = [1, 2] }] },
  { fx = "FrameBuffer", layer-mode = 0 },
  { fx = "FX_Image", at = [2, 4], blend = 3, picture = "one:1", opacity = 200, random = true },
  { fx = "Image", at = [5, 3], sequence = "pics" },
  { fx = "Sprite", texture = "pics:2", mode = 8, position = [1, 2, 3], segments = [
      { position2d = [[0, 0], [10, 20]], at = [0, 1] },
      { opacity = [0, 255], at = [0, 1.5] },
  ] },
  { fx = "2DTunnel", id = "t", texture = "one:1" },
  { fx = "ShowBuffer", source = "t", blend = 1 },
  { fx = "FrameBuffer", layer-mode = 1, layer = 0 },
]
)";
    ShowFile show;
    ShowProblem error;
    ASSERT_TRUE(parse(text, show, error)) << error.text();
    EXPECT_EQ(show.end, 20.0f);
    ASSERT_EQ(show.lists.size(), 2u);
    const ShowList& pics = show.lists[1].name == "pics" ? show.lists[1] : show.lists[0];
    ASSERT_EQ(pics.files.size(), 3u);  // in natural order: 1, 2, 10
    EXPECT_EQ(fs::path(pics.files[2]).filename(), "p10.png");
    ASSERT_EQ(show.warnings.size(), 1u);
    EXPECT_EQ(show.warnings[0].text(), (dir / "show.toml").string() + ":9:24: warning: the window ends before it "
                                                                      "starts; the effect never plays (it is still built)");

    ShowContent content;
    ASSERT_TRUE(buildShowContent(show, content, error)) << error.text();
    ASSERT_EQ(content.effects.size(), 8u);
    const Effect& fill = *content.effects[0];
    EXPECT_EQ(fill.startTime, 0.0f);  // no window: the whole show
    EXPECT_EQ(fill.endTime, 20.0f);
    EXPECT_EQ(fill.packed, 0x102030u);
    ASSERT_EQ(fill.colorSegments.size(), 1u);
    EXPECT_EQ(fill.colorSegments[0].to.packed, 0xFFFFFFu);
    const Effect& image = *content.effects[2];
    EXPECT_EQ(image.blendMode, 3);
    EXPECT_EQ(image.opacity, 200);
    EXPECT_TRUE(image.randomPosition);
    ASSERT_NE(image.sourceImage, nullptr);
    EXPECT_EQ(image.sourceImage->width, 256u);
    EXPECT_EQ(content.effects[3]->imageSequence->count, 3);
    const Effect& sprite = *content.effects[4];
    EXPECT_EQ(sprite.position.z, 3.0f);
    ASSERT_EQ(sprite.position2DSegments.size(), 1u);
    EXPECT_EQ(sprite.position2DSegments[0].to.y, 20.0f);
    EXPECT_EQ(sprite.opacitySegments[0].endTime, 1.5f);
    EXPECT_EQ(content.effects[7]->layerMode, 1);

    Timeline timeline(1u);
    timeline.setFrameSize(512, 384);
    installShow(timeline, show, content);
    EXPECT_EQ(timeline.effectCount(), 8);
    timeline.useExternalTime();
    timeline.renderFrame(10);
    EXPECT_EQ(timeline.getLayer(0)->pixels[0] & 0xFFFFFF, 0x102030u);  // the fill, kept by the saving frame buffer
}

TEST_F(ShowFolder, BadFilesNameThePlaceAndWhatIsWrong) {
    const std::string head = "end = 10\nlists.one = \"small.png\"\nlists.pics = \"pics/*.png\"\n";
    const std::pair<std::string, std::string> cases[] = {
        {"end = 10\nfx = [ { fx = \"Zoom\" ", "2:22: "},  // toml++'s own words follow
        {"fx = []", "show.toml:1:1: the show needs its end time: end = SECONDS"},
        {"end = 10\nned = 3", "2:1: unknown key 'ned' (did you mean 'end'?)"},
        {"end = 0", "1:7: the end time must be after 0"},
        {"end = 1e9", "1:7: the end time must lie in 0..3600"},
        {"end = 10\nmusic = \"none.mp3\"", "2:9: the music file 'none.mp3' does not exist"},
        {"end = 10\nlists.a = \"missing.png\"", "2:11: the picture 'missing.png' does not exist"},
        {"end = 10\nlists.a = \"pics/*.jpg\"", "2:11: no file matches 'pics/*.jpg'"},
        {"end = 10\nlists.a = \"*/p1.png\"", "2:11: a pattern may only be in the file name"},
        {"end = 10\nlists.a = []", "2:11: the list 'a' is empty"},
        {head + "fx = [{ at = [0, 1] }]", "4:7: the effect needs its class"},
        {head + "fx = [{ fx = \"FillColour\" }]", "4:14: unknown effect class 'FillColour' (did you mean 'FillColor'?)"},
        {head + "fx = [{ fx = \"FillColor\", colour = 1 }]", "4:27: unknown parameter 'colour' of FillColor (did you mean 'color'?)"},
        {head + "fx = [{ fx = \"Zoom\", speed = 1 }]", "4:22: unknown parameter 'speed' of Zoom (its parameters: none)"},
        {head + "fx = [{ fx = \"FillColor\", color = \"red\" }]", "4:35: FillColor's color must be a colour 0xRRGGBB"},
        {head + "fx = [{ fx = \"FillColor\", color = 0x1000000 }]", "4:35: FillColor's color must be a colour 0xRRGGBB"},
        {head + "fx = [{ fx = \"FillColor\", blend = 3 }]", "4:35: FillColor's blend must lie in 0..2"},
        {head + "fx = [{ fx = \"FillColor\", blend = 1.5 }]", "4:35: FillColor's blend must be a whole number"},
        {head + "fx = [{ fx = \"RadialBlur\", strength = nan }]", "4:39: RadialBlur's strength must lie in 0..1"},
        {head + "fx = [{ fx = \"Image\", random = 1 }]", "4:32: Image's random must be true or false"},
        {head + "fx = [{ fx = \"Image\", picture = \"on:0\" }]", "4:33: no image list 'on' (did you mean 'one'?)"},
        {head + "fx = [{ fx = \"Image\", picture = \"pics:3\" }]", "4:33: Image's picture: the list 'pics' holds 3 pictures (0..2)"},
        {head + "fx = [{ fx = \"Image\", picture = \"pics:x\" }]", "4:33: Image's picture: 'pics:x' is not \"list:index\""},
        {head + "fx = [{ fx = \"Sprite\", position = [1, 2] }]", "4:35: Sprite's position must be [x, y, z]"},
        {head + "fx = [{ fx = \"Sprite\" }]", "4:7: Sprite needs texture (picture \"list:index\")"},
        {head + "fx = [{ fx = \"3ds\", scene = \"gone.3ds\" }]", "4:29: 3ds's scene 'gone.3ds' does not exist"},
        {head + "fx = [{ fx = \"ShowBuffer\", source = \"tunel\" }]", "4:37: ShowBuffer's source: no earlier effect has the id 'tunel'"},
        {head + "fx = [{ fx = \"Zoom\", id = \"a\" }, { fx = \"Zoom\", id = \"a\" }]", "4:54: another effect has the id 'a'"},
        {head + "fx = [{ fx = \"Zoom\", at = [1] }]", "4:27: the window must be [start, end] in seconds"},
        {head + "fx = [{ fx = \"Zoom\", layer-mode = 2 }]", "4:35: layer-mode must lie in -1..1"},
        {head + "fx = [{ fx = \"Noise\", segments = [{ amont = [0, 1], at = [0, 1] }] }]",
         "4:37: unknown segment target 'amont' (did you mean 'amount'?)"},
        {head + "fx = [{ fx = \"Contrast\", segments = [{ opacity = [0, 1], at = [0, 1] }] }]",
         "4:50: Contrast has no 'opacity' segments (it has none)"},
        {head + "fx = [{ fx = \"Noise\", segments = [{ amount = [0, 1] }] }]", "4:35: the segment needs its window"},
        {head + "fx = [{ fx = \"Noise\", segments = [{ amount = [0, 1], color = [0, 1], at = [0, 1] }] }]",
         "4:54: a segment moves one target; this one also names 'color'"},
        {head + "fx = [{ fx = \"Noise\", segments = [{ amount = [0, 70000], at = [0, 1] }] }]",
         "4:50: the amount segment's value must lie in 0..65535"},
        {head + "fx = { fx = \"Zoom\" }", "4:6: fx is the list of effects"},
        {"end = 10 \xC3\xA9", "1:10: a character outside ASCII stands outside a string or a comment"},
        {"end = 10\nfx = [n\n]", "2:8: Error while parsing floating-point: expected 'nan', saw 'n\\x0A'"},
        {head + "fx = [{ fx = \"FrameBuffer\", layer-mode = 1, layer = 0 }]", "4:7: layer 0 is not saved by any effect"},
    };
    for (const auto& [text, expected] : cases) {
        ShowFile show;
        ShowProblem error;
        EXPECT_FALSE(parse(text, show, error)) << text;
        EXPECT_NE(error.text().find(expected), std::string::npos) << text << "\n  gave: " << error.text();
        EXPECT_EQ(error.text().rfind((dir / "show.toml").string(), 0), 0u) << error.text();
    }
}

TEST_F(ShowFolder, LimitsHoldAgainstHostileFiles) {
    std::string many = "end = 10\nfx = [\n";
    for (int k = 0; k <= 500; ++k) many += "{fx=\"Zoom\"},\n";
    many += "]\n";
    std::string huge = "end = 10\n# " + std::string(1 << 20, 'x') + "\n";
    std::string segments = "end = 10\nfx = [{ fx = \"Noise\", segments = [";
    for (int k = 0; k <= 1000; ++k) segments += "{amount=[0,1],at=[0,1]},";
    segments += "] }]\n";
    const std::pair<std::string, std::string> cases[] = {
        {many, "2:6: more than 500 effects"},
        {huge, "show.toml: larger than 1 MiB; not a show file"},
        {segments, "more than 1000 segments in one effect"},
    };
    for (const auto& [text, expected] : cases) {
        ShowFile show;
        ShowProblem error;
        EXPECT_FALSE(parse(text, show, error));
        EXPECT_NE(error.text().find(expected), std::string::npos) << error.text();
    }
}

TEST_F(ShowFolder, BuildingChecksWhatOnlyLoadedPicturesTell) {
    std::ofstream(dir / "broken.png") << "\x89PNG\r\n\x1a\n but not a picture";
    const std::pair<std::string, std::string> cases[] = {
        {"lists.a = \"broken.png\"", "2:7: the list 'a': " + (dir / "broken.png").string()},
        {"lists.a = \"small.png\"\nfx = [{ fx = \"GridExpander\", texture = \"a:0\" }]",
         "3:7: the texture of a GridExpander must be 256 x 256, not 64 x 32"},
        {"lists.a = \"small.png\"\nfx = [{ fx = \"Image\" }]", "3:7: an Image takes a picture or a sequence"},
        {"lists.a = \"small.png\"\nfx = [{ fx = \"Image\", picture = \"a\", sequence = \"a\" }]", "an Image takes a picture"},
    };
    for (const auto& [body, expected] : cases) {
        ShowFile show;
        ShowProblem error;
        ASSERT_TRUE(parse("end = 10\n" + body, show, error)) << error.text();
        ShowContent content;
        EXPECT_FALSE(buildShowContent(show, content, error)) << body;
        EXPECT_NE(error.text().find(expected), std::string::npos) << error.text();
    }
}

// A reload reads what changed on disk (a picture rewritten with other pixels) and keeps what did not.
TEST_F(ShowFolder, AReloadReadsChangedPicturesAndKeepsTheRest) {
    std::ofstream(dir / "show.toml") << "end = 10\nlists.a = [\"small.png\", \"square.png\"]\n"
                                        "fx = [{ fx = \"Image\", picture = \"a:0\" }]\n";
    Timeline timeline(1u);
    timeline.setFrameSize(512, 384);
    LiveShow live;
    ShowProblem error;
    ASSERT_TRUE(live.load((dir / "show.toml").string(), timeline, error)) << error.text();
    auto source = [&](int effect) { return timeline.getEffect(effect)->sourceImage; };
    auto first = [&] { return source(0)->pixels[0] & 0xFFFFFFu; };
    EXPECT_EQ(first(), 0x336699u);
    const std::vector<uint32_t> other(48 * 24, 0x00FF0000u);
    std::string reason;
    ASSERT_TRUE(writePng((dir / "small.png").string(), other.data(), 48, 24, reason)) << reason;
    std::ofstream(dir / "show.toml", std::ios::app) << "# touched\n";
    ASSERT_TRUE(live.load((dir / "show.toml").string(), timeline, error)) << error.text();
    EXPECT_EQ(source(0)->width, 48u);
    EXPECT_EQ(first(), 0xFF0000u);
    std::ofstream(dir / "show.toml") << "end = 10\nlists.a = [\"small.png\", \"square.png\"]\n"
                                        "fx = [{ fx = \"Image\", picture = \"a:1\" }]\n";
    ASSERT_TRUE(live.load((dir / "show.toml").string(), timeline, error)) << error.text();
    EXPECT_EQ(first(), 0xC08040u);  // the unchanged picture, as it was
    std::ofstream(dir / "show.toml") << "end = 10\nfx = [{ fx = \"Image\", picture = \"b:0\" }]\n";
    EXPECT_FALSE(live.load((dir / "show.toml").string(), timeline, error));
    EXPECT_EQ(first(), 0xC08040u);  // a broken file leaves the playing show installed
}
