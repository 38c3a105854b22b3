#pragma once
// Publishes the player on the session bus under the desktop media-player
// interfaces, so panels and media keys control it. With no session bus it
// does nothing.
#include "CoverArtCache.h"
#include "MprisPlayer.h"

#include <QDBusContext>
#include <QDBusError>
#include <QObject>
#include <QString>
#include <QVariantMap>

class MprisService : public QObject, public QDBusContext {
    Q_OBJECT
public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.kaleidor";
    // The longest text argument read: a file URI with every byte of the
    // longest path percent-encoded fits. Longer ones are refused unread.
    static constexpr qsizetype kMaxArgumentChars = 3 * 4096 + 64;

    // player is not owned and must outlive the service.
    MprisService(MprisPlayer& player, QObject* parent = nullptr);
    ~MprisService() override;

    // Registers on the session bus; false (silently) when there is none or
    // the name is taken.
    bool publish(const QString& serviceName = QString::fromLatin1(kServiceName));
    bool isPublished() const { return published_; }

    // Compares the player with what was last announced and sends the
    // change notices for what differs.
    void refresh();
    // A jump of the position, announced as such.
    void announceSeek();

    MprisPlayer& player() const { return player_; }
    // Writes the cover to its cache file the first time it is asked for.
    QVariantMap metadata();
    QString statusText() const;

    // Answers the call being handled with an error (nothing outside a call).
    void refuse(QDBusError::ErrorType type, const QString& text) const;

private:
    // The player's properties whose changes are announced, by name.
    QVariantMap announced();

    MprisPlayer& player_;
    CoverArtCache covers_;
    QString serviceName_;
    bool published_ = false;
    QVariantMap last_;
};
