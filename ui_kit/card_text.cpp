#include "ui_kit/card_text.h"

namespace kvr::ui {

std::unique_ptr<Gdiplus::FontFamily> card_font_family(const wchar_t* name) {
    auto family = std::make_unique<Gdiplus::FontFamily>(name);
    if (family->GetLastStatus() == Gdiplus::Ok && family->IsAvailable()) return family;
    const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
    if (generic && generic->IsAvailable())
        return std::unique_ptr<Gdiplus::FontFamily>(generic->Clone());
    return family; // nothing better exists; drawing with it fails quietly
}

std::unique_ptr<Gdiplus::Font> make_font(float pixels, bool bold, const wchar_t* family) {
    const auto chosen = card_font_family(family);
    // The font keeps its own copy of the family, so the family may go when this returns.
    return std::make_unique<Gdiplus::Font>(
        chosen.get(), pixels, bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular,
        Gdiplus::UnitPixel);
}

namespace {
Gdiplus::StringAlignment to_gdiplus(Align a) {
    switch (a) {
    case Align::centre:
        return Gdiplus::StringAlignmentCenter;
    case Align::end:
        return Gdiplus::StringAlignmentFar;
    default:
        return Gdiplus::StringAlignmentNear;
    }
}
} // namespace

std::unique_ptr<Gdiplus::StringFormat> text_format(Align horizontal, Align vertical) {
    auto format = std::make_unique<Gdiplus::StringFormat>(0, LANG_NEUTRAL);
    format->SetAlignment(to_gdiplus(horizontal));
    format->SetLineAlignment(to_gdiplus(vertical));
    format->SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    return format;
}

void draw_text(Gdiplus::Graphics& g, std::wstring_view text, const Gdiplus::Font& font,
               const Gdiplus::RectF& rect, Argb colour, Align horizontal, Align vertical) {
    if (text.empty()) return;
    const auto format = text_format(horizontal, vertical);
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    g.DrawString(text.data(), static_cast<INT>(text.size()), &font, rect, format.get(), &brush);
}

} // namespace kvr::ui
