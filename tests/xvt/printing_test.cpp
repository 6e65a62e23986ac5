// Printing: documents of print windows as PDF files (page count and pixels read back with
// poppler's pdfinfo and pdftoppm), the cancel dialog driven by scripted clicks, sending to a
// printer through a stand-in `lp`, and the print-setup dialog.
#include "xvt_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quillet {
namespace {

using namespace xvt_test;
namespace fs = std::filesystem;

std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, p))
            out.append(buffer, n);
        pclose(p);
    }
    return out;
}

int page_count(const fs::path& pdf) {
    std::string info = run("pdfinfo '" + pdf.string() + "' 2>/dev/null");
    size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

// One page rendered by poppler at the resolution, as a binary PPM read into a surface.
Surface rendered_page(const fs::path& pdf, int page, int resolution) {
    const fs::path out = pdf.parent_path() / "rendered";
    run("pdftoppm -r " + std::to_string(resolution) + " -f " + std::to_string(page) + " -l " +
        std::to_string(page) + " -singlefile '" + pdf.string() + "' '" + out.string() + "'");
    std::ifstream in(out.string() + ".ppm", std::ios::binary);
    std::string magic;
    int width = 0, height = 0, max = 0;
    in >> magic >> width >> height >> max;
    in.get();
    if (magic != "P6" || width <= 0 || height <= 0) return Surface(1, 1, 0);
    Surface s(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char rgb[3];
            in.read(reinterpret_cast<char*>(rgb), 3);
            s.set_pixel(x, y, (Color{rgb[0]} << 16) | (Color{rgb[1]} << 8) | rgb[2]);
        }
    return s;
}

std::vector<fs::path> files_in(const fs::path& dir) {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(dir))
        out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
}

class Printing : public LayerTest {
protected:
    fs::path dir;
    void SetUp() override {
        LayerTest::SetUp();
        dir = fs::temp_directory_path() /
              ("quillet-print-test-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        setenv("QUILLET_PRINT_DIR", dir.c_str(), 1);
        unsetenv("QUILLET_PRINTER");
    }
    void TearDown() override {
        LayerTest::TearDown();
        unsetenv("QUILLET_PRINT_DIR");
        unsetenv("QUILLET_PRINTER");
        fs::remove_all(dir);
    }
    void fill(XvtWindow page, IntRect r, Color c) {
        DrawTools t;
        t.pen_pattern = 1;
        t.brush_color = c;
        xp_dwin_set_draw_ctools(page, t);
        xp_dwin_draw_rect(page, r);
    }
};

TEST_F(Printing, TwoPagesBecomeAPdfWithTheirPictures) {
    XvtPrintSetup setup = xp_print_default_setup();
    setup.resolution = 100;
    EXPECT_EQ(xp_print_page_size(setup), (IntSize{850 - 50, 1100 - 50}));
    XvtWindow page = xp_print_create_win(&setup, "Report");
    ASSERT_NE(page, no_xvt_window);
    EXPECT_EQ(xp_vobj_get_type(page), 4);
    IntRect client;
    xp_vobj_get_client_rect(page, client);
    EXPECT_EQ(client, (IntRect{0, 0, 800, 1050}));

    ASSERT_TRUE(xp_print_start_page(page));
    fill(page, {100, 100, 300, 300}, 0xFF0000);
    ASSERT_TRUE(xp_print_end_page(page));
    ASSERT_TRUE(xp_print_start_page(page)); // starts white again
    fill(page, {400, 600, 600, 800}, 0x0000FF);
    ASSERT_TRUE(xp_print_end_page(page));
    ASSERT_TRUE(xp_print_close_win(page));
    EXPECT_EQ(xp_vobj_get_type(page), 0); // freed
    EXPECT_TRUE(hooked_errors.size() == 1 && hooked_errors[0].id == 0x20000001u);

    EXPECT_EQ(files_in(dir), (std::vector<fs::path>{"Report.pdf"}));
    const fs::path pdf = dir / "Report.pdf";
    EXPECT_EQ(page_count(pdf), 2);
    EXPECT_NE(run("pdfinfo '" + pdf.string() + "'").find("612 x 792 pts"), std::string::npos);
    // At the same resolution the page's pixels come back where they were, a quarter inch in.
    Surface first = rendered_page(pdf, 1, 100);
    ASSERT_EQ(first.width(), 850);
    EXPECT_EQ(first.pixel(25 + 200, 25 + 200), 0xFF0000u);
    EXPECT_EQ(first.pixel(25 + 500, 25 + 700), 0xFFFFFFu);
    Surface second = rendered_page(pdf, 2, 100);
    EXPECT_EQ(second.pixel(25 + 500, 25 + 700), 0x0000FFu);
    EXPECT_EQ(second.pixel(25 + 200, 25 + 200), 0xFFFFFFu);

    // A second document of the same title does not replace the first.
    page = xp_print_create_win(&setup, "Report");
    xp_print_start_page(page);
    EXPECT_TRUE(xp_print_close_win(page)); // the open page ends first
    EXPECT_EQ(page_count(dir / "Report-2.pdf"), 1);
}

TEST_F(Printing, FontsMapAtThePrintersResolution) {
    XvtWindow page = xp_print_create_win(nullptr, "Fonts");
    XvtWindow window = open("Screen");
    XvtFont font = xp_font_create();
    xp_font_set_family(font, "fixed");
    xp_font_set_size(font, 12);
    xp_dwin_set_font(page, font);
    xp_dwin_set_font(window, font);
    const int32_t on_paper = xp_dwin_get_text_width(page, "MMMMMMMMMM", -1);
    const int32_t on_screen = xp_dwin_get_text_width(window, "MMMMMMMMMM", -1);
    EXPECT_NEAR(on_paper, on_screen * 300 / 96, on_paper / 20);
    xp_print_close_win(page);
}

// A bitmap font of one glyph, in BDF, beside the system's fonts in a fontconfig configuration of
// the test's own (the system's may leave bitmap fonts out).
class PrinterFonts : public Printing {
protected:
    static constexpr const char* bitmap_family = "Quillet Bitmap Test";
    void SetUp() override {
        fonts = fs::temp_directory_path() / ("quillet-printer-fonts-" + std::to_string(getpid()));
        fs::remove_all(fonts);
        fs::create_directories(fonts);
        std::ofstream(fonts / "bitmap.bdf")
            << "STARTFONT 2.1\n"
               "FONT -quillet-QuilletBitmapTest-medium-r-normal--10-100-75-75-c-60-iso8859-1\n"
               "SIZE 10 75 75\nFONTBOUNDINGBOX 6 10 0 -2\nSTARTPROPERTIES 3\n"
               "FAMILY_NAME \""
            << bitmap_family
            << "\"\nFONT_ASCENT 8\nFONT_DESCENT 2\nENDPROPERTIES\nCHARS 1\nSTARTCHAR A\n"
               "ENCODING 65\nSWIDTH 600 0\nDWIDTH 6 0\nBBX 6 10 0 -2\nBITMAP\n"
               "00\n30\n48\n84\n84\nFC\n84\n84\n00\n00\nENDCHAR\nENDFONT\n";
        std::ofstream(fonts / "fonts.conf")
            << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
               "<fontconfig><dir>/usr/share/fonts</dir><dir>"
            << fonts.string() << "</dir><cachedir>" << (fonts / "cache").string()
            << "</cachedir></fontconfig>\n";
        // fontconfig reads its configuration when its first user starts it.
        setenv("FONTCONFIG_FILE", (fonts / "fonts.conf").c_str(), 1);
        Printing::SetUp();
    }
    void TearDown() override {
        Printing::TearDown();
        unsetenv("FONTCONFIG_FILE");
        fs::remove_all(fonts);
    }
    fs::path fonts;
};

TEST_F(PrinterFonts, APrintWindowListsOnlyTheScalableFamilies) {
    auto has = [](const std::vector<std::string>& list, std::string_view family) {
        return std::find(list.begin(), list.end(), family) != list.end();
    };
    XvtWindow window = open("Screen");
    const std::vector<std::string> screen = xp_fmap_get_families(window);
    ASSERT_TRUE(has(screen, bitmap_family)); // the screen draws with every installed font
    XvtWindow page = xp_print_create_win(nullptr, "Families");
    ASSERT_NE(page, no_xvt_window);
    const std::vector<std::string> printer = xp_fmap_get_families(page);
    EXPECT_FALSE(has(printer, bitmap_family));
    EXPECT_TRUE(has(printer, "Liberation Sans"));
    EXPECT_TRUE(std::is_sorted(printer.begin(), printer.end()));
    for (const std::string& family : printer)
        EXPECT_TRUE(has(screen, family)) << family;
    EXPECT_EQ(printer.size() + 1, screen.size());
    xp_print_close_win(page);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(Printing, CancellingAbortsTheDocumentAtTheNextPage) {
    // The cancel dialog is titled with the executable's name; Cancel sits at (100, 64)-(180, 88).
    // The click comes after a pause, so the first page is done before it.
    start("wait 500ms\ntarget xvt_tests\nclick 140 76\n");
    XvtPrintSetup setup = xp_print_default_setup();
    setup.resolution = 72;
    XvtWindow page = xp_print_create_win(&setup, "Long job");
    const host::WindowId dialog = ws().find_top_level("xvt_tests");
    ASSERT_NE(dialog, host::no_window);
    EXPECT_EQ(ws().title(host::control_by_id(ws(), dialog, 0x66)), "Long job");
    ASSERT_TRUE(xp_print_start_page(page));
    ASSERT_TRUE(xp_print_end_page(page));
    drain(); // the click on Cancel
    EXPECT_TRUE(ws().exists(dialog));
    EXPECT_FALSE(xp_print_start_page(page));
    EXPECT_FALSE(ws().exists(dialog));
    EXPECT_FALSE(xp_print_end_page(page));
    EXPECT_FALSE(xp_print_close_win(page));
    EXPECT_TRUE(files_in(dir).empty()); // no document, no partial file
}

TEST_F(Printing, APrinterGetsTheDocumentThroughLp) {
    // A stand-in lp records its arguments and keeps a copy of the file it was given.
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    {
        std::ofstream lp(bin / "lp");
        lp << "#!/bin/sh\necho \"$@\" > \"" << (dir / "lp-args").string() << "\"\n"
           << "for last; do :; done\ncp \"$last\" \"" << (dir / "printed.pdf").string() << "\"\n"
           << "exit \"${LP_STATUS:-0}\"\n";
    }
    fs::permissions(bin / "lp", fs::perms::owner_all);
    const std::string path = std::getenv("PATH");
    setenv("PATH", (bin.string() + ":" + path).c_str(), 1);
    setenv("QUILLET_PRINTER", "office", 1);

    XvtPrintSetup setup = xp_print_default_setup();
    EXPECT_EQ(setup.printer, "office");
    setup.resolution = 72;
    XvtWindow page = xp_print_create_win(&setup, "Memo");
    xp_print_start_page(page);
    xp_print_end_page(page);
    EXPECT_TRUE(xp_print_close_win(page));
    std::ifstream args(dir / "lp-args");
    std::string line;
    std::getline(args, line);
    EXPECT_EQ(line.rfind("-d office -t Memo -- ", 0), 0u) << line;
    EXPECT_EQ(page_count(dir / "printed.pdf"), 1);
    const fs::path sent = line.substr(line.rfind(' ') + 1);
    EXPECT_FALSE(fs::exists(sent)); // the temporary file is gone

    // A printer that refuses the job is an error, not a success.
    setenv("LP_STATUS", "1", 1);
    page = xp_print_create_win(&setup, "Memo");
    EXPECT_FALSE(xp_print_close_win(page));
    unsetenv("LP_STATUS");
    setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x2000000Au);
    EXPECT_EQ(hooked_errors[0].category, "print");
}

TEST_F(Printing, TheSetupDialogKeepsTheChosenPaper) {
    start("key Down\nkey Enter\nkey Escape\n");
    XvtPrintSetup setup = xp_print_default_setup();
    ASSERT_TRUE(xp_print_setup(setup));
    EXPECT_EQ(setup.paper, "A4");
    EXPECT_EQ(xp_print_page_size(setup), (IntSize{2480 - 150, 3507 - 150}));
    EXPECT_FALSE(xp_print_setup(setup)); // cancelled
    EXPECT_EQ(setup.paper, "A4");
}

TEST_F(Printing, ADocumentThatCannotStartLeavesNothing) {
    setenv("QUILLET_PRINT_DIR", (dir / "missing").c_str(), 1);
    EXPECT_EQ(xp_print_create_win(nullptr, "Lost"), no_xvt_window);
    XvtPrintSetup setup;
    setup.resolution = 5000;
    EXPECT_EQ(xp_print_create_win(&setup, "Huge"), no_xvt_window);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].id, 0x2000000Au);
    EXPECT_EQ(hooked_errors[1].id, 0x20000007u);
    EXPECT_EQ(ws().find_top_level("xvt_tests"), host::no_window);
    EXPECT_FALSE(xp_print_start_page(1));
}

} // namespace
} // namespace quillet
