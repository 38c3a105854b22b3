// The addresses the about box hands to the desktop.
#include "styled/LinkAddress.h"

#include <QUrlQuery>
#include <gtest/gtest.h>

TEST(MailtoAddress, PlainTextsKeepTheFieldsInOrder)
{
    const MailLink link{QStringLiteral("author@example.org"), {}, QStringLiteral("Kaleidor"),
                        QStringLiteral("PS: I'm using Linux (6.1); CPU: 2400MHz.")};
    EXPECT_EQ(mailtoAddress(link), QStringLiteral("mailto:author@example.org?Subject=Kaleidor&Body=PS%3A%20I%27m%20using%20"
                                                  "Linux%20%286.1%29%3B%20CPU%3A%202400MHz.&CC=&BCC="));
}

TEST(MailtoAddress, HostileTextsStayInsideTheirFields)
{
    const QString hostile[] = {
        QStringLiteral("x&BCC=spy@example.net"),
        QStringLiteral("a?b=c"),
        QStringLiteral("before#after"),
        QStringLiteral("100% %41%"),
        QStringLiteral("  blanks  and+plus "),
        QStringLiteral("Калейдор «О программе»"),
        QStringLiteral("line\r\nBcc: spy@example.net"),
    };
    for (const QString& text : hostile) {
        const MailLink link{QStringLiteral("author@example.org"), {}, text, QStringLiteral("PS: ") + text, {}, {}};
        const QString address = mailtoAddress(link);
        const QUrl url = linkUrl(address);
        ASSERT_TRUE(url.isValid()) << address.toStdString();
        EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
        EXPECT_EQ(url.path(), QStringLiteral("author@example.org"));
        EXPECT_FALSE(url.hasFragment()) << address.toStdString();
        const QUrlQuery query(url);
        const QList<QPair<QString, QString>> expected{{QStringLiteral("Subject"), text},
                                                      {QStringLiteral("Body"), QStringLiteral("PS: ") + text},
                                                      {QStringLiteral("CC"), QString()},
                                                      {QStringLiteral("BCC"), QString()}};
        EXPECT_EQ(query.queryItems(QUrl::FullyDecoded), expected) << address.toStdString();
        // What the desktop receives is the same text, encoding and all.
        EXPECT_EQ(url.toString(QUrl::FullyEncoded), address);
    }
}

TEST(MailtoAddress, NamedRecipient)
{
    MailLink link{QStringLiteral("author@example.org")};
    link.name = QStringLiteral("Автор Калейдора");
    link.copy = QStringLiteral("copy@example.org");
    const QUrl url = linkUrl(mailtoAddress(link));
    EXPECT_EQ(url.path(QUrl::FullyDecoded), QStringLiteral("Автор Калейдора <author@example.org>"));
    EXPECT_EQ(QUrlQuery(url).queryItemValue(QStringLiteral("CC"), QUrl::FullyDecoded), link.copy);
}

TEST(WebAddress, HttpGoesInFrontOfAnAddressWithoutScheme)
{
    EXPECT_EQ(webAddress(QStringLiteral("www.example.org/kaleidor")), QStringLiteral("http://www.example.org/kaleidor"));
    EXPECT_EQ(webAddress(QStringLiteral("https://example.org")), QStringLiteral("https://example.org"));
    EXPECT_EQ(webAddress(QStringLiteral("ftp://example.org/x")), QStringLiteral("ftp://example.org/x"));
}
