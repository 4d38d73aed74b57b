// Run times as the cards show them: minutes, then seconds to the hundredth.
#pragma once
#include <string>
#include <string_view>

namespace kvr::ui {

// "12:34.56"; minutes are not padded ("0:05.00") and not limited ("75:00.00"). The time is
// rounded to the hundredth before it is split, so 59.996 s reads "1:00.00", never "0:60.00".
// Negative, infinite or NaN times read as zero; absurdly large ones are capped.
std::string race_time_text(double seconds);
// The same with at least two minute digits: "01:15.50", "60:00.00", "123:00.00".
std::string race_time_text_padded(double seconds);

// "<label>  (<n>s)", the auto-close countdown under a card.
std::string countdown_text(std::string_view label, int seconds_left);

} // namespace kvr::ui
