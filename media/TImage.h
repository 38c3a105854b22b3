#pragma once
// A picture drawn stretched over the whole control, aspect ratio not kept.
// A picture decoded reduced is decoded again when the control grows past it.
#include "pictures/PictureFile.h"

#include <QWidget>
#include <optional>

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    void setPicture(PictureFile picture);
    void clear();
    // Empty while no picture is loaded.
    const PictureFile* picture() const { return picture_ ? &*picture_ : nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void matchResolution();

    std::optional<PictureFile> picture_;
};
