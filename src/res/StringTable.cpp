#include "res/StringTable.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tessel {
namespace {

// Sorted by id so a lookup is a binary search.
constexpr std::pair<unsigned, std::string_view> kStrings[] = {
    {IDR_MAINFRAME, "ポケットコンピュータ\u3000TESSEL Software"},
    {IDR_BASICTYPE, "\nBASIC：無題\nBASIC\nBASIC(*.bas)\n.bas\nKiva.Document\nKiva Document"},
    {IDR_CTYPE, "\nC言語：無題\nＣ言語\nＣ言語(*.c)\n.c\nKiva.Document\nKiva Document"},
    {IDR_ASMTYPE, "\nｱｾﾝﾌﾞﾗ：無題\nｱｾﾝﾌﾞﾗ\nｱｾﾝﾌﾞﾗ(*.asm)\n.asm\nKiva.Document\nKiva Document"},
    {IDR_CASLTYPE, "\nCASL：無題\nCASL\nCASL(*.cas)\n.cas\nKiva.Document\nKiva Document"},
    {IDR_DATATYPE,
     "\nDATAﾌｧｲﾙ：無題\nDATAﾌｧｲﾙ\nDATAﾌｧｲﾙ(*.dat)\n.dat\nKiva.Document\nKiva Document"},
    {IDR_TEXTTYPE,
     "\nﾃｷｽﾄ文書：無題\nﾃｷｽﾄ文書\nﾃｷｽﾄ文書(*.txt)\n.txt\nKiva.Document\nKiva Document"},
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
    {IDS_END_CODE_INSIDE, "テキスト終了コードと同じ文字が含まれています。送信がそこで終わってしまう"
                          "ため、送信できません。"},
    {IDS_TRANSFER_FAILED, "通信中にエラーが発生しました。"},
    {IDS_NUL_CUT_OPENED, "%1 の %2 バイト目に NUL バイトがあります。そこから後の %3 バイトは表示"
                         "されていません。このファイルに上書き保存すると、それらは失われます。"},
    {IDS_NUL_CUT_SAVE, "%1 には、表示されていない %3 バイト（%2 バイト目の NUL バイトから後）が"
                       "あります。上書き保存すると失われます。上書きしますか?"},
    {IDS_FILE_CHANGED_RELOAD, "%1 は他のプログラムによって変更されました。読み込み直しますか?"},
    {IDS_FILE_CHANGED_MODIFIED,
     "%1 は他のプログラムによって変更されました。編集中の変更を破棄して読み込み直しますか?\n"
     "「いいえ」を選ぶと、編集中のテキストをそのまま残します。"},
    {IDS_FILE_CHANGED_SAVE,
     "%1 は読み込んだ後に他のプログラムによって変更されています。上書きしますか?"},
    {IDS_FILE_GONE, "%1 は削除されたか、移動されました。編集中のテキストはそのまま残ります。"},
    {IDS_RECOVERY_OFFER,
     "前回正しく終了しなかったときの、保存されていない %1 の内容が残っています。復元しますか?\n"
     "「いいえ」を選ぶと破棄します。破棄した内容は元に戻せません。"},
    {IDS_RECOVERY_WRITE_FAILED, "作業内容の控えを保存できません: %1"},
    {IDS_FILE_OPEN_FAILED, "%1 を開けません。"},
    {IDS_FILE_SAVE_FAILED, "%1 を保存できません。"},
    {IDS_FILE_READ_ONLY,
     "%1 は書き込みできないため上書きできません。名前を付けて保存してください。"},
    {IDS_EDIT_JOINS_CHARACTERS,
     "この編集をすると前後のバイトがつながって別の文字になってしまうため、"
     "編集できません。"},
    {IDS_RECEIVED_KEPT, "受信したデータは、そのまま %1 に保存しました。"},
    {IDS_RECEIVED_NOT_KEPT, "受信したデータを保存できませんでした: %1"},
    {IDS_CAPTION_RECEIVE, "受信"},
    {IDS_CAPTION_SEND, "送信"},
    {IDS_CAPTION_COM_SETTINGS, "COMポートの設定"},
    {IDS_TRANSFER_READY, "通信の準備が出来ました"},
    {IDS_TRANSFER_SENT_COUNT, "バイト送信済み"},
    {IDS_TRANSFER_RECEIVED_COUNT, "バイト受信済み"},
    {IDS_TRANSFER_SEND_DONE, "送信が完了しました"},
    {IDS_TRANSFER_RECEIVE_DONE, "受信が完了しました"},
    {IDS_PORT_DENIED, "%1 を使う権限がありません（グループ %2、%3）。"},
    {IDS_PORT_DENIED_FIX, "ユーザーを %1 グループに加えてから、ログインし直してください:"},
    {IDS_PORT_DENIED_LOG_IN,
     "%1 は %2 グループに加えられていますが、その後ログインし直していません。"
     "ログインし直すと使えます。"},
    {IDS_PORT_DENIED_UNKNOWN, "%1 を使う権限がありません。"},
    {IDS_PORT_BUSY,
     "%1 は他のプログラムが使用中です。そのプログラムを終了してから、やり直してください。"},
    {IDS_PORT_HOLDER, "使用中のプログラム: %1（プロセス ID %2）"},
    {IDS_PORT_BUSY_MODEM_MANAGER,
     "ModemManager が動いています。挿したばかりのアダプタを調べている間（1分ほど）は使えません。"
     "udev の規則 ENV{ID_MM_DEVICE_IGNORE}=\"1\" でそのアダプタから離せます。"},
    {IDS_PORT_BRLTTY, "brltty が動いています。CH340/CH341 のアダプタを取ってしまうことがあります。"
                      "点字ディスプレイを使わないなら削除してください（sudo apt remove brltty）。"},
    {IDS_PORT_BUSY_UNKNOWN,
     "どのプログラムかは分かりません。よくあるのは、挿したばかりのアダプタを調べる ModemManager "
     "と、CH340/CH341 のアダプタを取る brltty です。"},
    {IDS_PORT_MISSING, "%1 はありません。"},
    {IDS_PORT_PRESENT, "この PC にあるシリアルポート:"},
    {IDS_PORT_NONE_PRESENT,
     "シリアルポートが1つも見つかりません。ケーブルとアダプタの接続、アダプタのドライバを確認して"
     "ください。"},
    {IDS_TRANSFER_SEND_STALLED, "2秒以上、1バイトも送れていません。相手が受信できる状態か、"
                                "ケーブルとフロー制御の設定を確認してください。"},
    {IDS_TRANSFER_RECEIVE_STALLED, "2秒以上、何も届いていません。相手からの続きを待っています。"},
    {IDS_PORT_DENIED_NO_GROUP,
     "%1 グループにも読み書きの権限がありません。udev の規則でグループと権限を与えてください"
     "（GROUP=\"dialout\", MODE=\"0660\"）。"},
    // Command prompts and tooltips.
    {32791, "テキストデータを送信\n送信"},
    {32792, "テキストデータを受信\n受信"},
    {32793, "データを送信\n送信"},
    {32794, "データを受信\n受信"},
    {32795, "通信条件の設定\nCOMポートの設定"},
    {32796, "行番号をつけ直す\n行番号変更"},
    {32797, "行番号順に各行を並び替える\nソート"},
    {32799, "フォントを設定"},
    {32800, "ページレイアウトの設定を変更"},
    {AFX_IDS_APP_TITLE, "TESSEL Software"},
    {AFX_IDS_IDLEMESSAGE, "ﾚﾃﾞｨ"},
    {57600, "新規にﾌｧｲﾙを作成\n新規ﾌｧｲﾙ"},
    {57601, "既存のﾌｧｲﾙを開く\n開く"},
    {57602, "作業中のﾌｧｲﾙを閉じる\n閉じる"},
    {57603, "作業中のﾌｧｲﾙを上書きして保存\n保存"},
    {57604, "作業中のﾌｧｲﾙを新しい名前で保存\n名前を付けて保存"},
    {57607, "作業中のﾌｧｲﾙを印刷\n印刷"},
    {57608, "現在の設定でﾌｧｲﾙを印刷\n直接印刷"},
    {57609, "ﾌﾙ ﾍﾟｰｼﾞ表示\n印刷ﾌﾟﾚﾋﾞｭｰ"},
    {57616, "指定のﾌｧｲﾙを開く"},
    {57617, "指定のﾌｧｲﾙを開く"},
    {57618, "指定のﾌｧｲﾙを開く"},
    {57619, "指定のﾌｧｲﾙを開く"},
    {57632, "選択範囲を削除\n削除"},
    {57634, "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\nｺﾋﾟｰ"},
    {57635, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに移動\n切り取り"},
    {57636, "指定した文字列の検索\n検索"},
    {57637, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け\n貼り付け"},
    {57641, "指定した文字列を他の文字列で置換\n置換"},
    {57642, "ﾌｧｲﾙ内のすべてを選択\nすべて選択"},
    {57643, "直前に行った動作を元に戻す\n元に戻す"},
    {57649, "ｱｲｺﾝをｳｨﾝﾄﾞｳの下に整列\nｱｲｺﾝの整列"},
    {57650, "ｳｨﾝﾄﾞｳを重ねて表示\n重ねて表示"},
    {57651, "ｳｨﾝﾄﾞｳを並べて表示\n並べて表示"},
    {57664, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
    {57665, "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},
    {59137, "CAP"},
    {59138, "NUM"},
    {59139, "SCRL"},
    {59142, "ｶﾅ"},
    {59392, "ﾂｰﾙ ﾊﾞｰの表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え"},
    {59393, "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え"},
    {AFX_IDS_OPENFILE, "開く"},
    {AFX_IDS_SAVEFILE, "名前を付けて保存"},
    {AFX_IDP_ASK_TO_SAVE, "%1 への変更を保存しますか?"},
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
