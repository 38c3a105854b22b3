#include "ErrorBox.h"

#include "platform/Errors.h"
#include "FramedWindow.h"
#include "SafeCall.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

QString errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

QString fitMessageText(const QString& text, const QFontMetrics& metrics, QSize area)
{
    const qsizetype fitting = std::max(1, area.height() / std::max(1, metrics.lineSpacing()));
    const qsizetype lines = text.count(u'\n') + 1;
    const qsizetype shown = lines <= fitting ? lines : fitting - 1;
    // No character is narrower than a pixel, so a line's middle beyond this
    // many characters on each side is cut before the elision measures it.
    const qsizetype ends = std::max(16, area.width());
    QStringList result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < shown; ++i) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).sliced(start, end - start);
        start = end + 1;
        const QString kept = line.size() > 2 * ends
                                 ? line.left(ends).toString() + u'…' + line.right(ends).toString()
                                 : line.toString();
        result << metrics.elidedText(kept, Qt::ElideMiddle, area.width());
    }
    if (shown < lines)
        result << QStringLiteral("… и ещё %1").arg(lines - shown);
    return result.join(u'\n');
}

namespace {

// The room a box's text has on the screen: the screen less the caption,
// the icon, the button and the margins around them.
QSize textRoom(const QRect& screen) { return screen.size() - QSize(100, 110); }

// A modal box in the program's own frame, so it has its caption and close
// button under any window manager or none. It runs its own event loop, in
// which timers keep ticking.
class MessageBoxWindow : public FramedWindow {
public:
    MessageBoxWindow(QStyle::StandardPixmap icon, const QString& caption, const QString& text)
    {
        setCaption(caption);
        setBorderStyle(BorderStyle::Dialog);
        setWindowModality(Qt::ApplicationModal);
        setProperty("text", text);
        auto* picture = new QLabel(client());
        picture->setPixmap(style()->standardIcon(icon).pixmap(32, 32));
        auto* label = new QLabel(client());
        label->setTextFormat(Qt::PlainText);
        label->setText(fitMessageText(text, label->fontMetrics(), textRoom(screenArea(nullptr))));
        auto* ok = new QPushButton(QStringLiteral("OK"), client());
        ok->setDefault(true);
        ok->setAutoDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] { close(); });
        auto* row = new QHBoxLayout;
        row->addWidget(picture, 0, Qt::AlignTop);
        row->addSpacing(8);
        row->addWidget(label, 1);
        auto* column = new QVBoxLayout(client());
        column->setContentsMargins(12, 12, 12, 10);
        column->addLayout(row);
        column->addSpacing(10);
        column->addWidget(ok, 0, Qt::AlignHCenter);
        ok->setFixedWidth(75);
        const QSize content = column->sizeHint();
        setClientSize(std::max(content.width(), 160), content.height());
        ok->setFocus();
    }

    void run(QWidget* over)
    {
        const bool overWindow = over && over->isVisible();
        const QRect area = overWindow ? over->frameGeometry() : screenArea(nullptr);
        // Centred over the window, but never partly off the screen.
        const QRect screen = screenArea(overWindow ? over : nullptr);
        QPoint place = area.center() - rect().center();
        place.setX(std::clamp(place.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - width())));
        place.setY(std::clamp(place.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - height())));
        move(place);
        showUntilClosed();
        // Without a window manager nobody hands the focus back.
        if (over && over->isVisible())
            over->activateWindow();
    }

private:
    static QRect screenArea(QWidget* over)
    {
        QScreen* screen = over ? over->screen() : nullptr;
        return (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape)
            close();
        else
            FramedWindow::keyPressEvent(event);
    }
};

void runBox(bool error, const QString& caption, const QString& text, QWidget* over)
{
    MessageBoxWindow box(error ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxInformation, caption, text);
    box.setObjectName(error ? QStringLiteral("kaleidorErrorBox") : QStringLiteral("kaleidorMessageBox"));
    box.run(over);
}

}  // namespace

void showErrorBox(const QString& message)
{
    // The application title. It is no display name of Qt's: the platform would
    // append that to every window title the window manager shows.
    runBox(true, QStringLiteral("Калейдор"), errorBoxText(message), nullptr);
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
    runBox(error, error ? QStringLiteral("Error") : QStringLiteral("Information"), messageDialogText(text), over);
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
