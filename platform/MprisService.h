#pragma once
// Publishes the player on the session bus under the desktop media-player
// interfaces, so panels and media keys control it. With no session bus it
// does nothing.
#include "MprisPlayer.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

class MprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.kaleidor";

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
    QVariantMap metadata() const;
    QString statusText() const;

private:
    MprisPlayer& player_;
    QString serviceName_;
    bool published_ = false;
    QString lastStatus_;
    QVariantMap lastMetadata_;
};
