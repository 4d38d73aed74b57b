#include "ui_kit/frame_render.h"

namespace kvr::ui {

void draw_into(PixelFrame& frame, const std::function<void(Gdiplus::Graphics&)>& paint, TextOn text,
               float scale) {
    if (frame.width <= 0 || frame.height <= 0) return;
    Gdiplus::Bitmap bitmap(frame.width, frame.height, frame.width * 4, PixelFormat32bppPARGB,
                           reinterpret_cast<BYTE*>(frame.px.data()));
    Gdiplus::Graphics g(&bitmap);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(text == TextOn::card ? Gdiplus::TextRenderingHintClearTypeGridFit
                                                : Gdiplus::TextRenderingHintAntiAliasGridFit);
    g.ScaleTransform(scale, scale);
    paint(g);
}

void show_frame(HDC dc, const PixelFrame& frame) {
    show_frame(dc, frame, frame.bounds());
}

void show_frame(HDC dc, const PixelFrame& frame, PixelRect part) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = frame.width;
    info.bmiHeader.biHeight = -frame.height; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // For a top-down DIB the source y counts from the bottom of the scan lines given.
    SetDIBitsToDevice(dc, part.x, part.y, static_cast<DWORD>(part.w), static_cast<DWORD>(part.h),
                      part.x, frame.height - part.y - part.h, 0, static_cast<UINT>(frame.height),
                      frame.px.data(), &info, DIB_RGB_COLORS);
}

void present_frame(HWND window, const PixelFrame& frame) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    show_frame(dc, frame);
    EndPaint(window, &ps);
}

std::unique_ptr<Gdiplus::Bitmap> frame_bitmap(const PixelFrame& frame) {
    auto bitmap =
        std::make_unique<Gdiplus::Bitmap>(frame.width, frame.height, PixelFormat32bppARGB);
    Gdiplus::Rect all(0, 0, frame.width, frame.height);
    Gdiplus::BitmapData data;
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) ==
        Gdiplus::Ok) {
        for (int y = 0; y < frame.height; ++y) {
            auto* out = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(data.Scan0) +
                                                    static_cast<ptrdiff_t>(y) * data.Stride);
            const uint32_t* in = frame.row(y);
            for (int x = 0; x < frame.width; ++x)
                out[x] = unpremultiply(in[x]);
        }
        bitmap->UnlockBits(&data);
    }
    return bitmap;
}

} // namespace kvr::ui
