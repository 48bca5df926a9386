#pragma once
// Measures and fonts of the main window: positions are designed in twips, 15 to a pixel.

#include <QFont>
#include <QRect>
#include <QStringList>
#include <QtMath>

namespace mainwin {

constexpr int kTwipsPerPx = 15;

inline int Px(int twips) { return qRound(twips / double(kTwipsPerPx)); }
inline QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

// "SimSun" where it is installed, else a CJK font of the system, so Chinese never
// shows as boxes.
inline QFont SimSunFont(double pointSize, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Noto Sans SC")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

// The grids' font: as SimSunFont, but without SimSun the Latin letters and signs come from
// DejaVu Sans first. The WenQuanYi fallback lists signs such as "℃" (used by the shipped
// tables' units) yet draws them blank.
inline QFont TableFont(double pointSize)
{
    QFont font = SimSunFont(pointSize);
    QStringList families = font.families();
    families.insert(2, QStringLiteral("DejaVu Sans"));
    font.setFamilies(families);
    return font;
}

}  // namespace mainwin
