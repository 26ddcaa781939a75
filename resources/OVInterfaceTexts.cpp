#include "resources/OVInterfaceTexts.h"

#include <algorithm>
#include <initializer_list>

namespace ov {

namespace {

// Sorted by id. 65056..65071 and 65079..65087 are the default texts of the
// settings; the rest are the captions and messages of the windows. Ids in the
// gaps belong to the platform's own components and are not held here.
// "\r\n" and "\n" breaks are deliberate: message boxes show them as they are.
constexpr InterfaceTextEntry kTexts[] = {
    {65056, u"Normal"},
    {65057, u"Bold"},
    {65058, u"Normal"},
    {65059, u"Normal"},
    {65060, u"10"},
    {65061, u"10"},
    {65062, u"FFFFFF"},
    {65063, u"000000"},
    {65064, u"Normal"},
    {65065, u"5"},
    {65066, u"400"},
    {65067, u"640"},
    {65068, u"250"},
    {65069, u"400"},
    {65070, u"230"},
    {65071, u"620"},
    {65072, u"現在の環境設定"},
    {65073, u"キーワード色"},
    {65074, u"コメント色"},
    {65075, u"文字列色"},
    {65079, u"128"},
    {65080, u"128"},
    {65081, u"ＭＳ ゴシック"},
    {65082, u"ＭＳ ゴシック"},
    {65083, u"000000"},
    {65084, u"FFFFFF"},
    {65085, u"000000"},
    {65086, u"008800"},
    {65087, u"000088"},
    {65088, u"実行に関連付け（編集画面は最小化）"},
    {65089, u"実行に関連付け（編集画面は標準）"},
    {65090, u"編集に関連付け（編集画面が開く）"},
    {65091, u"関連付けなし"},
    {65092, u"現在の設定"},
    {65093, u"デフォルト"},
    {65094, u"ini ファイル"},
    {65095, u"レジストリ"},
    {65096, u"Orvane 環境設定"},
    {65097, u"一般設定"},
    {65098, u"編集設定"},
    {65099, u"実行画面設定"},
    {65100, u"画面サイズ設定"},
    {65101, u"画面位置設定"},
    {65102, u"インストールフォルダ"},
    {65103, u"プログラム保存フォルダ"},
    {65104, u"切り取り(&T)"},
    {65105, u"コピー(&C)"},
    {65106, u"貼り付け(&P)"},
    {65107, u"削除(&D)"},
    {65108, u"すべて選択(&A)"},
    {65109, u"元に戻す(&U)"},
    {65110, u"やり直し(&R)"},
    {65111, u"Orvane 関連付け設定プログラム\nCopyright (C) 2026 The Orvane developers"},
    {65112, u"関連付け設定が終わりました。"},
    {65113, u"実行に関連付け"},
    {65114, u"実行編集に関連付け"},
    {65115, u"編集に関連付け"},
    {65116, u"関連付けなし"},
    {65117, u"Orvane 関連付け設定プログラム"},
    {65118, u"ovt ファイルのアイコンをダブルクリックしたときの動作を指定します。"},
    {65119, u"関連付けを行うとOrvane が起動して以下の動作をします。"},
    {65120, u"コピー(&C)"},
    {65121, u"貼り付け(&P)"},
    {65122, u"削除(&D)"},
    {65123, u"すべて選択(&A)"},
    {65124, u"元に戻す(&U)"},
    {65125, u"やり直し(&R)"},
    {65126, u"検索(&S)"},
    {65127, u"検索(&F)"},
    {65128, u"次を検索"},
    {65129, u"置換(&R)"},
    {65130, u"実行"},
    {65131, u"プログラムの実行"},
    {65132, u"プログラムの中断"},
    {65133, u"プログラムの再開"},
    {65134, u"プログラム整形"},
    {65135, u"即実行"},
    {65136, u"Ini File 削除"},
    {65137, u"ヘルプ(&H)"},
    {65138, u"Orvane ヘルプ(&H)"},
    {65139, u"Basic 入門"},
    {65140, u"バージョン(&V)"},
    {65141, u"Orvane Home Page(&T)"},
    {65142, u"閉じる(&C)"},
    {65143, u"プログラムを閉じる"},
    {65144, u"上書き保存(&S)"},
    {65145, u"プログラムの上書き保存"},
    {65146, u"名前をつけて保存(&A)"},
    {65147, u"プログラムに名前をつけて保存"},
    {65148, u"印刷(&P)"},
    {65149, u"プログラムの印刷"},
    {65150, u"編集(&E)"},
    {65151, u"切り取り(&T)"},
    {65152, u"新規作成(&N)"},
    {65153, u"プログラムの新規作成"},
    {65154, u"開く(&O)"},
    {65155, u"プログラムを開く"},
    {65156, u"終了(&X)"},
    {65157, u"Orvaneの終了"},
    {65158, u"ウインドウ(&W)"},
    {65159, u"横に並べる(&H)"},
    {65160, u"縦に並べる(&V)"},
    {65161, u"カスケード(&C)"},
    {65162, u"アイコン整列 (&I)"},
    {65163, u"オプション(&O)"},
    {65164, u"環境設定"},
    {65165, u"関連付け設定"},
    {65166, u"環境設定削除"},
    {65167, u"環境設定レジストリ削除"},
    {65168, u"処理できないデータが残りました。\r\n演算子や配列，関数の引数などの使い方の誤りが考えられます。"},
    {65169, u"現在のパスは "},
    {65170, u"実行中断しました"},
    {65171, u"Orvane 実行画面（中断）"},
    {65172, u"%s は変更されています。保存しますか？"},
    {65173, u"変更あり"},
    {65174, u" %4d 行， %4d 桁"},
    {65175, u"←，→キーでの行越禁止"},
    {65176, u"挿入"},
    {65177, u"上書き"},
    {65178, u"文字列が見つかりません。"},
    {65179, u"プログラムを書式整形しますか。\r\n大きなプログラムの場合，時間がかかります。"},
    {65180, u"書式整形中"},
    {65181, u"ロード中"},
    {65182, u"Orvane Graph 画面"},
    {65183, u"プログラム(&P)"},
    {65184, u"上から"},
    {65185, u"左から"},
    {65186, u"主画面初期サイズ"},
    {65187, u"編集画面初期サイズ"},
    {65188, u"実行画面初期サイズ"},
    {65189, u"主画面初期位置"},
    {65190, u"実行画面初期位置"},
    {65191, u"グラフ画面初期位置"},
    {65192, u"自動キーワード強調"},
    {65193, u"Load時キーワード強調"},
    {65194, u"<-,->カーソルの行越え禁止"},
    {65195, u"終了確認"},
    {65196, u"環境設定し，レジストリに保存"},
    {65197, u"環境設定し，iniファイルに保存"},
    {65198, u"環境設定するが保存しない"},
    {65199, u"エラー"},
    {65200, u"Orvane 文字列行入力"},
    {65201, u": 再入力"},
    {65202, u": 入力中>"},
    {65203, u"OVコントロール"},
    {65204, u"参照"},
    {65205, u"保存"},
    {65206, u"保存・閉じる"},
    {65207, u"キャンセル"},
    {65208, u"フォント"},
    {65209, u"フォント色"},
    {65210, u"背景色"},
    {65211, u"スタイル"},
    {65212, u"現在のサイズ"},
    {65213, u"現在の位置"},
    {65214, u"幅"},
    {65215, u"高さ"},
    {65216, u"Orvane 実行画面（準備中）"},
    {65217, u"編集"},
    {65218, u"再実行"},
    {65219, u"中断"},
    {65220, u"再開"},
    {65221, u"編集画面を前面にします。"},
    {65222, u"直前に実行したプログラムを再実行します。"},
    {65223, u"実行中のプログラムを中断します。"},
    {65224, u"中断したプログラムを再開します。"},
    {65225, u"実行画面を初期化します。"},
    {65226, u"切り取り(&T)"},
    {65227, u"コピー(&C)"},
    {65228, u"貼り付け(&P)"},
    {65229, u"削除(&D)"},
    {65230, u"すべて選択(&A)"},
    {65231, u"Orvane データ入力"},
    {65241, u"Orvane のレジストリを削除しますか。\n(Orvane を uninstall するときに実行して下さい。)"},
    {65242, u"Orvane のiniファイルを削除しますか。\n(Orvane を uninstall するときに実行して下さい。)"},
    {65243, u"Orvane を終了しますか？"},
    {65244, u"Orvane Home Page へ接続しますか？"},
    {65245, u"Orvane 実行画面（実行中）"},
    {65246, u"Orvane 実行画面（中断）"},
    {65247, u"Orvane 実行画面（入力可）"},
};

constexpr bool IsStrictlySorted()
{
    for (std::size_t i = 1; i < std::size(kTexts); ++i)
        if (kTexts[i - 1].Id >= kTexts[i].Id)
            return false;
    return true;
}
static_assert(IsStrictlySorted(), "the lookup is a binary search over ids");

// Replaces each "%s" or "%<width>d" of `text`, in order, by the next value,
// right-aligned to the width when one is given. Values are not rescanned,
// so a file name holding "%" is shown as it is.
QString FillPlaceholders(const QString &text, std::initializer_list<QString> values)
{
    QString out;
    auto next = values.begin();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'%') {
            out += c;
            continue;
        }
        qsizetype j = i + 1;
        int width = 0;
        while (j < n && text.at(j).isDigit())
            width = width * 10 + text.at(j++).digitValue();
        if (j < n && (text.at(j) == u's' || text.at(j) == u'd') && next != values.end()) {
            out += next->rightJustified(width, u' ');
            ++next;
            i = j;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::span<const InterfaceTextEntry> InterfaceTextTable()
{
    return kTexts;
}

QString InterfaceText(int id)
{
    const auto *end = std::end(kTexts);
    const auto *it = std::lower_bound(std::begin(kTexts), end, id,
                                      [](const InterfaceTextEntry &e, int key) { return e.Id < key; });
    if (it == end || it->Id != id)
        return QString();
    return QString::fromUtf16(it->Text);
}

QString ModifiedPromptText(const QString &fileName)
{
    return FillPlaceholders(InterfaceText(itxModifiedPrompt), {fileName});
}

QString LineColumnText(int line, int column)
{
    return FillPlaceholders(InterfaceText(itxLineColumn),
                            {QString::number(line), QString::number(column)});
}

}  // namespace ov
