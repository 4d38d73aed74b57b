// The kit against Wine's GDI+ and user32: shapes and text on a real bitmap, the data directory,
// and card windows.
#include "tests/win/ui_kit/render_check.h"
#include "ui_kit/kit.h"

#include "common/win32/files.h"

#include <gtest/gtest.h>

using namespace render_check;
using Gdiplus::RectF;
using kvr::ui::Align;

namespace {

std::unique_ptr<Gdiplus::Bitmap> render(int w, int h, const kvr::ui::CardPainter& paint) {
    return kvr::ui::render_card(w, h, paint);
}

std::string temp_dir(const std::string& leaf) {
    wchar_t buf[MAX_PATH];
    GetTempPathW(MAX_PATH, buf);
    const std::string dir = kvr::wide_to_utf8(buf) + leaf;
    kvr::create_directories(dir);
    return dir;
}

} // namespace

TEST(TextFormat, EllipsisTrimmingAndAlignmentAreSetOnTheFormat) {
    // Wine stores trimming but draws no ellipsis, so the format is what can be checked.
    const auto f = kvr::ui::text_format(Align::centre, Align::end);
    EXPECT_EQ(f->GetTrimming(), Gdiplus::StringTrimmingEllipsisCharacter);
    EXPECT_EQ(f->GetAlignment(), Gdiplus::StringAlignmentCenter);
    EXPECT_EQ(f->GetLineAlignment(), Gdiplus::StringAlignmentFar);
    const auto g = kvr::ui::text_format(Align::start, Align::start);
    EXPECT_EQ(g->GetTrimming(), Gdiplus::StringTrimmingEllipsisCharacter);
    EXPECT_EQ(g->GetAlignment(), Gdiplus::StringAlignmentNear);
    EXPECT_EQ(g->GetLineAlignment(), Gdiplus::StringAlignmentNear);
}

TEST(Fonts, MissingFamilyFallsBackToSansSerifAndStillDrawsText) {
    const auto missing = kvr::ui::card_font_family(L"No Such Family KVR");
    ASSERT_TRUE(missing->IsAvailable());
    wchar_t name[LF_FACESIZE] = {};
    missing->GetFamilyName(name);
    EXPECT_STRNE(name, L"No Such Family KVR");

    for (const wchar_t* family : {kvr::ui::kCardFontFamily, L"No Such Family KVR"}) {
        auto bmp = render(200, 40, [&](Gdiplus::Graphics& g, int, int) {
            g.Clear(Gdiplus::Color(0xFFFFFFFF));
            const auto font = kvr::ui::make_font(20, true, family);
            EXPECT_EQ(font->GetLastStatus(), Gdiplus::Ok);
            kvr::ui::draw_text(g, L"Rank 3 第三", *font, RectF(10, 5, 180, 30), 0xFF000000,
                               Align::start);
        });
        EXPECT_GT(ink(*bmp, 10, 5, 180, 30, 2), 80) << kvr::wide_to_utf8(family);
    }
}

TEST(Text, AlignmentPlacesTheTextAndEmptyTextDrawsNothing) {
    auto bmp = render(300, 90, [](Gdiplus::Graphics& g, int, int) {
        g.Clear(Gdiplus::Color(0xFFFFFFFF));
        const auto font = kvr::ui::make_font(16, false);
        kvr::ui::draw_text(g, L"left", *font, RectF(10, 0, 280, 30), 0xFF000000, Align::start);
        kvr::ui::draw_text(g, L"right", *font, RectF(10, 30, 280, 30), 0xFF000000, Align::end);
        kvr::ui::draw_text(g, L"", *font, RectF(10, 60, 280, 30), 0xFF000000, Align::centre);
    });
    const auto left = ink_span(*bmp, 10, 0, 280, 30, 2);
    const auto right = ink_span(*bmp, 10, 30, 280, 30, 2);
    EXPECT_GE(left.first, 10);
    EXPECT_LT(left.second, 100);
    EXPECT_GT(right.first, 200);
    EXPECT_LE(right.second, 290);
    EXPECT_EQ(ink(*bmp, 10, 60, 280, 30, 2), 0);
}

TEST(CardFrame, TransparentCornersGradientPanelAndGoldenBar) {
    const kvr::ui::CardFrame frame = kvr::ui::kStartFrame;
    auto bmp = render(460, 300, [&](Gdiplus::Graphics& g, int w, int h) {
        kvr::ui::draw_card_frame(g, w, h, frame);
    });
    save(*bmp, "kit_card_frame");
    EXPECT_TRUE(corners_transparent(*bmp));
    // The bar spans the card less its margins and goes from golden to pale gold.
    const Rgba bar_left = pixel(*bmp, 32, 2), bar_right = pixel(*bmp, 427, 2);
    EXPECT_TRUE(is_accent_gold(bar_left));
    EXPECT_GT(bar_right.g, bar_left.g + 40);
    EXPECT_GT(bar_right.b, bar_left.b + 50);
    EXPECT_FALSE(is_accent_gold(pixel(*bmp, 26, 2)));
    EXPECT_FALSE(is_accent_gold(pixel(*bmp, 230, 6)));
    // Panel: top colour near the top, bottom colour near the bottom, nearly opaque.
    const Rgba top = pixel(*bmp, 230, 8), bottom = pixel(*bmp, 230, 292);
    EXPECT_NEAR(top.g, 0xF3, 4);
    EXPECT_NEAR(top.b, 0xEC, 4);
    EXPECT_NEAR(bottom.g, 0xDD, 4);
    EXPECT_NEAR(bottom.b, 0xD0, 4);
    EXPECT_GE(top.a, 0xF2);
    // The border is darker than the panel just inside it.
    EXPECT_LT(pixel(*bmp, 0, 150).luma(), pixel(*bmp, 4, 150).luma() - 20);
}

TEST(Shapes, RadiusIsLimitedToHalfTheShorterSideAndRoundedRectsFillInside) {
    Gdiplus::GraphicsPath path;
    kvr::ui::rounded_rect_path(path, RectF(10, 10, 40, 20), 50);
    RectF bounds;
    path.GetBounds(&bounds);
    EXPECT_NEAR(bounds.X, 10, 0.5);
    EXPECT_NEAR(bounds.Width, 40, 0.5);
    EXPECT_NEAR(bounds.Height, 20, 0.5);
    EXPECT_TRUE(path.IsVisible(30, 20));
    EXPECT_FALSE(path.IsVisible(11, 11)); // outside the corner arc

    auto bmp = render(100, 60, [](Gdiplus::Graphics& g, int, int) {
        kvr::ui::fill_rounded_rect(g, RectF(10, 10, 80, 40), 12, 0xFF2060A0, 0xFF000000, 2);
        kvr::ui::fill_rounded_rect(g, RectF(0, 0, 8, 8), 2, 0xFFFF0000, 0, 0);
    });
    const Rgba inside = pixel(*bmp, 50, 30);
    EXPECT_EQ(inside.b, 0xA0);
    EXPECT_EQ(pixel(*bmp, 11, 11).a, 0);       // the rounded corner stays empty
    EXPECT_LT(pixel(*bmp, 50, 10).luma(), 40); // border on the top edge
    EXPECT_EQ(pixel(*bmp, 4, 4).r, 0xFF);      // no border drawn with width 0
}

TEST(Gradients, ThreeStopBandFadesInAndOut) {
    const kvr::ui::GradientStop stops[3] = {{0x00FFD682, 0}, {0xC8FFDC96, 0.5f}, {0x00FFD682, 1}};
    auto bmp = render(240, 10, [&](Gdiplus::Graphics& g, int, int) {
        auto brush = kvr::ui::three_stop_brush({10, 0}, {230, 0}, stops);
        g.FillRectangle(brush.get(), RectF(10, 0, 220, 10));
    });
    const int edge = pixel(*bmp, 12, 5).a, middle = pixel(*bmp, 120, 5).a,
              other_edge = pixel(*bmp, 228, 5).a;
    EXPECT_LT(edge, 20);
    EXPECT_LT(other_edge, 20);
    EXPECT_NEAR(middle, 0xC8, 12);
    EXPECT_GT(pixel(*bmp, 65, 5).a, edge);
}

TEST(Files, WholeFileReadsRawBytesAndMissingOrEmptyReadsEmpty) {
    const std::string dir = temp_dir("kvr 读取");
    const std::string path = dir + "\\board.tsv";
    const std::string bytes("WEEK\t第 1 周\r\n\0R\tx", 18);
    ASSERT_TRUE(kvr::write_file(path, bytes));
    EXPECT_EQ(kvr::ui::read_whole_file(path), bytes);
    ASSERT_TRUE(kvr::write_file(path, ""));
    EXPECT_EQ(kvr::ui::read_whole_file(path), "");
    EXPECT_EQ(kvr::ui::read_whole_file(dir + "\\missing.txt"), "");
    EXPECT_EQ(kvr::ui::utf8_to_wide("第 1 周"), L"第 1 周");
    EXPECT_EQ(kvr::ui::utf8_to_wide(""), L"");
}

TEST(DataDir, ResolvedOnceCreatedWithParentsAndTheWideFormIsNeverCreated) {
    const std::string base = temp_dir("kvr 本地") + "\\fresh";
    SetEnvironmentVariableW(L"LOCALAPPDATA", kvr::utf8_to_wide(base).c_str());
    const std::string dir = kvr::ui::data_dir();
    EXPECT_EQ(dir, base + "\\KVR-Race\\data");
    EXPECT_TRUE(kvr::is_directory(dir));
    EXPECT_EQ(kvr::ui::data_path("board.toggle"), dir + "\\board.toggle");
    EXPECT_EQ(kvr::ui::data_dir_wide(), kvr::utf8_to_wide(dir));

    // The narrow directory stays cached; it is created again if it disappears.
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    RemoveDirectoryW(kvr::utf8_to_wide(dir).c_str());
    EXPECT_EQ(kvr::ui::data_dir(), dir);
    EXPECT_TRUE(kvr::is_directory(dir));
    // Unset, the wide form is the fixed fallback, and it is not created.
    EXPECT_EQ(kvr::ui::data_dir_wide(), L"C:\\KVR-race\\data");
    EXPECT_FALSE(kvr::is_directory("C:\\KVR-race\\data"));
}

namespace {

struct Probe {
    int creates = 0;
};

LRESULT CALLBACK probe_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    Probe* p = kvr::ui::state_of<Probe>(w, msg, lp);
    if (msg == WM_CREATE && p) ++p->creates;
    return DefWindowProcW(w, msg, wp, lp);
}

} // namespace

TEST(Windows, CardWindowFromItsTableRowWithStateFromTheFirstMessage) {
    Probe probe;
    HWND w = kvr::ui::create_card_window(kvr::ui::kNoticeWindow, 14, probe_proc, &probe);
    if (!w) GTEST_SKIP() << "no display for windows";
    EXPECT_EQ(probe.creates, 1); // the state was there already for WM_CREATE
    wchar_t text[64];
    GetClassNameW(w, text, 64);
    EXPECT_STREQ(text, L"KVRNoticeWindow");
    GetWindowTextW(w, text, 64);
    EXPECT_STREQ(text, L"KVR Notice");
    EXPECT_EQ(GetWindowLongW(w, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_BORDER), WS_POPUP);
    const LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_FALSE(ex & WS_EX_TRANSPARENT);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(w, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 248);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    RECT r, work;
    GetWindowRect(w, &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(r.right - r.left, 680);
    EXPECT_EQ(r.bottom - r.top, 146);
    EXPECT_EQ(r.top, work.top + 120);
    EXPECT_EQ(r.left, work.left + (work.right - work.left - 680) / 2);
    // Clipped to the rounded card: the corner pixel is outside, the middle inside.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(w, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 340, 73));
    DeleteObject(region);
    EXPECT_EQ(kvr::ui::state_of<Probe>(w, WM_NULL, 0), &probe);
    DestroyWindow(w);

    // A second window of a class that exists already.
    HWND again = kvr::ui::create_card_window(kvr::ui::kNoticeWindow, 14, probe_proc, &probe);
    EXPECT_NE(again, nullptr);
    DestroyWindow(again);
}
