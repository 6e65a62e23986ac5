// Fonts: family mapping, fontconfig matching, FreeType faces, Windows-style metrics and the
// aliased glyph cache.
#include "host/text/fonts.h"

#include "host/raster/raster_error.h"
#include "host/text/font_libraries.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

namespace quillet {

namespace {

// Characters are rendered at most this many pixels high; larger requests are drawn at this size.
constexpr int max_em_pixels = 1024;

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

// Windows-1252 bytes 0x80..0x9F; the five unassigned ones stand for themselves.
constexpr char16_t cp1252_high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t code_point(uint8_t c) {
    return c >= 0x80 && c < 0xA0 ? cp1252_high[c - 0x80] : c;
}

// The average width as the host reports it: the mean advance of lower-case text, with the
// letter frequencies of the original OS/2 definition. Newer fonts store the mean of all their
// glyphs in the OS/2 table instead, which is wider than what programs lay text out by.
long weighted_average_width(FT_Face face) {
    constexpr std::pair<char, int> weights[] = {
        {'a', 64}, {'b', 14}, {'c', 27}, {'d', 35}, {'e', 100}, {'f', 20}, {'g', 14},
        {'h', 42}, {'i', 63}, {'j', 3},  {'k', 6},  {'l', 35},  {'m', 20}, {'n', 56},
        {'o', 56}, {'p', 17}, {'q', 4},  {'r', 49}, {'s', 56},  {'t', 71}, {'u', 31},
        {'v', 10}, {'w', 18}, {'x', 3},  {'y', 18}, {'z', 2},   {' ', 166}};
    long total = 0;
    for (auto [c, weight] : weights) {
        FT_Fixed advance = 0;
        host::freetype().Get_Advance(
            face, host::freetype().Get_Char_Index(face, static_cast<FT_ULong>(c)), FT_LOAD_NO_SCALE,
            &advance);
        total += static_cast<long>(advance) * weight;
    }
    return total / 1000;
}

int scaled(long units, int em, int upem) {
    return static_cast<int>(std::lround(double(units) * em / upem));
}

struct FreeTypeLibrary {
    FT_Library library = nullptr;
    FreeTypeLibrary() {
        if (host::freetype().Init_FreeType(&library) != 0)
            throw RasterError(RasterErrorCode::font_load, "FreeType could not be initialised");
    }
    ~FreeTypeLibrary() { host::freetype().Done_FreeType(library); }
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;
};

struct PatternDeleter {
    void operator()(FcPattern* p) const { host::fontconfig().PatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

struct FontFile {
    std::string path;
    int index = 0;
    std::string family;
};

FontFile match_font(const std::string& family, int weight, bool italic) {
    PatternPtr pattern(host::fontconfig().PatternCreate());
    if (!pattern) throw RasterError(RasterErrorCode::font_load, "fontconfig is out of memory");
    if (!family.empty())
        host::fontconfig().PatternAddString(pattern.get(), FC_FAMILY,
                                            reinterpret_cast<const FcChar8*>(family.c_str()));
    host::fontconfig().PatternAddInteger(
        pattern.get(), FC_WEIGHT,
        host::fontconfig().WeightFromOpenType(std::clamp(weight, 1, 1000)));
    host::fontconfig().PatternAddInteger(pattern.get(), FC_SLANT,
                                         italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    host::fontconfig().PatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    host::fontconfig().ConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    host::fontconfig().DefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(host::fontconfig().FontMatch(nullptr, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match ||
        host::fontconfig().PatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch)
        throw RasterError(RasterErrorCode::font_not_found,
                          "no installed font serves the family \"" + family + "\"");
    FontFile found;
    found.path = reinterpret_cast<const char*>(file);
    host::fontconfig().PatternGetInteger(match.get(), FC_INDEX, 0, &found.index);
    FcChar8* matched_family = nullptr;
    if (host::fontconfig().PatternGetString(match.get(), FC_FAMILY, 0, &matched_family) ==
        FcResultMatch)
        found.family = reinterpret_cast<const char*>(matched_family);
    return found;
}

// Synthesized bold as the host makes it: the glyph overstruck one pixel to the right, and one
// pixel wider.
void embolden(Glyph& g) {
    if (g.width == 0) return;
    std::vector<uint8_t> wide(static_cast<size_t>(g.width + 1) * g.height, 0);
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            if (g.coverage[static_cast<size_t>(y) * g.width + x]) {
                wide[static_cast<size_t>(y) * (g.width + 1) + x] = 1;
                wide[static_cast<size_t>(y) * (g.width + 1) + x + 1] = 1;
            }
    g.coverage = std::move(wide);
    ++g.width;
    ++g.advance;
}

} // namespace

int points_to_height(int points) {
    // Rounded to the nearest pixel, as the host's MulDiv does: 12 points are 16 pixels.
    return -static_cast<int>((int64_t{points} * font_dpi + 36) / 72);
}

struct Font::Face {
    std::shared_ptr<FreeTypeLibrary> library;
    FT_Face face = nullptr;
    bool embolden = false;
    bool oblique = false;
    int em = 16;
    ~Face() {
        if (face) host::freetype().Done_Face(face);
    }
};

Font::Font(std::unique_ptr<Face> face, const FontRequest& request)
    : m_face(std::move(face)), m_request(request) {
    FT_Face f = m_face->face;
    m_family = f->family_name ? f->family_name : "";
    const int em = m_face->em;
    const int upem = f->units_per_EM ? f->units_per_EM : 2048;
    const auto* os2 = static_cast<const TT_OS2*>(host::freetype().Get_Sfnt_Table(f, FT_SFNT_OS2));
    const auto* hhea =
        static_cast<const TT_HoriHeader*>(host::freetype().Get_Sfnt_Table(f, FT_SFNT_HHEA));
    const long win_ascent = os2 && os2->usWinAscent ? os2->usWinAscent : f->ascender;
    const long win_descent = os2 && os2->usWinDescent ? os2->usWinDescent : -f->descender;

    // The host's rule: height and descent are rounded, the ascent is what remains.
    m_metrics.height = scaled(win_ascent + win_descent, em, upem);
    m_metrics.descent = scaled(win_descent, em, upem);
    m_metrics.ascent = m_metrics.height - m_metrics.descent;
    m_metrics.internal_leading = std::max(0, m_metrics.height - em);
    if (hhea) {
        const long gap = hhea->Line_Gap -
                         ((win_ascent + win_descent) - (long{hhea->Ascender} - hhea->Descender));
        m_metrics.external_leading = std::max(0, scaled(gap, em, upem));
    }
    m_metrics.average_char_width = os2 && os2->version < 3 && os2->xAvgCharWidth > 0
                                       ? scaled(os2->xAvgCharWidth, em, upem)
                                       : scaled(weighted_average_width(f), em, upem);
    m_metrics.max_char_width = scaled(f->max_advance_width, em, upem);
    if (m_face->embolden) {
        ++m_metrics.average_char_width;
        ++m_metrics.max_char_width;
    }
    m_metrics.weight = request.weight <= 0 ? 400 : request.weight;
    m_metrics.italic = request.italic;

    m_line_thickness = std::max(1, scaled(f->underline_thickness, em, upem));
    m_underline_offset = std::max(1, scaled(-f->underline_position, em, upem));
    const long strike =
        os2 && os2->yStrikeoutPosition > 0 ? os2->yStrikeoutPosition : (win_ascent * 3) / 10;
    m_strike_out_offset = -scaled(strike, em, upem);
}

Font::~Font() = default;

const Glyph& Font::glyph(uint8_t c) const {
    std::optional<Glyph>& slot = m_glyphs[c];
    if (slot) return *slot;
    Glyph& g = slot.emplace();
    FT_Face f = m_face->face;
    const FT_UInt index = host::freetype().Get_Char_Index(f, code_point(c));
    if (host::freetype().Load_Glyph(f, index, FT_LOAD_TARGET_MONO) != 0) return g;
    if (m_face->oblique) host::freetype().GlyphSlot_Oblique(f->glyph);
    if (host::freetype().Render_Glyph(f->glyph, FT_RENDER_MODE_MONO) != 0) return g;
    const FT_Bitmap& bitmap = f->glyph->bitmap;
    g.left = f->glyph->bitmap_left;
    g.top = f->glyph->bitmap_top;
    g.width = static_cast<int>(bitmap.width);
    g.height = static_cast<int>(bitmap.rows);
    g.advance = static_cast<int>((f->glyph->advance.x + 32) >> 6);
    g.coverage.resize(static_cast<size_t>(g.width) * g.height);
    for (int y = 0; y < g.height; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < g.width; ++x)
            g.coverage[static_cast<size_t>(y) * g.width + x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
    if (m_face->embolden) embolden(g);
    return g;
}

// fontconfig's state is process-wide: it is set up for its first user and released (FcFini) when
// the last user goes, so that nothing of it outlives the fonts.
struct FontconfigUsers {
    int count = 0;
};
FontconfigUsers fontconfig_users;

// One user of fontconfig's state while it lives.
class FontconfigUse {
public:
    FontconfigUse() : m_started(host::fontconfig().Init()) {
        if (m_started) ++fontconfig_users.count;
    }
    ~FontconfigUse() {
        if (m_started && --fontconfig_users.count == 0) host::fontconfig().Fini();
    }
    FontconfigUse(const FontconfigUse&) = delete;
    FontconfigUse& operator=(const FontconfigUse&) = delete;
    bool started() const { return m_started; }

private:
    bool m_started;
};

// FreeType and fontconfig start at the first font opened: reading fontconfig's configuration is
// most of a start-up that draws no text.
struct FontLibrary::Impl {
    std::optional<FontconfigUse> fontconfig; // released last
    std::shared_ptr<FreeTypeLibrary> freetype;
    std::vector<std::shared_ptr<const Font>> fonts;

    void start() {
        if (freetype) return;
        fontconfig.emplace();
        if (!fontconfig->started())
            throw RasterError(RasterErrorCode::font_load, "fontconfig could not start");
        freetype = std::make_shared<FreeTypeLibrary>();
    }
};

FontLibrary::FontLibrary() : m_impl(std::make_unique<Impl>()) {}

FontLibrary::~FontLibrary() = default;

std::vector<std::string> installed_font_families(FontKinds kinds) {
    const FontconfigUse fontconfig;
    if (!fontconfig.started()) return {};
    PatternPtr pattern(host::fontconfig().PatternCreate());
    if (kinds == FontKinds::scalable)
        host::fontconfig().PatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> fields(
        host::fontconfig().ObjectSetBuild(FC_FAMILY, nullptr), host::fontconfig().ObjectSetDestroy);
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> set(
        host::fontconfig().FontList(nullptr, pattern.get(), fields.get()),
        host::fontconfig().FontSetDestroy);
    std::vector<std::string> families;
    for (int i = 0; set && i < set->nfont; ++i) {
        FcChar8* family = nullptr;
        if (host::fontconfig().PatternGetString(set->fonts[i], FC_FAMILY, 0, &family) ==
            FcResultMatch)
            families.emplace_back(reinterpret_cast<const char*>(family));
    }
    std::sort(families.begin(), families.end());
    families.erase(std::unique(families.begin(), families.end()), families.end());
    return families;
}

std::string FontLibrary::mapped_family(std::string_view requested) {
    const std::string name = lower(requested);
    if (name == "courier new" || name == "fixed") return "Liberation Mono";
    if (name == "arial" || name == "helv" || name == "helvetica" || name == "system")
        return "Liberation Sans";
    if (name == "times new roman") return "Liberation Serif";
    return std::string(requested);
}

std::shared_ptr<const Font> FontLibrary::open(const FontRequest& request) {
    for (const auto& font : m_impl->fonts)
        if (font->request() == request) return font;
    m_impl->start();

    const std::string family = mapped_family(request.family);
    const bool mapped = family != request.family || lower(family).starts_with("liberation ");
    const int weight = request.weight <= 0 ? 400 : request.weight;
    const FontFile file = match_font(family, weight, request.italic);
    if (mapped && lower(file.family) != lower(family))
        throw RasterError(RasterErrorCode::font_not_found,
                          "the font family \"" + family + "\" (for \"" + request.family +
                              "\") is not installed; install the package fonts-liberation2");

    auto face = std::make_unique<Font::Face>();
    face->library = m_impl->freetype;
    if (host::freetype().New_Face(face->library->library, file.path.c_str(), file.index,
                                  &face->face) != 0)
        throw RasterError(RasterErrorCode::font_load, "FreeType cannot open " + file.path);
    const int upem = face->face->units_per_EM ? face->face->units_per_EM : 2048;
    const auto* os2 =
        static_cast<const TT_OS2*>(host::freetype().Get_Sfnt_Table(face->face, FT_SFNT_OS2));
    const long cell_units = os2 && os2->usWinAscent ? long{os2->usWinAscent} + os2->usWinDescent
                                                    : face->face->ascender - face->face->descender;
    int em = 16;
    if (request.height < 0)
        em = request.height == INT32_MIN ? max_em_pixels : -request.height;
    else if (request.height > 0)
        em =
            static_cast<int>(std::lround(double(request.height) * upem / std::max(1L, cell_units)));
    face->em = std::clamp(em, 1, max_em_pixels);
    if (host::freetype().Set_Pixel_Sizes(face->face, 0, static_cast<FT_UInt>(face->em)) != 0)
        throw RasterError(RasterErrorCode::font_load, "FreeType cannot size " + file.path);
    // What the face itself is, not what fontconfig reports after its own synthesis rules.
    const bool face_bold =
        os2 ? os2->usWeightClass >= 600 : (face->face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    const bool face_italic = (face->face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    face->embolden = weight >= 600 && !face_bold;
    face->oblique = request.italic && !face_italic;

    auto font = std::make_shared<const Font>(std::move(face), request);
    m_impl->fonts.push_back(font);
    return font;
}

} // namespace quillet
