#pragma once

#include <span>
#include <string_view>

namespace tessel {

// One command as menus, the toolbar and the key table know it.
struct CommandInfo {
    int id;
    const char* name;      // the action's object name, e.g. "ID_FILE_OPEN"
    const char* label;     // menu label (empty for commands without a menu item)
    const char* shortcuts; // ";"-separated key sequences, portable text format
};

std::span<const CommandInfo> Commands();
// The command with that id, or nullptr.
const CommandInfo* FindCommand(int id);

// The status-bar prompt and the tooltip of a command, from its string.
std::string_view CommandPrompt(int id);
std::string_view CommandTooltip(int id);

} // namespace tessel
