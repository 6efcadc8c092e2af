#include "res/StringTable.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

namespace tessel {
namespace {

// Sorted by id so a lookup is a binary search.
constexpr StringEntry kStrings[] = {
    {IDR_MAINFRAME, "ポケットコンピュータ\u3000TESSEL Software", "Pocket Computer TESSEL Software"},
    {IDR_BASICTYPE, "\nBASIC：無題\nBASIC\nBASIC(*.bas)\n.bas\nKiva.Document\nKiva Document",
     "\nBASIC: Untitled\nBASIC\nBASIC files (*.bas)\n.bas\nKiva.Document\nKiva Document"},
    {IDR_CTYPE, "\nC言語：無題\nＣ言語\nＣ言語(*.c)\n.c\nKiva.Document\nKiva Document",
     "\nC: Untitled\nC\nC files (*.c)\n.c\nKiva.Document\nKiva Document"},
    {IDR_ASMTYPE, "\nｱｾﾝﾌﾞﾗ：無題\nｱｾﾝﾌﾞﾗ\nｱｾﾝﾌﾞﾗ(*.asm)\n.asm\nKiva.Document\nKiva Document",
     "\nAssembler: Untitled\nAssembler\nAssembler files (*.asm)\n.asm\nKiva.Document\nKiva "
     "Document"},
    {IDR_CASLTYPE, "\nCASL：無題\nCASL\nCASL(*.cas)\n.cas\nKiva.Document\nKiva Document",
     "\nCASL: Untitled\nCASL\nCASL files (*.cas)\n.cas\nKiva.Document\nKiva Document"},
    {IDR_DATATYPE,
     "\nDATAﾌｧｲﾙ：無題\nDATAﾌｧｲﾙ\nDATAﾌｧｲﾙ(*.dat)\n.dat\nKiva.Document\nKiva Document",
     "\nDATA: Untitled\nDATA file\nDATA files (*.dat)\n.dat\nKiva.Document\nKiva Document"},
    {IDR_TEXTTYPE,
     "\nﾃｷｽﾄ文書：無題\nﾃｷｽﾄ文書\nﾃｷｽﾄ文書(*.txt)\n.txt\nKiva.Document\nKiva Document",
     "\nText: Untitled\nText\nText files (*.txt)\n.txt\nKiva.Document\nKiva Document"},
    {IDS_LINE_NO_NUMBER, "行番号がありません。", "A line has no line number."},
    {IDS_LINE_REF_MISSING, "プログラム中で参照している行番号が存在しません。",
     "The program refers to a line number that does not exist."},
    {IDS_LINE_OUT_OF_RANGE, "行番号が範囲外です。1～65279になるようにして下さい。",
     "A line number is out of range. Use numbers from 1 to 65279."},
    {IDS_RENUM_ORDER, "プログラムの実行順が変更されるような値が指定されました。",
     "These values would change the order in which the program runs."},
    {IDS_LINE_DUPLICATE, "行番号が重複しています。", "A line number is used twice."},
    {IDS_LINE_TOO_LONG, "１行の文字数が多すぎます。254文字以下にして下さい。",
     "A line is too long. Keep each line to 254 characters or fewer."},
    {IDS_FILE_TOO_LARGE, "ファイルのサイズが大きすぎます。", "The file is too large."},
    {IDS_RENUM_OVERFLOW, "行番号が65279を超えるような値が指定されました。",
     "These values would take line numbers past 65279."},
    {IDS_NO_MEMORY,
     "メモリーが不足しています。他のアプリケーションを終了してから実行してください。",
     "Out of memory. Close other applications and try again."},
    {IDS_RECEIVE_TOO_LARGE, "受信データのサイズが大きすぎます。",
     "The received data is too large."},
    {IDS_PORT_OPEN_FAILED, "COMポートを開けません。", "Cannot open the COM port."},
    {IDS_EOF_CODE_EMPTY, "テキスト終了コードが入力されていません。", "Enter an end-of-text code."},
    {IDS_EOF_CODE_INVALID, "テキスト終了コードに使えない文字が使用されています。",
     "The end-of-text code contains characters that cannot be used."},
    {IDS_RENUM_OLD_MISSING, "旧行番号が存在しません。", "The old line number does not exist."},
    {IDS_END_CODE_INSIDE,
     "テキスト終了コードと同じ文字が含まれています。送信がそこで終わってしまう"
     "ため、送信できません。",
     "The text contains the end-of-text code. The send would stop there, so the text "
     "cannot be sent."},
    {IDS_TRANSFER_FAILED, "通信中にエラーが発生しました。",
     "An error occurred during the transfer."},
    {IDS_NUL_CUT_OPENED,
     "%1 の %2 バイト目に NUL バイトがあります。そこから後の %3 バイトは表示"
     "されていません。このファイルに上書き保存すると、それらは失われます。",
     "%1 has a NUL byte at byte %2. The %3 bytes after it are not shown, and saving "
     "over this file loses them."},
    {IDS_NUL_CUT_SAVE,
     "%1 には、表示されていない %3 バイト（%2 バイト目の NUL バイトから後）が"
     "あります。上書き保存すると失われます。上書きしますか?",
     "%1 has %3 bytes that are not shown (from the NUL byte at byte %2 on). Saving "
     "over the file loses them. Save anyway?"},
    {IDS_FILE_CHANGED_RELOAD, "%1 は他のプログラムによって変更されました。読み込み直しますか?",
     "%1 has been changed by another program. Reload it?"},
    {IDS_FILE_CHANGED_MODIFIED,
     "%1 は他のプログラムによって変更されました。編集中の変更を破棄して読み込み直しますか?\n"
     "「いいえ」を選ぶと、編集中のテキストをそのまま残します。",
     "%1 has been changed by another program. Discard your changes and reload it?\n"
     "Choose No to keep the text you are editing."},
    {IDS_FILE_CHANGED_SAVE,
     "%1 は読み込んだ後に他のプログラムによって変更されています。上書きしますか?",
     "%1 has been changed by another program since it was opened. Replace it?"},
    {IDS_FILE_GONE, "%1 は削除されたか、移動されました。編集中のテキストはそのまま残ります。",
     "%1 has been deleted or moved. The text you are editing is kept."},
    {IDS_RECOVERY_OFFER,
     "前回正しく終了しなかったときの、保存されていない %1 の内容が残っています。復元しますか?\n"
     "「いいえ」を選ぶと破棄します。破棄した内容は元に戻せません。",
     "Unsaved changes to %1 were left when the program last ended abnormally. "
     "Restore them?\nChoose No to discard them. Discarded changes cannot be recovered."},
    {IDS_RECOVERY_WRITE_FAILED, "作業内容の控えを保存できません: %1",
     "Cannot save a copy of your work: %1"},
    {IDS_FILE_OPEN_FAILED, "%1 を開けません。", "Cannot open %1."},
    {IDS_FILE_SAVE_FAILED, "%1 を保存できません。", "Cannot save %1."},
    {IDS_FILE_READ_ONLY,
     "%1 は書き込みできないため上書きできません。名前を付けて保存してください。",
     "%1 is read-only and cannot be replaced. Save it under another name."},
    {IDS_EDIT_JOINS_CHARACTERS,
     "この編集をすると前後のバイトがつながって別の文字になってしまうため、"
     "編集できません。",
     "This edit would join the bytes on either side into a different character, "
     "so it cannot be made."},
    {IDS_RECEIVED_KEPT, "受信したデータは、そのまま %1 に保存しました。",
     "The received data was saved as it arrived in %1."},
    {IDS_RECEIVED_NOT_KEPT, "受信したデータを保存できませんでした: %1",
     "Cannot save the received data: %1"},
    {IDS_PLACE_NO_NUMBER, "テキストの %1 行目（「%2」で始まる行）です。",
     "It is line %1 of the text, which begins \"%2\"."},
    {IDS_PLACE_BLANK_LINE, "テキストの %1 行目（空白行）です。",
     "It is line %1 of the text, which is blank."},
    {IDS_PLACE_REFERS, "行番号 %1 の行が、行番号 %2 を参照しています。",
     "Line %1 refers to line %2."},
    {IDS_PLACE_OUT_OF_RANGE, "行番号 %1 の行は、テキストの %2 行目です。",
     "The line numbered %1 is line %2 of the text."},
    {IDS_PLACE_ORDER,
     "行番号 %2 の前に行番号 %1 の行があるため、新行番号は %1 より大きくしてください。",
     "Line %1 comes before line %2, so the new line number must be above %1."},
    {IDS_PLACE_DUPLICATE, "行番号 %1 は、テキストの %2 行目と %3 行目にあります。",
     "Line number %1 is on lines %2 and %3 of the text."},
    {IDS_PLACE_TOO_LONG, "テキストの %1 行目は %2 文字です。",
     "Line %1 of the text is %2 characters long."},
    {IDS_PLACE_NO_LINE, "行番号 %1 の行はありません。", "There is no line %1."},
    {IDS_PLACE_END_CODE, "テキストの %1 行目の %2 桁目にあります。",
     "It is on line %1 of the text, at column %2."},
    {IDS_RENUM_AS_BASIC,
     "BASIC 以外の文書なので、行番号を変更しても GOTO、GOSUB、THEN、ELSE、RESTORE "
     "が参照している行番号は書き換えられません。%1\n"
     "BASIC のプログラムとして行番号を変更しますか? 文書は BASIC の文書になります。"
     "「いいえ」を選ぶと、各行の先頭の行番号だけを変更します。",
     "This is not a BASIC document, so renumbering it does not rewrite the line numbers "
     "that GOTO, GOSUB, THEN, ELSE and RESTORE refer to. %1\n"
     "Renumber it as a BASIC program? The document then becomes a BASIC document. Choose "
     "No to change only the numbers at the starts of the lines."},
    {IDS_NOTE_READ_UTF8,
     "UTF-8 のファイルとして読み込み、コードページ 932 に変換しました。保存すると UTF-8 で"
     "書き込みます。",
     "The file was read as UTF-8 and converted to code page 932, the device's character set; "
     "saving writes UTF-8 again."},
    {IDS_NOTE_UTF8_NOT_READ,
     "UTF-8 のファイルのようですが、%1 行目の %2 はコードページ 932 にない文字のため、変換せずに"
     "コードページ 932 として表示しています。",
     "The file looks like UTF-8, but %2 on line %1 has no code in code page 932, so the file is "
     "shown unconverted, as code page 932."},
    {IDS_NOTE_BLANK_LINES, "空行があります（%1 行、最初は %2 行目）。",
     "The file has blank lines (%1, the first on line %2)."},
    {IDS_NOTE_INDENTED, "行番号の前に空白のある行があります（%1 行、最初は %2 行目）。",
     "Some lines have blanks before their line numbers (%1, the first on line %2)."},
    {IDS_NOTE_END_MARK, "最後の行の後にファイル終端記号 ^Z (0x1A) があります。",
     "The end-of-file mark ^Z (0x1A) follows the last line."},
    {IDS_NOTE_NO_NUMBER,
     "ほとんどの行に行番号がありますが、行番号のない行があります（%1 行、最初は %2 行目）。"
     "行番号を付けるか、削除してください。",
     "Most lines have a line number, but some have none (%1, the first on line %2): give them "
     "numbers or remove them."},
    {IDS_NOTE_TAKEN_UNNUMBERED,
     "そのため行番号のないファイルとして読まれ、各行の前に新しい行番号が付いています。",
     "So the file was taken as having no line numbers, and its lines got new ones in front of "
     "their own."},
    {IDS_NOTE_REFUSED_LINES,
     "行番号の変更、並び替え、送信は、これらを行番号のない行として受け付けません。",
     "Renumber, Sort and Send refuse such lines as lines without a line number."},
    {IDS_TIDY_NOTHING, "整形するところはありません", "Tidy found nothing to change"},
    {IDS_SAVE_NOT_UTF8,
     "%1 行目のバイト 0x%2 はコードページ 932 の文字ではないため、UTF-8 で書き込めません。"
     "名前を付けて保存で UTF-8 の指定を外すと、そのまま保存できます",
     "byte 0x%2 on line %1 is no character of code page 932 and cannot be written as UTF-8; "
     "Save As without UTF-8 saves it as it is"},
    {IDS_CAPTION_RECEIVE, "受信", "Receive"},
    {IDS_CAPTION_SEND, "送信", "Send"},
    {IDS_CAPTION_COM_SETTINGS, "COMポートの設定", "COM Port Settings"},
    {IDS_TRANSFER_READY, "通信の準備が出来ました", "Ready to transfer"},
    {IDS_TRANSFER_SENT_COUNT, "バイト送信済み", "bytes sent"},
    {IDS_TRANSFER_RECEIVED_COUNT, "バイト受信済み", "bytes received"},
    {IDS_TRANSFER_SEND_DONE, "送信が完了しました", "Send complete"},
    {IDS_TRANSFER_RECEIVE_DONE, "受信が完了しました", "Receive complete"},
    {IDS_PORT_DENIED, "%1 を使う権限がありません（グループ %2、%3）。",
     "You have no permission to use %1 (group %2, %3)."},
    {IDS_PORT_DENIED_FIX, "ユーザーを %1 グループに加えてから、ログインし直してください:",
     "Add your user to the %1 group, then log in again:"},
    {IDS_PORT_DENIED_LOG_IN,
     "%1 は %2 グループに加えられていますが、その後ログインし直していません。"
     "ログインし直すと使えます。",
     "%1 has been added to the %2 group but has not logged in again since. Log in again to use "
     "the port."},
    {IDS_PORT_DENIED_UNKNOWN, "%1 を使う権限がありません。", "You have no permission to use %1."},
    {IDS_PORT_BUSY,
     "%1 は他のプログラムが使用中です。そのプログラムを終了してから、やり直してください。",
     "%1 is in use by another program. Close that program and try again."},
    {IDS_PORT_HOLDER, "使用中のプログラム: %1（プロセス ID %2）", "In use by: %1 (process ID %2)"},
    {IDS_PORT_BUSY_MODEM_MANAGER,
     "ModemManager が動いています。挿したばかりのアダプタを調べている間（1分ほど）は使えません。"
     "udev の規則 ENV{ID_MM_DEVICE_IGNORE}=\"1\" でそのアダプタから離せます。",
     "ModemManager is running. It holds a newly plugged-in adapter while it probes it (about a "
     "minute). The udev rule ENV{ID_MM_DEVICE_IGNORE}=\"1\" keeps it away from the adapter."},
    {IDS_PORT_BRLTTY,
     "brltty が動いています。CH340/CH341 のアダプタを取ってしまうことがあります。"
     "点字ディスプレイを使わないなら削除してください（sudo apt remove brltty）。",
     "brltty is running. It can take over CH340/CH341 adapters. If you use no braille display, "
     "remove it (sudo apt remove brltty)."},
    {IDS_PORT_BUSY_UNKNOWN,
     "どのプログラムかは分かりません。よくあるのは、挿したばかりのアダプタを調べる ModemManager "
     "と、CH340/CH341 のアダプタを取る brltty です。",
     "Which program is not known. The usual ones are ModemManager, which probes newly plugged-in "
     "adapters, and brltty, which takes over CH340/CH341 adapters."},
    {IDS_PORT_MISSING, "%1 はありません。", "%1 does not exist."},
    {IDS_PORT_PRESENT, "この PC にあるシリアルポート:", "Serial ports on this computer:"},
    {IDS_PORT_NONE_PRESENT,
     "シリアルポートが1つも見つかりません。ケーブルとアダプタの接続、アダプタのドライバを確認して"
     "ください。",
     "No serial port found. Check the cable, the adapter's connection and its driver."},
    {IDS_TRANSFER_SEND_STALLED,
     "2秒以上、1バイトも送れていません。相手が受信できる状態か、"
     "ケーブルとフロー制御の設定を確認してください。",
     "Not a byte sent for over 2 seconds. Check that the device is ready to receive, and check "
     "the cable and the flow control setting."},
    {IDS_TRANSFER_RECEIVE_STALLED, "2秒以上、何も届いていません。相手からの続きを待っています。",
     "Nothing received for over 2 seconds. Waiting for the device to continue."},
    {IDS_PORT_DENIED_NO_GROUP,
     "%1 グループにも読み書きの権限がありません。udev の規則でグループと権限を与えてください"
     "（GROUP=\"dialout\", MODE=\"0660\"）。",
     "The %1 group may not read and write it either. Give it a group and permissions with a udev "
     "rule (GROUP=\"dialout\", MODE=\"0660\")."},
    {IDS_REASON_NOT_FOUND, "ファイルまたはフォルダーが見つかりません", "No such file or folder"},
    {IDS_REASON_NO_DEVICE, "デバイスが見つかりません", "No such device"},
    {IDS_REASON_DENIED, "アクセスが拒否されました", "Permission denied"},
    {IDS_REASON_BUSY, "ほかのプログラムが使用中です", "In use by another program"},
    {IDS_REASON_NO_SPACE, "ディスクの空き容量が足りません", "No space left on the device"},
    {IDS_REASON_READ_ONLY, "読み取り専用のファイルシステムです", "Read-only file system"},
    {IDS_TRANSFER_TIME_LEFT, "残り %1", "%1 left"},
    {IDS_REASON_TIMED_OUT, "時間内に応答がありませんでした", "Timed out"},
    {IDS_REASON_CANCELLED, "中止しました", "Canceled"},
    {IDS_REASON_HUNG_UP, "相手側が回線を切りました", "The other end hung up"},
    {IDS_REASON_OWNER_ONLY,
     "%1（このフォルダーではファイルの所有者しか置き換えられません。"
     "別のファイルに書き込んでください）",
     "%1 (in this folder only the file's owner may replace it; write to another file)"},
    {IDS_MENU_FILE, "ﾌｧｲﾙ(&F)", "&File"},
    {IDS_MENU_EDIT, "編集(&E)", "&Edit"},
    {IDS_MENU_TRANSFER, "通信(&C)", "&Transfer"},
    {IDS_MENU_TOOLS, "ツール(&T)", "T&ools"},
    {IDS_MENU_VIEW, "表示(&V)", "&View"},
    {IDS_MENU_WINDOW, "ｳｨﾝﾄﾞｳ(&W)", "&Window"},
    {IDS_MENU_HELP, "ﾍﾙﾌﾟ(&H)", "&Help"},
    {IDS_MENU_NEW, "新規作成(&N)", "&New"},
    {IDS_BUTTON_OK, "OK", "OK"},
    {IDS_BUTTON_CANCEL, "ｷｬﾝｾﾙ", "Cancel"},
    {IDS_LABEL_STEP, "増分", "Step"},
    {IDS_ABOUT_CAPTION, "TESSEL Software のﾊﾞｰｼﾞｮﾝ情報", "About TESSEL Software"},
    {IDS_ABOUT_TEXT, "TESSEL Software Version %1\n\nCopyright (C) TESSEL Software",
     "TESSEL Software version %1\n\nCopyright (C) TESSEL Software"},
    {IDS_NEW_CAPTION, "新規作成", "New"},
    {IDS_NEW_TYPE_LABEL, "ﾌｧｲﾙの種類(&F)：", "&File type:"},
    {IDS_SAVE_LINE_NUMBERS, "行番号をﾌｧｲﾙへ出力(&L)", "Save &line numbers"},
    {IDS_LINENUM_CAPTION, "行番号の設定", "Line Numbers"},
    {IDS_LINENUM_START, "開始行番号", "First number"},
    {IDS_TABSTOP_CAPTION, "タブストップの設定", "Tab Stops"},
    {IDS_TABSTOP_LABEL, "タブストップ", "Tab width"},
    {IDS_RENUM_CAPTION, "行番号の変更", "Renumber"},
    {IDS_RENUM_NEW, "新行番号", "New number"},
    {IDS_RENUM_OLD, "旧行番号", "Old number"},
    {IDS_COM_PORT, "ポートの設定(&C)", "&Port"},
    {IDS_COM_BAUD_RATE, "通信速度(&B)", "&Baud rate"},
    {IDS_COM_DATA_BITS, "ワード長(&D)", "&Data bits"},
    {IDS_COM_STOP_BITS, "ストップビット(&S)", "&Stop bits"},
    {IDS_COM_PARITY, "パリティ(&P)", "P&arity"},
    {IDS_COM_LINE_END, "区切りコード(&L)", "&Line end"},
    {IDS_COM_FLOW, "フロー制御(&F)", "&Flow control"},
    {IDS_COM_END_CODE, "テキスト終了コード(&E)", "&End-of-text code"},
    {IDS_COM_CHAR_DELAY, "1文字ごとの待ち時間 ms(&W)", "&Wait after each character, ms"},
    {IDS_COM_LINE_DELAY, "1行ごとの待ち時間 ms(&N)", "Wait after each li&ne, ms"},
    {IDS_COM_DEVICE_MISSING, "%1 は見つかりません", "%1 not found"},
    {IDS_FIND_CAPTION, "検索", "Find"},
    {IDS_REPLACE_CAPTION, "置換", "Replace"},
    {IDS_FIND_WHAT, "検索する文字列(&N):", "Fi&nd what:"},
    {IDS_REPLACE_WITH, "置換後の文字列(&P):", "Re&place with:"},
    {IDS_FIND_WHOLE_WORD, "単語単位で探す(&W)", "Match &whole word only"},
    {IDS_FIND_MATCH_CASE, "大文字と小文字を区別する(&C)", "Match &case"},
    {IDS_FIND_DIRECTION, "検索する方向", "Direction"},
    {IDS_FIND_UP, "上へ(&U)", "&Up"},
    {IDS_FIND_DOWN, "下へ(&D)", "&Down"},
    {IDS_FIND_NEXT, "次を検索(&F)", "&Find Next"},
    {IDS_REPLACE_NEXT, "置換して次に(&R)", "&Replace"},
    {IDS_REPLACE_ALL, "すべて置換(&A)", "Replace &All"},
    {IDS_FIND_CANCEL, "キャンセル", "Cancel"},
    {IDS_FIND_NOT_FOUND, "「%1」が見つかりません。", "Cannot find \"%1\"."},
    {IDS_TRANSFER_STOP, "中断", "Stop"},
    {IDS_TIME_LEFT_SECONDS, "残り約%1秒", "About %1 s left"},
    {IDS_TIME_LEFT_MINUTES, "残り約%1分%2秒", "About %1 min %2 s left"},
    {IDS_TIME_LEFT_HOURS, "残り約%1時間%2分", "About %1 h %2 min left"},
    {IDS_PAGE_CAPTION, "ページの設定", "Page Setup"},
    {IDS_PAGE_ORIENTATION, "印刷の向き", "Orientation"},
    {IDS_PAGE_PORTRAIT, "縦(&O)", "P&ortrait"},
    {IDS_PAGE_LANDSCAPE, "横(&A)", "L&andscape"},
    {IDS_PAGE_PAPER, "用紙", "Paper"},
    {IDS_PAGE_SIZE, "ｻｲｽﾞ(&Z):", "Si&ze:"},
    {IDS_PAGE_SOURCE, "給紙方法(&S)", "&Source:"},
    {IDS_PAGE_MARGINS, "余白（ﾐﾘ）", "Margins (mm)"},
    {IDS_PAGE_LEFT, "左(&L):", "&Left:"},
    {IDS_PAGE_RIGHT, "右(&R):", "&Right:"},
    {IDS_PAGE_TOP, "上(&T):", "&Top:"},
    {IDS_PAGE_BOTTOM, "下(&B):", "&Bottom:"},
    {IDS_PAGE_NUMBERS, "ﾍﾟｰｼﾞ番号を印刷する(&L)", "Print page &numbers"},
    {IDS_PAGE_PRINTER, "ﾌﾟﾘﾝﾀ(&P)...", "&Printer..."},
    {IDS_PAGE_BAD_MARGIN, "余白には 0 以上の数値をﾐﾘ単位で入力してください。",
     "Enter each margin in millimetres, as a number of 0 or more."},
    {IDS_PAGE_MARGIN_TOO_LARGE,
     "余白が大きすぎます。印刷できる範囲が残るように小さくしてください。",
     "The margins are too large. Make them smaller so that some of the page is left to print "
     "on."},
    {IDS_PRINTER_CAPTION, "ﾌﾟﾘﾝﾀ", "Printer"},
    {IDS_PRINTER_NAME, "ﾌﾟﾘﾝﾀ名(&N):", "&Name:"},
    {IDS_PAPER_SOURCE_FIRST + 0, "自動選択", "Automatic"},
    {IDS_PAPER_SOURCE_FIRST + 1, "上段ﾄﾚｲ", "Upper tray"},
    {IDS_PAPER_SOURCE_FIRST + 2, "中段ﾄﾚｲ", "Middle tray"},
    {IDS_PAPER_SOURCE_FIRST + 3, "下段ﾄﾚｲ", "Lower tray"},
    {IDS_PAPER_SOURCE_FIRST + 4, "手差し", "Manual feed"},
    {IDS_PAPER_SOURCE_FIRST + 5, "封筒", "Envelope"},
    {IDS_PAPER_SOURCE_FIRST + 6, "封筒手差し", "Envelope, manual feed"},
    {IDS_PAPER_SOURCE_FIRST + 7, "ﾄﾗｸﾀ", "Tractor"},
    {IDS_PAPER_SOURCE_FIRST + 8, "小型用紙", "Small format"},
    {IDS_PAPER_SOURCE_FIRST + 9, "大型用紙", "Large format"},
    {IDS_PAPER_SOURCE_FIRST + 10, "大容量ﾄﾚｲ", "Large-capacity tray"},
    {IDS_PAPER_SOURCE_FIRST + 11, "ｶｾｯﾄ", "Cassette"},
    {IDS_PAPER_SOURCE_FIRST + 12, "用紙ﾄﾚｲ", "Paper tray"},
    {IDS_PAPER_SOURCE_FIRST + 13, "ﾕｰｻﾞｰ定義", "Custom"},
    {IDS_PREVIEW_CAPTION, "印刷ﾌﾟﾚﾋﾞｭｰ", "Print Preview"},
    {IDS_PREVIEW_PRINT, "印刷(&P)...", "&Print..."},
    {IDS_PREVIEW_NEXT, "次ﾍﾟｰｼﾞ(&N)", "&Next Page"},
    {IDS_PREVIEW_PREVIOUS, "前ﾍﾟｰｼﾞ(&V)", "Pre&vious Page"},
    {IDS_PREVIEW_ZOOM_IN, "拡大(&I)", "Zoom &In"},
    {IDS_PREVIEW_ZOOM_OUT, "縮小(&O)", "Zoom O&ut"},
    {IDS_PREVIEW_CLOSE, "閉じる(&C)", "&Close"},
    {IDS_PREVIEW_TWO_PAGES, "2 ﾍﾟｰｼﾞ(&T)", "&Two Pages"},
    {IDS_PREVIEW_ONE_PAGE, "1 ﾍﾟｰｼﾞ(&O)", "&One Page"},
    {IDS_PREVIEW_PAGE, "ﾍﾟｰｼﾞ %1", "Page %1"},
    {IDS_PREVIEW_PAGES, "ﾍﾟｰｼﾞ %1-%2", "Pages %1-%2"},
    {IDS_TOOLBAR_STANDARD, "標準", "Standard"},
    {IDS_NOTE_TIDY, "整形", "Tidy"},
    {IDS_NOTE_CLOSE, "閉じる", "Close"},
    {IDS_SAVE_UTF8, "UTF-8 で保存(&U)", "Save as &UTF-8"},
    {IDS_TIDY_DONE, "行を整形しました: %1", "Tidied: %1"},
    {IDS_TIDY_OWN_NUMBERS, "開いたときに付けた行番号を外し、ファイルの行番号を使います",
     "removed the numbers given when the file opened, so its own numbers count"},
    {IDS_INPUT_NOT_IN_CP932,
     "%1 はコード ページ 932 (シフト JIS) にない文字のため、この文書には入れられません。",
     "%1 has no code in code page 932 (Shift JIS), so it cannot go into this document."},
    {IDS_INPUT_NUL_BYTE,
     "%1 は NUL バイトとして保存される文字です。ファイルを開くとそこで文章が終わってしまうため、"
     "入力できません。",
     "%1 would be saved as a NUL byte, where the text would end when the file is opened again, "
     "so it cannot go into this document."},
    {IDS_TRANSFER_SENT_TOTAL, "%1を送信しました", "%1 sent"},
    {IDS_TRANSFER_RECEIVED_TOTAL, "%1を受信しました", "%1 received"},
    {IDS_TRANSFER_SEND_STOPPED, "送信を %1で中断しました", "Send stopped after %1"},
    {IDS_TRANSFER_RECEIVE_STOPPED, "受信を %1で中断しました", "Receive stopped after %1"},
    {IDS_COM_FLOW_RTS_CTS, "RS/CS", "RTS/CTS"},
    {IDS_COM_END_CODE_BASE, "16 進数", "hexadecimal"},
    {IDS_LINENUM_NOTE,
     "行番号のないファイルを開いたときやテキストを受信したときは、開始行番号から増分ずつ"
     "増やした番号を各行に付けます。開いている文書の番号は変わりません。",
     "When a file is opened or a text received without line numbers, its lines are numbered "
     "from First number on, Step apart. Open documents keep their numbers."},
    {IDS_ABOUT_SETTINGS, "設定ファイル: %1", "Settings file: %1"},
    {IDS_GUIDE_MISSING, "ユーザーズ ガイドがインストールされていません。次の場所を探しました:\n%1",
     "The user's guide is not installed. It was looked for here:\n%1"},
    {IDS_GUIDE_NOT_OPENED, "ユーザーズ ガイド %1 を開けるプログラムがありません。",
     "No program could open the user's guide, %1."},
    {IDS_LINE_REF_NO_LINE,
     "行番号 %1 の行がありません。プログラムは実行できても、行番号の変更はできません。",
     "There is no line %1. The program may still run, but it cannot be renumbered."},
    {IDS_LINE_OUT_OF_ORDER,
     "この行の行番号は前の行より小さくなっています。送信では行番号の順に並べて送ります。",
     "This line's number is lower than the one before it. A send puts the lines in number "
     "order."},
    {IDS_NUL_INSIDE,
     "NUL バイトがあります。ファイルを開き直すと、テキストはここで終わってしまいます。",
     "A NUL byte: when the file is opened again, the text ends here."},
    {IDS_NOT_CP932, "バイト 0x%1 はコードページ 932 の文字になっていません。",
     "Byte 0x%1 is no character of code page 932."},
    {IDS_FIX_REMOVE_BLANK_LINE, "空行を削除", "Remove the blank line"},
    {IDS_FIX_REMOVE_INDENT, "行番号の前の空白を削除", "Remove the blanks before the line number"},
    {IDS_FIX_REMOVE_END_MARK, "ファイル終端記号（^Z）の行を削除",
     "Remove the end-of-file mark (^Z)"},
    {IDS_FIX_REMOVE_END_CODE, "テキスト終了コードを削除", "Remove the end-of-text code"},
    {IDS_FIX_REMOVE_NUL, "NUL バイトを削除", "Remove the NUL byte"},
    {IDS_CLI_NOT_UTF8,
     "バイト 0x%1 は UTF-8 ではありません。コードページ 932 のファイルは --encoding utf-8 "
     "を付けずに読んでください",
     "byte 0x%1 is not UTF-8; a file in code page 932 is read without --encoding utf-8"},
    {IDS_CLI_NOT_IN_CP932,
     "%1 は本体の文字セットであるコードページ 932 にない文字です。変更するか削除してください",
     "%1 has no code in code page 932, the device's character set; change or remove it"},
    {IDS_CLI_YEN_NOT_IN_CP932,
     "%1 は本体の文字セットであるコードページ 932 にない文字です。変更するか削除してください"
     "（コードページ 932 には円記号そのものはありません。バイト 0x5c はバックスラッシュです）",
     "%1 has no code in code page 932, the device's character set; change or remove it (code "
     "page 932 has no yen sign of its own: byte 0x5c is the backslash)"},
    {IDS_CLI_NOT_CP932,
     "バイト 0x%1 はコードページ 932 の文字ではないため、UTF-8 で書き出せません。--encoding "
     "cp932 で書き出してください",
     "byte 0x%1 is no character of code page 932 and cannot be written as UTF-8; write the "
     "file with --encoding cp932"},
    {IDS_TIDY_CONVERTED_ONE, "%1 行を UTF-8 からコードページ 932 に変換しました",
     "converted %1 line from UTF-8 to code page 932"},
    {IDS_TIDY_CONVERTED, "%1 行を UTF-8 からコードページ 932 に変換しました",
     "converted %1 lines from UTF-8 to code page 932"},
    {IDS_TIDY_BYTE_ORDER_MARK, "UTF-8 のバイト順マークを削除しました",
     "removed the UTF-8 byte order mark"},
    {IDS_TIDY_BLANK_LINE, "空行を %1 行削除しました", "removed %1 blank line"},
    {IDS_TIDY_BLANK_LINES, "空行を %1 行削除しました", "removed %1 blank lines"},
    {IDS_TIDY_INDENT_ONE, "%1 行の行番号の前の空白を削除しました",
     "removed the blanks before %1 line number"},
    {IDS_TIDY_INDENTS, "%1 行の行番号の前の空白を削除しました",
     "removed the blanks before %1 line numbers"},
    {IDS_TIDY_END_MARK, "最後の行の後のファイル終端記号 ^Z (0x1A) を削除しました",
     "removed the end-of-file mark ^Z (0x1A) after the last line"},
    {IDS_WARN_LOOKS_UTF8,
     "警告: このファイルは UTF-8 のようです（この行に ASCII 以外の文字があります）が、"
     "本体はコードページ 932 で読みます。%1 で変換するか、--encoding utf-8 を付けて読んでください",
     "warning: the file looks like UTF-8 (this line has characters beyond ASCII), but the device "
     "reads code page 932; convert it with %1, or read it with --encoding utf-8"},
    {IDS_WARN_BLANK_FIRST_LINE,
     "警告: ファイルが空行で始まるため、行番号のないファイルとして読まれ、各行の前に新しい"
     "行番号が付きます。%1 で空行を削除してください",
     "warning: the file begins with a blank line, so it is taken as having no line numbers and "
     "its lines get new ones in front of theirs; remove the blank lines with %1"},
    {IDS_WARN_INDENTED_ONE,
     "警告: %1 行が空白と数字で始まっています（この行が最初です）。そのため行番号のないファイル"
     "として読まれ、その前に新しい行番号が付きます。%2 で空白を削除してください",
     "warning: %1 line begins with blanks and a number (this is the first), so the file is taken "
     "as having no line numbers and gets new ones in front of them; remove the blanks with %2"},
    {IDS_WARN_INDENTED,
     "警告: %1 行が空白と数字で始まっています（この行が最初です）。そのため行番号のないファイル"
     "として読まれ、その前に新しい行番号が付きます。%2 で空白を削除してください",
     "warning: %1 lines begin with blanks and a number (this is the first), so the file is taken "
     "as having no line numbers and gets new ones in front of them; remove the blanks with %2"},
    {IDS_HINT_BLANK_LINES, "空行は %1 で削除できます", "blank lines can be removed with %1"},
    {IDS_HINT_INDENTED, "行番号の前の空白は %1 で削除できます",
     "the blanks before line numbers can be removed with %1"},
    {IDS_HINT_END_MARK, "最後の行の後のファイル終端記号 ^Z (0x1A) は %1 で削除できます",
     "the end-of-file mark ^Z (0x1A) after the last line can be removed with %1"},
    {IDS_WARN_FLOW_CODES,
     "警告: テキストにバイト 0x11 か 0x13 があります。本体はこれをデータではなく Xon/Xoff "
     "のフロー制御として受け取ります。残すには --flow rts か none で送信してください",
     "warning: the text holds the byte 0x11 or 0x13, which the device takes as Xon/Xoff flow "
     "control, not as data; send with --flow rts or none to keep it"},
    {IDS_WARN_SEVEN_BITS,
     "警告: テキストに 0x7f より大きいバイトがあります。データビット 7 では最上位ビットが"
     "失われます",
     "warning: the text holds bytes above 0x7f, which lose their top bit with 7 data bits"},
    {IDS_CLI_NOTHING_TO_SEND, "テキストが空なので、送信するものがありません",
     "nothing to send: the text is empty"},
    {IDS_CLI_LINE_MOVES, "回線が再び動き始めました", "the line moves again"},
    {IDS_CLI_SEND_STALLED,
     "回線が止まっています。%1 秒間、1バイトも送れていません。本体が受信していないか、フロー"
     "制御が回線を止めています（ケーブルと --flow を確認してください）。送信を続けます。"
     "Ctrl-C で中止します",
     "the line has stalled: no byte could go out for %1 s; the device is not reading, or flow "
     "control holds the line (check the cable and --flow); still trying, Ctrl-C stops"},
    {IDS_CLI_RECEIVE_WAITING_TIMEOUT,
     "%1 秒間、何も届いていません。--timeout であきらめるまで続きを待ちます。Ctrl-C で中止します",
     "nothing has come for %1 s; still waiting for the rest until --timeout gives up, Ctrl-C "
     "stops"},
    {IDS_CLI_RECEIVE_WAITING,
     "%1 秒間、何も届いていません。続きを待ちます。Ctrl-C で中止します（--timeout "
     "を付けると自動であきらめます）",
     "nothing has come for %1 s; still waiting for the rest, Ctrl-C stops (--timeout gives up "
     "by itself)"},
    // Command prompts and tooltips.
    {IDS_CLI_RECEIVED_KEPT, "。受信したデータは %1 に保存しました", "; what arrived is kept in %1"},
    {IDS_CLI_RECEIVED_NOT_KEPT, "。受信したデータは別のファイルにも保存できませんでした（%1）",
     "; what arrived could not be kept either (%1)"},
    {IDS_CLI_CANNOT_BE_READ, "読み込めません", "cannot be read"},
    {IDS_CLI_READ_INCOMPLETE, "最後まで読み込めませんでした", "could not be read completely"},
    {IDS_CLI_NUMBERS_DEVICE_TAKES, "本体が受け付ける行番号のない行があります",
     "has lines without a number the device takes"},
    {IDS_CLI_NOT_SORTED, "並べ替えられませんでした", "could not be sorted"},
    {IDS_CLI_NOT_RENUMBERED, "行番号を振り直せませんでした", "could not be renumbered"},
    {IDS_CLI_CANNOT_BE_SENT, "送信できません", "cannot be sent"},
    {IDS_CLI_TOO_LARGE_TO_TIDY, "大きすぎて整えられません（1 MiB を超えています）",
     "too large to tidy (over 1 MiB)"},
    {IDS_CLI_CANNOT_HOLD_RECEIVED, "受信したテキストを保持できません",
     "cannot hold the received text"},
    {IDS_CLI_CUT_AT_NUL,
     "テキストがオフセット %1 の NUL バイトで終わり、その後の %2 バイトが失われます。先に NUL "
     "バイトを削除してください",
     "the text would end at the NUL byte at offset %1, cutting off the %2 bytes after it; remove "
     "the NUL byte first"},
    {IDS_CLI_OLD_NAMES_NO_LINE, "--old %1 の行はありません。プログラムの最初の行は %2 です",
     "--old %1 names no line; the program's first line is %2"},
    {IDS_CLI_NUL_PADDING_ONE, "末尾の埋め草の NUL バイトを %1 個削除しました",
     "removed %1 NUL byte of padding at the end"},
    {IDS_CLI_NUL_PADDING, "末尾の埋め草の NUL バイトを %1 個削除しました",
     "removed %1 NUL bytes of padding at the end"},
    {IDS_CLI_STANDARD_OUTPUT, "標準出力", "standard output"},
    {IDS_CLI_BYTE, "%1 バイト", "%1 byte"},
    {IDS_CLI_BYTES, "%1 バイト", "%1 bytes"},
    {IDS_CLI_SEND_INTERRUPTED_AFTER, "送信は中断されましたが、テキストはすべて送り終わっていました",
     "send interrupted after the whole text had left"},
    {IDS_CLI_SEND_INTERRUPTED,
     "送信を中断しました。本体はテキストの一部を受信しているかもしれません",
     "send interrupted; the device may have received part of the text"},
    {IDS_CLI_SEND_BROKE_OFF,
     "送信が途中で止まりました%1。本体はテキストの一部を受信しているかもしれません",
     "send broke off%1; the device may have received part of the text"},
    {IDS_CLI_NOTHING_ARRIVED, "1 バイトも届く前でした。何も書き込んでいません",
     "before any byte arrived; nothing written"},
    {IDS_CLI_AFTER_BYTES, "%1届いた後でした", "after %1"},
    {IDS_CLI_ARRIVED_STORED, "。受信したデータは保存しました", "; what arrived is stored"},
    {IDS_CLI_ARRIVED_STORED_IN, "。受信したデータは %1 に保存しました",
     "; what arrived is stored in %1"},
    {IDS_CLI_RECEIVE_INTERRUPTED_AFTER,
     "受信は中断されましたが、テキストはすべて届いていました（%1）",
     "receive interrupted after the whole text arrived (%1)"},
    {IDS_CLI_RECEIVE_INTERRUPTED_STORED,
     "受信は中断されましたが、テキストはすべて届いていました（%1）。保存しました",
     "receive interrupted after the whole text arrived (%1); it is stored"},
    {IDS_CLI_RECEIVE_INTERRUPTED, "受信を中断しました。%1", "receive interrupted %1"},
    {IDS_CLI_RECEIVE_GAVE_UP,
     "%1 の間 1 バイトも届かなかったので、受信をあきらめました（--timeout）。%2",
     "receive gave up: no byte came for %1 (--timeout) %2"},
    {IDS_CLI_RECEIVE_BROKE_OFF, "受信が途中で止まりました%1。%2", "receive broke off%1 %2"},
    {IDS_CLI_NO_PORT_FOUND,
     "シリアルポートが見つかりません。アダプタを接続し、ケーブルとドライバを確認してください（dmesg"
     " で分かります）",
     "no serial port found; plug in the adapter, and check its cable and driver (dmesg tells)"},
    {IDS_CLI_NO_PORT_FOUND_WINDOWS,
     "シリアルポートが見つかりません。アダプタを接続し、ケーブルとドライバを確認してください（デバ"
     "イス マネージャーで分かります）",
     "no serial port found; plug in the adapter, and check its cable and driver (the device "
     "manager tells)"},
    {IDS_CLI_SETTINGS_UNREADABLE, "設定ファイル %1 を読み込めません: %2",
     "cannot read settings file %1: %2"},
    {IDS_CLI_WARNING, "警告: %1", "warning: %1"},
    {IDS_SETTING_OUT_OF_RANGE, "[%1] %2=%3 は %4 から %5 の範囲にありません。%6 を使います",
     "[%1] %2=%3 is not %4 to %5; %6 is used"},
    {IDS_SETTING_LANGUAGE_UNKNOWN,
     "[Misc] Language=%1 は ja でも en でもありません。ロケールの言語を使います",
     "[Misc] Language=%1 is not ja or en; the locale's language is used"},
    {IDS_WARN_NO_NUMBER,
     "警告: この行には行番号がありませんが、ほとんどの行にはあります。そのため行番号のない"
     "ファイルとして読まれ、各行の前に新しい行番号が付きます。この行に行番号を付けるか、"
     "削除してください",
     "warning: this line has no line number, though most lines have one, so the file is taken as "
     "having no line numbers and its lines get new ones in front of theirs; give it a number or "
     "remove it"},
    {IDS_PLACE_TOO_LONG_NUMBERED, "行番号 %1 の行は %2 文字です。",
     "Line %1 is %2 characters long."},
    {IDS_PLACE_END_CODE_NUMBERED, "行番号 %1 の行の %2 桁目にあります。",
     "It is in line %1, at column %2."},
    {IDS_CLI_LIST_SEPARATOR, "、", ", "},
    {IDS_CLI_LIST_AND, "%1、%2", "%1 and %2"},
    {IDS_CLI_LIST_OR, "%1、%2", "%1 or %2"},
    {IDS_CLI_UNKNOWN_COMMAND, "%1 というコマンドはありません", "unknown command %1"},
    {IDS_CLI_UNEXPECTED_ARGUMENT, "余分な引数 %1 があります", "unexpected argument %1"},
    {IDS_CLI_UNKNOWN_OPTION, "%1 というオプションはありません", "unknown option %1"},
    {IDS_CLI_AMBIGUOUS_OPTION, "オプション %1 はあいまいです。%2 のどれかを指定してください",
     "ambiguous option %1 could be %2"},
    {IDS_CLI_OPTION_TAKES_NO_VALUE, "オプション %1 には値を付けられません",
     "option %1 takes no value"},
    {IDS_CLI_OPTION_NEEDS_VALUE, "オプション %1 には値を指定してください",
     "option %1 needs a value"},
    {IDS_CLI_OPTION_NEEDS_FILE_NAME, "オプション %1 にはファイル名を指定してください",
     "option %1 needs a file name"},
    {IDS_CLI_OPTION_NEEDS_DEVICE, "オプション %1 にはデバイスを指定してください",
     "option %1 needs a device"},
    {IDS_CLI_INVALID_NUMBER, "%2 の値 %1 は使えません（%3 から %4 まで）",
     "invalid value %1 for %2 (%3 to %4)"},
    {IDS_CLI_INVALID_CHOICE, "%2 の値 %1 は使えません（%3 のいずれか）",
     "invalid value %1 for %2 (%3)"},
    {IDS_CLI_INVALID_HEX_BYTE, "%2 の値 %1 は使えません（16 進数 1 桁か 2 桁）",
     "invalid value %1 for %2 (one or two hexadecimal digits)"},
    {IDS_CLI_INVALID_SECONDS,
     "%2 の値 %1 は使えません（0 より大きく %3 以下の秒数。10 や 0.5 など）",
     "invalid value %1 for %2 (seconds above 0, up to %3, such as 10 or 0.5)"},
    {IDS_CLI_MISSING_COMMAND, "コマンドを指定してください", "missing command"},
    {IDS_CLI_MISSING_FILE, "FILE を指定してください", "missing FILE"},
    {IDS_CLI_READS_NO_FILE, "%1 は FILE を読みません", "%1 reads no FILE"},
    {IDS_CLI_OPTION_DOES_NOT_APPLY, "オプション %1 は %2 には使えません",
     "option %1 does not apply to %2"},
    {IDS_CLI_BELONGS_TO, "%1 は %2 のオプションです。%3 には使えません",
     "%1 belongs to %2, not %3"},
    {IDS_CLI_BELONG_TO, "%1 は %2 のオプションです。%3 には使えません", "%1 belong to %2, not %3"},
    {IDS_CLI_OPTION_BELONGS_TO, "%1 は %2 のオプションです。%3 には使えません",
     "option %1 belongs to %2, not %3"},
    {IDS_CLI_IN_PLACE_WITH_OUTPUT, "--in-place と --output は同時に使えません",
     "--in-place and --output cannot be used together"},
    {IDS_CLI_IN_PLACE_STANDARD_INPUT,
     "--in-place は標準入力には使えません。ファイルを指定してください",
     "--in-place needs a file, not standard input"},
    {IDS_CLI_WRITES_NO_FILE, "%1 はファイルを書き出しません。--output と --in-place は使えません",
     "%1 writes no file; --output and --in-place do not apply"},
    {IDS_CLI_CANNOT_REPLACE_FILE, "%1 は FILE を置き換えられません。--output を使ってください",
     "%1 cannot replace FILE; use --output"},
    {IDS_CLI_KEEPS_NUMBERS, "%1 は行番号をそのまま残します。%2 は使えません",
     "%1 keeps the line numbers as they are; %2 does not apply"},
    {IDS_CLI_SENDS_NUMBERS, "%1 は行を行番号付きのまま送ります。%2 は使えません",
     "%1 sends the lines with their numbers; %2 does not apply"},
    {IDS_CLI_CANNOT_BE_USED_WITH, "%1 と %2 は同時に使えません", "%1 cannot be used with %2"},
    {IDS_CLI_IS_A_DATA_FILE, "%1 は行番号付きのファイルにしか使えません。%2 は DATA ファイルです",
     "%1 works on line-numbered files, and %2 is a DATA file"},
    {IDS_CLI_RECEIVE_READS_NO_FILE,
     "%1 は FILE を読みません。書き込むファイルを -o FILE で指定してください",
     "%1 reads no FILE; name the file to write with -o FILE"},
    {IDS_CLI_CANNOT_REPLACE_IN_PLACE,
     "%1 はファイルをその場で置き換えられません。-o FILE を使ってください",
     "%1 cannot replace a file in place; use -o FILE"},
    {IDS_CLI_NEEDS_OUTPUT, "%1 には -o FILE を指定してください（標準出力には '-o -'）",
     "%1 needs -o FILE ('-o -' for standard output)"},
    {IDS_CLI_TYPE_DOES_NOT_APPLY,
     "%1 はテキストファイルを作ります（--data を付けると DATA ファイル）。--type は使えません",
     "%1 makes a text file, or a DATA file with --data; --type does not apply"},
    {IDS_CLI_STORES_AS_IT_CAME, "%1 は届いたテキストをそのまま保存します。%2 は使えません",
     "%1 stores the text as it came; %2 does not apply"},
    {IDS_CLI_LINE_NUMBERED_ONLY, "%1 は行番号付きのファイルにしか使えません",
     "%1 works on line-numbered files only"},
    {IDS_CLI_IN_PLACE_NOT_REGULAR,
     "--in-place には通常のファイルを指定してください。%1 は通常のファイルではありません（-o "
     "を使ってください）",
     "--in-place needs a regular file; %1 is not one (use -o)"},
    {IDS_CLI_TRY_HELP, "詳しくは 'tessel-cli --help' を見てください。",
     "Try 'tessel-cli --help' for more information."},
    {IDS_LSP_MORE_NOT_IN_CP932, "ほかに %1 文字、コードページ 932 にない文字があります",
     "%1 more characters have no code in code page 932"},
    {IDS_CLI_WARNING_MARK, "警告: ", "warning: "},
    {IDS_CLI_HINT_MARK, "参考: ", "note: "},
    {IDS_CLI_MORE_PROBLEMS, "%1: ほかに %2 件の問題があります（--max で表示する数を変えられます）",
     "%1: %2 more problems not shown (--max sets how many are)"},
    {IDS_CLI_MORE_PROBLEM, "%1: ほかに 1 件の問題があります（--max で表示する数を変えられます）",
     "%1: 1 more problem not shown (--max sets how many are)"},
    {IDS_LSP_NO_SUCH_LINE, "行番号 %1 の行はありません", "There is no line %1"},
    {IDS_LSP_NO_SUCH_LABEL, "ラベル %1 はありません", "There is no label %1"},
    {IDS_LSP_KEYWORD_STATEMENT, "%1 は命令です", "%1 is a statement"},
    {IDS_LSP_KEYWORD_FUNCTION, "%1 は値を返す関数です", "%1 is a function: it gives a value"},
    {IDS_LSP_KEYWORD_OPERATOR, "%1 は演算子です", "%1 is an operator"},
    {IDS_LSP_KEYWORD_CLAUSE, "%1 は文の中で使う語です（単独では命令になりません）",
     "%1 stands inside a statement, never as one"},
    {IDS_LSP_CATEGORY_STATEMENT, "命令", "statement"},
    {IDS_LSP_CATEGORY_FUNCTION, "関数", "function"},
    {IDS_LSP_CATEGORY_OPERATOR, "演算子", "operator"},
    {IDS_LSP_CATEGORY_CLAUSE, "文の中の語", "word inside a statement"},
    {IDS_LSP_RENAME_NOT_HERE, "名前を変更できるのは、行の行番号か、行を参照する行番号だけです",
     "Only a line's number, or a reference to a line, can be renamed"},
    {IDS_LSP_RENAME_NOT_A_NUMBER,
     "「%1」は行番号になりません。1 から 65279 までの数を指定してください",
     "\"%1\" is no line number: give a number from 1 to 65279"},
    {IDS_LSP_RENAME_TAKEN, "行番号 %1 の行はすでにあります", "There is a line %1 already"},
    {IDS_LSP_RENAME_ORDER, "行番号 %1 を %2 にすると、間にある行 %3 との順序が変わります",
     "Line %1 cannot become line %2: line %3 stands between them, and the order of the lines "
     "would change"},
    {IDS_LSP_RENAME_SHARED, "行番号 %1 の行が複数あります。参照がどの行を指すのか決まりません",
     "More than one line has the number %1: which of them the references name is not clear"},
    {IDS_LSP_RENUMBER_PROGRAM, "行番号をつけ直す（%1 から %2 ずつ）",
     "Renumber the program (from %1, step %2)"},
    {IDS_LSP_RENUMBER_FROM_LINE, "この行から行番号をつけ直す（%1 から %2 ずつ）",
     "Renumber from this line (from %1, step %2)"},
    {IDS_LSP_SORT_LINES, "行番号順に各行を並び替える", "Sort the lines"},
    {IDS_LSP_TIDY, "整形（空行や行番号の前の空白を取り除く）",
     "Tidy (remove blank lines and the blanks before line numbers)"},
    {IDS_LSP_SEND_BUSY, "送信中です。送信が終わってから送信してください",
     "A send is under way: send again once it has ended"},
    {IDS_LSP_SEND_ACTION, "本体へ送信", "Send to the device"},
    {IDS_GOTO_LINE_TITLE, "指定行へ移動", "Go to Line"},
    {IDS_GOTO_LINE_NUMBER, "行番号:", "Line number:"},
    {IDS_GOTO_LINE_INDEX, "行:", "Line:"},
    {IDS_GOTO_NOTHING, "キャレットの位置に、行を参照する行番号やラベルがありません。",
     "There is no line number or label at the caret that refers to a line."},
    {32791, "テキストデータを送信\n送信", "Send a text to the device\nSend"},
    {32792, "テキストデータを受信\n受信", "Receive a text from the device\nReceive"},
    {32793, "データを送信\n送信", "Send data to the device\nSend Data"},
    {32794, "データを受信\n受信", "Receive data from the device\nReceive Data"},
    {32795, "通信条件の設定\nCOMポートの設定", "Set up the COM port\nCOM Port Settings"},
    {32796, "行番号をつけ直す\n行番号変更", "Renumber the lines\nRenumber"},
    {32797, "行番号順に各行を並び替える\nソート", "Sort the lines by line number\nSort"},
    {32799, "フォントを設定", "Choose the editor font"},
    {32800, "ページレイアウトの設定を変更", "Change the page layout"},
    {32813, "空行や行番号の前の空白を取り除く\n整形",
     "Remove blank lines and the blanks before line numbers\nTidy"},
    {32814, "行番号、キーワード、文字列、注釈などを色分けして表示\n色分け表示",
     "Show the parts of a program (line numbers, keywords, strings, remarks) in colors\nColors"},
    {32815, "行番号 (行番号のない文書では行) を指定して移動\n指定行へ移動",
     "Go to the line with a given number (the given line in a DATA file)\nGo to Line"},
    {32816, "キャレット位置の GOTO などが参照する行へ移動\n参照先の行へ移動",
     "Go to the line that the GOTO, GOSUB or label at the caret refers to\nJump to Referenced "
     "Line"},
    {AFX_IDS_APP_TITLE, "TESSEL Software", "TESSEL Software"},
    {AFX_IDS_IDLEMESSAGE, "ﾚﾃﾞｨ", "Ready"},
    {57600, "新規にﾌｧｲﾙを作成\n新規ﾌｧｲﾙ", "Create a new file\nNew"},
    {57601, "既存のﾌｧｲﾙを開く\n開く", "Open an existing file\nOpen"},
    {57602, "作業中のﾌｧｲﾙを閉じる\n閉じる", "Close the active file\nClose"},
    {57603, "作業中のﾌｧｲﾙを上書きして保存\n保存", "Save the active file\nSave"},
    {57604, "作業中のﾌｧｲﾙを新しい名前で保存\n名前を付けて保存",
     "Save the active file under a new name\nSave As"},
    {57607, "作業中のﾌｧｲﾙを印刷\n印刷", "Print the active file\nPrint"},
    {57608, "現在の設定でﾌｧｲﾙを印刷\n直接印刷",
     "Print the active file with the current settings\nPrint Direct"},
    {57609, "ﾌﾙ ﾍﾟｰｼﾞ表示\n印刷ﾌﾟﾚﾋﾞｭｰ", "Show full pages\nPrint Preview"},
    {57616, "指定のﾌｧｲﾙを開く", "Open this file"},
    {57617, "指定のﾌｧｲﾙを開く", "Open this file"},
    {57618, "指定のﾌｧｲﾙを開く", "Open this file"},
    {57619, "指定のﾌｧｲﾙを開く", "Open this file"},
    {57632, "選択範囲を削除\n削除", "Delete the selection\nDelete"},
    {57634, "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\nｺﾋﾟｰ",
     "Copy the selection to the clipboard\nCopy"},
    {57635, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに移動\n切り取り",
     "Cut the selection to the clipboard\nCut"},
    {57636, "指定した文字列の検索\n検索", "Find text\nFind"},
    {57637, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け\n貼り付け", "Paste from the clipboard\nPaste"},
    {57641, "指定した文字列を他の文字列で置換\n置換", "Replace text with other text\nReplace"},
    {57642, "ﾌｧｲﾙ内のすべてを選択\nすべて選択", "Select the whole file\nSelect All"},
    {57643, "直前に行った動作を元に戻す\n元に戻す", "Undo the last action\nUndo"},
    {57644, "元に戻した動作をやり直す\nやり直し", "Redo the action last undone\nRedo"},
    {57649, "ｱｲｺﾝをｳｨﾝﾄﾞｳの下に整列\nｱｲｺﾝの整列",
     "Arrange icons at the bottom of the window\nArrange Icons"},
    {57650, "ｳｨﾝﾄﾞｳを重ねて表示\n重ねて表示", "Arrange windows so they overlap\nCascade"},
    {57651, "ｳｨﾝﾄﾞｳを並べて表示\n並べて表示", "Arrange windows side by side\nTile"},
    {57664, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報",
     "Show program information, version and copyright\nAbout"},
    {57665, "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了",
     "Quit the program, asking to save changes\nExit"},
    {57670, "ユーザーズ ガイドを開く\nユーザーズ ガイド", "Open the user's guide\nUser's Guide"},
    {ID_INDICATOR_CAPS, "CAP", "CAP"},
    {ID_INDICATOR_NUM, "NUM", "NUM"},
    {ID_INDICATOR_SCRL, "SCRL", "SCRL"},
    {ID_INDICATOR_KANA, "ｶﾅ", "KANA"},
    {59392, "ﾂｰﾙ ﾊﾞｰの表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え",
     "Show or hide the toolbar\nToggle Toolbar"},
    {59393, "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え",
     "Show or hide the status bar\nToggle Status Bar"},
    {AFX_IDS_OPENFILE, "開く", "Open"},
    {AFX_IDS_SAVEFILE, "名前を付けて保存", "Save As"},
    {AFX_IDP_ASK_TO_SAVE, "%1 への変更を保存しますか?", "Save changes to %1?"},
    {AFX_IDP_FAILED_TO_CREATE_DOC, "空のﾄﾞｷｭﾒﾝﾄの作成に失敗しました。",
     "Could not create an empty document."},
    {AFX_IDP_FAILED_TO_START_PRINT, "印刷ｼﾞｮﾌﾞを開始できませんでした。",
     "Could not start the print job."},
    {AFX_IDP_PARSE_INT_RANGE, "%1 から %2 までの整数を入力してください。",
     "Enter a whole number from %1 to %2."},
    {AFX_IDP_PARSE_UINT, "正の整数を入力してください。", "Enter a positive whole number."},
};

static_assert(std::ranges::is_sorted(kStrings, {}, &StringEntry::id));

// The common errors the table words itself.
constexpr std::pair<int, unsigned> kReasons[] = {
    {ENOENT, IDS_REASON_NOT_FOUND},    {ENXIO, IDS_REASON_NO_DEVICE},
    {ENODEV, IDS_REASON_NO_DEVICE},    {EACCES, IDS_REASON_DENIED},
    {EPERM, IDS_REASON_DENIED},        {EBUSY, IDS_REASON_BUSY},
    {ENOSPC, IDS_REASON_NO_SPACE},     {EROFS, IDS_REASON_READ_ONLY},
    {ETIMEDOUT, IDS_REASON_TIMED_OUT}, {ECANCELED, IDS_REASON_CANCELLED},
};

} // namespace

std::span<const StringEntry> AllStrings() {
    return kStrings;
}

std::string_view LoadString(unsigned id, Language language) {
    const auto* it = std::ranges::lower_bound(kStrings, id, {}, &StringEntry::id);
    if (it == std::end(kStrings) || it->id != id)
        return {};
    return language == Language::English ? it->english : it->japanese;
}

std::string_view LoadString(unsigned id) {
    return LoadString(id, CurrentLanguage());
}

namespace {

template <typename Args>
std::string Fill(std::string_view text, const Args& args) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t n = i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - '1') : 0;
        if (text[i] == '%' && i + 1 < text.size() && n < std::size(args)) {
            out += std::data(args)[n];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string FormatText(std::string_view text, std::initializer_list<std::string_view> args) {
    return Fill(text, args);
}

std::string FormatText(std::string_view text, std::span<const std::string> args) {
    return Fill(text, args);
}

std::string LoadFormatted(unsigned id, std::initializer_list<std::string_view> args) {
    return FormatText(LoadString(id), args);
}

std::string SystemReason(int number, std::string_view systemText) {
    for (const auto& [error, id] : kReasons)
        if (error == number)
            return std::string(LoadString(id));
    return std::string(systemText);
}

std::string SystemReason(int number) {
    return SystemReason(number, std::generic_category().message(number));
}

} // namespace tessel
