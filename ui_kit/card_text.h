// Text on cards: one font family, pixel sizes, ellipsis trimming.
#pragma once
#include "ui_kit/card_look.h"
#include "ui_kit/gdiplus.h"

#include <memory>
#include <string_view>

namespace kvr::ui {

// The family every card is drawn with. Chinese and Latin text both come from it.
inline constexpr wchar_t kCardFontFamily[] = L"Microsoft YaHei UI";

// The named family, or the system's generic sans-serif family when the name is not installed:
// a PC without the card family still sees every text.
std::unique_ptr<Gdiplus::FontFamily> card_font_family(const wchar_t* name = kCardFontFamily);

// A font of `pixels` height (unit pixel), regular or bold. Fonts are made per paint.
std::unique_ptr<Gdiplus::Font> make_font(float pixels, bool bold,
                                         const wchar_t* family = kCardFontFamily);

// Near, centre or far edge of the layout rectangle ("near" and "far" are Windows macros).
enum class Align { start, centre, end };

// The format draw_text uses: the given alignments, trimmed with an ellipsis character when the
// text does not fit its rectangle.
std::unique_ptr<Gdiplus::StringFormat> text_format(Align horizontal, Align vertical);

// Draws `text` inside `rect` in one colour. Text that does not fit is cut with an ellipsis.
void draw_text(Gdiplus::Graphics& g, std::wstring_view text, const Gdiplus::Font& font,
               const Gdiplus::RectF& rect, Argb colour, Align horizontal,
               Align vertical = Align::start);

} // namespace kvr::ui
