// Whether the game is running, for the worker's exit rule and the notice card.
#pragma once

// Called from one thread only (the worker, or the notice loop).
bool game_running();
