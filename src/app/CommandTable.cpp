#include "app/CommandTable.h"

#include "res/StringTable.h"
#include "ui/CommandIds.h"

#include <algorithm>

namespace tessel {
namespace {

constexpr CommandInfo kCommands[] = {
    {ID_LINENUM_SETTINGS, "ID_LINENUM_SETTINGS", "行番号の設定(&S)", "Line Number &Settings...",
     ""},
    {ID_TEXT_SEND, "ID_TEXT_SEND", "送信(&S)", "&Send", ""},
    {ID_TEXT_RECEIVE, "ID_TEXT_RECEIVE", "受信(&R)", "&Receive", ""},
    {ID_DATA_SEND, "ID_DATA_SEND", "データの送信(&D)", "Send &Data", ""},
    {ID_DATA_RECEIVE, "ID_DATA_RECEIVE", "データの受信(&V)", "Recei&ve Data", ""},
    {ID_COM_SETTINGS, "ID_COM_SETTINGS", "COMポートの設定(&C)", "&COM Port Settings...", ""},
    {ID_RENUMBER, "ID_RENUMBER", "行番号の変更(&R)", "&Renumber...", ""},
    {ID_SORT_LINES, "ID_SORT_LINES", "行の並び替え(&L)", "Sort &Lines", ""},
    {ID_TAB_STOP, "ID_TAB_STOP", "タブストップの設定(&T)", "&Tab Stops...", ""},
    {ID_FONT_SETTINGS, "ID_FONT_SETTINGS", "フォントの設定(&F)...", "&Font...", ""},
    {ID_PAGE_SETUP, "ID_PAGE_SETUP", "ページ設定(&U)...", "Page Set&up...", ""},
    {ID_NEW_BASIC, "ID_NEW_BASIC", "Basic(&B)", "&BASIC", ""},
    {ID_NEW_C, "ID_NEW_C", "C言語(&C)", "&C", ""},
    {ID_NEW_ASM, "ID_NEW_ASM", "ｱｾﾝﾌﾞﾗ(&A)", "&Assembler", ""},
    {ID_NEW_CASL, "ID_NEW_CASL", "CASL(&S)", "CA&SL", ""},
    {ID_NEW_TEXT, "ID_NEW_TEXT", "ﾃｷｽﾄ文書(&T)", "&Text", ""},
    {ID_NEW_DATA, "ID_NEW_DATA", "DATAﾌｧｲﾙ(&D)", "&DATA File", ""},
    {ID_CARET_TOP, "ID_CARET_TOP", "", "", "Ctrl+Home"},
    {ID_CARET_END, "ID_CARET_END", "", "", "Ctrl+End"},
    {ID_TIDY, "ID_TIDY", "行の整形(&I)", "T&idy", ""},
    {ID_VIEW_COLORS, "ID_VIEW_COLORS", "色分け表示(&C)", "&Colors", ""},
    {ID_GOTO_LINE, "ID_GOTO_LINE", "指定行へ移動(&G)...", "&Go to Line...", "Ctrl+G"},
    {ID_GOTO_DEFINITION, "ID_GOTO_DEFINITION", "参照先の行へ移動(&J)", "&Jump to Referenced Line",
     "F12"},
    {ID_NEXT_PROBLEM, "ID_NEXT_PROBLEM", "次の問題へ移動(&N)", "&Next Problem", "F8"},
    {ID_PREV_PROBLEM, "ID_PREV_PROBLEM", "前の問題へ移動(&V)", "Pre&vious Problem", "Shift+F8"},
    {ID_VIEW_PROBLEMS, "ID_VIEW_PROBLEMS", "問題の一覧(&P)", "&Problems", ""},
    {ID_MEND_PROBLEM, "ID_MEND_PROBLEM", "問題の修正(&M)", "&Mend Problem", "Ctrl+."},
    {ID_NAVIGATE_BACK, "ID_NAVIGATE_BACK", "戻る(&B)", "&Back", "Alt+Left"},
    {ID_NAVIGATE_FORWARD, "ID_NAVIGATE_FORWARD", "進む(&O)", "F&orward", "Alt+Right"},
    {ID_FIND_REFERENCES, "ID_FIND_REFERENCES", "参照元の一覧(&W)", "&Who Refers to This",
     "Shift+F12"},
    {ID_VIEW_REFERENCES, "ID_VIEW_REFERENCES", "参照元の一覧(&R)", "&References", ""},
    {ID_FILE_NEW, "ID_FILE_NEW", "", "", "Ctrl+N"},
    {ID_FILE_OPEN, "ID_FILE_OPEN", "開く(&O)...", "&Open...", "Ctrl+O"},
    {ID_FILE_CLOSE, "ID_FILE_CLOSE", "閉じる(&C)", "&Close", ""},
    {ID_FILE_SAVE, "ID_FILE_SAVE", "上書き保存(&S)", "&Save", "Ctrl+S"},
    {ID_FILE_SAVE_AS, "ID_FILE_SAVE_AS", "名前を付けて保存(&A)...", "Save &As...", ""},
    {ID_FILE_PRINT, "ID_FILE_PRINT", "印刷(&P)...", "&Print...", "Ctrl+P"},
    {ID_FILE_PRINT_DIRECT, "ID_FILE_PRINT_DIRECT", "", "", ""},
    {ID_FILE_PRINT_PREVIEW, "ID_FILE_PRINT_PREVIEW", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)...", "Print Pre&view...", ""},
    {ID_FILE_MRU_FILE1, "ID_FILE_MRU_FILE1", "最近使ったﾌｧｲﾙ", "Recent Files", ""},
    {ID_FILE_MRU_FILE2, "ID_FILE_MRU_FILE2", "", "", ""},
    {ID_FILE_MRU_FILE3, "ID_FILE_MRU_FILE3", "", "", ""},
    {ID_FILE_MRU_FILE4, "ID_FILE_MRU_FILE4", "", "", ""},
    {ID_EDIT_CLEAR, "ID_EDIT_CLEAR", "削除(&D)", "&Delete", ""},
    {ID_EDIT_COPY, "ID_EDIT_COPY", "ｺﾋﾟｰ(&C)", "&Copy", "Ctrl+C;Ctrl+Ins"},
    {ID_EDIT_CUT, "ID_EDIT_CUT", "切り取り(&T)", "Cu&t", "Ctrl+X;Shift+Del"},
    {ID_EDIT_FIND, "ID_EDIT_FIND", "文字列の検索(&F)", "&Find...", "Ctrl+F"},
    {ID_EDIT_PASTE, "ID_EDIT_PASTE", "貼り付け(&P)", "&Paste", "Ctrl+V;Shift+Ins"},
    {ID_EDIT_REPEAT, "ID_EDIT_REPEAT", "", "", "F3"},
    {ID_EDIT_REPLACE, "ID_EDIT_REPLACE", "文字列の置換(&E)", "R&eplace...", "Ctrl+H"},
    {ID_EDIT_SELECT_ALL, "ID_EDIT_SELECT_ALL", "すべての範囲を選択(&A)", "Select &All", "Ctrl+A"},
    {ID_EDIT_UNDO, "ID_EDIT_UNDO", "元に戻す(&U)", "&Undo", "Ctrl+Z;Alt+Backspace"},
    {ID_EDIT_REDO, "ID_EDIT_REDO", "やり直し(&R)", "&Redo", "Ctrl+Y;Ctrl+Shift+Z"},
    {ID_WINDOW_ARRANGE, "ID_WINDOW_ARRANGE", "ｱｲｺﾝの整列(&A)", "&Arrange Icons", ""},
    {ID_WINDOW_CASCADE, "ID_WINDOW_CASCADE", "重ねて表示(&C)", "&Cascade", ""},
    {ID_WINDOW_TILE_HORZ, "ID_WINDOW_TILE_HORZ", "並べて表示(&T)", "&Tile", ""},
    {ID_APP_ABOUT, "ID_APP_ABOUT", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "&About TESSEL Software...", ""},
    {ID_APP_EXIT, "ID_APP_EXIT", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", "E&xit", ""},
    {ID_HELP, "ID_HELP", "ユーザーズ ガイド(&G)", "User's &Guide", "F1"},
    {ID_NEXT_PANE, "ID_NEXT_PANE", "", "", "F6"},
    {ID_PREV_PANE, "ID_PREV_PANE", "", "", "Shift+F6"},
    {ID_VIEW_TOOLBAR, "ID_VIEW_TOOLBAR", "ﾂｰﾙ ﾊﾞｰ(&T)", "&Toolbar", ""},
    {ID_VIEW_STATUS_BAR, "ID_VIEW_STATUS_BAR", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "&Status Bar", ""},
    {ID_WINDOW_NEXT, "ID_WINDOW_NEXT", "", "", "Ctrl+F6"},
    {ID_WINDOW_CLOSE, "ID_WINDOW_CLOSE", "", "", "Ctrl+F4"},
};

static_assert(std::ranges::is_sorted(kCommands, {}, &CommandInfo::id));

constexpr int kFileMenu[] = {kNewSubmenu,  ID_FILE_OPEN, kSeparator,
                             kRecentFiles, kSeparator,   ID_APP_EXIT};
constexpr int kFileMenuOfDocument[] = {
    kNewSubmenu,   ID_FILE_OPEN,          ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, kSeparator,
    ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_PAGE_SETUP, kSeparator,   kRecentFiles,    kSeparator,
    ID_APP_EXIT};
constexpr int kEditMenu[] = {
    ID_EDIT_UNDO,     ID_EDIT_REDO,        kSeparator,         ID_EDIT_CUT,
    ID_EDIT_COPY,     ID_EDIT_PASTE,       ID_EDIT_CLEAR,      kSeparator,
    ID_EDIT_FIND,     ID_EDIT_REPLACE,     ID_EDIT_SELECT_ALL, kSeparator,
    ID_GOTO_LINE,     ID_GOTO_DEFINITION,  ID_FIND_REFERENCES, kSeparator,
    ID_NAVIGATE_BACK, ID_NAVIGATE_FORWARD, kSeparator,         ID_NEXT_PROBLEM,
    ID_PREV_PROBLEM,  ID_MEND_PROBLEM};
constexpr int kTransferMenu[] = {ID_TEXT_SEND,    ID_TEXT_RECEIVE, kSeparator,     ID_DATA_SEND,
                                 ID_DATA_RECEIVE, kSeparator,      ID_COM_SETTINGS};
constexpr int kToolsMenu[] = {ID_LINENUM_SETTINGS, ID_RENUMBER, ID_SORT_LINES, ID_TIDY,
                              kSeparator,          ID_TAB_STOP};
constexpr int kViewMenu[] = {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR};
constexpr int kViewMenuOfDocument[] = {ID_VIEW_TOOLBAR,    ID_VIEW_STATUS_BAR, ID_VIEW_PROBLEMS,
                                       ID_VIEW_REFERENCES, ID_VIEW_COLORS,     ID_FONT_SETTINGS};
constexpr int kWindowMenu[] = {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE,
                               kWindowList};
constexpr int kHelpMenu[] = {ID_HELP, kSeparator, ID_APP_ABOUT};

constexpr MenuInfo kMenuBar[] = {{IDS_MENU_FILE, kFileMenu},
                                 {IDS_MENU_TRANSFER, kTransferMenu},
                                 {IDS_MENU_TOOLS, kToolsMenu},
                                 {IDS_MENU_VIEW, kViewMenu},
                                 {IDS_MENU_HELP, kHelpMenu}};
constexpr MenuInfo kMenuBarOfDocument[] = {{IDS_MENU_FILE, kFileMenuOfDocument},
                                           {IDS_MENU_EDIT, kEditMenu},
                                           {IDS_MENU_TRANSFER, kTransferMenu},
                                           {IDS_MENU_TOOLS, kToolsMenu},
                                           {IDS_MENU_VIEW, kViewMenuOfDocument},
                                           {IDS_MENU_WINDOW, kWindowMenu},
                                           {IDS_MENU_HELP, kHelpMenu}};

constexpr int kNewMenu[] = {ID_NEW_BASIC, ID_NEW_C,    ID_NEW_ASM,
                            ID_NEW_CASL,  ID_NEW_TEXT, ID_NEW_DATA};

constexpr int kToolbar[] = {
    ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, kSeparator,      ID_FILE_PRINT,  ID_FILE_PRINT_PREVIEW,
    kSeparator,  ID_EDIT_CUT,  ID_EDIT_COPY, ID_EDIT_PASTE,   kSeparator,     ID_SORT_LINES,
    ID_RENUMBER, kSeparator,   ID_TEXT_SEND, ID_TEXT_RECEIVE, ID_COM_SETTINGS};

std::string_view Part(int id, bool tooltip) {
    const std::string_view text = LoadString(static_cast<unsigned>(id));
    const std::size_t newline = text.find('\n');
    if (tooltip)
        return newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    return text.substr(0, newline);
}

} // namespace

std::span<const CommandInfo> Commands() {
    return kCommands;
}

const CommandInfo* FindCommand(int id) {
    const auto* it = std::ranges::lower_bound(kCommands, id, {}, &CommandInfo::id);
    return it != std::end(kCommands) && it->id == id ? it : nullptr;
}

std::string_view CommandLabel(const CommandInfo& command) {
    return CurrentLanguage() == Language::English ? command.labelEnglish : command.label;
}

std::span<const MenuInfo> MenuBar(bool documentOpen) {
    if (documentOpen)
        return kMenuBarOfDocument;
    return kMenuBar;
}

std::span<const int> NewMenuCommands() {
    return kNewMenu;
}

std::span<const int> ToolbarCommands() {
    return kToolbar;
}

std::string_view CommandPrompt(int id) {
    return Part(id, false);
}
std::string_view CommandTooltip(int id) {
    return Part(id, true);
}

} // namespace tessel
