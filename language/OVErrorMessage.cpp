#include "language/OVErrorMessage.h"

#include "language/OVGetTokenUnit.h"
#include "language/OVHeader.h"
#include "platform/OVWinVersion.h"

#include <QLocale>

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace ov {

namespace {

// One catalogue row. The message is First, then CR LF when CrLf is set, then
// Second. A null First marks a message built from a name or a figure
// (NamedMessage).
struct ErrorText {
    int Number;
    const char16_t *First;
    bool CrLf;
    const char16_t *Second;  // null: no second part
};

constexpr const char16_t *FromName = nullptr;

constexpr char16_t LineEnd[] = u"\r\n";
constexpr char16_t UnknownError[] = u"エラーです。";

// Pieces shared by several rows.
constexpr const char16_t *ExprInvalid = u"正しい式ではありません。";
constexpr const char16_t *CheckTyping = u"ミスタイプが考えられます。文字や空白を確認して下さい。";
constexpr const char16_t *Simplify = u" 簡単な構文にして下さい。";
constexpr const char16_t *WideCharsInText = u"プログラム本文に漢字（全角文字）や半角カナが使われています。";
constexpr const char16_t *CheckWideChars = u"全角の空白や”等を調べてください。";
constexpr const char16_t *WindowArgMismatch = u"Window 文での座標計算中に型の不一致が起きました。";
constexpr const char16_t *WindowForm = u"Window の構文は 「Window (X1,Y1)-(X2,Y2)」の形です。";
constexpr const char16_t *ScreenArgMismatch = u"Screen 文での座標計算中に型の不一致が起きました。";
constexpr const char16_t *ScreenForm = u"Screen の構文は 「Screen (X,Y)」の形です。";

// A keyword followed by the syntax suffix. The suffix ends with CR LF, which
// the rows using it supply through their CrLf flag.
#define OV_SYNTAX(word) word u" の構文に誤りがあります。"

// Sorted by number; searched by halving.
constexpr ErrorText Catalogue[] = {
    // 1..3: general
    {1, FromName, false, nullptr},
    {2, WideCharsInText, true, CheckWideChars},
    {3, u"この命令はサポートされていません。", true, u"または文が不完全です。"},

    // 101..220: program size, expressions, DEF, FUNCTION and SUB headers
    {101, u"字句解析エラーが起きました。非想定のエラーです。", false, nullptr},
    {106, FromName, false, nullptr},
    {110, u"16進数 &H の書き方に誤りがあります。", true, u"16進数は &H の次に 0～9，A～F を 1～8 桁続けた形です。"},
    {131, ExprInvalid, false, u"括弧や，関数の引数の使い方の誤りが考えられます。"},
    {132, ExprInvalid, false, u"括弧や，関数の引数の使い方の誤りが考えられます。"},
    {133, ExprInvalid, false, u"括弧や \" などの誤りが考えられます。"},
    {136, u"式の変換中にエラーが生じました。非想定のエラーです。", false, nullptr},
    {137, u"式の変換中にエラーが生じました。非想定のエラーです。", false, nullptr},
    {138, ExprInvalid, false, u"式の中に使えない記号が含まれています。"},
    {151, ExprInvalid, false, u"左右の括弧の対応が不正または，計算できない式です。"},
    {152, ExprInvalid, false, u"左右の括弧の対応が不正または，計算できない式です。"},
    {153, ExprInvalid, false, u"括弧や，カンマ，関数の引数の使い方の誤りが考えられます。"},
    {161, u"この局所変数は既に使われています。２重定義です。", false, nullptr},
    {162, OV_SYNTAX(u"Def"), true, u"関数名は数値変数または文字列変数です。"},
    {163, OV_SYNTAX(u"Def"), true, u"関数名の後は( です。"},
    {210, OV_SYNTAX(u"Function"), true, u"Function の次は関数名です。"},
    {220, OV_SYNTAX(u"Sub"), true, u"Sub の次は手続き名です。"},

    // 501..513: statement ends, brackets, labels
    {501, FromName, false, nullptr},
    {502, u" 式の中に含まれる左右の括弧の個数が合いません。", false, nullptr},
    {510, u" Label の使い方に誤りがあります。", false, u" * の次の Label 名は数値変数型です。"},
    {511, u" 同じ Label が２つあります。Label の名前を変えて下さい。", false, nullptr},
    {512, u" 配列変数名と同じ Label 名です。Label の名前を変えて下さい。", false, nullptr},
    {513, u" この名前は関数やサブプログラム名として使われています。Label の名前を変えて下さい。", false, nullptr},

    // 550..591: nesting, FOR, WHILE, IF, GOSUB, SELECT CASE, DEF
    {550, u" If ， For ， While 等の制御文の入れ子が深すぎます。", true, Simplify},
    {551, OV_SYNTAX(u"For ～ Next"), true, u" For の次は数値変数です。For 文は For 数値変数 = 式 To 式 の形です。"},
    {552, OV_SYNTAX(u"For ～ Next"), true, u" For 文に = がありません。For 文は For 数値変数 = 式 To 式 の形です。"},
    {553, OV_SYNTAX(u"For ～ Next"), true, u" For 文に To がありません。"},
    {554, OV_SYNTAX(u"For ～ Next"), true, u"For と Next の数値変数 が対応していません。"},
    {555, OV_SYNTAX(u"For ～ Next"), true, u"For に対応する Next がありません。"},
    {556, OV_SYNTAX(u"For ～ Next"), true, u"Next に対応する For がありません。"},
    {557, OV_SYNTAX(u"While ～ Wend"), true, u"While に対応する Wend がありません。"},
    {558, OV_SYNTAX(u"While ～ Wend"), true, u"Wend に対応する While がありません。"},
    {565, OV_SYNTAX(u"If"), true, u"If 文は If ～ の後は Then ～ Else ～ EndIf の形です。"},
    {566, OV_SYNTAX(u"If"), true, u"If 文は If ～ Then ～ 又は If ～ Goto ～です。"},
    {567, OV_SYNTAX(u"If"), true, u"If 文と Else や EndIf がよく対応していません。"},
    {571, u"ラベル名は数値変数型でなくてはいけません。また予約語は使えません。", true, nullptr},
    {572, u"Gosub での引数の取り方に誤りがあります。", true, nullptr},
    {573, OV_SYNTAX(u"Gosub"), true, u"Gosub 文は 「Gosub *ラベル名」又は「Gosub 行番号」 です。"},
    {581, OV_SYNTAX(u"Select Case"), true, u" Select Case 式の後は 改行，カンマ か コロンです。"},
    {582, OV_SYNTAX(u"Select Case"), true, u" Select Case 式の後は 改行か コロンの次は Case 文です。"},
    {583, OV_SYNTAX(u"Select Case"), true, u" Select Case の後は 式です。"},
    {584, OV_SYNTAX(u"Select Case"), true, u" Case の対応や，Case else の順序に誤りがあります。"},
    {585, OV_SYNTAX(u"Select Case"), true, u" Case 構文に誤りがあります。"},
    {591, OV_SYNTAX(u"Def"), true, u" Def 文は関数名の後は ( 　変数　,　）です。"},

    // 601..682: LET, PRINT, INPUT, DIM, PRINT #, PRINT USING
    {601, CheckTyping, true, u"Let文ならば構文の誤りです。Letの次は「変数」です。"},
    {602, CheckTyping, true, u"Let文ならば構文の誤りです。Let文では変数の次は「=」です。"},
    {603, u"Letの構文に誤りがあります。Let文は変数=式です。対応する式がありません。", true, CheckTyping},
    {604, u"Print文 の構文に誤りがあります。Print の次は 式です。", true, CheckTyping},
    {606, OV_SYNTAX(u"Goto"), true, u"Goto 文は 「Goto *ラベル名」又は「Goto 行番号」 です。"},
    {607, OV_SYNTAX(u"Input"), true, u"Input 文は 文字列定数 カンマ 又は セミコロンの次は変数です。"},
    {608, OV_SYNTAX(u"Input"), true, u"Input 文は Input 文字列定数 の次は カンマ 又は セミコロン です。"},
    {609, OV_SYNTAX(u"Input"), true, u"Input 文は 入力ﾒｯｾｰｼﾞなしの場合 Input 変数 の形です。"},
    {611, OV_SYNTAX(u"Dim"), true, u"Dim 文は Dim 配列変数名(数値,…,数値), ... の形です。"},
    {612, u"この変数は Dim で配列変数と宣言されています。", true, u"正しい配列変数の形ではありません。"},
    {613, u"この変数は 既に Label として使われています。名前を変えて下さい。", false, nullptr},
    {614, u"この変数は 既に 配列変数として宣言されています。名前を変えて下さい。", false, nullptr},
    {618, u"Dim 文や Public 文で宣言した変数が既に使われています。", false, nullptr},
    {620, OV_SYNTAX(u"Input"), true, u"読み込み用の変数の並びが正しくありません。"},
    {621, OV_SYNTAX(u"Input"), true, u"Input 文で，文字列の次はカンマまたはセミコロンです。"},
    {622, OV_SYNTAX(u"Input"), true, u"この変数は 配列変数として宣言されています。"},
    {623, OV_SYNTAX(u"Input (#), Line Input (#)"), true, u"この 配列変数の宣言の型と合いません。"},
    {624, OV_SYNTAX(u"Input (#), Line Input (#)"), true, u"構文を確認してください。"},
    {625, OV_SYNTAX(u"Input #, Line Input #"), true,
     u"Input # 文 は Print #数値(1から8), 式 ; (または , ) ... の形です。"},
    {650, OV_SYNTAX(u"Print #"), true, u"Print # 文 は Print #数値(1から8), 式 ; (または , ) ... の形です。"},
    {651, OV_SYNTAX(u"Print #"), true, u"Print #数値 の次は ｶﾝﾏ(,) 式(または , ) ... の形です。"},
    {653, OV_SYNTAX(u"Print #"), true, u"Orvane で指定できる File 番号は 1,2,...,8 のいずれかです。"},
    {654, u"Print # 文 の構文に誤りがあります。Print #数, の次は 式です。", true, CheckTyping},
    {660, OV_SYNTAX(u"Print using"), true, CheckTyping},
    {661, u"Print using 文の構文に誤りがあります。Print using の次は文字列です。", true, CheckTyping},
    {662, OV_SYNTAX(u"Print using"), true, u"Print using 文字列 の次は ｾﾐｺﾛﾝ ; 式 ... の形です。"},
    {681, u"Print # using 文の構文に誤りがあります。Print # using の次は文字列です。", true, CheckTyping},
    {682, OV_SYNTAX(u"Print # using"), true, u"Print # using 文字列 の次は ｾﾐｺﾛﾝ ; 式 ... の形です。"},

    // 700..852: command arguments
    {700, u"対象の指定に誤りがあります。", true, u"コマンドの構文を確認して下さい。"},
    {701, OV_SYNTAX(u"Files"), true, u"Files 文は 「Files」又は「Files \"ﾃﾞｨｽｸ名:\"」 です。"},
    {702, OV_SYNTAX(u"Kill"), true, u"Kill 文は 「Kill \"ﾌｧｲﾙ名(拡張子付)\"」 です。"},
    {703, OV_SYNTAX(u"List"), true, u"Orvane では List 文は 「List」の形 です。"},
    {704, OV_SYNTAX(u"Load"), true, u"Load 文は 「Load \"ﾌｧｲﾙ名\"」 です。"},
    {706, OV_SYNTAX(u"Name"), true, u"Name 文は 「Name \"旧ﾌｧｲﾙ名\" as \"新ﾌｧｲﾙ名\"」 です。"},
    {707, OV_SYNTAX(u"ChDir"), true, u"ChDir 文は 「ChDir \"Path名\"」 です。"},
    {720, OV_SYNTAX(u"Run"), true, u"Run 文は 「Run」または「Run \"ﾌｧｲﾙ名\"」 です。"},
    {801, OV_SYNTAX(u"Window"), true, u"Winodow 文は 「Window (x1,y1)-(x2,y2)」 の形です。"},
    {802, FromName, false, nullptr},
    {805, OV_SYNTAX(u"View"), true, u"View 文は 「View (x1,y1)-(x2,y2)」 の形です。"},
    {811, OV_SYNTAX(u"Line"), true, u"Line 文は 「Line (x1,y1)-(x2,y2)」 の形です。"},
    {851, OV_SYNTAX(u"PrintTitle"), true, u"PrintTitle 文は 「PrintTitle 文字列（又は文字列変数）」 です。"},
    {852, OV_SYNTAX(u"PrintGTitle"), true,
     u"PrintGTitle 文は 「PrintGTitle 文字列（又は文字列変数）」 です。"},

    // 1001..1106: evaluation
    {1001, u" 式の計算でｽﾀｯｸがオーバーしました。", false, nullptr},
    {1002, u"式の計算で演算子の使い方に誤りがあります。", false, nullptr},
    {1005, u" Data文が多すぎます。メモリを確保できません。", false, nullptr},
    {1006, u" Dataの個数を越えて Read 文 を実行しようとしました。", false, nullptr},
    {1007, u" Read 文の変数の型と Data 文の定数の型が合いません。", false, nullptr},
    {1008, u" Def Fn 文で定義された変数の型と値の型が合いません。", false, nullptr},
    {1009, u" この変数は Label として使われています。Label と名前を変えて下さい。", false, nullptr},
    {1010, u" の実行に失敗しました。", false, nullptr},
    {1014, u"ゼロや負数の巾は整数巾以外計算できません。", false, nullptr},
    {1015, u"引き数が負数です。", false, nullptr},
    {1018, u"対数の引数が小さすぎるか，ゼロ又は負です。", false, nullptr},
    {1019, u"平方根の引数が負です。", false, nullptr},
    {1020, u"式の計算で実行できない演算がありました。", true,
     u"演算子や配列変数やカンマなどの使い方の誤りが考えられます。"},
    {1024, u"剰余演算が可能な範囲を越えました。", false, nullptr},
    {1026, u"Space$ の引き数が不適当です。0～1024 の範囲にして下さい。", false, nullptr},
    {1031, u"整数除算で除数が正整数でありません。", false, nullptr},
    {1032, u"整数除算で被除数が整数でありません。", false, nullptr},
    {1033, u"整数除算が可能な範囲を越えました。", false, nullptr},
    {1035, u"整数剰余演算で除数が正整数でありません。", false, nullptr},
    {1036, u"整数剰余演算で被除数が整数でありません。", false, nullptr},
    {1037, u"整数剰余演算が可能な範囲を越えました。", false, nullptr},
    {1040, u"サブルーチンを続けて呼びすぎました。", false,
     u"ｻﾌﾞﾙｰﾁﾝのなかでｻﾌﾞﾙｰﾁﾝは続けて10回までしか呼べません。"},
    {1041, u"Gosub と Return が対応しません。", false, u"Return に対して戻る位置が分かりません。"},
    {1051, u"If 文, Goto (または Gosub) 文で 対応するﾗﾍﾞﾙがありません。", false, nullptr},
    {1052, u"If 文，または For 文で 条件式の型が合いません。", false, nullptr},
    {1055, u"内部ラベルが対応しません。Bug または条件文の使いすぎです。", false, nullptr},
    {1106, u"Cls 文の引数が正しくありません。", true, u"Cls 文は 「Cls」又は「Cls 1」，「Cls 2」，「Cls 3」 です。"},

    // 1210..1354: graphics arguments
    {1210, WindowArgMismatch, true, WindowForm},
    {1211, WindowArgMismatch, true, WindowForm},
    {1212, WindowArgMismatch, true, WindowForm},
    {1213, WindowArgMismatch, true, WindowForm},
    {1214, WindowArgMismatch, true, WindowForm},
    {1215, WindowArgMismatch, true, WindowForm},
    {1216, WindowArgMismatch, true, WindowForm},
    {1217, WindowArgMismatch, true, WindowForm},
    {1218, WindowArgMismatch, true, WindowForm},
    {1219, WindowArgMismatch, true, WindowForm},
    {1220, u"Line 文で 引数が数値ではありません。", true,
     u"Line の構文は 「Line (X1,Y1)-(X2,Y2), C, B」の形です。"},
    {1230, u"PSet 文で 引数が数値ではありません。", true, u"PSet の構文は 「PSet (X1,Y1), C」の形です。"},
    {1239, u"Line 文で オプションの指定が正しくありません。", true,
     u"Line の構文は 「Line (X1,Y1)-(X2,Y2), C, B」の形です。"},
    {1240, u"Circle 文で 引数が数値ではありません。", true,
     u"Circle の構文は 「Circle (X1,Y1), R」の形です。"},
    {1245, u"Paint 文で 引数が数値ではありません。", true, u"Paint の構文は 「Circle (X1,Y1), C」の形です。"},
    {1247, u"Circle 文で 塗りつぶしの指定は F です。", true,
     u"Circle の構文は 「Circle (X1,Y1), R」の形です。"},
    {1248, u"Circle 文で 塗りつぶしの指定が正しくありません。", true,
     u"Circle の構文は 「Circle (X1,Y1), R」の形です。"},
    {1250, u"Paint 文で 引数が数値ではありません。", true, u"Paint の構文は 「Paint (X1,Y1), C」の形です。"},
    {1351, ScreenArgMismatch, true, ScreenForm},
    {1352, ScreenArgMismatch, true, ScreenForm},
    {1353, ScreenArgMismatch, true, ScreenForm},
    {1354, ScreenArgMismatch, true, ScreenForm},

    // 1401..1403: subscripts
    {1401, u"配列変数の添え字が Dim 文で指定した範囲を越えました。", false, nullptr},
    {1402, u"配列変数の添え字が負になりました。", false, nullptr},
    {1403, u"配列変数の添え字の対応が正しくありません。", false,
     u"宣言が不正か，添え字が数値でない可能性があります。"},

    // 2101..2142: file system
    {2101, u"対象ファイルが見つかりません。", false, nullptr},
    {2102, u"パスが見つかりません。", false, nullptr},
    {2103, u"ファイルアクセスが拒否されました。", false, nullptr},
    {2104, u"ディスクドライブ名が正しくありません。", false, nullptr},
    {2105, u"ディスクがセットされていません。", false, nullptr},
    {2106, u"目的のファイルは書き込み禁止です。", false, nullptr},
    {2107, u"目的のファイルは書き込み禁止です。改名できません。", false, nullptr},
    {2108, u"目的のファイルは書き込み禁止です。削除できません。", false, nullptr},
    {2109, u"目的ﾌｧｲﾙ名と同名のファイル があります。改名できません。", false, nullptr},
    {2110, u"目的のディスクの名前が正しくありません。", false, CheckTyping},
    {2111, u"目的ファイルのドライブ名が正しくありません。", false,
     u"または，ミスタイプです。文字や空白を確認して下さい。"},
    {2112, u"ロードまたはセーブに失敗しました。", false, nullptr},
    {2121, u"ChDir に失敗しました。", false, nullptr},
    {2131, u"改名しようとしたファイルが見つかりません。", false, nullptr},
    {2132, u"目的ファイル名と同名のファイル があります。改名できません。", false, nullptr},
    {2133, u"改名 に失敗しました。", false, nullptr},
    {2141, u"削除しようとしたファイルが見つかりません。", false, nullptr},
    {2142, u"削除に失敗しました。", false, nullptr},

    // 3001..3502: file channels and PRINT USING
    {3001, u"目的の番号ファイルは既に Open されています。", true,
     u"この番号を別のファイルに割り当てるには１度 Close して下さい。"},
    {3003, u"Open の実行中にエラーが起きました。", false, nullptr},
    {3005, u"目的の番号ファイルは Input で Open されていません。", true,
     u"Eof 関数は Input で Open されている File にだけ使えます。"},
    {3006, u"Eof 関数の使い方に誤りがあります。", true,
     u"Eof 関数は Eof(数値) で数値は 1,2,..,8 のいずれかです。"},
    {3011, u"書き込み目的の番号ファイルは Open されていません。", true,
     u"Print # は Output または Append で Open されている File にだけ使えます。"},
    {3012, u"書き込み番号目的のファイルは 読み込み用として Input で Open されています。", true,
     u"Print # は Output または Append で Open されている File にだけ使えます。"},
    {3021, u"読み込み目的の番号ファイルは Open されていません。", true,
     u"Line Input # は Input で Open されている File にだけ使えます。"},
    {3022, u"読み込み目的の番号ファイルは 書き込み用として Output で Open されています。", true,
     u"Line Input # は Input で Open されている File にだけ使えます。"},
    {3023, u"読み込み目的の番号ファイルは 書き込み用として Append で Open されています。", true,
     u"Line Input # は Input で Open されている File にだけ使えます。"},
    {3025, u"目的の番号ファイルには Line Input # で読み込むデータが既にありません。", true,
     u"Eof 関数でデータの存在を確認をしてから Line Input # を実行して下さい。"},
    {3030, u"Input の実行中にエラーが生じました。", true, u"使える番号は 1, 2,.. 8 のいずれかです。"},
    {3031, u"読み込み目的の番号ファイルは Open されていません。", true,
     u"Input は Input で Open されている File にだけ使えます。"},
    {3032, u"読み込み目的の番号ファイルは 書き込み用として Output で Open されています。", true,
     u"Input は Input で Open されている File にだけ使えます。"},
    {3033, u"読み込み目的の番号ファイルは 書き込み用として Append で Open されています。", true,
     u"Input は Input で Open されている File にだけ使えます。"},
    {3035, u"目的の番号ファイルには Input で読み込むデータが既にありません。", true,
     u"Eof 関数でデータの存在を確認をしてから Input を実行して下さい。"},
    {3041, u"Input # で読み込みこもうとした数値が正しい書式ではありません。", true,
     u"数値変数では正しい数値書式の数しか読めません。LineInput # を薦めます。"},
    {3501, u"Print Using で書式と式が正しく対応していません。", false, nullptr},
    {3502, u"Print Using で書式文字 _ の使い方に誤りがあります。", false, nullptr},

    // 5001..6001: formulas and LINE range
    {5001, OV_SYNTAX(u"StrToForm"), true, u"StrToForm (文字列変数又は文字列，数式変数，数値変数)の形です。"},
    {5011, OV_SYNTAX(u"EvalForm"), true, u"EvalForm (数式変数，数値変数，数値変数)の形です。"},
    {6001, u"Line 文でのx,y の値が大きすぎます。", false, nullptr},

    // 20001..30103: direct mode, lexer, memory
    {20001, u"この コマンドはダイレクトモードではサポートしていません。", false, nullptr},
    {30001, WideCharsInText, true, CheckWideChars},
    {30002, u"正しいテキストファイルプログラムではありません。", true, u"改行コードが不正です。"},
    {30003, u"正しいテキストファイルプログラムではありません。", true, u"改行コードが不正です。"},
    {30004, u"アンダースコア _ の使い方・位置に誤りがあります。", false, nullptr},
    {30005, u"変数名が長すぎます。", false, nullptr},
    {30101, u"メモリー不足です。変数の個数，プログラム等が大きすぎます。", false, nullptr},
    {30102, u"スタックメモリー不足です。計算が負荷が大きすぎます。", false, nullptr},
    {30103, u"プログラムの大きさが許容量を越えました。", false, nullptr},

    // 40001..40003: file numbers, OPEN, CLOSE
    {40001, u"ファイル番号は 1,2,...,8 のいずれかです。", false, nullptr},
    {40002, u"Open は Open ファイル名 as #ファイル番号 の形です。", false, nullptr},
    {40003, u"Closeは Close #ファイル番号 [, #ファイル番号 ]の形です。", false, nullptr},

    // 50001..50031: unexpected errors, functions and operators
    {50001, u"字句解析エラーが起きました。非想定のエラーです。", false, nullptr},
    {50002, u"構文解釈エラーが起きました。非想定のエラーです。", false, nullptr},
    {50003, u"実行時エラーが起きました。非想定のエラーです。", false, nullptr},
    {50006, u"Graphicコマンドで処理するグラフ画面が開かれていません。", false, nullptr},
    {50008, u"FilePset で指定された File が見つかりません。", false, nullptr},
    {50009, u"FilePset の実行中にエラーが起きました。", false, nullptr},
    {50010, u"Graphicコマンドで処理するグラフ画面が開かれていません。", false, nullptr},
    {50011, FromName, false, nullptr},
    {50012, FromName, false, nullptr},
    {50013, FromName, false, nullptr},
    {50014, FromName, false, nullptr},
    {50015, FromName, false, nullptr},
    {50016, FromName, false, nullptr},
    {50017, FromName, false, nullptr},
    {50018, FromName, false, nullptr},
    {50019, u"ゼロによる割り算が実行されました。", false, nullptr},
    {50020, FromName, false, nullptr},
    {50021, u"計算中に型の不一致が起こりました。", false, nullptr},
    {50022, FromName, false, nullptr},
    {50023, FromName, false, nullptr},
    {50024, FromName, false, nullptr},
    {50025, FromName, false, nullptr},
    {50026, FromName, false, nullptr},
    {50027, u"文頭に置けない記号や文があります。", false, nullptr},
    {50031, FromName, false, nullptr},

    // 52105..52384: files, properties, stacks and blocks
    {52105, u"File の作成でエラーが起きました。", false,
     u"ファイルが使用中でないか，またDisk が書き込み可か確認して下さい。"},
    {52201, u"Property 設定の構文に誤りがあります。Proprety = 数値，数値変数の形です。", false, nullptr},
    {52300, u"スタックエラーが起きました。", false, nullptr},
    {52301, u"スタックオーバーエラーが起きました。", false, nullptr},
    {52302, u"スタックアンダーフローエラーが起きました。", false, nullptr},
    {52303, u"Block 文の入れ子が多すぎます。", false, nullptr},
    {52304, FromName, false, nullptr},
    {52305, u"Block 文が正しくありません。", false, nullptr},
    {52310, u"EndFunction の構文に誤りがあります。Function に対応していません。", false, nullptr},
    {52311, u"Function が別の Block 文の中にあります。Function の位置が不正です。", false, nullptr},
    {52312, u"Function の名前は数値変数または文字列変数型でないといけません。", false, nullptr},
    {52313, u"この Function の名前はすでに使われています。", false, nullptr},
    {52315, u"宣言された変数の名前が重複しています。", false, nullptr},
    {52316, u"宣言変数の個数が容量を越えました。", false, nullptr},
    {52320, u"EndSub の構文に誤りがあります。Sub に対応していません。", false, nullptr},
    {52321, u"Sub が別の Block 文の中にあります。Sub の位置が不正です。", false, nullptr},
    {52322, u"Sub の名前は数値変数型でないといけません。また予約語は使えません。", false, nullptr},
    {52323, u"この Sub の名前はすでに使われています。", false, nullptr},
    {52330, u"For の次は数値変数です。", true, nullptr},
    {52340, u"Next が For と正しく対応していません。", false, nullptr},
    {52341, u"Next の構文に誤りがあります。 Next の次は数値変数です。", false, nullptr},
    {52342, u"Next の次の数値変数が For の数値変数と対応していません。", false, nullptr},
    {52350, u"Wend が While と正しく対応していません。", false, nullptr},
    {52360, u"EndIf の構文に誤りがあります。If に対応していません。", false, nullptr},
    {52361, u"Then の構文に誤りがあります。If に対応していません。", false, nullptr},
    {52362, u"Else または ElsIf の構文に誤りがあります。If に対応していません。", false, nullptr},
    {52370, OV_SYNTAX(u"Using"), true, u"Using は Print Using の形で使います。"},
    {52371, u"# の使い方に誤りがあります。# は", true,
     u"Print#,Input#,LineInput#,As#,Close# の形で使います。"},
    {52381, u"Until 文が While または Loop に正しく対応していません。", false, nullptr},
    {52382, u"Loop 文で While または Until が正しく対応していません。", false, nullptr},
    {52383, u"While 文が Do または Loop に正しく対応していません。", false, nullptr},
    {52384, u"Exit 文で Do または For が正しく対応していません。", false, nullptr},

    // 53000..53132: routine headers, CALL, EXIT, MOUSE, SEEK, argument counts
    {53000, FromName, false, nullptr},
    {53001, u"Sub や Function の名前の次は左括弧 ( です。", false, nullptr},
    {53002, u"Sub や Functionの引数は数値変数，文字列変数または配列変数です。", false, nullptr},
    {53003, u"Sub や Functionの引数の書式に誤りがあります。", false, nullptr},
    {53011, u"Call文 の名前の次は左括弧 ( です。", false, nullptr},
    {53012, u"Call文 の引数の書式に誤りがあります。", false, nullptr},
    {53013, u"Call文 された名前が Sub の名前ではありません。", false, nullptr},
    {53021, u"Exit For はFor Next 文の外では使えません。", false, nullptr},
    {53022, u"Exit Do はDo Loop 文の外では使えません。", false, nullptr},
    {53030, u"Mouse の構文が違います。Mouse(s,x,y) の形です。", false, nullptr},
    {53051, OV_SYNTAX(u"Public"), true,
     u"Public 文は Public 変数名又は配列変数名(数値,…,数値), ... の形です。"},
    {53061, u"Seek は Seek #ファイル番号,数値式の形です。", false, nullptr},
    {53131, u"Call と Sub 引数の型があいません。", false, nullptr},
    {53132, u"Call と Sub (Function) の引数の個数があいません。", true,
     u"呼び出しの引数は Sub や Function の宣言と同じ個数にして下さい。"},

    // 54031..54131: CALL, INCLUDE, types, RESTORE, CASE, pictures, DIM, files,
    // declarations, line numbers, EXIT, control screen, inner stack
    {54031, u"Call の入れ子が深すぎます。", false, nullptr},
    {54032, u"Call 文でエラーが起きました。", false, nullptr},
    {54033, u"Sub 文の実行中にエラーが起きました。", false, nullptr},
    {54051, u"Include 文の次は文字列定数でないといけません。", false, nullptr},
    {54052, u"Include 文で指定したファイルが見つかりません。", false, nullptr},
    {54053, u"Include 文で指定したファイルの中で Include は使えません。", false, nullptr},
    {54054, u"IncludeOff 文は内部使用専用で プログラムでは使えません。", false, nullptr},
    {54083, u" 式の計算で項と演算子の型の不一致が起こりました。", true, CheckTyping},
    {54084, u" Let の計算で代入する変数が不適な型です。", true,
     u"手続き名，ラベル，Def 関数名には代入出来ません。"},
    {54085, u"Restore 文は Restore またはResore ラベルです。", false, nullptr},
    {54086, u"Restore 文でラベルでない変数を指定しました。", false, nullptr},
    {54087, u"Case 文で値がSelect で指定した型と違います。", false, nullptr},
    {54089, u"この形式の画像ファイルはサポートしていません。", false, nullptr},
    {54090, u"Dim の宣言は 5 次元以下でなくてはいけません。", false, nullptr},
    {54092, u"ファイル名が空です。変数名等のミススペルを確認して下さい。", false, nullptr},
    {54093, u"引数が許された範囲外です。関数等のマニュアルを確認して下さい。", false, nullptr},
    {54094, u"目的のファイルがオープンされていません。", false, nullptr},
    {54095, u"対象ファイルが見つかりません。", false, nullptr},
    {54096, u"Seek で指定値がデータ量を越えています。", false, nullptr},
    {54097, u" 文字列宣言子$ と As 宣言した型が矛盾します。", false, nullptr},
    {54098, u"変数の２重定義です。同じ変数は２度宣言できません。", false, nullptr},
    {54100, u"論理変数処理でエラーが生じました。", false, nullptr},
    {54101, ExprInvalid, false, nullptr},
    {54102, u"宣言された名前が不適です。", true, u"２重宣言あるいは予約語等と重複している可能性があります。"},
    {54103, u"行番号が不適です。", true, u"行番号は2^32-1以下の正整数で単調増加でないといけません。"},
    {54104, u"goto 文で行番号が不正です。", false, nullptr},
    {54105, u"行番号が多すぎます。", false, nullptr},
    {54106, u"Retore 文で行番号が不正です。", false, nullptr},
    {54107, u" Exit 文の使い過ぎです。", true, Simplify},
    {54108, u"Exit Function, Sub はそれぞれ Function, Sub 文の外では使えません。", false, nullptr},
    {54109, u"Exit の次は，For, Do, Function, Sub です。", false, nullptr},
    {54110, u"コントロール画面が開かれていません。", false, nullptr},
    {54120, FromName, false, nullptr},
    {54130, u"InnerStackUnderflow", false, nullptr},
    {54131, u"InnerStackOverflow", false, nullptr},

    // 55001..55005: strings, media player, clipboard, OPTION EXPLICIT
    {55001, u"文字列が行末まで \" で閉じていません。", false, nullptr},
    {55002, u"MediaPlayer の実行に失敗しました。", false, nullptr},
    {55003, u"クリップボード処理に失敗しました。", false, nullptr},
    {55004, u"Option Explicit 文は先頭でないといけません。", false, nullptr},
    {55005, u"Option Explicit 宣言がされています。", false, u"すべての変数は明示宣言しなければいけません。"},
};

#undef OV_SYNTAX

constexpr bool StrictlyAscending()
{
    for (std::size_t i = 1; i < std::size(Catalogue); ++i) {
        if (Catalogue[i - 1].Number >= Catalogue[i].Number)
            return false;
    }
    return true;
}

static_assert(StrictlyAscending(), "the catalogue must be sorted without duplicate numbers");

const ErrorText *FindErrorText(int number)
{
    const auto *it = std::lower_bound(std::begin(Catalogue), std::end(Catalogue), number,
                                      [](const ErrorText &e, int n) { return e.Number < n; });
    return it != std::end(Catalogue) && it->Number == number ? it : nullptr;
}

QString Concat(std::initializer_list<QStringView> parts)
{
    QString s;
    for (QStringView p : parts)
        s += p;
    return s;
}

// The keyword of the control group a property code (1196..1236 assigned,
// 2196..2236 read) belongs to; 0 for any other subject.
int32_t ControlGroupOfProperty(int32_t subject)
{
    const int32_t code = subject - (subject >= PropertyReadBase ? PropertyReadBase : PropertyWriteBase);
    if (subject < PropertyWriteBase + ControlPropertyFirst || subject > PropertyReadBase + ControlPropertyLast
        || code < ControlPropertyFirst || code > ControlPropertyLast)
        return 0;
    return code <= 208 ? stCBUTTON : code <= 220 ? stCLABEL : stCTEXTBOX;
}

// The name ErrorSubject selects in a 1-based table of `count` entries; a
// control property names its group; empty for a subject outside the table.
QStringView NameIn(const QString *table, int count)
{
    if (const int32_t group = ControlGroupOfProperty(ErrorSubject); group != 0)
        return StatementNames[group];
    if (ErrorSubject < 1 || ErrorSubject > count)
        return {};
    return table[ErrorSubject];
}

QStringView StatementName() { return NameIn(StatementNames, StatementCount); }
QStringView FunctionName() { return NameIn(FunctionNames, FunctionCount); }
QStringView OperatorName() { return NameIn(OperatorNames, OperatorCount); }

// The longest program text on this system, in characters, with its
// thousands grouped ("1,048,576").
QString ProgramLimitText()
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::DefaultNumberOptions);
    return c.toString(ProgramSizeLimit(OSVersionName));
}

// 53000: the statement in ErrorSubject, or a constant whose name
// ErrorSubjectText holds (a constant where a statement begins, C = 2).
QString SyntaxOfNamedItem()
{
    if (ErrorSubjectText.isEmpty())
        return Concat({StatementName(), u" の構文に誤りがあります。", LineEnd});
    return Concat({ErrorSubjectText, u" の構文に誤りがあります。", LineEnd, ErrorSubjectText,
                   u" は Const で宣言した定数です。定数には代入できません。"});
}

// The messages of the rows marked FromName.
QString NamedMessage(int number)
{
    switch (number) {
    case 1:
        return Concat({u"Basic で使われない文字(UNICODE:", ErrorSubjectText, u")が含まれています。",
                       LineEnd, u" 又は使う場所に誤りがあります。"});
    case 106:
        return Concat({u"プログラムが長すぎます。", LineEnd, u"プログラムの長さは ", ProgramLimitText(),
                       u" 文字までです。"});
    case 501:
        return Concat({StatementName(), u"文が正しく終わっていません。"});
    case 802:
        return Concat({StatementName(), u"の構文に誤りがあります。", LineEnd, StatementName(),
                       u" On または ", StatementName(), u" Off です。"});
    case 50011:
        return Concat({u"関数 ", FunctionName(), u" の計算で引数の型の不一致が起きました。", LineEnd,
                       u"関数名または引数のミスタイプが考えられます。"});
    case 50012:
        return Concat({u"関数 ", FunctionName(), u" の引数の値が計算できない範囲にあります。"});
    case 50013:
        return Concat({u"関数 ", FunctionName(), u" の計算で結果が扱える範囲を越えました。"});
    case 50014:
        return Concat({u"関数 ", FunctionName(), u" "});
    case 50015:
        return Concat({u"演算子 ", OperatorName(), u" の計算で型の不一致が起きました。", LineEnd,
                       u"演算子または引数のミスタイプが考えられます。"});
    case 50016:
        return Concat({u"演算子 ", OperatorName(), u" の引数の値が計算できない範囲にあります。"});
    case 50017:
        return Concat({u"演算子 ", OperatorName(), u" の計算で結果が扱える範囲を越えました。"});
    case 50018:
        return Concat({u"演算子 ", OperatorName(), u" の計算中にエラーが起きました。"});
    case 50020:
        return Concat({u"論理演算子 ", OperatorName(), u" の計算で型の不一致が起きました。", LineEnd,
                       u"演算子または引数のミスタイプが考えられます。"});
    case 50022:
        return Concat({u"コマンド ", StatementName(), u" の実行で型の不一致が起きました。"});
    case 50023:
        return Concat({u"関数 ", FunctionName(), u" は現在サポートしていません。"});
    case 50024:
        return Concat({u"コマンド ", StatementName(), u" の構文エラーです。", LineEnd,
                       u"コマンドまたは引数のミスタイプが考えられます。"});
    case 50025:
        return Concat({u"コマンド ", StatementName(), u" は現在サポートしていません。"});
    case 50026:
        return Concat({u"コマンド ", StatementName(), u" の実行中にエラーが起きました。"});
    case 50031:
        return Concat({u"プロパティ", StatementName(), u" の構文エラーです。", LineEnd,
                       u"指定または引数のミスタイプが考えられます。"});
    case 53000:
        return SyntaxOfNamedItem();
    case 52304:
        if (ErrorSubject < 1)
            return QString::fromUtf16(u"文の対応が不正です。");
        return Concat({StatementName(), u"文に対応する文がありません。"});
    case 54120:
        return Concat({u"関数", FunctionName(), u"で変換文字数が多すぎます。"});
    }
    return QString::fromUtf16(UnknownError);
}

// Block-matching errors whose fixed text is in the catalogue and which, when
// a statement is named, add a second part pointing at it.
QString StatementHint(int number)
{
    if (ErrorSubject < 1)
        return {};
    switch (number) {
    case 52305:
        return Concat({StatementName(), u"文に対応する文がありません。"});
    case 52340:
    case 52350:
    case 52360:
    case 52361:
    case 52362:
    case 52381:
    case 52382:
    case 52383:
    case 52384:
        return Concat({StatementName(), u"文の誤りも考えられます。"});
    }
    return {};
}

}  // namespace

QString BuildErrorMessage(int number)
{
    const ErrorText *e = FindErrorText(number);
    if (e == nullptr)
        return QString::fromUtf16(UnknownError);
    if (e->First == FromName)
        return NamedMessage(number);
    QString message = QString::fromUtf16(e->First);
    if (e->CrLf)
        message += QStringView(LineEnd);
    if (e->Second != nullptr)
        message += QStringView(e->Second);
    message += StatementHint(number);
    return message;
}

int ErrorCatalogueSize()
{
    return static_cast<int>(std::size(Catalogue));
}

bool IsKnownErrorNumber(int number)
{
    return FindErrorText(number) != nullptr;
}

}  // namespace ov
