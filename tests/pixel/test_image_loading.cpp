#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "pixel/ImageList.h"
#include "platform/ImageDecoder.h"
#include "platform/MessageBox.h"

namespace fs = std::filesystem;

namespace {

struct Images : ::testing::Test {
    static void SetUpTestSuite() {
        dir = fs::temp_directory_path() / ("softshow-images-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        // RGBA 3 x 2 with distinct colours and alphas; RGB 640 x 480; a JPEG of a flat colour.
        const unsigned char rgba[] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0,
                                      1, 2, 3, 4, 250, 251, 252, 253, 9, 8, 7, 6};
        stbi_write_png(path("alpha.png").c_str(), 3, 2, 4, rgba, 3 * 4);
        std::vector<unsigned char> rgb(640 * 480 * 3);
        for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = (unsigned char)(i * 7);
        stbi_write_png(path("opaque.png").c_str(), 640, 480, 3, rgb.data(), 640 * 3);
        std::vector<unsigned char> flat(64 * 64 * 3, 0);
        for (size_t i = 0; i < flat.size(); i += 3) flat[i] = 200, flat[i + 1] = 100, flat[i + 2] = 50;
        stbi_write_jpg(path("flat.jpg").c_str(), 64, 64, 3, flat.data(), 95);
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }
    static std::string path(const char* name) { return (dir / name).string(); }
    static std::string write(const char* name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return path(name);
    }
    static inline fs::path dir;
};

// A PNG that claims the given size: signature, IHDR, an empty IDAT and IEND, CRCs included.
std::string pngHeader(uint32_t w, uint32_t h) {
    auto be = [](uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    auto chunk = [&](const std::string& typeAndData) {
        uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char c : typeAndData) {
            crc ^= c;
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return be(uint32_t(typeAndData.size() - 4)) + typeAndData + be(~crc);
    };
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR" + be(w) + be(h) + std::string("\x08\x06\x00\x00\x00", 5)) +
           chunk("IDAT") + chunk("IEND");
}

}  // namespace

TEST_F(Images, DecodeToBlueGreenRedAlphaWords) {
    ImageList list;
    list.add(path("alpha.png"));
    list.add(path("opaque.png"));
    list.add(path("flat.jpg"));
    list.add(path("alpha.png"));  // the same file twice: two images
    ASSERT_EQ(list.count, 4);
    const PixelArray& a = *list.get(0);
    EXPECT_EQ(a.width * 10 + a.height, 32u);
    EXPECT_EQ((std::vector<uint32_t>(a.pixels, a.pixels + 4)),
              (std::vector<uint32_t>{0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0x04010203u}));  // alpha, red, green, blue
    EXPECT_NE(list.get(3), list.get(0));
    EXPECT_EQ(list.get(3)->pixels[4], a.pixels[4]);

    const PixelArray& big = *list.get(1);
    EXPECT_EQ(big.size, 307200u);
    EXPECT_EQ(big.pixels[0] >> 24, 255u);  // opaque files read alpha 255
    EXPECT_EQ(big.pixels[1], 0xFF000000u | 21u << 16 | 28u << 8 | 35u);  // bytes 3, 4, 5 of the rows

    const uint32_t j = list.get(2)->pixels[32 * 64 + 32];
    for (auto [shift, value] : {std::pair{16, 200}, {8, 100}, {0, 50}}) EXPECT_NEAR(int(j >> shift & 255), value, 3);
    EXPECT_EQ(j >> 24, 255u);
    EXPECT_EQ(list.get(-1), nullptr);
    EXPECT_EQ(list.get(4), nullptr);
}

// A JPEG whose first Huffman table declares more codes than a table can hold (its 16 counts sum past 256).
std::string badHuffmanJpeg(const std::string& jpeg) {
    std::string bad = jpeg;
    const size_t dht = bad.find("\xFF\xC4");
    if (dht == std::string::npos) return "";
    for (size_t k = 0; k < 16; ++k) bad[dht + 5 + k] = char(0x20);  // 16 x 32 = 512 codes
    return bad;
}

TEST_F(Images, BmpAndTgaStillDecodeOtherFormatsAreRefused) {
    const unsigned char rgba[] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 1, 2, 3, 4};
    stbi_write_bmp(path("a.bmp").c_str(), 2, 2, 4, rgba);
    stbi_write_tga(path("a.tga").c_str(), 2, 2, 4, rgba);
    for (const char* name : {"a.bmp", "a.tga"}) {
        DecodedImage image;
        std::string reason;
        ASSERT_TRUE(decodeImageFile(path(name), image, reason)) << reason;
        EXPECT_EQ(image.words, (std::vector<uint32_t>{0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0x04010203u})) << name;
    }
    // GIF (and every other format stb_image knows) is not decoded at all.
    DecodedImage image;
    std::string reason;
    const std::string gif = write("a.gif", std::string("GIF89a\x02\x00\x02\x00\x80\x00\x00", 13) + std::string(32, '\0'));
    EXPECT_FALSE(decodeImageFile(gif, image, reason));
    EXPECT_NE(reason.find("not a PNG, JPEG, BMP or TGA picture"), std::string::npos) << reason;
}

TEST_F(Images, BadFilesAreRefusedBeforeAnyLargeAllocation) {
    std::ifstream in(path("alpha.png"), std::ios::binary);
    const std::string png((std::istreambuf_iterator<char>(in)), {});
    std::ifstream inJpeg(path("flat.jpg"), std::ios::binary);
    const std::string jpeg((std::istreambuf_iterator<char>(inJpeg)), {});
    ASSERT_FALSE(badHuffmanJpeg(jpeg).empty());
    const std::pair<std::string, const char*> cases[] = {
        {path("missing.png"), "No such file"},
        {write("empty.png", ""), "empty file"},
        {write("text.png", "just words in a file named like a picture\n"), "not a PNG, JPEG, BMP or TGA"},
        {write("truncated.png", png.substr(0, png.size() / 2)), "PNG"},
        {write("truncated.jpg", jpeg.substr(0, 40)), "JPEG"},
        {write("huffman.jpg", badHuffmanJpeg(jpeg)), "Huffman"},
        {write("huge.png", pngHeader(20000, 20000)), "too large (20000 x 20000"},
        {write("wide.png", pngHeader(kMaxImageSide + 1, 1)), "too large (16385 x 1"},
        {write("nothing.png", pngHeader(0, 5)), "PNG"},
        {dir.string(), "Is a directory"},
    };
    for (const auto& [p, why] : cases) {
        DecodedImage image;
        std::string reason;
        EXPECT_FALSE(decodeImageFile(p, image, reason)) << p;
        EXPECT_EQ(reason.rfind(p + ": ", 0), 0u) << reason;
        EXPECT_NE(reason.find(why), std::string::npos) << reason;
        EXPECT_TRUE(image.words.empty());
    }
}

// Pictures that declare 8192 x 8192 (256 MiB each) in a few hundred bytes are refused from their header once
// they would pass the budget; nothing of them is allocated.
TEST_F(Images, PicturesTogetherStayWithinTheMemoryBudget) {
    const std::string large = write("large.png", pngHeader(8192, 8192));
    DecodedImage image;
    std::string reason;
    EXPECT_FALSE(decodeImageFile(large, image, reason, 255u << 20));
    EXPECT_NE(reason.find("8192 x 8192 needs 256.0 MiB, over budget"), std::string::npos) << reason;

    setMessageBoxesEnabled(false);
    setPictureMemoryLimit(2u << 20);
    resetPictureBudget();
    ImageList list;
    list.add(path("opaque.png"));  // 1,228,800 bytes
    list.add(path("alpha.png"));
    EXPECT_EQ(pictureMemoryUsed(), 1228800u + 24u);
    EXPECT_EXIT(list.add(path("opaque.png")), ::testing::ExitedWithCode(0),
                "Pictures take more memory than allowed!\nsoftshow: .*opaque.png: image 640 x 480 needs 1.2 MiB, over "
                "budget: pictures already loaded take 1.2 MiB of the 2.0 MiB allowed \\(--max-image-memory");
    EXPECT_EXIT(list.add(large), ::testing::ExitedWithCode(0), "large.png: image 8192 x 8192");
    resetPictureBudget();
    EXPECT_EQ(pictureMemoryUsed(), 0u);
    list.add(path("opaque.png"));  // a new loading starts from nothing
    setPictureMemoryLimit(kDefaultPictureMemory);
}

TEST_F(Images, AnUnreadableFileEndsTheProgramWithTheMessage) {
    setMessageBoxesEnabled(false);
    EXPECT_EXIT(
        {
            ImageList list;
            list.add(path("nope.png"));
        },
        ::testing::ExitedWithCode(0), "Error: Texture file not found!\nsoftshow: .*nope.png: ");
}
