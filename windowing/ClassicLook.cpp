#include "ClassicLook.h"

#include "Colors.h"
#include "Fonts.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

void applyClassicLook(QApplication& app)
{
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(style);
    QPalette pal;
    const struct {
        QPalette::ColorRole role;
        TColor color;
    } roles[] = {
        {QPalette::Window, clBtnFace},         {QPalette::WindowText, clWindowText},
        {QPalette::Base, clWindow},            {QPalette::AlternateBase, clBtnFace},
        {QPalette::Text, clWindowText},        {QPalette::Button, clBtnFace},
        {QPalette::ButtonText, clBtnText},     {QPalette::Light, clBtnHighlight},
        {QPalette::Midlight, cl3DLight},       {QPalette::Mid, clBtnShadow},
        {QPalette::Dark, clBtnShadow},         {QPalette::Shadow, cl3DDkShadow},
        {QPalette::Highlight, clHighlight},    {QPalette::HighlightedText, clHighlightText},
        {QPalette::ToolTipBase, clInfoBk},     {QPalette::ToolTipText, clInfoText},
        {QPalette::PlaceholderText, clGrayText},
    };
    for (const auto& r : roles)
        pal.setColor(r.role, toQColor(r.color));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, toQColor(clGrayText));
    QApplication::setPalette(pal);
    app.setFont(FontSpec().toQFont());
}
