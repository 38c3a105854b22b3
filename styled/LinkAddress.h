#pragma once
// The addresses the about box's links hand to the desktop. Every field value
// is percent-encoded as UTF-8, so an "&", "?", "#", "%" or a blank in a text
// stays inside its field instead of ending it or adding header fields.
#include <QString>
#include <QUrl>

struct MailLink {
    QString address;  // the label's text when the link has no address of its own
    QString name;     // optional: the recipient becomes "name <address>"
    QString subject;
    QString body;
    QString copy;
    QString blindCopy;
};

// "mailto:" + recipient + "?Subject=…&Body=…&CC=…&BCC=…", the fields always
// in this order, empty ones included.
QString mailtoAddress(const MailLink& link);

// "http://" goes in front of an address without "://".
QString webAddress(const QString& address);

// The text as a URL that keeps its percent-encoding.
QUrl linkUrl(const QString& address);
