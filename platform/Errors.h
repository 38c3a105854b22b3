#pragma once
// The program's failures. Every failure is one of these; the application
// catches them in one place (safeCall) and shows the error box.
#include <QString>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toStdString()) {}
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

    // Replaces the first "%s" with text and the first "%d" with a number, the
    // two forms the program's messages use.
    static QString format(QString pattern, const QString& text);
    static QString format(QString pattern, long long number);

private:
    QString message_;
    std::string utf8_;
};

#define KALEIDOR_EXCEPTION(Name)                                     \
    class Name : public Exception {                                  \
    public:                                                          \
        using Exception::Exception;                                  \
    }

KALEIDOR_EXCEPTION(EListError);          // "List index out of bounds (%d)", "Unable to insert a line"
KALEIDOR_EXCEPTION(EConvertError);       // "'%s' is not a valid integer value"
KALEIDOR_EXCEPTION(EFOpenError);         // "Cannot open file %s"
KALEIDOR_EXCEPTION(EFCreateError);       // "Cannot create file %s"
KALEIDOR_EXCEPTION(ERegistryException);  // settings store failures
KALEIDOR_EXCEPTION(EMCIDeviceError);     // media player failures
KALEIDOR_EXCEPTION(EOutOfResources);     // "Not enough timers available"
KALEIDOR_EXCEPTION(EInvalidOperation);   // misuse of a component
KALEIDOR_EXCEPTION(EInvalidGraphic);     // a picture that cannot be decoded
KALEIDOR_EXCEPTION(EImageLibUnavailable);  // a picture library that cannot be loaded
KALEIDOR_EXCEPTION(EImageLibError);        // a picture library call that failed

#undef KALEIDOR_EXCEPTION

// Parses a decimal integer with optional sign, as the delay field and stored
// texts need; raises EConvertError("'%s' is not a valid integer value").
int strToInt(const QString& text);
