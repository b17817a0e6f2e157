#pragma once

// The design of the two windows: sizes and places; the commands are in the command table.
namespace WindowDesign {

// The control array of recent addresses at the foot of the File menu.
inline constexpr int urlHistoryItemCount = 10;

// Design positions and sizes in twips (left, top, width, height).
struct TwipsRect
{
    float left, top, width, height;
};

inline constexpr float addressContainerHeight = 435;
inline constexpr float favouritesListContainerHeight = 525;
inline constexpr TwipsRect cboAddressRect { 960, 30, 5145, 315 };
inline constexpr TwipsRect lblAddressRect { 60, 90, 825, 165 };
inline constexpr TwipsRect picLinksListContainerRect { 0, 0, 11880, 465 };
inline constexpr TwipsRect cboLinksListRect { 930, 60, 5115, 315 };
inline constexpr TwipsRect lblLinksRect { 60, 120, 825, 165 };
inline constexpr TwipsRect pic1Rects[4] = {
    { 1650, 60, 285, 345 }, { 1980, 60, 285, 345 }, { 2310, 60, 285, 345 }, { 2640, 60, 285, 345 }
};
inline constexpr TwipsRect favoriteButtonRect { 0, 0, 225, 285 };
inline constexpr float pic1Border = 30;
inline constexpr TwipsRect cboFavoritesListRect { 3060, 60, 7485, 315 };
inline constexpr TwipsRect lblFavoritesRect { 600, 150, 825, 165 };
inline constexpr TwipsRect tbrProgressRect { 9840, 60, 1470, 195 };
inline constexpr TwipsRect picAnimationRect { 11550, 30, 285, 285 };
inline constexpr TwipsRect ctlWebBrowserRect { 60, 1350, 5400, 3060 };
inline constexpr TwipsRect text1Rect { 30, 1350, 5385, 2985 };
inline constexpr float statusPanelWidth = 1440;

} // namespace WindowDesign
