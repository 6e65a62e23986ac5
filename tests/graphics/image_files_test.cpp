#include "graphics/image_files.h"
#include "graphics/picture_string.h"
#include "host/raster/png_file.h"
#include "values/debug_log.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>
#include <zlib.h>

namespace quillet {
namespace {

namespace fs = std::filesystem;

const std::string images_dir = QUILLET_TEST_IMAGES;

std::vector<uint8_t> file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
std::vector<uint8_t> image(const std::string& name) {
    return file_bytes(images_dir + "/" + name);
}
uint32_t u32(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Surface pixels_of(std::initializer_list<std::initializer_list<Color>> rows) {
    Surface s(static_cast<int>(rows.begin()->size()), static_cast<int>(rows.size()));
    int y = 0;
    for (const auto& row : rows) {
        int x = 0;
        for (Color c : row)
            s.set_pixel(x++, y, c);
        ++y;
    }
    return s;
}

int channel_distance(Color a, Color b) {
    return std::max({std::abs(red_of(a) - red_of(b)), std::abs(green_of(a) - green_of(b)),
                     std::abs(blue_of(a) - blue_of(b))});
}

class TempDir : public testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("quillet-images-" + std::to_string(getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override {
        debug_log_state.path.clear();
        fs::remove_all(dir);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
};

TEST(ImageTypes, NamesIgnoreCaseAndDetectionIsBoundedByTheBytesGiven) {
    EXPECT_EQ(image_type_from_name("ms bmp"), ImageType::bmp);
    EXPECT_EQ(image_type_from_name("png"), ImageType::png);
    EXPECT_EQ(image_type_from_name("Jpeg"), ImageType::jpeg);
    EXPECT_FALSE(image_type_from_name("GIF"));
    EXPECT_FALSE(image_type_from_name("BMP"));
    EXPECT_EQ(detect_image_type(image("photo.jpg")), ImageType::jpeg);
    EXPECT_EQ(detect_image_type(image("palette.png")), ImageType::png);
    const std::vector<uint8_t> bm = {'B', 'M'};
    EXPECT_EQ(detect_image_type(bm), ImageType::bmp);
    const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(detect_image_type(gif));
    const std::vector<uint8_t> png = image("palette.png");
    for (size_t n = 0; n < 10; ++n) // every prefix shorter than what a rule needs fails it
        EXPECT_EQ(detect_image_type(std::span(png).first(n)).has_value(), n >= 8) << n;
}

TEST(PngReader, EveryColourTypeAndDepthBecomesTwentyFourBitsTopDown) {
    struct Case {
        const char* file;
        Surface expected;
    };
    const Case cases[] = {
        {"grey1.png", pixels_of({{0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF},
                                 {0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000}})},
        {"grey16.png", pixels_of({{0x000000, 0x808080, 0x808080}, {0x808080, 0x808080, 0xFFFFFF}})},
        {"rgb16.png", pixels_of({{0xFF0000, 0x0000FF, 0xFF0000}, {0xFF0000, 0xFF0000, 0x00FF00}})},
        {"palette.png",
         [] {
             Surface s(5, 3, 0x0A141E);
             s.set_pixel(4, 2, 0xC86432);
             return s;
         }()},
        // Alpha over white without a background chunk, over the file's own colour with one.
        {"rgba.png", pixels_of({{0xFFFFFF, 0x0000FF}})},
        {"rgba_bkgd.png", pixels_of({{0x00FF00, 0x0000FF}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<uint8_t> picture = read_png_picture(image(c.file));
        const PictureInfo info = read_picture_info(picture);
        EXPECT_EQ(info.bits_per_pixel, 24);
        EXPECT_TRUE(info.top_down);
        EXPECT_EQ(static_cast<int32_t>(u32(picture, 32)), -c.expected.height());
        EXPECT_EQ(u32(picture, 16), 0u);
        EXPECT_EQ(decode_picture(picture), c.expected);
    }
}

TEST(PngReader, InterlacedFileReadsAsTheHostReadsIt) {
    const std::string file = images_dir + "/interlaced.png";
    EXPECT_EQ(decode_picture(read_png_picture(file_bytes(file))), read_png(file));
}

TEST(PngReader, EveryTruncationAndBadSignatureIsWrongType) {
    const std::vector<uint8_t> png = image("rgb16.png");
    for (size_t cut = 0; cut < png.size(); ++cut) {
        try {
            read_png_picture(std::span(png).first(cut));
            // libpng may finish without the end chunk; the picture must still be whole.
        } catch (const ImageFileError& e) {
            EXPECT_EQ(e.code(), image_error::wrong_type) << cut;
        }
    }
    std::vector<uint8_t> bad = png;
    bad[1] = 'Q';
    EXPECT_THROW(read_png_picture(bad), ImageFileError);
}

TEST(PngReader, ChunkLongerThanTheFileIsRefusedBeforeLibpngAllocatesIt) {
    std::vector<uint8_t> png = image("palette.png");
    const std::vector<uint8_t> text = {0x3C, 0, 0, 0, 't', 'E', 'X', 't', 'a', 0, 'b', 0, 0, 0, 0};
    png.insert(png.begin() + 33, text.begin(), text.end()); // after the header chunk
    try {
        read_png_picture(png);
        FAIL();
    } catch (const ImageFileError& e) {
        EXPECT_EQ(e.code(), image_error::wrong_type);
        EXPECT_NE(std::string(e.what()).find("past the end"), std::string::npos);
    }
}

TEST(PngReader, AbsurdSizeIsRefusedBeforeAllocation) {
    std::vector<uint8_t> png = image("palette.png");
    png[16] = 0x7F; // width 0x7F000005 (the CRC is now wrong too: either way no allocation)
    try {
        read_png_picture(png);
        FAIL();
    } catch (const ImageFileError& e) {
        EXPECT_TRUE(e.code() == image_error::wrong_type || e.code() == image_error::out_of_memory);
    }
}

int rows_decoded = 0;
void count_row() {
    ++rows_decoded;
}

TEST(JpegReader, TrueColourIsTwentyFourBitsTopDownAndGreyIsExpanded) {
    rows_decoded = 0;
    const Surface photo = decode_picture(read_jpeg_picture(image("photo.jpg"), 5, count_row));
    ASSERT_EQ(photo.width(), 16);
    ASSERT_EQ(photo.height(), 8);
    EXPECT_EQ(rows_decoded, 8); // the hook (the engine pumps its windows there) runs at each row
    EXPECT_LE(channel_distance(photo.pixel(0, 0), 0xFF0000), 24);  // red at the top
    EXPECT_LE(channel_distance(photo.pixel(15, 7), 0x0000FF), 24); // blue at the bottom
    const std::vector<uint8_t> grey_picture = read_jpeg_picture(image("grey.jpg"), 5);
    EXPECT_EQ(read_picture_info(grey_picture).bits_per_pixel, 24);
    const Surface grey = decode_picture(grey_picture);
    EXPECT_LE(channel_distance(grey.pixel(0, 0), 0xFFFFFF), 8);
    const Color mid = grey.pixel(3, 4);
    EXPECT_EQ(red_of(mid), green_of(mid));
    EXPECT_EQ(red_of(mid), blue_of(mid));
}

TEST(JpegReader, OtherColourClassesAreQuantisedToTheirColourCount) {
    const Surface truth = decode_picture(read_jpeg_picture(image("photo.jpg"), 5));
    for (auto [cls, colors] : {std::pair{0, 8}, {1, 16}, {3, 256}}) {
        SCOPED_TRACE(cls);
        const std::vector<uint8_t> picture = read_jpeg_picture(image("photo.jpg"), cls);
        const PictureInfo info = read_picture_info(picture);
        EXPECT_EQ(info.bits_per_pixel, 8);
        EXPECT_TRUE(info.top_down);
        EXPECT_GE(info.colors, 2u);
        EXPECT_LE(info.colors, static_cast<size_t>(colors));
        const Surface s = decode_picture(picture);
        if (cls == 3) {
            EXPECT_LE(channel_distance(s.pixel(0, 0), truth.pixel(0, 0)), 40);
        }
    }
}

TEST_F(TempDir, CorruptJpegIsWrongTypeWithTheLibrarysMessageInTheDebugLog) {
    debug_log_state.path = path("debug");
    std::vector<uint8_t> jpeg = image("photo.jpg");
    jpeg.resize(30); // inside the quantisation table
    jpeg.push_back(0xFF);
    jpeg.push_back(0xD9); // end of image before any frame
    try {
        read_jpeg_picture(jpeg, 5);
        FAIL();
    } catch (const ImageFileError& e) {
        EXPECT_EQ(e.code(), image_error::wrong_type);
    }
    const std::vector<uint8_t> log = file_bytes(path("debug"));
    EXPECT_NE(std::string(log.begin(), log.end()).find("JPEG: "), std::string::npos);
    const std::vector<uint8_t> not_jpeg = {'x', 'y', 'z'};
    EXPECT_THROW(read_jpeg_picture(not_jpeg, 5), ImageFileError);
}

// The last scan of a progressive file repeated: the library warns and goes on, so only a limit on
// the scans keeps a small file from costing a pass over the image per copy.
TEST(JpegReader, ProgressiveFileWithEndlessScansIsRefused) {
    const std::vector<uint8_t> jpeg = image("progressive.jpg");
    const Surface truth = decode_picture(read_jpeg_picture(jpeg, 5));
    const std::vector<uint8_t> end_of_image = {0xFF, 0xD9};
    const std::vector<uint8_t> start_of_scan = {0xFF, 0xDA};
    auto last_scan =
        std::find_end(jpeg.begin(), jpeg.end(), start_of_scan.begin(), start_of_scan.end());
    ASSERT_NE(last_scan, jpeg.end());
    const std::vector<uint8_t> scan(last_scan, jpeg.end() - 2);
    auto repeated = [&](int copies) {
        std::vector<uint8_t> file(jpeg.begin(), jpeg.end() - 2);
        for (int i = 0; i < copies; ++i)
            file.insert(file.end(), scan.begin(), scan.end());
        file.insert(file.end(), end_of_image.begin(), end_of_image.end());
        return file;
    };
    const Surface few = decode_picture(read_jpeg_picture(repeated(100), 5));
    EXPECT_EQ(few.width(), truth.width());
    EXPECT_EQ(few.height(), truth.height());
    EXPECT_THROW(read_jpeg_picture(repeated(600), 5), ImageFileError);
}

TEST(JpegReader, EveryTruncationEndsInAPictureOrWrongType) {
    const std::vector<uint8_t> jpeg = image("photo.jpg");
    for (size_t cut = 0; cut < jpeg.size(); ++cut) {
        try {
            const Surface s = decode_picture(read_jpeg_picture(std::span(jpeg).first(cut), 5));
            EXPECT_EQ(s.width(), 16); // a file cut in its data is repaired by the library
        } catch (const ImageFileError& e) {
            EXPECT_EQ(e.code(), image_error::wrong_type) << cut;
        }
    }
}

// A BMP file from a picture: the file header and the picture's bitmap.
std::vector<uint8_t> bmp_of(const Surface& s, int bits) {
    return encode_image_file(ImageType::bmp, encode_picture(s, {bits, {}}));
}

TEST(BmpFiles, RoundTripAtEveryDepthTheReaderTakes) {
    Surface s(7, 3, 0xFFFFFF);
    s.set_pixel(0, 0, 0x000000);
    s.set_pixel(6, 2, 0x000000);
    for (int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        const std::vector<uint8_t> file = bmp_of(s, bits);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(u32(file, 2), file.size());
        const std::vector<uint8_t> picture = read_bmp_picture(file);
        EXPECT_EQ(read_picture_info(picture).bits_per_pixel, bits);
        EXPECT_EQ(decode_picture(picture), s);
    }
}

TEST(BmpFiles, SixteenAndThirtyTwoBitPicturesAreWrittenAsTwentyFourBits) {
    Surface s(3, 2, 0x0000FF);
    s.set_pixel(1, 1, 0xFF0000);
    for (int bits : {16, 32}) {
        const std::vector<uint8_t> file = bmp_of(s, bits);
        EXPECT_EQ(file[28], 24);
        EXPECT_EQ(decode_picture(read_bmp_picture(file)), s);
    }
}

TEST(BmpReader, EightBitWithoutColourCountHasAWholeTable) {
    const std::vector<uint8_t> file = bmp_of(Surface(10, 10, 0xFFFFFF), 8);
    std::vector<uint8_t> uncounted = file;
    put32(uncounted, 46, 0);
    const std::vector<uint8_t> picture = read_bmp_picture(uncounted);
    EXPECT_EQ(u32(picture, 16), 1024u);
    EXPECT_EQ(u32(picture, 20), 120u);
}

TEST(BmpReader, EveryHeaderFieldIsCheckedAgainstTheFile) {
    Surface s(5, 4, 0x123456);
    const std::vector<uint8_t> good = bmp_of(s, 8);
    auto refused = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> f = good;
        put32(f, at, v);
        try {
            read_bmp_picture(f);
        } catch (const ImageFileError& e) {
            return e.code();
        }
        return 0;
    };
    EXPECT_EQ(refused(2, 0x7FFFFFFF), image_error::wrong_type);  // size beyond the file
    EXPECT_EQ(refused(10, 0xFFFFFF00), image_error::wrong_type); // pixel offset past the end
    EXPECT_EQ(refused(10, 20), image_error::wrong_type);         // pixels over the headers
    EXPECT_EQ(refused(14, 12), image_error::wrong_type);         // OS/2 header
    EXPECT_EQ(refused(14, 0xFFFFFFFF), image_error::wrong_type); // header beyond the file
    EXPECT_EQ(refused(18, 0), image_error::wrong_type);          // width 0
    EXPECT_EQ(refused(18, 0x80000000), image_error::wrong_type); // negative width
    EXPECT_EQ(refused(18, 40000), image_error::out_of_memory);   // wider than any picture
    EXPECT_EQ(refused(18, 9), image_error::wrong_type);          // rows past the end
    EXPECT_EQ(refused(22, 0x80000000), image_error::wrong_type); // most negative height
    EXPECT_EQ(refused(22, 0), image_error::wrong_type);
    EXPECT_EQ(refused(30, 1), image_error::wrong_type);   // run-length compressed
    EXPECT_EQ(refused(46, 257), image_error::wrong_type); // more colours than 8 bits
    EXPECT_EQ(refused(46, 0x40000001), image_error::wrong_type);
    std::vector<uint8_t> deep = good;
    deep[28] = 32;
    EXPECT_THROW(read_bmp_picture(deep), ImageFileError); // 32 bits are not read
    EXPECT_EQ(refused(2, 0), 0);                          // a size field of 0 is common
    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_THROW(read_bmp_picture(std::span(good).first(cut)), ImageFileError) << cut;
}

TEST(BmpReader, TopDownFileKeepsItsRowOrder) {
    Surface s(2, 2, 0xFFFFFF);
    s.set_pixel(0, 0, 0xFF0000);
    const std::vector<uint8_t> file =
        encode_image_file(ImageType::bmp, encode_picture(s, {24, {}}, true));
    EXPECT_EQ(static_cast<int32_t>(u32(file, 22)), -2);
    EXPECT_EQ(decode_picture(read_bmp_picture(file)), s);
}

TEST(PngWriter, EveryDepthWritesTheSamePixelsTopRowFirst) {
    Surface s(9, 3, 0xFFFFFF);
    s.set_pixel(0, 0, 0x000000);
    s.set_pixel(8, 2, 0x000000);
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        for (bool top_down : {false, true}) {
            const std::vector<uint8_t> png =
                encode_image_file(ImageType::png, encode_picture(s, {bits, {}}, top_down));
            EXPECT_EQ(png[25], 2); // colour type RGB
            EXPECT_EQ(png[24], 8); // bit depth
            EXPECT_EQ(decode_picture(read_png_picture(png)), s);
        }
    }
}

TEST(PngWriter, OlderLayoutPicturesAreWrittenToo) {
    std::vector<uint8_t> older(12 + 8, 0);
    put32(older, 0, 2);
    put32(older, 4, 1);
    put32(older, 8, 8);
    put32(older, 12, 0x00FF0000);
    const Surface s = decode_picture(read_png_picture(encode_image_file(ImageType::png, older)));
    EXPECT_EQ(s.pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(s.pixel(1, 0), 0u);
}

TEST_F(TempDir, ReadingByTypeNameAndByDetection) {
    const std::string bmp = path("a.bmp");
    write_image_file("MS BMP", encode_picture(Surface(3, 3, 0x00FF00), {24, {}}), bmp);
    EXPECT_EQ(decode_picture(read_image_file("", bmp)), Surface(3, 3, 0x00FF00));
    EXPECT_EQ(decode_picture(read_image_file("ms bmp", bmp)), Surface(3, 3, 0x00FF00));
    try {
        read_image_file("PNG", bmp);
        FAIL();
    } catch (const ImageFileError& e) {
        EXPECT_EQ(e.code(), image_error::wrong_type);
    }
    const std::string gif = path("a.gif");
    std::ofstream(gif) << "GIF89a......";
    std::ofstream(path("short")) << "B";
    for (const std::string& f : {gif, path("short"), path("empty")}) {
        std::ofstream(path("empty")).flush();
        try {
            read_image_file("", f);
            FAIL() << f;
        } catch (const ImageFileError& e) {
            EXPECT_EQ(e.code(), image_error::wrong_type) << f;
        }
    }
}

TEST_F(TempDir, MissingFileIsNoSuchFileUnlessQuiet) {
    try {
        read_image_file("PNG", path("missing.png"));
        FAIL();
    } catch (const ImageFileError& e) {
        EXPECT_EQ(e.code(), image_error::no_such_file);
    }
    ImageReadOptions quiet;
    quiet.quiet_missing_file = true;
    EXPECT_TRUE(read_image_file("PNG", path("missing.png"), quiet).empty());
}

TEST_F(TempDir, WritingChecksTypeAndPictureBeforeTouchingTheFile) {
    const std::string keep = path("keep.png");
    std::ofstream(keep) << "precious";
    const std::vector<uint8_t> picture = encode_picture(Surface(2, 2), {24, {}});
    const std::vector<uint8_t> truncated(picture.begin(), picture.end() - 1);
    const std::vector<uint8_t> empty;
    struct Case {
        const char* type;
        std::span<const uint8_t> picture;
    };
    for (const Case& c : {Case{"GIF", picture}, Case{"JPEG", picture}, Case{"PNG", truncated},
                          Case{"MS BMP", empty}}) {
        try {
            write_image_file(c.type, c.picture, keep);
            FAIL() << c.type;
        } catch (const ImageFileError& e) {
            EXPECT_EQ(e.code(), image_error::wrong_type);
        }
        const std::vector<uint8_t> after = file_bytes(keep);
        EXPECT_EQ(std::string(after.begin(), after.end()), "precious") << c.type;
    }
    write_image_file("png", picture, keep); // lower case names the type too
    EXPECT_EQ(decode_picture(read_image_file("", keep)), Surface(2, 2));
    try {
        write_image_file("PNG", picture, path("no/such/dir.png"));
        FAIL();
    } catch (const ImageFileError& e) {
        EXPECT_EQ(e.code(), image_error::cannot_write);
    }
}

// Files of a few hundred bytes whose headers declare pictures past the limit: each reader refuses
// them from the header with 5000 and a message naming the limit (in the debug log too), through
// READ IMAGE's path (a real file, detected by its first bytes). A host's lower limit
// (image_file_policy, which the fuzz targets set) holds as well.
TEST_F(TempDir, PicturesPastTheSizeLimitAreRefusedFromTheirHeaders) {
    debug_log_state.path = path("debug");
    auto set_be = [](std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b[at + i] = static_cast<uint8_t>(v >> (8 * (bytes - 1 - i)));
    };
    auto bmp = [&](uint32_t w, uint32_t h) {
        std::vector<uint8_t> f = bmp_of(Surface(4, 4, 0x102030), 24);
        put32(f, 18, w);
        put32(f, 22, h);
        return f;
    };
    auto png = [&](uint32_t w, uint32_t h) { // the header chunk's CRC made right
        std::vector<uint8_t> f = image("palette.png");
        set_be(f, 16, w, 4);
        set_be(f, 20, h, 4);
        set_be(f, 29, static_cast<uint32_t>(crc32(0, f.data() + 12, 17)), 4);
        return f;
    };
    auto jpeg = [&](uint32_t w, uint32_t h) {
        std::vector<uint8_t> f = image("photo.jpg");
        size_t sof = 2;
        while (!(f[sof] == 0xFF && (f[sof + 1] == 0xC0 || f[sof + 1] == 0xC2)))
            ++sof;
        set_be(f, sof + 5, h, 2);
        set_be(f, sof + 7, w, 2);
        return f;
    };
    auto written = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path(name);
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    // 10000 x 10000 is past 2^26 pixels; 40000 x 2 past 32767 on a side (libpng's own side
    // limit refused that PNG as a malformed file).
    for (const Case& c : {Case{"a.bmp", bmp(10000, 10000)}, Case{"b.bmp", bmp(40000, 2)},
                          Case{"a.png", png(10000, 10000)}, Case{"b.png", png(40000, 2)},
                          Case{"a.jpg", jpeg(10000, 10000)}, Case{"b.jpg", jpeg(40000, 2)}}) {
        try {
            read_image_file("", written(c.name, c.file));
            FAIL() << c.name;
        } catch (const ImageFileError& e) {
            EXPECT_EQ(e.code(), image_error::out_of_memory) << c.name;
            EXPECT_NE(std::string(e.what()).find("larger than an image file may hold (67108864 "
                                                 "pixels, 32767 on a side)"),
                      std::string::npos)
                << e.what();
        }
    }
    const std::vector<uint8_t> log = file_bytes(path("debug"));
    EXPECT_NE(std::string(log.begin(), log.end()).find("image file: a JPEG of 40000 x 2 pixels"),
              std::string::npos);

    // At the limit itself a file is read; a host's lower limit refuses it.
    const std::vector<uint8_t> small = bmp(4, 4);
    EXPECT_EQ(decode_picture(read_bmp_picture(small)), Surface(4, 4, 0x102030));
    const ImageFilePolicy kept = image_file_policy;
    image_file_policy.most_pixels = 15;
    for (const std::vector<uint8_t>& f : {small, png(4, 4), jpeg(4, 4)}) {
        try {
            read_image_file("", written("s", f));
            ADD_FAILURE() << "a 16-pixel picture read under a limit of 15";
        } catch (const ImageFileError& e) {
            EXPECT_EQ(e.code(), image_error::out_of_memory);
            EXPECT_NE(std::string(e.what()).find("(15 pixels"), std::string::npos) << e.what();
        }
    }
    image_file_policy = kept;
}

} // namespace
} // namespace quillet
