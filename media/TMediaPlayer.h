#pragma once
// The media player control: a row of push buttons that drive one open media
// file, with the operations the music and video windows call directly.
// Positions and lengths are milliseconds.
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "platform/MediaEngine.h"

enum TMPBtnType { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };
constexpr int kMPButtonCount = 9;

class TButtonSet {
public:
    constexpr TButtonSet() = default;
    constexpr TButtonSet(std::initializer_list<TMPBtnType> buttons)
    {
        for (TMPBtnType b : buttons)
            bits_ |= bit(b);
    }
    static constexpr TButtonSet all()
    {
        TButtonSet set;
        set.bits_ = (1u << kMPButtonCount) - 1;
        return set;
    }
    constexpr bool contains(TMPBtnType b) const { return (bits_ & bit(b)) != 0; }
    constexpr void insert(TMPBtnType b) { bits_ |= bit(b); }
    constexpr void remove(TMPBtnType b) { bits_ &= ~bit(b); }
    constexpr bool operator==(const TButtonSet&) const = default;

private:
    static constexpr unsigned bit(TMPBtnType b) { return 1u << static_cast<unsigned>(b); }
    unsigned bits_ = 0;
};

enum TMPDeviceTypes {
    dtAutoSelect, dtAVIVideo, dtCDAudio, dtDAT, dtDigitalVideo, dtMMMovie, dtOther,
    dtOverlay, dtScanner, dtSequencer, dtVCR, dtVideodisc, dtWaveAudio
};

enum TMPModes { pmNotReady, pmStopped, pmPlaying, pmRecording, pmSeeking, pmPaused, pmOpen };

enum TMPNotifyValues { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

// Right − Left and Bottom − Top are the width and the height.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TRect&) const = default;
};

class TMediaPlayer;
using EMPNotify = std::function<void(TMediaPlayer* sender, TMPBtnType button, bool& doDefault)>;
using EMPPostNotify = std::function<void(TMediaPlayer* sender, TMPBtnType button)>;

class TMediaPlayer : public QWidget {
    Q_OBJECT
public:
    // engines builds the player's media engine; the real one unless a test
    // hands in a fake.
    explicit TMediaPlayer(QWidget* parent = nullptr, const MediaEngineFactory& engines = makeMediaBackend);
    ~TMediaPlayer() override;

    // Published properties.
    QString FileName() const { return fileName_; }
    void SetFileName(const QString& name) { fileName_ = name; }
    TMPDeviceTypes DeviceType() const { return deviceType_; }
    void SetDeviceType(TMPDeviceTypes type) { deviceType_ = type; }
    bool Shareable() const { return shareable_; }
    void SetShareable(bool on) { shareable_ = on; }
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool on) { autoOpen_ = on; }
    bool AutoRewind() const { return autoRewind_; }
    void SetAutoRewind(bool on) { autoRewind_ = on; }
    bool AutoEnable() const { return autoEnable_; }
    void SetAutoEnable(bool on);
    TButtonSet VisibleButtons() const { return visibleButtons_; }
    void SetVisibleButtons(TButtonSet buttons);
    TButtonSet EnabledButtons() const { return enabledButtons_; }
    void SetEnabledButtons(TButtonSet buttons);
    TButtonSet ColoredButtons() const { return coloredButtons_; }
    void SetColoredButtons(TButtonSet buttons);
    QWidget* Display() const { return display_; }
    void SetDisplay(QWidget* display);

    EMPNotify OnClick;
    EMPPostNotify OnPostClick;
    std::function<void(TMediaPlayer* sender)> OnNotify;

    // Called by the owning window once it is set up: opens when AutoOpen.
    void Loaded();

    // Operations.
    // A press of a bar button from outside the bar (the desktop's media
    // controls): acts only when the button is enabled, as a click would.
    void Press(TMPBtnType button);

    void OpenMedia();
    void CloseMedia();
    void StartPlay();
    void StopPlay();
    void TogglePause();
    void SkipNext();
    void SkipPrevious();
    void StepForward();
    void StepBackward();
    void StartRecord();
    void EjectMedia();
    void SeekTo(int position);
    void RewindToStart();
    int QueryPosition();
    int QueryLength();
    TMPModes QueryMode();
    std::uint8_t QueryTimeFormat();
    int QueryTrackCount();
    int QueryTrackStart(int track);
    void ChangeTimeFormat(std::uint8_t code);
    // Leaves rect as given unless a device with video is open.
    void GetVideoRect(TRect& rect);
    void SetVideoRect(TRect rect);

    // What the open file's tags say of it; nothing without a device.
    MediaTags Tags() const { return deviceOpen_ ? backend_->tags() : MediaTags(); }
    // The loudness, 0.0 to 1.0; it stays from file to file.
    double Volume() const { return backend_->volume(); }
    void SetVolume(double volume) { backend_->setVolume(volume); }

    std::uint32_t LastError() const { return lastError_; }
    QString LastErrorText() const;

    // Run-time state.
    bool DeviceOpen() const { return deviceOpen_; }
    std::uint16_t DeviceID() const { return deviceId_; }
    bool HasVideo() const { return hasVideo_; }
    bool CanStep() const { return canStep_; }
    int StepSize() const { return stepSize_; }
    QSize NaturalSize() const { return natural_; }
    TButtonSet AutoEnabledButtons() const { return autoEnabled_; }
    TMPNotifyValues NotifyValue() const { return notifyValue_; }
    int ButtonWidth() const { return buttonWidth_; }
    QSize MinButtonSize() const { return minButton_; }
    TMPBtnType FocusedButton() const { return focused_; }

    QSize sizeHint() const override { return {240, 30}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    enum GlyphState { glyphEnabled, glyphDisabled, glyphColored };

    void requireDevice() const;
    void loadGlyphs();
    int visibleCount() const;
    int buttonLeft(TMPBtnType button) const;
    QRect buttonRect(TMPBtnType button) const;
    bool reacts(TMPBtnType button) const;
    void fitSize();
    void press(const QPoint& at);
    void runClick(TMPBtnType button);
    void doAction(TMPBtnType button);
    void applyAutoEnable(TMPBtnType button);
    void addPlayRecord();
    void completed(MediaCompletion result);
    void attachDisplay();
    void placeSurface();
    void dropSurface();

    std::unique_ptr<MediaEngine> backend_;
    QString fileName_;
    TMPDeviceTypes deviceType_ = dtAutoSelect;
    bool shareable_ = false;
    bool autoOpen_ = false;
    bool autoRewind_ = true;
    bool autoEnable_ = true;
    TButtonSet visibleButtons_ = TButtonSet::all();
    TButtonSet enabledButtons_ = TButtonSet::all();
    TButtonSet coloredButtons_ = TButtonSet::all();
    QPointer<QWidget> display_;
    QPointer<QWidget> surface_;

    bool deviceOpen_ = false;
    std::uint16_t deviceId_ = 0;
    std::uint16_t lastDeviceId_ = 0;
    std::uint32_t lastError_ = 0;
    bool canPlay_ = false;
    bool canRecord_ = false;
    bool canEject_ = false;
    bool hasVideo_ = false;
    bool canStep_ = false;
    QSize natural_;
    int stepSize_ = 0;
    TRect videoRect_;
    TButtonSet autoEnabled_;
    TMPNotifyValues notifyValue_ = nvSuccessful;

    std::array<std::array<QPixmap, 3>, kMPButtonCount> glyphs_;
    int buttonWidth_ = 0;
    QSize minButton_;
    TMPBtnType pressed_ = btPlay;
    bool pressedFlag_ = false;
    bool down_ = false;
    TMPBtnType focused_ = btPlay;
};
