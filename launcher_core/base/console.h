// The launcher core's console: UTF-8 both ways, and the last "press Enter" of a run.
#pragma once

// UTF-8 both ways for the rest of the process; the console gets its own code pages back at exit.
// A console without a window (the start window runs the core so) gets no echo of the log.
void use_utf8_console();

// Prints "\n按回车键退出..." and waits for one character on standard input. The wait is skipped
// when standard input is a console nobody can see (the start window runs the core without a
// console window), where it would otherwise keep the finished process waiting for ever.
void wait_for_enter();
