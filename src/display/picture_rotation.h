#pragma once
// The show: Start covers the screen with the first picture of the play order, the minute
// timer changes it every interval, and a click on the picture stops.

#include <cstdint>

#include "app/program.h"

namespace torvane::display {

inline constexpr int kMinuteMs = 60000;

void bind_main_window(Program& program, forms::FrmMain& main);
void screen_window_created(Program& program, forms::FrmScrn& screen);

void cmdstart_Click(Program& program);
void Timer1_Timer(Program& program);
void Picture1_Click(Program& program);

// Puts PlayList entry k into the picture area once it is loaded; an empty entry clears the
// area at once, a picture that cannot be loaded once that is known.
void show_picture(Program& program, std::int16_t k);

}  // namespace torvane::display
