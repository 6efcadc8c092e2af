#pragma once

#include "res/Language.h"

// windows.h, when included first, makes LoadString a macro for LoadStringW:
// here it is the table's own (sys/Win32.h undoes it for files that include
// windows.h later).
#undef LoadString

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace tessel {

// String ids of the program's messages and captions.
enum StringId : unsigned {
    IDS_NONE = 0, // no message: the operation succeeded

    IDR_MAINFRAME = 128, // main window title

    // Document types: "\n" separates window title, default name, name in the
    // "new" list, filter name, extension, type id and type name.
    IDR_BASICTYPE = 129,
    IDR_CTYPE = 131,
    IDR_ASMTYPE = 132,
    IDR_CASLTYPE = 135,
    IDR_DATATYPE = 137,
    IDR_TEXTTYPE = 138,

    IDS_LINE_NO_NUMBER = 200,
    IDS_LINE_REF_MISSING = 201,
    IDS_LINE_OUT_OF_RANGE = 202,
    IDS_RENUM_ORDER = 203,
    IDS_LINE_DUPLICATE = 204,
    IDS_LINE_TOO_LONG = 205,
    IDS_FILE_TOO_LARGE = 206,
    IDS_RENUM_OVERFLOW = 207,
    IDS_NO_MEMORY = 208,
    IDS_RECEIVE_TOO_LARGE = 209,
    IDS_PORT_OPEN_FAILED = 210,
    IDS_EOF_CODE_EMPTY = 211,
    IDS_EOF_CODE_INVALID = 212,
    IDS_RENUM_OLD_MISSING = 213,
    IDS_END_CODE_INSIDE = 214,
    IDS_TRANSFER_FAILED = 215,
    IDS_NUL_CUT_OPENED = 216, // %1 file, %2 byte (1-based) of the NUL, %3 bytes not shown
    IDS_NUL_CUT_SAVE = 217,   // the same, asked before replacing that file
    // A file changed by another program (%1 its name): reload an unmodified
    // document, reload a modified one, replace it on save; or gone.
    IDS_FILE_CHANGED_RELOAD = 218,
    IDS_FILE_CHANGED_MODIFIED = 219,
    IDS_FILE_CHANGED_SAVE = 220,
    IDS_FILE_GONE = 221,
    // Work left by a run that did not end cleanly (%1 the document's name).
    IDS_RECOVERY_OFFER = 222,
    // A copy of unsaved work could not be written (%1 the reason).
    IDS_RECOVERY_WRITE_FAILED = 223,
    // A file that could not be opened or saved (%1 its path), the system's
    // reason below; a read-only file saved under another name.
    IDS_FILE_OPEN_FAILED = 224,
    IDS_FILE_SAVE_FAILED = 225,
    IDS_FILE_READ_ONLY = 226,
    // An edit that would make two neighbours read as one character.
    IDS_EDIT_JOINS_CHARACTERS = 227,
    // A received text the editor could not hold, kept in a file (%1 its
    // path), or not even that (%1 the reason).
    IDS_RECEIVED_KEPT = 228,
    IDS_RECEIVED_NOT_KEPT = 229,
    // Where a refusal about a line points, below its own sentence. Lines of
    // the text are counted from 1; a line's number is its line number.
    IDS_PLACE_NO_NUMBER = 230,    // %1 the line of the text, %2 how it begins
    IDS_PLACE_BLANK_LINE = 231,   // %1 the line of the text
    IDS_PLACE_REFERS = 232,       // %1 the line's number, %2 the number it names
    IDS_PLACE_OUT_OF_RANGE = 233, // %1 the number, %2 the line of the text
    IDS_PLACE_ORDER = 234,        // %1 the line before, %2 the old line number
    IDS_PLACE_DUPLICATE = 235,    // %1 the number, %2 and %3 the lines of the text
    IDS_PLACE_TOO_LONG = 236,     // %1 the line of the text, %2 its length
    IDS_PLACE_NO_LINE = 237,      // %1 the old line number asked for
    IDS_PLACE_END_CODE = 238,     // %1 the line of the text, %2 the column
    // Renumbering a document that is not BASIC, whose lines refer to others
    // (%1 one of them, as IDS_PLACE_REFERS says it).
    IDS_RENUM_AS_BASIC = 239,
    // What a file holds that would not reach the device as meant, said in
    // its window when it opens: read from UTF-8, or looks like it (%1 the
    // line, %2 the character code page 932 cannot hold); blank lines,
    // blanks before numbers, lines without a number (%1 how many, %2 the
    // first line), the end-of-file mark; then why that matters.
    IDS_NOTE_READ_UTF8 = 240,
    IDS_NOTE_UTF8_NOT_READ = 241,
    IDS_NOTE_BLANK_LINES = 242,
    IDS_NOTE_INDENTED = 243,
    IDS_NOTE_END_MARK = 244,
    IDS_NOTE_NO_NUMBER = 245,
    IDS_NOTE_TAKEN_UNNUMBERED = 246,
    IDS_NOTE_REFUSED_LINES = 247,
    // Tidy changed nothing (status bar).
    IDS_TIDY_NOTHING = 248,
    // Why a document cannot be saved as UTF-8 (%1 the line, %2 the byte in
    // hexadecimal).
    IDS_SAVE_NOT_UTF8 = 249,

    IDS_CAPTION_RECEIVE = 250,
    IDS_CAPTION_SEND = 251,
    IDS_CAPTION_COM_SETTINGS = 252,

    // The transfer's own texts, in the dialog and on tessel-cli's progress
    // line; a count goes before "バイト送信済み" and "バイト受信済み".
    IDS_TRANSFER_READY = 260,
    IDS_TRANSFER_SENT_COUNT = 261,
    IDS_TRANSFER_RECEIVED_COUNT = 262,
    IDS_TRANSFER_SEND_DONE = 263,
    IDS_TRANSFER_RECEIVE_DONE = 264,

    // Why a port would not open, under IDS_PORT_OPEN_FAILED. Denied: %1 the
    // device, %2 its group, %3 its mode; the fix (%1 the group), then the
    // command; or a new login (%1 the user, %2 the group).
    IDS_PORT_DENIED = 265,
    IDS_PORT_DENIED_FIX = 266,
    IDS_PORT_DENIED_LOG_IN = 267,
    IDS_PORT_DENIED_UNKNOWN = 268, // %1 the device
    // Busy (%1 the device); a program that holds it (%1 its name, %2 its
    // process id); the usual takers, when they run; none found.
    IDS_PORT_BUSY = 269,
    IDS_PORT_HOLDER = 270,
    IDS_PORT_BUSY_MODEM_MANAGER = 271,
    IDS_PORT_BRLTTY = 272,
    IDS_PORT_BUSY_UNKNOWN = 273,
    // Missing (%1 the device); the ports there are follow, or there are none.
    IDS_PORT_MISSING = 274,
    IDS_PORT_PRESENT = 275,
    IDS_PORT_NONE_PRESENT = 276,
    // The line has not moved for a while, in a send and in a receive.
    IDS_TRANSFER_SEND_STALLED = 277,
    IDS_TRANSFER_RECEIVE_STALLED = 278,
    // Denied, and joining the group would not help (%1 the group).
    IDS_PORT_DENIED_NO_GROUP = 279,

    // The system's own reason for the errors met most often, after a file
    // or the serial port could not be opened or written.
    IDS_REASON_NOT_FOUND = 280, // ENOENT
    IDS_REASON_NO_DEVICE = 281, // ENXIO, ENODEV
    IDS_REASON_DENIED = 282,    // EACCES, EPERM
    IDS_REASON_BUSY = 283,      // EBUSY
    IDS_REASON_NO_SPACE = 284,  // ENOSPC
    IDS_REASON_READ_ONLY = 285, // EROFS
    // The time a send has left on tessel-cli's progress line (%1 "M:SS").
    IDS_TRANSFER_TIME_LEFT = 286,
    IDS_REASON_TIMED_OUT = 287, // ETIMEDOUT
    IDS_REASON_CANCELLED = 288, // ECANCELED
    // The line was dropped at the other end.
    IDS_REASON_HUNG_UP = 289,
    // A file in a folder with the sticky bit (such as /tmp) that belongs to
    // someone else could not be replaced (%1 the system's reason).
    IDS_REASON_OWNER_ONLY = 290,
    // A file that was to be replaced is a device, a pipe or the like.
    IDS_REASON_NOT_REGULAR_FILE = 790,
    // There is no folder to keep received data in.
    IDS_REASON_NO_STATE_FOLDER = 791,

    // Menu titles.
    IDS_MENU_FILE = 300,
    IDS_MENU_EDIT = 301,
    IDS_MENU_TRANSFER = 302,
    IDS_MENU_TOOLS = 303,
    IDS_MENU_VIEW = 304,
    IDS_MENU_WINDOW = 305,
    IDS_MENU_HELP = 306,
    IDS_MENU_NEW = 307,

    // Words the dialogs share.
    IDS_BUTTON_OK = 310,
    IDS_BUTTON_CANCEL = 311,
    IDS_LABEL_STEP = 312,

    // The dialogs' captions and labels, dialog by dialog.
    IDS_ABOUT_CAPTION = 320,
    IDS_ABOUT_TEXT = 321, // %1 the version
    IDS_NEW_CAPTION = 322,
    IDS_NEW_TYPE_LABEL = 323,
    IDS_SAVE_LINE_NUMBERS = 324,
    IDS_LINENUM_CAPTION = 325,
    IDS_LINENUM_START = 326,
    IDS_TABSTOP_CAPTION = 327,
    IDS_TABSTOP_LABEL = 328,
    IDS_RENUM_CAPTION = 329,
    IDS_RENUM_NEW = 330,
    IDS_RENUM_OLD = 331,
    IDS_COM_PORT = 332,
    IDS_COM_BAUD_RATE = 333,
    IDS_COM_DATA_BITS = 334,
    IDS_COM_STOP_BITS = 335,
    IDS_COM_PARITY = 336,
    IDS_COM_LINE_END = 337,
    IDS_COM_FLOW = 338,
    IDS_COM_END_CODE = 339,
    IDS_COM_CHAR_DELAY = 340,
    IDS_COM_LINE_DELAY = 341,
    IDS_COM_DEVICE_MISSING = 342, // %1 the device
    IDS_FIND_CAPTION = 343,
    IDS_REPLACE_CAPTION = 344,
    IDS_FIND_WHAT = 345,
    IDS_REPLACE_WITH = 346,
    IDS_FIND_WHOLE_WORD = 347,
    IDS_FIND_MATCH_CASE = 348,
    IDS_FIND_DIRECTION = 349,
    IDS_FIND_UP = 350,
    IDS_FIND_DOWN = 351,
    IDS_FIND_NEXT = 352,
    IDS_REPLACE_NEXT = 353,
    IDS_REPLACE_ALL = 354,
    IDS_FIND_CANCEL = 355,
    IDS_FIND_NOT_FOUND = 356, // %1 the text looked for
    IDS_TRANSFER_STOP = 357,
    IDS_TIME_LEFT_SECONDS = 358, // %1 seconds
    IDS_TIME_LEFT_MINUTES = 359, // %1 minutes, %2 seconds
    IDS_TIME_LEFT_HOURS = 360,   // %1 hours, %2 minutes

    IDS_PAGE_CAPTION = 370,
    IDS_PAGE_ORIENTATION = 371,
    IDS_PAGE_PORTRAIT = 372,
    IDS_PAGE_LANDSCAPE = 373,
    IDS_PAGE_PAPER = 374,
    IDS_PAGE_SIZE = 375,
    IDS_PAGE_SOURCE = 376,
    IDS_PAGE_MARGINS = 377,
    IDS_PAGE_LEFT = 378,
    IDS_PAGE_RIGHT = 379,
    IDS_PAGE_TOP = 380,
    IDS_PAGE_BOTTOM = 381,
    IDS_PAGE_NUMBERS = 382,
    IDS_PAGE_PRINTER = 383,
    IDS_PAGE_BAD_MARGIN = 384,
    IDS_PAGE_MARGIN_TOO_LARGE = 385,
    IDS_PRINTER_CAPTION = 386,
    IDS_PRINTER_NAME = 387,
    // The paper sources, in the order of QPrinter::PaperSource.
    IDS_PAPER_SOURCE_FIRST = 390, // 390 to 403

    IDS_PREVIEW_CAPTION = 410,
    IDS_PREVIEW_PRINT = 411,
    IDS_PREVIEW_NEXT = 412,
    IDS_PREVIEW_PREVIOUS = 413,
    IDS_PREVIEW_ZOOM_IN = 414,
    IDS_PREVIEW_ZOOM_OUT = 415,
    IDS_PREVIEW_CLOSE = 416,
    IDS_PREVIEW_TWO_PAGES = 417,
    IDS_PREVIEW_ONE_PAGE = 418,
    IDS_PREVIEW_PAGE = 419,  // %1 the page
    IDS_PREVIEW_PAGES = 420, // %1 and %2 the pages shown
    // The main window's toolbar, as the window system and assistive tools
    // name it.
    IDS_TOOLBAR_STANDARD = 421,
    // The buttons of a window's note about its file (without mnemonics:
    // the menu bar's letters work in every window).
    IDS_NOTE_TIDY = 422,
    IDS_NOTE_CLOSE = 423,
    // The save dialog's check box for a file kept in UTF-8.
    IDS_SAVE_UTF8 = 424,
    // What Tidy changed (status bar; %1 the changes, a list), among them
    // the numbers loading added, gone when the file's own were found.
    IDS_TIDY_DONE = 425,
    IDS_TIDY_OWN_NUMBERS = 426,

    // Text refused as it is typed or pasted (%1 the character, as
    // NameCharacter shows it): no code in code page 932, or saved as NUL.
    IDS_INPUT_NOT_IN_CP932 = 430,
    IDS_INPUT_NUL_BYTE = 431,
    // How a transfer ended (%1 a count of bytes, IDS_CLI_BYTE or _BYTES):
    // below the completion, and after the user stopped it.
    IDS_TRANSFER_SENT_TOTAL = 432,
    IDS_TRANSFER_RECEIVED_TOTAL = 433,
    IDS_TRANSFER_SEND_STOPPED = 434,
    IDS_TRANSFER_RECEIVE_STOPPED = 435,
    // The flow control list's "RS/CS"; beside the end-of-text code, the
    // base it is written in.
    IDS_COM_FLOW_RTS_CTS = 436,
    IDS_COM_END_CODE_BASE = 437,
    // What the line-number settings are for, above them.
    IDS_LINENUM_NOTE = 438,

    // The About box's line naming the settings file (%1).
    IDS_ABOUT_SETTINGS = 450,
    // The user's guide is not where it is installed (%1 the places looked
    // in, one a line), or no program opens it (%1 its path).
    IDS_GUIDE_MISSING = 451,
    IDS_GUIDE_NOT_OPENED = 452,

    // Problems of a program's text that no command reports by itself: a
    // reference to a line that does not exist (%1 its digits), a line whose
    // number is lower than the one before it, a NUL byte, a byte that starts
    // no character (%1 in hexadecimal).
    IDS_LINE_REF_NO_LINE = 470,
    IDS_LINE_OUT_OF_ORDER = 471,
    IDS_NUL_INSIDE = 472,
    IDS_NOT_CP932 = 473,
    // What the mechanical mends of such problems are called.
    IDS_FIX_REMOVE_BLANK_LINE = 474,
    IDS_FIX_REMOVE_INDENT = 475,
    IDS_FIX_REMOVE_END_MARK = 476,
    IDS_FIX_REMOVE_END_CODE = 477,
    IDS_FIX_REMOVE_NUL = 478,

    // tessel-cli's own: a character or byte that cannot be converted (%1 the
    // byte in hexadecimal, or the character as NameCharacter shows it).
    IDS_CLI_NOT_UTF8 = 500,
    IDS_CLI_NOT_IN_CP932 = 501,
    IDS_CLI_YEN_NOT_IN_CP932 = 502,
    IDS_CLI_NOT_CP932 = 503,
    // What tidy changed, one line each (%1 a count; ONE for a count of 1).
    IDS_TIDY_CONVERTED_ONE = 504,
    IDS_TIDY_CONVERTED = 505,
    IDS_TIDY_BYTE_ORDER_MARK = 506,
    IDS_TIDY_BLANK_LINE = 507,
    IDS_TIDY_BLANK_LINES = 508,
    IDS_TIDY_INDENT_ONE = 509,
    IDS_TIDY_INDENTS = 510,
    IDS_TIDY_END_MARK = 511,
    // Warnings of a file that will not be read as its author meant, and
    // hints after an error (%1 the tidy command that mends it; for the
    // indented numbers %1 the count, %2 the command).
    IDS_WARN_LOOKS_UTF8 = 512,
    IDS_WARN_BLANK_FIRST_LINE = 513,
    IDS_WARN_INDENTED_ONE = 514,
    IDS_WARN_INDENTED = 515,
    IDS_HINT_BLANK_LINES = 516,
    IDS_HINT_INDENTED = 517,
    IDS_HINT_END_MARK = 518,
    // Bytes the line will change on their way (send).
    IDS_WARN_FLOW_CODES = 519,
    IDS_WARN_SEVEN_BITS = 520,
    IDS_CLI_NOTHING_TO_SEND = 521,
    // The line has not moved for a while (%1 seconds).
    IDS_CLI_LINE_MOVES = 522,
    IDS_CLI_SEND_STALLED = 523,
    IDS_CLI_RECEIVE_WAITING_TIMEOUT = 524,
    IDS_CLI_RECEIVE_WAITING = 525,
    // After why a received text could not be stored where asked: where it
    // is kept instead (%1 the path), or why not even that (%1 the reason).
    IDS_CLI_RECEIVED_KEPT = 526,
    IDS_CLI_RECEIVED_NOT_KEPT = 527,
    // What became of FILE when the command could not go on (after "FILE: ").
    IDS_CLI_CANNOT_BE_READ = 530,
    IDS_CLI_READ_INCOMPLETE = 531,
    IDS_CLI_NUMBERS_DEVICE_TAKES = 532,
    IDS_CLI_NOT_SORTED = 533,
    IDS_CLI_NOT_RENUMBERED = 534,
    IDS_CLI_CANNOT_BE_SENT = 535,
    IDS_CLI_TOO_LARGE_TO_TIDY = 536,
    IDS_CLI_CANNOT_HOLD_RECEIVED = 537,
    // %1 the NUL's offset, %2 the bytes after it.
    IDS_CLI_CUT_AT_NUL = 538,
    // %1 the --old asked for, %2 the program's first line.
    IDS_CLI_OLD_NAMES_NO_LINE = 539,
    // tidy dropped NUL bytes at the end (%1 how many).
    IDS_CLI_NUL_PADDING_ONE = 540,
    IDS_CLI_NUL_PADDING = 541,
    // How messages name standard output.
    IDS_CLI_STANDARD_OUTPUT = 542,
    // A count of bytes (%1).
    IDS_CLI_BYTE = 543,
    IDS_CLI_BYTES = 544,
    // How a send ended (%1 the reason in parentheses, or nothing).
    IDS_CLI_SEND_INTERRUPTED_AFTER = 545,
    IDS_CLI_SEND_INTERRUPTED = 546,
    IDS_CLI_SEND_BROKE_OFF = 547,
    // How much of a receive had come when it ended (%1 a count of bytes), and
    // whether it was stored (%1 where).
    IDS_CLI_NOTHING_ARRIVED = 548,
    IDS_CLI_AFTER_BYTES = 549,
    IDS_CLI_ARRIVED_STORED = 550,
    IDS_CLI_ARRIVED_STORED_IN = 551,
    // How a receive ended: %1 the count, or how much had come (above); for
    // the time-out %1 the seconds, %2 how much had come; for a broken line %1
    // the reason in parentheses, %2 how much had come.
    IDS_CLI_RECEIVE_INTERRUPTED_AFTER = 552,
    IDS_CLI_RECEIVE_INTERRUPTED_STORED = 553,
    IDS_CLI_RECEIVE_INTERRUPTED = 554,
    IDS_CLI_RECEIVE_GAVE_UP = 555,
    IDS_CLI_RECEIVE_BROKE_OFF = 556,
    // ports found none.
    IDS_CLI_NO_PORT_FOUND = 557,
    IDS_CLI_NO_PORT_FOUND_WINDOWS = 558,
    // The settings file (%1) named by --settings cannot be read (%2 why).
    IDS_CLI_SETTINGS_UNREADABLE = 559,
    // A setting the file holds but the programs cannot use (%1 what).
    IDS_CLI_WARNING = 560,
    // %1 section, %2 key, %3 the value, %4 and %5 the range, %6 the value used.
    IDS_SETTING_OUT_OF_RANGE = 561,
    // %1 the value of [Misc] Language.
    IDS_SETTING_LANGUAGE_UNKNOWN = 562,
    // A file taken as having no numbers though most lines have one: this
    // line has none.
    IDS_WARN_NO_NUMBER = 563,
    // IDS_PLACE_TOO_LONG and IDS_PLACE_END_CODE for a line with a number
    // (%1 the number).
    IDS_PLACE_TOO_LONG_NUMBERED = 570,
    IDS_PLACE_END_CODE_NUMBERED = 571,

    // tessel-cli's usage errors. A list of commands, options or values is
    // joined with the separator and, before its last item, with AND or OR
    // (%1 the items before, %2 the last).
    IDS_CLI_LIST_SEPARATOR = 600,
    IDS_CLI_LIST_AND = 601,
    IDS_CLI_LIST_OR = 602,
    // %1 the command line's word, quoted.
    IDS_CLI_UNKNOWN_COMMAND = 603,
    IDS_CLI_UNEXPECTED_ARGUMENT = 604,
    // %1 the option as typed, quoted; %2 the options it could be.
    IDS_CLI_UNKNOWN_OPTION = 605,
    IDS_CLI_AMBIGUOUS_OPTION = 606,
    IDS_CLI_OPTION_TAKES_NO_VALUE = 607,
    IDS_CLI_OPTION_NEEDS_VALUE = 608,
    IDS_CLI_OPTION_NEEDS_FILE_NAME = 609,
    IDS_CLI_OPTION_NEEDS_DEVICE = 610,
    // %1 the value, quoted, %2 the option; for a number %3 and %4 the range,
    // for a choice %3 the values (an OR list), for --timeout %3 the longest.
    IDS_CLI_INVALID_NUMBER = 611,
    IDS_CLI_INVALID_CHOICE = 612,
    IDS_CLI_INVALID_HEX_BYTE = 613,
    IDS_CLI_INVALID_SECONDS = 614,
    IDS_CLI_MISSING_COMMAND = 615,
    IDS_CLI_MISSING_FILE = 616,
    // %1 the command.
    IDS_CLI_READS_NO_FILE = 617,
    // %1 the option, quoted, %2 the command.
    IDS_CLI_OPTION_DOES_NOT_APPLY = 618,
    // %1 the option, or the options (an AND list), %2 the commands that take
    // them (an AND list), %3 the command given; OPTION_ has %1 quoted.
    IDS_CLI_BELONGS_TO = 619,
    IDS_CLI_BELONG_TO = 620,
    IDS_CLI_OPTION_BELONGS_TO = 621,
    IDS_CLI_IN_PLACE_WITH_OUTPUT = 622,
    IDS_CLI_IN_PLACE_STANDARD_INPUT = 623,
    // %1 the command; %2 the option that does not apply.
    IDS_CLI_WRITES_NO_FILE = 624,
    IDS_CLI_CANNOT_REPLACE_FILE = 625,
    IDS_CLI_KEEPS_NUMBERS = 626,
    IDS_CLI_SENDS_NUMBERS = 627,
    // %1 the command, %2 the option.
    IDS_CLI_CANNOT_BE_USED_WITH = 628,
    // %1 the command, %2 FILE, quoted.
    IDS_CLI_IS_A_DATA_FILE = 629,
    // receive (%1): FILE, -i and -o, --type and --numbers (%2 the option).
    IDS_CLI_RECEIVE_READS_NO_FILE = 630,
    IDS_CLI_CANNOT_REPLACE_IN_PLACE = 631,
    IDS_CLI_NEEDS_OUTPUT = 632,
    IDS_CLI_TYPE_DOES_NOT_APPLY = 633,
    IDS_CLI_STORES_AS_IT_CAME = 634,
    // %1 the command.
    IDS_CLI_LINE_NUMBERED_ONLY = 635,
    // %1 FILE, quoted.
    IDS_CLI_IN_PLACE_NOT_REGULAR = 636,
    // The line below a usage error's usage line.
    IDS_CLI_TRY_HELP = 637,

    // The language server (tessel-cli lsp). %1 a count of characters beyond
    // those named one by one.
    IDS_LSP_MORE_NOT_IN_CP932 = 650,
    // tessel-cli check: how a problem that is no error is marked, and what
    // --max left out.
    IDS_CLI_WARNING_MARK = 690,
    IDS_CLI_HINT_MARK = 691,
    IDS_CLI_MORE_PROBLEMS = 692, // %1 the file, %2 how many
    IDS_CLI_MORE_PROBLEM = 693,  // %1 the file: one more
    // Going to a line in the editor: the dialog, and what the status bar
    // says when there is nothing to go to (else IDS_LSP_NO_SUCH_LINE and
    // IDS_LSP_NO_SUCH_LABEL, as the language server says it).
    IDS_GOTO_LINE_TITLE = 740,
    IDS_GOTO_LINE_NUMBER = 741,
    IDS_GOTO_LINE_INDEX = 742,
    IDS_GOTO_NOTHING = 743,
    // The program's problems in the editor: the list beside it (its title
    // and columns), the count in the status bar (%1 errors, %2 warnings),
    // what F8 says when there are none, and the tooltip's line about a mend
    // (%1 its name).
    IDS_PROBLEMS_TITLE = 750,
    IDS_PROBLEMS_LINE = 751,
    IDS_PROBLEMS_MESSAGE = 752,
    IDS_PROBLEMS_COUNT = 753,
    IDS_PROBLEMS_NONE = 754,
    IDS_PROBLEM_MEND_HINT = 755,
    // The list of who refers to a line, a label or a variable: its title,
    // its columns, how a place refers (line references go by their
    // keyword), what it lists (%1 the line's number, the label with its
    // asterisk or the variable; %2 how many places), and what the status bar
    // says when there is nothing to list.
    IDS_REFS_TITLE = 770,
    IDS_REFS_COLUMN_LINE = 771,
    IDS_REFS_COLUMN_HOW = 772,
    IDS_REFS_COLUMN_TEXT = 773,
    IDS_REFS_DEFINED = 774,
    IDS_REFS_SET = 775,
    IDS_REFS_READ = 776,
    IDS_REFS_TO_LINE = 777,
    IDS_REFS_TO_LABEL = 778,
    IDS_REFS_TO_VARIABLE = 779,
    IDS_REFS_NONE_TO_LINE = 780,  // %1 the line's number
    IDS_REFS_NONE_TO_LABEL = 781, // %1 the label with its asterisk
    IDS_REFS_NOTHING = 782,
    // Going back or forward when no jump is behind or ahead of the caret.
    IDS_NAVIGATE_NO_BACK = 783,
    IDS_NAVIGATE_NO_FORWARD = 784,

    // tessel-cli lsp: what hovering over a reference or a keyword shows.
    // %1 the number, or the label with its asterisk.
    IDS_LSP_NO_SUCH_LINE = 700,
    IDS_LSP_NO_SUCH_LABEL = 701,
    // %1 the keyword, by its category.
    IDS_LSP_KEYWORD_STATEMENT = 702,
    IDS_LSP_KEYWORD_FUNCTION = 703,
    IDS_LSP_KEYWORD_OPERATOR = 704,
    IDS_LSP_KEYWORD_CLAUSE = 705,
    // tessel-cli lsp: a keyword's category, short, beside it in a completion
    // list.
    IDS_LSP_CATEGORY_STATEMENT = 706,
    IDS_LSP_CATEGORY_FUNCTION = 707,
    IDS_LSP_CATEGORY_OPERATOR = 708,
    IDS_LSP_CATEGORY_CLAUSE = 709,
    // tessel-cli lsp: renaming a line number. %1 the number typed or the
    // line's; IDS_LSP_RENAME_ORDER: %1 the line's number, %2 the new one, %3
    // the line between them.
    IDS_LSP_RENAME_NOT_HERE = 710,
    IDS_LSP_RENAME_NOT_A_NUMBER = 711,
    IDS_LSP_RENAME_TAKEN = 712,
    IDS_LSP_RENAME_ORDER = 713,
    IDS_LSP_RENAME_SHARED = 714,
    // tessel-cli lsp: the code actions over the whole program. %1 the first
    // new number, %2 the step.
    IDS_LSP_RENUMBER_PROGRAM = 715,
    IDS_LSP_RENUMBER_FROM_LINE = 716,
    IDS_LSP_SORT_LINES = 717,
    IDS_LSP_TIDY = 718,
    // tessel-cli lsp: sending from the editor.
    IDS_LSP_SEND_BUSY = 719,
    IDS_LSP_SEND_ACTION = 720,

    AFX_IDS_APP_TITLE = 57344,
    AFX_IDS_IDLEMESSAGE = 57345,
    ID_INDICATOR_CAPS = 59137,
    ID_INDICATOR_NUM = 59138,
    ID_INDICATOR_SCRL = 59139,
    ID_INDICATOR_KANA = 59142,
    AFX_IDS_OPENFILE = 61440,
    AFX_IDS_SAVEFILE = 61441,
    AFX_IDP_ASK_TO_SAVE = 61699,
    AFX_IDP_FAILED_TO_CREATE_DOC = 61700,
    AFX_IDP_FAILED_TO_START_PRINT = 61702,
    AFX_IDP_PARSE_INT_RANGE = 61714,
    AFX_IDP_PARSE_UINT = 61719,
};

// Commands have strings of their own, under the command's id: the status-bar
// prompt, then after "\n" the tooltip (see app/CommandIds.h).

// One text in each language the program speaks.
struct StringEntry {
    unsigned id;
    std::string_view japanese;
    std::string_view english;
};

// The whole table, sorted by id (for checks over every text).
std::span<const StringEntry> AllStrings();

// The text of a string id in UTF-8, in the current language (res/Language.h);
// empty for an unknown id.
std::string_view LoadString(unsigned id);
std::string_view LoadString(unsigned id, Language language);

// `text` with %1, %2, ... replaced by `args` in turn (a placeholder without
// an argument stays as it is).
std::string FormatText(std::string_view text, std::initializer_list<std::string_view> args);
std::string FormatText(std::string_view text, std::span<const std::string> args);
// The text of `id` in the current language with its placeholders filled in.
std::string LoadFormatted(unsigned id, std::initializer_list<std::string_view> args);

// The system's reason for an error number as the user is told it: the
// table's words for the common errors, else the system's own.
std::string SystemReason(int number);
// The same with the system's own text given: the table's words when it has
// them for `number`, else `systemText`.
std::string SystemReason(int number, std::string_view systemText);

} // namespace tessel
