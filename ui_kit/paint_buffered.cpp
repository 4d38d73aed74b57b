#include "ui_kit/paint_buffered.h"

#include "common/win32/wide.h"
#include "ui_kit/layered_window.h"

#include <algorithm>
#include <vector>

namespace kvr::ui {

std::unique_ptr<Gdiplus::Bitmap> render_card(int width, int height, const CardPainter& paint,
                                             float scale) {
    const int pixel_width = std::max(1, scaled_px(width, scale));
    const int pixel_height = std::max(1, scaled_px(height, scale));
    auto bitmap =
        std::make_unique<Gdiplus::Bitmap>(pixel_width, pixel_height, PixelFormat32bppARGB);
    Gdiplus::Graphics g(bitmap.get());
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    g.Clear(Gdiplus::Color(0x00000000));
    g.ScaleTransform(scale, scale);
    paint(g, width, height);
    return bitmap;
}

void paint_buffered(HWND window, const WindowSpec& row, const CardPainter& paint) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    {
        std::unique_ptr<Gdiplus::Bitmap> frame =
            render_card(row.width, row.height, paint, card_scale_of(window, row));
        const int width = static_cast<int>(frame->GetWidth());
        const int height = static_cast<int>(frame->GetHeight());
        Gdiplus::Graphics screen(dc);
        // Copy, not blend: the anti-aliased rim keeps the card's own edge colour instead of
        // darkening toward whatever the window surface held before.
        screen.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        screen.DrawImage(frame.get(), 0, 0, width, height);
    }
    EndPaint(window, &ps);
}

namespace {

bool png_encoder(CLSID& out) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wstring(codecs[i].MimeType) == L"image/png") {
            out = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

} // namespace

bool save_png(Gdiplus::Bitmap& bitmap, const std::string& path) {
    CLSID png;
    if (!png_encoder(png)) return false;
    return bitmap.Save(kvr::utf8_to_wide(path).c_str(), &png, nullptr) == Gdiplus::Ok;
}

} // namespace kvr::ui
