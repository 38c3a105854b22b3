#include "ClassicLook.h"

#include "Colors.h"
#include "Fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QStyleFactory>

namespace {
// The small sans-serif faces the windows are laid out for come with Debian's
// fonts-wine package, outside fontconfig's folders; without them every label
// would be drawn in a wider substitute and clipped.
void registerDesignFaces()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    for (const char* file : {"ms_sans_serif.ttf", "small_fonts.ttf", "tahoma.ttf", "tahomabd.ttf"})
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(file));
    // Free faces of the same metrics or look stand in for the other faces the
    // windows name, the same on every fontconfig setup.
    const struct {
        const char* design;
        const char* free;
    } substitutes[] = {{"Arial", "Liberation Sans"},          {"Times New Roman", "Liberation Serif"},
                       {"Courier New", "Liberation Mono"},    {"Comic Sans MS", "Comic Neue"},
                       {"Monotype Corsiva", "Z003"},          {"Modern", "DejaVu Sans Condensed"}};
    for (const auto& s : substitutes)
        QFont::insertSubstitution(QLatin1String(s.design), QLatin1String(s.free));
}
}  // namespace

void applyClassicLook(QApplication& app)
{
    registerDesignFaces();
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
