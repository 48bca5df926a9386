#include "params/GridColors.h"

#include <QApplication>
#include <QPalette>

namespace params {
namespace {

constexpr uint32_t kSystemColorBase = 0x80000000u;
constexpr uint32_t kLastSystemColor = 0x80000018u;

QColor SystemColor(uint32_t index)
{
    const QPalette palette = QApplication::palette();
    switch (index) {
    case 0x05: return palette.color(QPalette::Base);            // window background
    case 0x08: return palette.color(QPalette::Text);            // window text
    case 0x0D: return palette.color(QPalette::Highlight);
    case 0x0E: return palette.color(QPalette::HighlightedText);
    case 0x12: return palette.color(QPalette::ButtonText);
    default: return palette.color(QPalette::Button);           // faces, frames and the rest
    }
}

}  // namespace

std::optional<QColor> ColorFromLong(int32_t value)
{
    const auto raw = static_cast<uint32_t>(value);
    if (raw <= 0xFFFFFFu) return QColor(raw & 0xFF, (raw >> 8) & 0xFF, (raw >> 16) & 0xFF);
    if (raw >= kSystemColorBase && raw <= kLastSystemColor) return SystemColor(raw - kSystemColorBase);
    return std::nullopt;
}

int32_t LongFromColor(const QColor& color)
{
    return RGB(color.red(), color.green(), color.blue());
}

}  // namespace params
