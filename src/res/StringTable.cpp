#include "res/StringTable.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tessel {
namespace {

// Sorted by id so a lookup is a binary search.
constexpr std::pair<unsigned, std::string_view> kStrings[] = {
    {IDR_MAINFRAME, "ポケットコンピュータ\u3000TESSEL Software"},
    {IDS_LINE_NO_NUMBER, "行番号がありません。"},
    {IDS_LINE_REF_MISSING, "プログラム中で参照している行番号が存在しません。"},
    {IDS_LINE_OUT_OF_RANGE, "行番号が範囲外です。1～65279になるようにして下さい。"},
    {IDS_RENUM_ORDER, "プログラムの実行順が変更されるような値が指定されました。"},
    {IDS_LINE_DUPLICATE, "行番号が重複しています。"},
    {IDS_LINE_TOO_LONG, "１行の文字数が多すぎます。254文字以下にして下さい。"},
    {IDS_FILE_TOO_LARGE, "ファイルのサイズが大きすぎます。"},
    {IDS_RENUM_OVERFLOW, "行番号が65279を超えるような値が指定されました。"},
    {IDS_NO_MEMORY,
     "メモリーが不足しています。他のアプリケーションを終了してから実行してください。"},
    {IDS_RECEIVE_TOO_LARGE, "受信データのサイズが大きすぎます。"},
    {IDS_PORT_OPEN_FAILED, "COMポートを開けません。"},
    {IDS_EOF_CODE_EMPTY, "テキスト終了コードが入力されていません。"},
    {IDS_EOF_CODE_INVALID, "テキスト終了コードに使えない文字が使用されています。"},
    {IDS_RENUM_OLD_MISSING, "旧行番号が存在しません。"},
    {IDS_CAPTION_RECEIVE, "受信"},
    {IDS_CAPTION_SEND, "送信"},
    {IDS_CAPTION_COM_SETTINGS, "COMポートの設定"},
    {AFX_IDS_APP_TITLE, "TESSEL Software"},
    {AFX_IDS_OPENFILE, "開く"},
    {AFX_IDS_SAVEFILE, "名前を付けて保存"},
    {AFX_IDP_FAILED_TO_CREATE_DOC, "空のﾄﾞｷｭﾒﾝﾄの作成に失敗しました。"},
    {AFX_IDP_FAILED_TO_START_PRINT, "印刷ｼﾞｮﾌﾞを開始できませんでした。"},
    {AFX_IDP_PARSE_INT_RANGE, "%1 から %2 までの整数を入力してください。"},
    {AFX_IDP_PARSE_UINT, "正の整数を入力してください。"},
};

static_assert(std::ranges::is_sorted(kStrings, {}, &std::pair<unsigned, std::string_view>::first));

} // namespace

std::string_view LoadString(unsigned id) {
    const auto* it =
        std::ranges::lower_bound(kStrings, id, {}, &std::pair<unsigned, std::string_view>::first);
    if (it == std::end(kStrings) || it->first != id)
        return {};
    return it->second;
}

} // namespace tessel
