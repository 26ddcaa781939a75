#include "platform/OVTextReader.h"
#include "language/OVHeader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ov;

namespace {

class TextReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    // A file of these bytes, opened in the encoding.
    bool Open(const QByteArray &bytes, const TextEncoding &encoding = TextEncoding{})
    {
        const QString path = dir_.filePath(QStringLiteral("text.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return false;
        file.close();
        return reader_.Open(path, encoding);
    }

    QTemporaryDir dir_;
    TextReader reader_;
};

} // namespace

TEST_F(TextReaderTest, LinesEndAcrossBlocks)
{
    // The CR of the first line is the last byte of the first block, its LF
    // the first of the second.
    const QByteArray first(64 * 1024 - 1, 'a');
    ASSERT_TRUE(Open(first + "\r\nb\nc\r\rd"));
    QString line;
    ASSERT_TRUE(reader_.ReadLine(line, StringLengthLimit));
    EXPECT_EQ(line.size(), first.size());
    EXPECT_EQ(reader_.Position(), first.size() + 2);
    for (const char *expected : {"b", "c", "", "d"}) {
        ASSERT_FALSE(reader_.AtEnd());
        ASSERT_TRUE(reader_.ReadLine(line, StringLengthLimit));
        EXPECT_EQ(line, QLatin1String(expected));
    }
    EXPECT_TRUE(reader_.AtEnd());
    EXPECT_FALSE(reader_.Failed());
}

TEST_F(TextReaderTest, LimitsStopBeforeTheTextGrowsPastThem)
{
    ASSERT_TRUE(Open("12345\r\n6789"));
    QString line;
    EXPECT_FALSE(reader_.ReadLine(line, 4));
    EXPECT_TRUE(line.isEmpty());
    QString text;
    EXPECT_FALSE(reader_.ReadRest(text, 8));

    ASSERT_TRUE(Open("12345\r\n6789"));
    EXPECT_TRUE(reader_.Read(3, text, 8));
    EXPECT_EQ(text, QStringLiteral("123"));
    EXPECT_TRUE(reader_.ReadRest(text, 11));
    EXPECT_EQ(text, QStringLiteral("12345\r\n6789"));
}

TEST_F(TextReaderTest, RestAsLinesEndsEveryLineButTheLastWithCrLf)
{
    ASSERT_TRUE(Open(QByteArray("\xEF\xBB\xBF") + "a\nb\r\rc\r\n", TextEncoding{cpUtf8, true}));
    QString text;
    ASSERT_TRUE(reader_.ReadRestAsLines(text, StringLengthLimit));
    EXPECT_EQ(text, QStringLiteral("a\r\nb\r\n\r\nc"));
}

TEST_F(TextReaderTest, LinesGoIntoTheStringGivenAndLeaveItsSharersAlone)
{
    ASSERT_TRUE(Open("ab\r\ncd\nef"));
    QString line = QString::number(12345) + QStringLiteral(" previous");
    const QString kept = line;  // shares the buffer
    ASSERT_TRUE(reader_.ReadLine(line, StringLengthLimit));
    EXPECT_EQ(line, QStringLiteral("ab"));
    EXPECT_EQ(kept, QStringLiteral("12345 previous"));
    QString text = QString::number(7);
    EXPECT_FALSE(reader_.AppendLine(text, 2));  // 7, c and d would pass the limit
    EXPECT_EQ(text, QStringLiteral("7"));
    ASSERT_TRUE(reader_.AppendLine(text, 3));
    EXPECT_EQ(text, QStringLiteral("7cd"));
    ASSERT_TRUE(reader_.ReadLine(line, StringLengthLimit));  // the last line has no end
    EXPECT_EQ(line, QStringLiteral("ef"));
    EXPECT_TRUE(reader_.AtEnd());
}
