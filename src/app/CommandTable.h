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

// Items of menus and the toolbar that are not one command.
inline constexpr int kSeparator = 0;
inline constexpr int kNewSubmenu = -1;  // the New submenu, NewMenuCommands()
inline constexpr int kRecentFiles = -2; // the list of recent files
inline constexpr int kWindowList = -3;  // the list of the document windows

// One menu of the menu bar: its title (a string id) and its items in order.
struct MenuInfo {
    unsigned title;
    std::span<const int> items;
};

// The menu bar while no document is open, and while one is.
std::span<const MenuInfo> MenuBar(bool documentOpen);
// The New submenu: a new document of each type.
std::span<const int> NewMenuCommands();
// The toolbar's buttons, left to right.
std::span<const int> ToolbarCommands();

} // namespace tessel
