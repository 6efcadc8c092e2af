#pragma once

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

// The text of a string id in UTF-8; empty for an unknown id.
std::string_view LoadString(unsigned id);

} // namespace tessel
