#include "MprisService.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

constexpr qint64 kUsPerMs = 1000;

}  // namespace

// The application interface: identity, raise and quit.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    MprisRootAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Калейдор"); }
    QString desktopEntry() const { return QStringLiteral("kaleidor"); }
    QStringList supportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList supportedMimeTypes() const { return {}; }

public slots:
    void Raise() { service_->player().raise(); }
    void Quit() { service_->player().quit(); }

private:
    MprisService* service_;
};

// The player interface: state, track and transport.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ hasFile)
    Q_PROPERTY(bool CanPause READ hasFile)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    MprisPlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}

    QString playbackStatus() const { return service_->statusText(); }
    double rate() const { return 1.0; }
    void setRate(double) {}  // one speed only
    QVariantMap metadata() const { return service_->metadata(); }
    double volume() const { return service_->player().volume(); }
    void setVolume(double volume)
    {
        // Above the top is the top; a negative or undefined loudness is no
        // loudness at all and changes nothing. (A property write cannot be
        // answered with an error: the bus reports it done either way.)
        if (std::isnan(volume) || volume < 0)
            return;
        service_->player().setVolume(std::min(volume, 1.0));
        service_->refresh();
    }
    qlonglong position() const { return service_->player().positionMs() * kUsPerMs; }
    bool canGoNext() const { return service_->player().canGoNext(); }
    bool canGoPrevious() const { return service_->player().canGoPrevious(); }
    bool hasFile() const { return !service_->player().file().isEmpty(); }
    bool canSeek() const { return hasFile() && service_->player().canSeek(); }
    bool canControl() const { return true; }

public slots:
    void Play() { act([](MprisPlayer& p) { p.play(); }); }
    void Pause() { act([](MprisPlayer& p) { p.pause(); }); }
    void PlayPause() { act([](MprisPlayer& p) { p.playPause(); }); }
    void Stop() { act([](MprisPlayer& p) { p.stop(); }); }
    void Next() { act([](MprisPlayer& p) { p.next(); }); }
    void Previous() { act([](MprisPlayer& p) { p.previous(); }); }
    void Seek(qlonglong offsetUs)
    {
        if (!canSeek())
            return;
        MprisPlayer& p = service_->player();
        // Past the end counts as "next" for other players; ours clamp.
        const qint64 target = std::clamp<qint64>(p.positionMs() + offsetUs / kUsPerMs, 0, p.lengthMs());
        p.setPositionMs(target);
        service_->announceSeek();
    }
    void SetPosition(const QDBusObjectPath& track, qlonglong positionUs)
    {
        MprisPlayer& p = service_->player();
        // A request for another track, or outside the track, is ignored.
        if (!canSeek() || track.path().size() > MprisService::kMaxArgumentChars
            || track.path() != service_->metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path()
            || positionUs < 0 || positionUs / kUsPerMs > p.lengthMs())
            return;
        p.setPositionMs(positionUs / kUsPerMs);
        service_->announceSeek();
    }
    void OpenUri(const QString& uri)
    {
        // Its length is all that is read of a text too long to be a file's
        // URI: parsing megabytes, or reporting them, would stall the windows.
        if (uri.size() > MprisService::kMaxArgumentChars) {
            service_->refuse(QDBusError::InvalidArgs, QStringLiteral("The URI is too long"));
            return;
        }
        if (!service_->player().openUri(uri))
            service_->refuse(QDBusError::NotSupported, QStringLiteral("Only file:// URIs can be opened"));
    }

signals:
    void Seeked(qlonglong positionUs);

private:
    template <class F>
    void act(F f)
    {
        f(service_->player());
        service_->refresh();
    }

    MprisService* service_;
};

MprisService::MprisService(MprisPlayer& player, QObject* parent) : QObject(parent), player_(player)
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
}

MprisService::~MprisService()
{
    if (!published_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(kObjectPath);
    bus.unregisterService(serviceName_);
}

bool MprisService::publish(const QString& serviceName)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors))
        return false;
    if (!bus.registerService(serviceName)) {
        bus.unregisterObject(kObjectPath);
        return false;
    }
    serviceName_ = serviceName;
    published_ = true;
    last_ = announced();
    return true;
}

void MprisService::refuse(QDBusError::ErrorType type, const QString& text) const
{
    if (calledFromDBus())
        sendErrorReply(type, text);
}

QString MprisService::statusText() const
{
    if (player_.file().isEmpty())
        return QStringLiteral("Stopped");
    switch (player_.status()) {
    case MprisPlayer::Status::Playing:
        return QStringLiteral("Playing");
    case MprisPlayer::Status::Paused:
        return QStringLiteral("Paused");
    case MprisPlayer::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap MprisService::metadata()
{
    const QString file = player_.file();
    if (file.isEmpty()) {
        covers_.urlFor({}, {});
        return {{QStringLiteral("mpris:trackid"),
                 QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")))}};
    }
    const MediaTags tags = player_.tags();
    // A track id must be a valid object path; the file's hash keeps it
    // stable while the same file plays.
    const QString id = QStringLiteral("/org/kaleidor/track/t%1").arg(qHash(file), 0, 16);
    QVariantMap data{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(id))},
        {QStringLiteral("mpris:length"), QVariant::fromValue<qlonglong>(player_.lengthMs() * kUsPerMs)},
        {QStringLiteral("xesam:title"), tags.title.isEmpty() ? QFileInfo(file).fileName() : tags.title},
        {QStringLiteral("xesam:url"), QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)},
    };
    if (!tags.artists.isEmpty())
        data.insert(QStringLiteral("xesam:artist"), tags.artists);
    if (!tags.album.isEmpty())
        data.insert(QStringLiteral("xesam:album"), tags.album);
    if (const QString art = covers_.urlFor(tags.cover, tags.coverSuffix); !art.isEmpty())
        data.insert(QStringLiteral("mpris:artUrl"), art);
    return data;
}

QVariantMap MprisService::announced()
{
    const bool hasFile = !player_.file().isEmpty();
    return {
        {QStringLiteral("PlaybackStatus"), statusText()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), player_.volume()},
        {QStringLiteral("CanGoNext"), player_.canGoNext()},
        {QStringLiteral("CanGoPrevious"), player_.canGoPrevious()},
        {QStringLiteral("CanPlay"), hasFile},
        {QStringLiteral("CanPause"), hasFile},
        {QStringLiteral("CanSeek"), hasFile && player_.canSeek()},
    };
}

void MprisService::refresh()
{
    if (!published_)
        return;
    const QVariantMap now = announced();
    QVariantMap changed;
    for (auto it = now.constBegin(); it != now.constEnd(); ++it)
        if (last_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    if (changed.isEmpty())
        return;
    last_ = now;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void MprisService::announceSeek()
{
    if (!published_)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, kPlayerInterface, QStringLiteral("Seeked"));
    signal << QVariant::fromValue<qlonglong>(player_.positionMs() * kUsPerMs);
    QDBusConnection::sessionBus().send(signal);
}

#include "MprisService.moc"
