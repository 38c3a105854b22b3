// The strict UTF-8 check the store and playlist readers rely on, and the
// conversion of text it has passed.
#include "platform/Utf8.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <iterator>
#include <random>

namespace {

// n bytes of text before or after a case: ASCII, or two-byte Cyrillic
// letters (with one ASCII byte when n is odd).
QByteArray filler(int n, bool cyrillic)
{
    if (!cyrillic)
        return QByteArray(n, 'x');
    return QByteArray("\xd0\xb6").repeated(n / 2) + QByteArray(n % 2, 'x');
}

}  // namespace

// Each sequence is checked alone and amid ASCII or Cyrillic text of many
// lengths, so that it meets the byte-by-byte scan, the eight-byte ASCII scan
// and the 32-byte blocks at every offset, at a block's end and across it.
TEST(Utf8, AcceptsWellFormedAndRefusesEveryIllFormedSequence)
{
    const struct {
        QByteArray bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"plain ascii text", true},
        {"\xd0\x9a\xd0\xb0\xd0\xbb", true},   // Кал
        {"\xe2\x82\xac", true},                // €
        {"\xf0\x9f\x98\x80", true},            // an emoji
        {"\xef\xbf\xbf", true},                // U+FFFF
        {"\xf4\x8f\xbf\xbf", true},            // U+10FFFF
        {"\x80", false},                       // a lone continuation byte
        {"\xc0\xaf", false},                   // overlong
        {"\xc1\xbf", false},                   // overlong
        {"\xd0", false},                       // cut at the end
        {"\xd0\x41", false},                   // second byte not a continuation
        {"\xe0\x9f\xbf", false},               // overlong three-byte
        {"\xed\xa0\x80", false},               // a surrogate
        {"\xe2\x82", false},                   // cut
        {"\xe2\x82\x41", false},               // third byte not a continuation
        {"\xf0\x8f\xbf\xbf", false},           // overlong four-byte
        {"\xf4\x90\x80\x80", false},           // above U+10FFFF
        {"\xf5\x80\x80\x80", false},           // no such lead byte
        {"\xf0\x9f\x98\x80\x80", false},       // one continuation too many
        {"\xff", false},
    };
    for (const auto& c : cases)
        for (const bool cyrillic : {false, true})
            for (int lead = 0; lead <= 70; ++lead)
                for (const int tail : {0, 1, 10, 33}) {
                    const QByteArray text = filler(lead, cyrillic) + c.bytes + filler(tail, cyrillic);
                    EXPECT_EQ(isStrictUtf8(text.constData(), text.size()), c.valid)
                        << c.bytes.toHex().toStdString() << " after " << lead << (cyrillic ? " Cyrillic" : " ASCII")
                        << " bytes, before " << tail;
                }
}

// On random text of valid characters with here and there a random byte, the
// check agrees with Qt's conversion: text is strict UTF-8 exactly when
// converting it there and back gives the same bytes.
TEST(Utf8, AgreesWithQtOnRandomText)
{
    const QByteArray pieces[] = {"a", "/", "\xd0\xb6", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xef\xbf\xbf"};
    std::mt19937 random(20261211);
    for (int round = 0; round < 4000; ++round) {
        QByteArray text;
        const int length = int(random() % 200);
        while (text.size() < length) {
            if (random() % 40 == 0)
                text += char(random() % 256);
            else
                text += pieces[random() % std::size(pieces)];
        }
        const bool strict = QString::fromUtf8(text).toUtf8() == text;
        ASSERT_EQ(isStrictUtf8(text.constData(), text.size()), strict) << text.toHex().toStdString();
    }
}

// Checked text converts as Qt's own conversion does; bytes that never passed
// the check still come out safely, each bad part as replacement characters.
TEST(Utf8, CheckedTextConvertsExactlyAndOtherBytesSafely)
{
    for (const QByteArray& good : {QByteArray(""), QByteArray("ascii"), QByteArray("/дом/песня \xe2\x82\xac.mp3"),
                                   QByteArray("\xf0\x9f\x98\x80 x \xef\xbf\xbf\xf4\x8f\xbf\xbf")}) {
        const QString text = fromCheckedUtf8(good.constData(), good.size());
        EXPECT_EQ(text, QString::fromUtf8(good)) << good.toHex().toStdString();
        EXPECT_EQ(text.capacity(), text.size());
    }
    // Every place a character or a stray byte can take against the runs of
    // ASCII converted sixteen at a time.
    for (int at = 0; at <= 40; ++at)
        for (const char* ch : {"ж", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\x80"}) {
            const QByteArray line = QByteArray(at, 'a') + ch + QByteArray(40 - at, 'b');
            EXPECT_EQ(fromCheckedUtf8(line.constData(), line.size()), QString::fromUtf8(line))
                << at << " " << QByteArray(ch).toHex().toStdString();
        }
    const struct {
        QByteArray bytes;
        QString text;
    } bad[] = {
        {"a\x80" "b", QStringLiteral("a\uFFFDb")},                  // a stray continuation byte
        {"a\xd0", QStringLiteral("a\uFFFD")},                    // cut at the end
        {"\xd0" "a", QStringLiteral("\uFFFDa")},                    // cut before a letter
        {"\xc0\xaf", QStringLiteral("\uFFFD")},                  // overlong
        {"\xed\xa0\x80", QStringLiteral("\uFFFD")},              // a surrogate
        {"\xf0\x9f\x98", QStringLiteral("\uFFFD")},              // a cut four-byte character
        {"\xf5\x80\x80\x80", QStringLiteral("\uFFFD")},          // above U+10FFFF
        {"\xff", QStringLiteral("\uFFFD")},
    };
    for (const auto& c : bad)
        EXPECT_EQ(fromCheckedUtf8(c.bytes.constData(), c.bytes.size()), c.text) << c.bytes.toHex().toStdString();
}
