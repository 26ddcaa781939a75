#include "resources/OVInterfaceTexts.h"

#include <gtest/gtest.h>

#include <ostream>

#include <set>

using namespace ov;
using namespace Qt::Literals::StringLiterals;


TEST(InterfaceTexts, TableHoldsExactlyTheProgramsIds)
{
    std::set<int> expected;
    for (int id = 65056; id <= 65075; ++id)  // settings defaults 65056..65071, texts 65072..65075
        expected.insert(id);
    for (int id = 65079; id <= 65231; ++id)  // settings defaults 65079..65087, texts 65088..65231
        expected.insert(id);
    for (int id = 65241; id <= 65247; ++id)
        expected.insert(id);

    const auto table = InterfaceTextTable();
    ASSERT_EQ(table.size(), 180u);
    std::set<int> seen;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(table[i - 1].Id, table[i].Id) << "at index " << i;
        }
        seen.insert(table[i].Id);
        EXPECT_FALSE(InterfaceText(table[i].Id).isEmpty()) << table[i].Id;
    }
    EXPECT_EQ(seen, expected);
}

TEST(InterfaceTexts, UnknownIdsGiveEmptyText)
{
    for (int id : {0, -1, 65055, 65076, 65078, 65232, 65240, 65248, 70000})
        EXPECT_TRUE(InterfaceText(id).isNull()) << id;
}

TEST(InterfaceTexts, SpotTextsAreExact)
{
    // First and last entries, so the search reaches both ends.
    EXPECT_EQ(InterfaceText(65056), u"Normal");
    EXPECT_EQ(InterfaceText(65247), u"Orvane 実行画面（入力可）");
    // Full-width letters with a half-width blank; full-width parentheses.
    EXPECT_EQ(InterfaceText(65081), u"ＭＳ ゴシック");
    EXPECT_EQ(InterfaceText(65088), u"実行に関連付け（編集画面は最小化）");
    // Accelerators, and the blank before one that the menu shows.
    EXPECT_EQ(InterfaceText(65162), u"アイコン整列 (&I)");
    EXPECT_EQ(InterfaceText(65141), u"Orvane Home Page(&T)");
    // Trailing blank kept: the caller appends the path.
    EXPECT_EQ(InterfaceText(65169), u"現在のパスは ");
    EXPECT_EQ(InterfaceText(65087), u"000088");
}

TEST(InterfaceTexts, LineBreaksAreOneOrTwoControlCharacters)
{
    EXPECT_EQ(InterfaceText(65179),
              u"プログラムを書式整形しますか。\r\n大きなプログラムの場合，時間がかかります。");
    EXPECT_EQ(InterfaceText(65241),
              u"Orvane のレジストリを削除しますか。\n(Orvane を uninstall するときに実行して下さい。)");
    EXPECT_FALSE(InterfaceText(65241).contains(u'\r'));
    const QString about = InterfaceText(65111);
    ASSERT_EQ(about.count(u'\n'), 1);
    EXPECT_TRUE(about.startsWith(u"Orvane 関連付け設定プログラム\n"));
    EXPECT_FALSE(about.endsWith(u'\n'));  // the credit line follows the break
}

TEST(InterfaceTexts, PlaceholdersAreFilled)
{
    EXPECT_EQ(LineColumnText(12, 3), u"   12 行，    3 桁");
    EXPECT_EQ(LineColumnText(1, 1), u"    1 行，    1 桁");
    EXPECT_EQ(LineColumnText(123456, 7), u" 123456 行，    7 桁");  // wider numbers are not cut
    EXPECT_EQ(ModifiedPromptText(u"C:\\prog\\a%sb.ovt"_s),
              u"C:\\prog\\a%sb.ovt は変更されています。保存しますか？");
}
