// The player's message boxes: caption "KVR 周赛", topmost, text converted as UTF-8.
#pragma once
#include <string>

enum class BoxIcon { error, information };

// Blocks until the player closes the box.
void show_message_box(const std::string& text, BoxIcon icon);
