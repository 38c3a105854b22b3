#include "TMediaPlayer.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>

#include "platform/Errors.h"
#include "platform/MediaBackend.h"
#include "windowing/Colors.h"
#include "windowing/OnScreenPainting.h"
#include "windowing/SafeCall.h"

namespace {

const char* const kGlyphBase[kMPButtonCount] = {"PLAY", "PAUSE", "STOP", "NEXT", "PREV",
                                                "STEP", "BACK", "RECORD", "EJECT"};
const char* const kGlyphPrefix[3] = {"EN_", "DI_", "CL_"};

// The milliseconds time format; the only one the back end keeps.
constexpr std::uint8_t kFormatMilliseconds = 0;

// Draws the newest video frame stretched over its whole area; it sits in the
// display control at the destination rectangle and lets the mouse through.
// Only the part on a screen is painted, the rest when it comes into view.
class VideoSurface : public QWidget {
public:
    explicit VideoSurface(QWidget* parent) : QWidget(parent), onScreen_(new OnScreenPainting(this))
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    void setFrame(const VideoFrame& frame)
    {
        frame_ = frame;
        onScreen_->forget();
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        safeCall([&] {
            const QRegion area = onScreen_->paintArea(event->region());
            QPainter painter(this);
            if (!frame_.isNull() && frame_.size() == size() && writeInPlace(painter, area))
                return;
            painter.setClipRegion(area);
            if (frame_.isNull())
                painter.fillRect(rect(), Qt::black);
            else
                drawScaled(painter);
        });
    }

private:
    // A frame of our own size is converted straight into the pixels the
    // painter works on, when they are an image we are placed on unscaled.
    bool writeInPlace(QPainter& painter, const QRegion& area)
    {
        QPaintEngine* engine = painter.paintEngine();
        QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
        const QTransform toDevice = painter.deviceTransform();
        if (!device || device->devType() != QInternal::Image || toDevice.type() > QTransform::TxTranslate ||
            painter.hasClipping())
            return false;
        auto& target = *static_cast<QImage*>(device);
        const QPoint at = toDevice.map(QPoint(0, 0));
        // The system clip is what the window lets us paint, in the image's
        // coordinates; without one, what of us is not covered or cut off.
        const QRegion allowed = engine->systemClip();
        return writer_.write(frame_, target, at,
                             area.translated(at) & (allowed.isEmpty() ? visibleRegion().translated(at) : allowed));
    }

    // Any other frame goes through an image of its own, kept for the next.
    void drawScaled(QPainter& painter)
    {
        if (picture_.size() != frame_.size())
            picture_ = QImage(frame_.size(), QImage::Format_RGB32);
        if (!writer_.write(frame_, picture_, {0, 0}, picture_.rect()))
            return;
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), picture_);
    }

    OnScreenPainting* onScreen_;
    VideoFrame frame_;
    VideoFrameWriter writer_;
    QImage picture_;
};

QPixmap loadGlyph(const QString& path)
{
    QImage image(path);
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb olive = qRgb(128, 128, 0);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (olive & 0xFFFFFF))
                line[x] = 0;
    }
    return QPixmap::fromImage(image);
}

}  // namespace

TMediaPlayer::TMediaPlayer(QWidget* parent, const MediaEngineFactory& engines)
    : QWidget(parent), backend_(engines())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    loadGlyphs();
    resize(240, 30);
    buttonWidth_ = (width() - 1) / visibleCount() + 1;
    backend_->onCompletion = [this](MediaCompletion result) { safeCall([&] { completed(result); }); };
    backend_->onFrame = [this](const VideoFrame& frame) {
        safeCall([&] {
            if (auto* surface = static_cast<VideoSurface*>(surface_.data()))
                surface->setFrame(frame);
        });
    };
}

TMediaPlayer::~TMediaPlayer()
{
    backend_->onCompletion = nullptr;
    backend_->onFrame = nullptr;
    if (deviceOpen_)
        backend_->close();
    dropSurface();
}

void TMediaPlayer::loadGlyphs()
{
    int width = 0;
    int height = 0;
    for (int b = 0; b < kMPButtonCount; ++b)
        for (int s = 0; s < 3; ++s) {
            QPixmap& glyph = glyphs_[b][s];
            glyph = loadGlyph(QStringLiteral(":/glyphs/%1%2.png")
                                  .arg(QLatin1String(kGlyphPrefix[s]), QLatin1String(kGlyphBase[b])));
            width = std::max(width, glyph.width());
            height = std::max(height, glyph.height());
        }
    minButton_ = QSize(width + 8, height + 4);
}

// ---- properties ----

void TMediaPlayer::SetAutoEnable(bool on)
{
    autoEnable_ = on;
    update();
}

void TMediaPlayer::SetVisibleButtons(TButtonSet buttons)
{
    visibleButtons_ = buttons;
    resize(visibleCount() * (buttonWidth_ - 1) + 1, height());
    fitSize();
    update();
}

void TMediaPlayer::SetEnabledButtons(TButtonSet buttons)
{
    enabledButtons_ = buttons;
    update();
}

void TMediaPlayer::SetColoredButtons(TButtonSet buttons)
{
    coloredButtons_ = buttons;
    update();
}

void TMediaPlayer::SetDisplay(QWidget* display)
{
    dropSurface();
    display_ = display;
    if (display && deviceOpen_ && hasVideo_)
        attachDisplay();
}

void TMediaPlayer::attachDisplay()
{
    auto* surface = new VideoSurface(display_);
    surface_ = surface;
    placeSurface();
    surface->show();
    surface->raise();
    // Without its display the picture has nowhere to go; the frames then
    // need no scaling either.
    connect(display_, &QObject::destroyed, this, guarded([this] {
                display_ = nullptr;
                backend_->setVideoOutputSize({});
            }));
    lastError_ = MediaResult::Ok;
}

void TMediaPlayer::placeSurface()
{
    const QSize size(videoRect_.Right - videoRect_.Left, videoRect_.Bottom - videoRect_.Top);
    if (surface_)
        surface_->setGeometry(QRect(QPoint(videoRect_.Left, videoRect_.Top), size));
    backend_->setVideoOutputSize(size == natural_ ? QSize() : size);
}

void TMediaPlayer::dropSurface()
{
    if (display_)
        disconnect(display_, &QObject::destroyed, this, nullptr);
    delete surface_.data();
}

void TMediaPlayer::Loaded()
{
    if (autoOpen_)
        OpenMedia();
}

// ---- operations ----

void TMediaPlayer::requireDevice() const
{
    if (!deviceOpen_)
        throw EMCIDeviceError(QStringLiteral("No MCI device open"));
}

void TMediaPlayer::OpenMedia()
{
    if (deviceOpen_)
        CloseMedia();
    const std::uint32_t result = backend_->open(fileName_);
    if (result != MediaResult::Ok) {
        lastError_ = result;
        throw EMCIDeviceError(LastErrorText());
    }
    lastError_ = result;
    deviceOpen_ = true;
    lastDeviceId_ = static_cast<std::uint16_t>(lastDeviceId_ % 0xFFFF + 1);
    deviceId_ = lastDeviceId_;

    stepSize_ = QueryLength() / 10;
    canPlay_ = true;
    canRecord_ = false;
    canEject_ = false;
    hasVideo_ = backend_->hasVideo();
    canStep_ = hasVideo_;
    natural_ = backend_->naturalSize();
    videoRect_ = TRect{0, 0, natural_.width(), natural_.height()};
    if (hasVideo_) {
        SetDisplay(display_);
        TRect rect;
        GetVideoRect(rect);
        natural_ = QSize(rect.Right - rect.Left, rect.Bottom - rect.Top);
    }
    if (deviceType_ == dtCDAudio || deviceType_ == dtVideodisc)
        ChangeTimeFormat(10);

    autoEnabled_ = canStep_ ? TButtonSet{btNext, btPrev, btStep, btBack} : TButtonSet{btNext, btPrev};
    if (canPlay_)
        autoEnabled_.insert(btPlay);
    if (canRecord_)
        autoEnabled_.insert(btRecord);
    if (canEject_)
        autoEnabled_.insert(btEject);
    if (QueryMode() == pmPlaying)
        applyAutoEnable(btPlay);
    update();
}

void TMediaPlayer::CloseMedia()
{
    if (!deviceOpen_)
        return;
    lastError_ = backend_->close();
    if (lastError_ != MediaResult::Ok)
        return;
    deviceOpen_ = false;
    deviceId_ = 0;
    hasVideo_ = false;
    autoEnabled_ = {};
    dropSurface();
    update();
}

void TMediaPlayer::StartPlay()
{
    requireDevice();
    if (autoRewind_ && QueryPosition() == QueryLength())
        RewindToStart();
    lastError_ = backend_->play();
}

void TMediaPlayer::StopPlay()
{
    requireDevice();
    lastError_ = backend_->stop();
}

void TMediaPlayer::TogglePause()
{
    requireDevice();
    const TMPModes mode = QueryMode();
    if (mode == pmPlaying) {
        lastError_ = backend_->pause();
    } else if (mode == pmPaused) {
        lastError_ = backend_->resume();
        if (lastError_ != MediaResult::Ok)
            StartPlay();
    }
}

void TMediaPlayer::SkipNext()
{
    requireDevice();
    std::int64_t length = 0;
    backend_->length(length);
    lastError_ = backend_->seek(length);
}

void TMediaPlayer::SkipPrevious()
{
    requireDevice();
    lastError_ = backend_->seek(0);
}

void TMediaPlayer::StepForward()
{
    requireDevice();
    if (!hasVideo_)
        return;
    if (autoRewind_ && QueryPosition() == QueryLength())
        RewindToStart();
    lastError_ = backend_->step(stepSize_, false);
}

void TMediaPlayer::StepBackward()
{
    requireDevice();
    if (!hasVideo_)
        return;
    lastError_ = backend_->step(stepSize_, true);
}

void TMediaPlayer::StartRecord()
{
    requireDevice();
    lastError_ = MediaResult::Unsupported;
}

void TMediaPlayer::EjectMedia()
{
    requireDevice();
    if (canEject_)
        lastError_ = MediaResult::Unsupported;
}

void TMediaPlayer::SeekTo(int position)
{
    requireDevice();
    lastError_ = backend_->seek(position);
}

void TMediaPlayer::RewindToStart()
{
    requireDevice();
    backend_->seek(0);
}

int TMediaPlayer::QueryPosition()
{
    std::int64_t ms = 0;
    lastError_ = backend_->position(ms);
    return static_cast<int>(ms);
}

int TMediaPlayer::QueryLength()
{
    requireDevice();
    std::int64_t ms = 0;
    lastError_ = backend_->length(ms);
    return static_cast<int>(ms);
}

TMPModes TMediaPlayer::QueryMode()
{
    MediaMode mode = MediaMode::NotReady;
    lastError_ = backend_->mode(mode);
    return static_cast<TMPModes>(static_cast<int>(mode));
}

std::uint8_t TMediaPlayer::QueryTimeFormat()
{
    requireDevice();
    lastError_ = MediaResult::Ok;
    return kFormatMilliseconds;
}

int TMediaPlayer::QueryTrackCount()
{
    requireDevice();
    lastError_ = MediaResult::Ok;
    return 1;
}

int TMediaPlayer::QueryTrackStart(int)
{
    return 0;
}

void TMediaPlayer::ChangeTimeFormat(std::uint8_t code)
{
    if (!deviceOpen_)
        lastError_ = MediaResult::NoDevice;
    else
        lastError_ = code == kFormatMilliseconds ? MediaResult::Ok : MediaResult::Unsupported;
}

void TMediaPlayer::GetVideoRect(TRect& rect)
{
    if (!deviceOpen_ || !hasVideo_)
        return;
    rect = videoRect_;
    lastError_ = MediaResult::Ok;
}

void TMediaPlayer::SetVideoRect(TRect rect)
{
    if (!deviceOpen_ || !hasVideo_)
        return;
    if (rect.Right == 0 && rect.Bottom == 0) {
        rect.Right = rect.Left + natural_.width();
        rect.Bottom = rect.Top + natural_.height();
    }
    videoRect_ = rect;
    placeSurface();
    lastError_ = MediaResult::Ok;
}

QString TMediaPlayer::LastErrorText() const
{
    const QString text = MediaBackend::errorText(lastError_).left(4095);
    return text.isEmpty() && lastError_ != MediaResult::Ok ? QStringLiteral("Unknown error code") : text;
}

void TMediaPlayer::completed(MediaCompletion result)
{
    if (autoEnable_ && QueryMode() == pmStopped) {
        addPlayRecord();
        autoEnabled_.remove(btPause);
        autoEnabled_.remove(btStop);
        update();
    }
    switch (result) {
    case MediaCompletion::Successful: notifyValue_ = nvSuccessful; break;
    case MediaCompletion::Superseded: notifyValue_ = nvSuperseded; break;
    case MediaCompletion::Aborted: notifyValue_ = nvAborted; break;
    case MediaCompletion::Failure: notifyValue_ = nvFailure; break;
    }
    if (OnNotify)
        OnNotify(this);
}

// ---- auto-enable ----

void TMediaPlayer::addPlayRecord()
{
    if (canPlay_)
        autoEnabled_.insert(btPlay);
    if (canRecord_)
        autoEnabled_.insert(btRecord);
}

void TMediaPlayer::applyAutoEnable(TMPBtnType button)
{
    switch (button) {
    case btPlay:
    case btRecord:
        autoEnabled_.remove(btPlay);
        autoEnabled_.remove(btRecord);
        autoEnabled_.insert(btPause);
        autoEnabled_.insert(btStop);
        break;
    case btPause:
        addPlayRecord();
        break;
    default:
        addPlayRecord();
        autoEnabled_.remove(btPause);
        autoEnabled_.remove(btStop);
        break;
    }
    update();
}

// ---- button bar ----

int TMediaPlayer::visibleCount() const
{
    int n = 0;
    for (int b = 0; b < kMPButtonCount; ++b)
        n += visibleButtons_.contains(TMPBtnType(b)) ? 1 : 0;
    return std::max(n, 1);
}

int TMediaPlayer::buttonLeft(TMPBtnType button) const
{
    int k = 0;
    for (int b = 0; b < button; ++b)
        k += visibleButtons_.contains(TMPBtnType(b)) ? 1 : 0;
    return k * (buttonWidth_ - 1);
}

QRect TMediaPlayer::buttonRect(TMPBtnType button) const
{
    return QRect(buttonLeft(button), 0, buttonWidth_, height());
}

bool TMediaPlayer::reacts(TMPBtnType button) const
{
    return autoEnable_ ? autoEnabled_.contains(button) : enabledButtons_.contains(button);
}

void TMediaPlayer::fitSize()
{
    // Buttons share their 1-pixel border with the neighbours.
    const int n = visibleCount();
    buttonWidth_ = (width() - 1) / n + 1;
    const int w = std::max(n * (buttonWidth_ - 1) + 1, n * (minButton_.width() - 1) + 1);
    const int h = std::max(height(), minButton_.height());
    if (w != width() || h != height()) {
        resize(w, h);
        buttonWidth_ = (w - 1) / n + 1;
    }
}

void TMediaPlayer::resizeEvent(QResizeEvent*)
{
    safeCall([&] { fitSize(); });
}

void TMediaPlayer::paintEvent(QPaintEvent*)
{
    safeCall([&] {
        QPainter p(this);
        const int h = height();
        const QColor frame = toQColor(clWindowFrame);
        const QColor face = toQColor(clBtnFace);
        const QColor highlight = toQColor(clBtnHighlight);
        const QColor shadow = toQColor(clBtnShadow);
        p.setPen(frame);
        p.setBrush(face);
        p.drawRect(0, 0, width() - 1, h - 1);
        for (int b = 0; b < kMPButtonCount; ++b) {
            const auto button = TMPBtnType(b);
            if (!visibleButtons_.contains(button))
                continue;
            const int x = buttonLeft(button);
            const int w = buttonWidth_;
            const bool down = pressedFlag_ && down_ && pressed_ == button;
            p.setPen(frame);
            p.setBrush(face);
            p.drawRect(x, 0, w - 1, h - 1);
            // Line ends are exclusive, as the bevel was designed.
            if (down) {
                p.setPen(shadow);
                p.drawLine(x + 1, h - 2, x + 1, 1);
                p.drawLine(x + 1, 1, x + w - 2, 1);
            } else {
                p.setPen(highlight);
                p.drawLine(x + 1, h - 2, x + 1, 1);
                p.drawLine(x + 1, 1, x + w - 2, 1);
                p.setPen(shadow);
                p.drawLine(x + 2, h - 2, x + w - 2, h - 2);
                p.drawLine(x + w - 2, h - 2, x + w - 2, 2);
            }
            GlyphState state = glyphDisabled;
            if (isEnabled() && reacts(button))
                state = coloredButtons_.contains(button) ? glyphColored : glyphEnabled;
            const QPixmap& glyph = glyphs_[b][state];
            const int shift = down ? 1 : 0;
            p.drawPixmap(x + w / 2 - glyph.width() / 2 + shift, h / 2 - glyph.height() / 2 + shift, glyph);
            if (hasFocus() && focused_ == button) {
                QPen dots(Qt::black);
                dots.setDashPattern({1, 1});
                p.setPen(dots);
                p.setBrush(Qt::NoBrush);
                p.drawRect(x + 3 + shift, 3 + shift, w - 7, h - 7);
            }
        }
    });
}

void TMediaPlayer::focusInEvent(QFocusEvent*)
{
    update();
}

void TMediaPlayer::focusOutEvent(QFocusEvent*)
{
    update();
}

void TMediaPlayer::press(const QPoint& at)
{
    for (int b = 0; b < kMPButtonCount; ++b) {
        const auto button = TMPBtnType(b);
        if (!visibleButtons_.contains(button))
            continue;
        const int x0 = buttonLeft(button);
        if (at.x() < x0 || at.x() > x0 + buttonWidth_)
            continue;
        if (!reacts(button))
            return;
        pressed_ = button;
        focused_ = button;
        pressedFlag_ = true;
        down_ = true;
        update();
        return;
    }
}

void TMediaPlayer::mousePressEvent(QMouseEvent* event)
{
    safeCall([&] {
        if (event->button() == Qt::LeftButton)
            press(event->position().toPoint());
    });
}

void TMediaPlayer::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void TMediaPlayer::mouseMoveEvent(QMouseEvent* event)
{
    safeCall([&] {
        if (!pressedFlag_)
            return;
        const bool inside = buttonRect(pressed_).contains(event->position().toPoint());
        if (inside != down_) {
            down_ = inside;
            update();
        }
    });
}

void TMediaPlayer::mouseReleaseEvent(QMouseEvent* event)
{
    safeCall([&] {
        if (!pressedFlag_ || event->button() != Qt::LeftButton)
            return;
        pressedFlag_ = false;
        const bool inside = buttonRect(pressed_).contains(event->position().toPoint());
        down_ = false;
        update();
        if (!inside)
            return;
        runClick(pressed_);
        if (autoEnable_ && lastError_ == MediaResult::Ok && deviceOpen_)
            applyAutoEnable(pressed_);
    });
}

void TMediaPlayer::keyPressEvent(QKeyEvent* event)
{
    safeCall([&] {
        const TMPBtnType before = focused_;
        switch (event->key()) {
        case Qt::Key_Left:
            // Stops on a visible button or at the first one.
            while (focused_ > btPlay) {
                focused_ = TMPBtnType(focused_ - 1);
                if (visibleButtons_.contains(focused_))
                    break;
            }
            break;
        case Qt::Key_Right:
            // Stops on a visible button or at the last one, even a hidden one.
            while (focused_ < btEject) {
                focused_ = TMPBtnType(focused_ + 1);
                if (visibleButtons_.contains(focused_))
                    break;
            }
            break;
        case Qt::Key_Space:
            Press(focused_);
            return;
        default:
            QWidget::keyPressEvent(event);
            return;
        }
        if (focused_ != before)
            update();
    });
}

void TMediaPlayer::Press(TMPBtnType button)
{
    if (!enabledButtons_.contains(button))
        return;
    runClick(button);
    if (autoEnable_)
        applyAutoEnable(button);
}

void TMediaPlayer::runClick(TMPBtnType button)
{
    bool doDefault = true;
    if (OnClick)
        OnClick(this, button, doDefault);
    if (doDefault)
        doAction(button);
    if (OnPostClick)
        OnPostClick(this, button);
}

void TMediaPlayer::doAction(TMPBtnType button)
{
    switch (button) {
    case btPlay: StartPlay(); break;
    case btPause: TogglePause(); break;
    case btStop: StopPlay(); break;
    case btNext: SkipNext(); break;
    case btPrev: SkipPrevious(); break;
    case btStep: StepForward(); break;
    case btBack: StepBackward(); break;
    case btRecord: StartRecord(); break;
    case btEject: EjectMedia(); break;
    }
}
