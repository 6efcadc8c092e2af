#pragma once

#include <span>
#include <string_view>

namespace tessel {

// One command as menus, the toolbar and the key table know it.
struct CommandInfo {
    int id;
    const char* name; // the action's object name, e.g. "ID_FILE_OPEN"
    // The menu label in Japanese and in English, with the mnemonic after "&"
    // (both empty for commands without a menu item).
    const char* label;
    const char* labelEnglish;
    const char* shortcuts; // ";"-separated key sequences, portable text format
};

std::span<const CommandInfo> Commands();
// The command with that id, or nullptr.
const CommandInfo* FindCommand(int id);

// The menu label in the current language.
std::string_view CommandLabel(const CommandInfo& command);

// The status-bar prompt and the tooltip of a command, from its string.
std::string_view CommandPrompt(int id);
std::string_view CommandTooltip(int id);

} // namespace tessel
