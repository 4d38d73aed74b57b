// GDI+ for the whole test program, as a card program starts it once before painting.
#include "ui_kit/gdiplus_session.h"

#include <gtest/gtest.h>

namespace {

class GdiplusEnvironment : public testing::Environment {
  public:
    void SetUp() override { token_ = kvr::ui::start_gdiplus(); }
    void TearDown() override { kvr::ui::stop_gdiplus(token_); }

  private:
    ULONG_PTR token_ = 0;
};

const auto* registered = testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

} // namespace
