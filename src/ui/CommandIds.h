#pragma once

// Command identifiers. The numbers are the program's own: menus, the toolbar,
// the key table and every command handler refer to commands by them.

namespace tessel {

enum CommandId : int {
    // The program's own commands.
    ID_LINENUM_SETTINGS = 32790,
    ID_TEXT_SEND = 32791,
    ID_TEXT_RECEIVE = 32792,
    ID_DATA_SEND = 32793,
    ID_DATA_RECEIVE = 32794,
    ID_COM_SETTINGS = 32795,
    ID_RENUMBER = 32796,
    ID_SORT_LINES = 32797,
    ID_TAB_STOP = 32798,
    ID_FONT_SETTINGS = 32799,
    ID_PAGE_SETUP = 32800,
    ID_NEW_BASIC = 32805,
    ID_NEW_C = 32806,
    ID_NEW_ASM = 32807,
    ID_NEW_CASL = 32808,
    ID_NEW_TEXT = 32809,
    ID_NEW_DATA = 32810,
    ID_CARET_TOP = 32811,
    ID_CARET_END = 32812,
    ID_TIDY = 32813,
    ID_VIEW_COLORS = 32814,
    ID_GOTO_LINE = 32815,
    ID_GOTO_DEFINITION = 32816,
    ID_NEXT_PROBLEM = 32817,
    ID_PREV_PROBLEM = 32818,
    ID_VIEW_PROBLEMS = 32819,
    ID_MEND_PROBLEM = 32820,
    ID_NAVIGATE_BACK = 32822,
    ID_NAVIGATE_FORWARD = 32823,
    ID_FIND_REFERENCES = 32824,
    ID_VIEW_REFERENCES = 32825,

    // Standard commands.
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_DIRECT = 57608,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_MRU_FILE1 = 57616,
    ID_FILE_MRU_FILE2 = 57617,
    ID_FILE_MRU_FILE3 = 57618,
    ID_FILE_MRU_FILE4 = 57619,
    ID_EDIT_CLEAR = 57632,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_FIND = 57636,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_REPEAT = 57640, // find the next match again (F3)
    ID_EDIT_REPLACE = 57641,
    ID_EDIT_SELECT_ALL = 57642,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,
    ID_WINDOW_ARRANGE = 57649,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP = 57670,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,

    // The document windows' own keys: the next window, and closing the
    // active one (the numbers of the platform's window commands).
    ID_WINDOW_NEXT = 61504,
    ID_WINDOW_CLOSE = 61536,
};

} // namespace tessel
