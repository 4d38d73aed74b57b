// The window and drawing kit shared by the card programs: GDI+ session, layered windows, the
// buffered paint cycle, shapes, text, and the data directory.
#pragma once
#include "ui_kit/card_look.h"
#include "ui_kit/card_text.h"
#include "ui_kit/data_files.h"
#include "ui_kit/gdiplus_session.h"
#include "ui_kit/layered_window.h"
#include "ui_kit/paint_buffered.h"
#include "ui_kit/race_time.h"
#include "ui_kit/shapes.h"
#include "ui_kit/window_table.h"
