#include "app/CommandTable.h"

#include "res/StringTable.h"
#include "ui/CommandIds.h"

#include <algorithm>

namespace tessel {
namespace {

constexpr CommandInfo kCommands[] = {
    {ID_LINENUM_SETTINGS, "ID_LINENUM_SETTINGS", "行番号の設定(&S)", ""},
    {ID_TEXT_SEND, "ID_TEXT_SEND", "送信(&S)", ""},
    {ID_TEXT_RECEIVE, "ID_TEXT_RECEIVE", "受信(&R)", ""},
    {ID_DATA_SEND, "ID_DATA_SEND", "データの送信(&D)", ""},
    {ID_DATA_RECEIVE, "ID_DATA_RECEIVE", "データの受信(&V)", ""},
    {ID_COM_SETTINGS, "ID_COM_SETTINGS", "COMポートの設定(&C)", ""},
    {ID_RENUMBER, "ID_RENUMBER", "行番号の変更(&R)", ""},
    {ID_SORT_LINES, "ID_SORT_LINES", "行の並び替え(&L)", ""},
    {ID_TAB_STOP, "ID_TAB_STOP", "タブストップの設定(&T)", ""},
    {ID_FONT_SETTINGS, "ID_FONT_SETTINGS", "フォントの設定(&F)...", ""},
    {ID_PAGE_SETUP, "ID_PAGE_SETUP", "ページ設定(&U)...", ""},
    {ID_NEW_BASIC, "ID_NEW_BASIC", "Basic(&B)", ""},
    {ID_NEW_C, "ID_NEW_C", "C言語(&C)", ""},
    {ID_NEW_ASM, "ID_NEW_ASM", "ｱｾﾝﾌﾞﾗ(&A)", ""},
    {ID_NEW_CASL, "ID_NEW_CASL", "CASL(&S)", ""},
    {ID_NEW_TEXT, "ID_NEW_TEXT", "ﾃｷｽﾄ文書(&T)", ""},
    {ID_NEW_DATA, "ID_NEW_DATA", "DATAﾌｧｲﾙ(&D)", ""},
    {ID_CARET_TOP, "ID_CARET_TOP", "", "Ctrl+Home"},
    {ID_CARET_END, "ID_CARET_END", "", "Ctrl+End"},
    {ID_FILE_NEW, "ID_FILE_NEW", "", "Ctrl+N"},
    {ID_FILE_OPEN, "ID_FILE_OPEN", "開く(&O)...", "Ctrl+O"},
    {ID_FILE_CLOSE, "ID_FILE_CLOSE", "閉じる(&C)", ""},
    {ID_FILE_SAVE, "ID_FILE_SAVE", "上書き保存(&S)", "Ctrl+S"},
    {ID_FILE_SAVE_AS, "ID_FILE_SAVE_AS", "名前を付けて保存(&A)...", ""},
    {ID_FILE_PRINT, "ID_FILE_PRINT", "印刷(&P)...", "Ctrl+P"},
    {ID_FILE_PRINT_DIRECT, "ID_FILE_PRINT_DIRECT", "", ""},
    {ID_FILE_PRINT_PREVIEW, "ID_FILE_PRINT_PREVIEW", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)...", ""},
    {ID_FILE_MRU_FILE1, "ID_FILE_MRU_FILE1", "最近使ったﾌｧｲﾙ", ""},
    {ID_FILE_MRU_FILE2, "ID_FILE_MRU_FILE2", "", ""},
    {ID_FILE_MRU_FILE3, "ID_FILE_MRU_FILE3", "", ""},
    {ID_FILE_MRU_FILE4, "ID_FILE_MRU_FILE4", "", ""},
    {ID_EDIT_CLEAR, "ID_EDIT_CLEAR", "削除(&D)", ""},
    {ID_EDIT_COPY, "ID_EDIT_COPY", "ｺﾋﾟｰ(&C)", "Ctrl+C;Ctrl+Ins"},
    {ID_EDIT_CUT, "ID_EDIT_CUT", "切り取り(&T)", "Ctrl+X;Shift+Del"},
    {ID_EDIT_FIND, "ID_EDIT_FIND", "文字列の検索(&F)", "Ctrl+F"},
    {ID_EDIT_PASTE, "ID_EDIT_PASTE", "貼り付け(&P)", "Ctrl+V;Shift+Ins"},
    {ID_EDIT_REPEAT, "ID_EDIT_REPEAT", "", "F3"},
    {ID_EDIT_REPLACE, "ID_EDIT_REPLACE", "文字列の置換(&E)", "Ctrl+H"},
    {ID_EDIT_SELECT_ALL, "ID_EDIT_SELECT_ALL", "すべての範囲を選択(&A)", "Ctrl+A"},
    {ID_EDIT_UNDO, "ID_EDIT_UNDO", "元に戻す(&U)", "Ctrl+Z;Alt+Backspace"},
    {ID_WINDOW_ARRANGE, "ID_WINDOW_ARRANGE", "ｱｲｺﾝの整列(&A)", ""},
    {ID_WINDOW_CASCADE, "ID_WINDOW_CASCADE", "重ねて表示(&C)", ""},
    {ID_WINDOW_TILE_HORZ, "ID_WINDOW_TILE_HORZ", "並べて表示(&T)", ""},
    {ID_APP_ABOUT, "ID_APP_ABOUT", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", ""},
    {ID_APP_EXIT, "ID_APP_EXIT", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", ""},
    {ID_HELP, "ID_HELP", "", "F1"},
    {ID_NEXT_PANE, "ID_NEXT_PANE", "", "F6"},
    {ID_PREV_PANE, "ID_PREV_PANE", "", "Shift+F6"},
    {ID_VIEW_TOOLBAR, "ID_VIEW_TOOLBAR", "ﾂｰﾙ ﾊﾞｰ(&T)", ""},
    {ID_VIEW_STATUS_BAR, "ID_VIEW_STATUS_BAR", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", ""},
    {ID_WINDOW_NEXT, "ID_WINDOW_NEXT", "", "Ctrl+F6"},
    {ID_WINDOW_CLOSE, "ID_WINDOW_CLOSE", "", "Ctrl+F4"},
};

static_assert(std::ranges::is_sorted(kCommands, {}, &CommandInfo::id));

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

std::string_view CommandPrompt(int id) {
    return Part(id, false);
}
std::string_view CommandTooltip(int id) {
    return Part(id, true);
}

} // namespace tessel
