// The strict UTF-8 check the store and playlist readers rely on, and the
// conversion of text it has passed.
#include "platform/Utf8.h"

#include <QByteArray>

#include <gtest/gtest.h>

// Each sequence is checked alone and after ASCII runs of every length up to
// sixteen, so that it meets the eight-byte ASCII scan at every offset.
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
        {"\xff", false},
    };
    for (const auto& c : cases)
        for (int lead = 0; lead <= 16; ++lead)
            for (const QByteArray& tail : {QByteArray(), QByteArray("abcdefghij")}) {
                const QByteArray text = QByteArray(lead, 'x') + c.bytes + tail;
                EXPECT_EQ(isStrictUtf8(text.constData(), text.size()), c.valid)
                    << c.bytes.toHex().toStdString() << " after " << lead << " ASCII bytes";
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
