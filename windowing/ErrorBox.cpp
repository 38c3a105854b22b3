#include "ErrorBox.h"

#include "platform/Errors.h"
#include "SafeCall.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

QString errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

namespace {
void runBox(QMessageBox::Icon icon, const QString& caption, const QString& text, QWidget* over)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, over);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setObjectName(icon == QMessageBox::Critical ? QStringLiteral("kaleidorErrorBox")
                                                    : QStringLiteral("kaleidorMessageBox"));
    box.exec();
}
}

void showErrorBox(const QString& message)
{
    runBox(QMessageBox::Critical, QApplication::applicationDisplayName(), errorBoxText(message), nullptr);
}

QString messageDialogText(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

void showMessageDialog(const QString& text, MessageKind kind, QWidget* over)
{
    const bool error = kind == MessageKind::Error;
    runBox(error ? QMessageBox::Critical : QMessageBox::Information,
           error ? QStringLiteral("Error") : QStringLiteral("Information"), messageDialogText(text), over);
}

bool safeCall(const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const Exception& e) {
        showErrorBox(e.message());
    } catch (const std::bad_alloc&) {
        showErrorBox(QStringLiteral("Out of memory"));
    } catch (const std::exception& e) {
        showErrorBox(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
