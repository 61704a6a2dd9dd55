#pragma once

// A game played by the tests: content in a temporary program folder, the game
// window with its launcher hooks, and the mouse moves and clicks of a child,
// aimed with the content's own files (masks, keys, theme.dat, apparence.dat).

#include <gtest/gtest.h>

#include <QPoint>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "content/AppearanceDat.h"
#include "content/GameSettings.h"
#include "content/PlayList.h"
#include "content/ThemeDat.h"
#include "display/PixelFormat.h"
#include "display/TDIB.h"
#include "display/TDirectDrawSurfaceCanvas.h"
#include "game/TfrmPrincipale.h"
#include "support/TestSupport.h"

namespace vorlane::test {

// Zone numbers of the key row.
enum ZoneNumber { kPictureZone = 0, kEraseZone = 1, kNextZone = 3, kPreviousZone = 4, kStopZone = 5,
                  kYesZone = 6, kNoZone = 7, kPaletteZone = 8 };

// Colours of the small package the tests make.
inline constexpr std::uint32_t kFrameGrey = 0xC0C0C0;
inline constexpr std::uint32_t kDeadZone = 0x404040;  // matches no key
inline constexpr std::uint32_t kPaletteColours[] = {0x0000FF, 0x00C000, 0xFF0000, 0x00FFFF};

// Writes the package "Essai" (appearance) and the theme "Essai" under `folder`.
//  - screen: picture at (100, 60), panel at (400, 300), indicator around
//    (40, 710), hotspot (3, 4) inside a 12 × 12 pointer; erase, next,
//    previous and stop buttons at y 680 to 739, x from 100, 200, 300, 400; the
//    palette at x 600 to 999 in four swatches of kPaletteColours;
//  - picture 1: 200 × 150, five points, regions left and right of a black
//    line at x 100 inside a black frame; picture 2: no keys at all; picture 3:
//    point 2 at x -1; picture 4: a 10 × 10 grid of 19-pixel cells.
void WriteTestPackage(const std::string& folder);

// Copies the demo content of the program folder (themes, appearances, voice) under `folder`.
void CopyDemoContent(const std::string& folder);

// A mono 8-bit WAVE file of 80 frames at `level` (128 is silence).
std::string TestWave(std::uint8_t level = 128);

TDIB LoadBitmap(const std::string& path);
void SaveBitmap(const TDIB& bitmap, const std::string& path);

class GameFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Plays the appearance `appearance` over the PlayList entries (theme, picture).
    void UsePlayList(const std::vector<TTheme>& entries);
    // Makes the window (display mode GameSettings' at `bitDepth`) and starts a game.
    TfrmPrincipale& Start(int bitDepth = 32);
    TfrmPrincipale& Form() { return *m_form; }

    std::string ThemeFolder(const std::string& theme) const { return m_dir.path().string() + "/Themes/" + theme + "/"; }
    std::string AppearanceFolder() const { return m_dir.path().string() + "/Apparences/" + m_appearance + "/"; }

    // What a child does.
    void MoveMouse(int x, int y);
    void ClickAt(int x, int y);
    void ClickAt(QPoint mouse) { ClickAt(mouse.x(), mouse.y()); }
    // A finger's tap on the game view at that mouse position: a press and a
    // release on a touch screen, with no move before them.
    void Tap(QPoint mouse);
    // The view pixel that shows a mouse position, or the next one where none does.
    QPoint ViewPoint(QPoint mouse) const;
    // The mouse position whose pointer hotspot lies at picture coordinates (x, y).
    QPoint PictureMouse(int x, int y) const;
    // Clicks with the pointer's hotspot at picture coordinates (x, y).
    void ClickPicture(int x, int y);
    // A mouse position in zone `zone` of the main mask (or of the panel's).
    QPoint ZonePoint(int zone) const;
    QPoint PanelPoint(int zone) const;
    // A palette position whose pointer hotspot shows `colour` in F_Coloriage.
    QPoint PalettePoint(std::uint32_t colour) const;
    // Every palette colour reachable, in screen order: the colours F_Coloriage
    // shows over at least 200 positions of the palette, and M_Crayons too when
    // the appearance has it (not the crayons' outlines).
    std::vector<std::uint32_t> PaletteColours() const;
    // The mouse position whose pointer hotspot lies at screen pixel `hotspot`.
    QPoint HotspotMouse(QPoint hotspot) const;
    // Points of the finished picture, one in each white region met along its
    // middle row, where a click lands in the picture zone.
    std::vector<QPoint> RegionPoints() const;
    // Joins every dot of the current picture, as theme.dat places them.
    void JoinAllDots();
    // The current picture's points, from theme.dat.
    std::vector<ThemePoint> Points() const;

    // What a colour looks like at the display's depth.
    std::uint32_t AtDepth(std::uint32_t colour) const;
    // The colour of a pixel of the picture surface.
    std::uint32_t PictureColour(QPoint point) const;

    // The drawing stage has just begun on picture `picture` of theme "Essai":
    // point 1, no panel, its dots under F_Principale.
    void ExpectPictureStart(int picture) const;

    // The surface holds the bitmap, pixel for pixel, in the display's format.
    static testing::AssertionResult SameImage(const TDirectDrawSurface& surface, const TDIB& bitmap);
    static testing::AssertionResult SameSurface(const TDirectDrawSurface& a, const TDirectDrawSurface& b);

    TempDir m_dir;
    // The game's clock, in milliseconds: time passes only when a test says so.
    std::uint32_t m_now = 1000;
    std::string m_appearance = "Essai";
    std::unique_ptr<TfrmPrincipale> m_form;
    std::vector<std::string> m_errors;  // what ShowError was given
    int m_launcherShown = 0;

private:
    struct Skin;
    Skin LoadSkin() const;

    TGameSettings m_savedSettings;
    std::string m_savedFolder;
};

}  // namespace vorlane::test
