#include "GameFixture.h"

#include <filesystem>
#include <map>

#include <QTest>

#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "display/DXDrawView.h"
#include "display/PixelFormat.h"

namespace vorlane::test {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kKeys[9] = {0x00FF00, 0x0000FF, 0x808080, 0xFF0000, 0x00FFFF,
                                    0xFF00FF, 0xFFFF00, 0x0080FF, 0x800080};

// Pixels [x0, x1) × [y0, y1) of a 24-bit bitmap become `colour`.
void Fill(TDIB& bitmap, int x0, int y0, int x1, int y1, std::uint32_t colour)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(colour >> 16);
            p[1] = static_cast<std::uint8_t>(colour >> 8);
            p[2] = static_cast<std::uint8_t>(colour);
        }
}

TDIB Plain(int width, int height, std::uint32_t colour)
{
    TDIB bitmap;
    bitmap.SetSize24(width, height);
    Fill(bitmap, 0, 0, width, height, colour);
    return bitmap;
}

// One pixel wide outline of [x0, x1) × [y0, y1).
void Outline(TDIB& bitmap, int x0, int y0, int x1, int y1, std::uint32_t colour)
{
    Fill(bitmap, x0, y0, x1, y0 + 1, colour);
    Fill(bitmap, x0, y1 - 1, x1, y1, colour);
    Fill(bitmap, x0, y0, x0 + 1, y1, colour);
    Fill(bitmap, x1 - 1, y0, x1, y1, colour);
}

struct Rect {
    int x0, y0, x1, y1;
};
constexpr Rect kPictureArea{100, 60, 900, 660};
constexpr Rect kButtons[] = {{100, 680, 160, 740}, {200, 680, 260, 740}, {300, 680, 360, 740}, {400, 680, 460, 740}};
constexpr int kButtonZones[] = {kEraseZone, kNextZone, kPreviousZone, kStopZone};
constexpr Rect kPalette{600, 680, 1000, 740};
constexpr Rect kIndicator{20, 680, 60, 740};

TDIB Frame(bool palette)
{
    TDIB frame = Plain(1024, 768, kFrameGrey);
    Fill(frame, kPictureArea.x0, kPictureArea.y0, kPictureArea.x1, kPictureArea.y1, kWhite);
    Fill(frame, kIndicator.x0, kIndicator.y0, kIndicator.x1, kIndicator.y1, kWhite);
    for (const Rect& button : kButtons)
        Fill(frame, button.x0, button.y0, button.x1, button.y1, 0x2060A0);
    if (palette)
        for (int i = 0; i < 4; ++i)
            Fill(frame, kPalette.x0 + 100 * i, kPalette.y0, kPalette.x0 + 100 * (i + 1), kPalette.y1,
                 kPaletteColours[i]);
    return frame;
}

}  // namespace

std::string TestWave(std::uint8_t level)
{
    std::string wave = "RIFF";
    const auto u32 = [&wave](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            wave.push_back(static_cast<char>(v >> (8 * i)));
    };
    const auto u16 = [&wave](std::uint32_t v) {
        wave.push_back(static_cast<char>(v));
        wave.push_back(static_cast<char>(v >> 8));
    };
    constexpr int kFrames = 80;
    u32(36 + kFrames);
    wave += "WAVEfmt ";
    u32(16);
    u16(1);     // PCM
    u16(1);     // mono
    u32(8000);  // rate
    u32(8000);  // bytes per second
    u16(1);     // block
    u16(8);     // bits
    wave += "data";
    u32(kFrames);
    wave.append(kFrames, static_cast<char>(level));
    return wave;
}

namespace {

// A picture of 200 × 150: a black frame split by a black line at x 100.
TDIB TwoRegions()
{
    TDIB picture = Plain(200, 150, kWhite);
    Outline(picture, 5, 5, 196, 146, kBlack);
    Fill(picture, 100, 5, 101, 146, kBlack);
    return picture;
}

TDIB Grid()
{
    TDIB picture = Plain(201, 201, kWhite);
    for (int i = 0; i <= 200; i += 20) {
        Fill(picture, i, 0, i + 1, 201, kBlack);
        Fill(picture, 0, i, 201, i + 1, kBlack);
    }
    return picture;
}

// The dots of a picture: 3 × 3 black squares on white.
TDIB Dots(int width, int height, const std::vector<std::pair<int, int>>& points)
{
    TDIB picture = Plain(width, height, kWhite);
    for (const auto& [x, y] : points)
        if (x >= 1 && y >= 1)
            Fill(picture, x - 1, y - 1, x + 2, y + 2, 0x303030);
    return picture;
}

}  // namespace

TDIB LoadBitmap(const std::string& path)
{
    TDIB bitmap;
    bitmap.LoadBitmapFile(ResolveContentFile(path));
    return bitmap;
}

void SaveBitmap(const TDIB& bitmap, const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    bitmap.SaveBitmapStream(bytes);
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

void WriteTestPackage(const std::string& folder)
{
    const std::string appearance = folder + "/Apparences/Essai/";
    const std::string theme = folder + "/Themes/Essai/";
    std::filesystem::create_directories(appearance);
    std::filesystem::create_directories(theme);

    WriteFile(appearance + "apparence.dat",
              "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\nPointeurOffsetX=3\nPointeurOffsetY=4\n"
              "XDessin=100\nYDessin=60\nXOuiNon=400\nYouiNon=300\nXCouleur=40\nYCouleur=710\n");
    TDIB pointer = Plain(12, 12, 0x0000C0);
    Fill(pointer, 0, 0, 2, 2, kWhite);
    SaveBitmap(pointer, appearance + "C_Pointeur.qrvi");
    SaveBitmap(Frame(false), appearance + "F_Principale.qrvi");
    SaveBitmap(Frame(true), appearance + "F_Coloriage.qrvi");

    TDIB mask = Plain(1024, 768, kDeadZone);
    Fill(mask, kPictureArea.x0, kPictureArea.y0, kPictureArea.x1, kPictureArea.y1, kKeys[kPictureZone]);
    for (int i = 0; i < 4; ++i)
        Fill(mask, kButtons[i].x0, kButtons[i].y0, kButtons[i].x1, kButtons[i].y1, kKeys[kButtonZones[i]]);
    Fill(mask, kPalette.x0, kPalette.y0, kPalette.x1, kPalette.y1, kKeys[kPaletteZone]);
    SaveBitmap(mask, appearance + "MF_Principale.qrvi");

    TDIB keys = Plain(9, 1, kWhite);
    for (int k = 0; k < 9; ++k)
        Fill(keys, k, 0, k + 1, 1, kKeys[k]);
    SaveBitmap(keys, appearance + "M_Couleurs.qrvi");

    TDIB lines = Plain(1024, 768, kWhite);
    Outline(lines, kIndicator.x0, kIndicator.y0, kIndicator.x1, kIndicator.y1, kBlack);
    SaveBitmap(lines, appearance + "F_Lignes.qrvi");

    TDIB panel = Plain(200, 100, 0x808000);
    Fill(panel, 10, 10, 90, 90, 0x00A000);
    Fill(panel, 110, 10, 190, 90, 0x0000A0);
    SaveBitmap(panel, appearance + "F_Confirmation.qrvi");
    TDIB panelMask = Plain(200, 100, kDeadZone);
    Fill(panelMask, 10, 10, 90, 90, kKeys[kYesZone]);
    Fill(panelMask, 110, 10, 190, 90, kKeys[kNoZone]);
    SaveBitmap(panelMask, appearance + "MF_Confirmation.qrvi");

    for (const char* sound : kAppearanceSounds)
        WriteFile(appearance + AppearanceSoundFileName(sound), TestWave());

    WriteFile(theme + "theme.dat",
              "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\nNombreImages=4\n"
              "[Image01]\nNombrePoints=5\nCouleur=0x00FF0000\n"
              "Ligne01=3\nXPoint01=20\nYPoint01=20\nLigne02=3\nXPoint02=90\nYPoint02=20\n"
              "Ligne03=5\nXPoint03=180\nYPoint03=20\nLigne04=1\nXPoint04=180\nYPoint04=130\n"
              "Ligne05=3\nXPoint05=20\nYPoint05=130\n"
              "[Image03]\nNombrePoints=3\nXPoint01=30\nYPoint01=30\nXPoint02=-1\nYPoint02=60\n"
              "XPoint03=100\nYPoint03=100\n"
              "[Image04]\nNombrePoints=1\nXPoint01=10\nYPoint01=10\n");
    const std::vector<std::pair<int, int>> points1 = {{20, 20}, {90, 20}, {180, 20}, {180, 130}, {20, 130}};
    SaveBitmap(Dots(200, 150, points1), theme + "Points01.bmp");
    SaveBitmap(TwoRegions(), theme + "Image01.bmp");
    SaveBitmap(Dots(200, 150, {{1, 1}}), theme + "Points02.bmp");
    SaveBitmap(TwoRegions(), theme + "Image02.bmp");
    SaveBitmap(Dots(200, 150, {{30, 30}, {100, 100}}), theme + "Points03.bmp");
    SaveBitmap(TwoRegions(), theme + "Image03.bmp");
    SaveBitmap(Dots(201, 201, {{10, 10}}), theme + "Points04.bmp");
    SaveBitmap(Grid(), theme + "Image04.bmp");
}

void CopyDemoContent(const std::string& folder)
{
    for (const char* part : {"Themes", "Apparences", "Voix"})
        std::filesystem::copy(std::string(VORLANE_PROGRAM_DIR) + "/" + part, folder + "/" + part,
                              std::filesystem::copy_options::recursive);
}

void GameFixture::SetUp()
{
    m_savedSettings = GameSettings;
    m_savedFolder = ContentPlaces::Current().ProgramFolder();
    ContentPlaces::Settle(m_dir.path().string());
    WriteTestPackage(m_dir.path().string());
    GameSettings.Tolerance = 15;
    GameSettings.Son = true;
    GameSettings.DebugMode = false;
    UsePlayList({{"Essai/", 1}, {"Essai/", 2}, {"Essai/", 3}});
}

void GameFixture::TearDown()
{
    m_form.reset();
    ClearPlayList();
    GameSettings = m_savedSettings;
    ContentPlaces::Settle(m_savedFolder);
}

void GameFixture::UsePlayList(const std::vector<TTheme>& entries)
{
    PlayList.assign(1, TTheme{});
    PlayList.insert(PlayList.end(), entries.begin(), entries.end());
    PlayCount = static_cast<std::int32_t>(entries.size());
    PlayIndex = 1;
}

TfrmPrincipale& GameFixture::Start(int bitDepth)
{
    GameSettings.BitDepth = bitDepth;
    if (!m_form) {
        m_form = std::make_unique<TfrmPrincipale>();
        m_form->SelectedAppearance = [this] { return m_appearance; };
        m_form->ShowLauncher = [this] { ++m_launcherShown; };
        m_form->ShowError = [this](const std::exception& error) { m_errors.emplace_back(error.what()); };
        m_form->Clock = [this] { return m_now; };
    }
    m_form->StartGame();
    return *m_form;
}

void GameFixture::MoveMouse(int x, int y)
{
    m_form->DXPrincipaleMouseMove(x, y);
}

void GameFixture::ClickAt(int x, int y)
{
    MoveMouse(x, y);
    m_form->DXPrincipaleClick();
}

QPoint GameFixture::ViewPoint(QPoint mouse) const
{
    // The view shows the 1024 × 768 back buffer scaled, in device pixels:
    // the middle of the pixel's place there.
    const auto* view = static_cast<DXDrawView*>(m_form->findChild<QWidget*>());
    const QRect frame = view->FrameRect();
    const QPointF device = frame.topLeft() + QPointF((mouse.x() + 0.5) * frame.width() / 1024,
                                                     (mouse.y() + 0.5) * frame.height() / 768);
    const qreal ratio = view->devicePixelRatioF();
    return {static_cast<int>(device.x() / ratio), static_cast<int>(device.y() / ratio)};
}

void GameFixture::Tap(QPoint mouse)
{
    static QPointingDevice* const screen = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
    QWidget* view = m_form->findChild<QWidget*>();
    QTest::touchEvent(view, screen).press(0, ViewPoint(mouse));
    QTest::touchEvent(view, screen).release(0, ViewPoint(mouse));
}

QPoint GameFixture::PictureMouse(int x, int y) const
{
    const AppearanceLayout layout = AppearanceDat::ForAppearance(m_appearance).Layout();
    return {x + layout.XDessin - layout.PointeurOffsetX, y + layout.YDessin - layout.PointeurOffsetY};
}

void GameFixture::ClickPicture(int x, int y)
{
    ClickAt(PictureMouse(x, y));
}

namespace {

QPoint Middle(const std::vector<QPoint>& points)
{
    return points.empty() ? QPoint(-1, -1) : points[points.size() / 2];
}

}  // namespace

// The appearance's images as the game compares them: pixel values in the
// display's format.
struct GameFixture::Skin {
    PixelFormat format;
    TDIB mask, panelMask, keys, colouring, crayons;
    AppearanceLayout layout;

    bool InZone(const TDIB& zones, int x, int y, int zone) const
    {
        return (PixelFromColour(format, zones.PixelColour(x, y)) & 0xFFFFFF) ==
               (PixelFromColour(format, keys.PixelColour(zone, 0)) & 0xFFFFFF);
    }
    // The colour under the hotspot in F_Coloriage for the mouse at (x, y).
    std::uint32_t PaletteColour(int x, int y) const
    {
        return colouring.PixelColour(x + layout.PointeurOffsetX, y + layout.PointeurOffsetY);
    }
    // Every pixel of `zones` in zone `zone` for which `also` holds.
    std::vector<QPoint> Where(const TDIB& zones, int zone, const std::function<bool(int, int)>& also) const
    {
        std::vector<QPoint> points;
        for (int y = 0; y < zones.Height(); ++y)
            for (int x = 0; x < zones.Width(); ++x)
                if (InZone(zones, x, y, zone) && also(x, y))
                    points.emplace_back(x, y);
        return points;
    }
};

GameFixture::Skin GameFixture::LoadSkin() const
{
    const std::string folder = AppearanceFolder();
    const std::string crayons = ResolveContentFile(folder + "M_Crayons.qrvi");
    return {m_form->DXPrincipale.SurfaceFormat(),
            LoadBitmap(folder + "MF_Principale.qrvi"),
            LoadBitmap(folder + "MF_Confirmation.qrvi"),
            LoadBitmap(folder + "M_Couleurs.qrvi"),
            LoadBitmap(folder + "F_Coloriage.qrvi"),
            std::filesystem::exists(crayons) ? LoadBitmap(crayons) : TDIB(),
            AppearanceDat::ForAppearance(m_appearance).Layout()};
}

QPoint GameFixture::ZonePoint(int zone) const
{
    const Skin skin = LoadSkin();
    return Middle(skin.Where(skin.mask, zone, [](int, int) { return true; }));
}

QPoint GameFixture::PanelPoint(int zone) const
{
    const Skin skin = LoadSkin();
    return Middle(skin.Where(skin.panelMask, zone, [](int, int) { return true; })) +
           QPoint(skin.layout.XOuiNon, skin.layout.YouiNon);
}

std::vector<std::uint32_t> GameFixture::PaletteColours() const
{
    // Colours under the hotspot over at least 200 positions of the palette.
    const Skin skin = LoadSkin();
    std::map<std::uint32_t, int> counts;
    std::vector<std::uint32_t> colours;
    skin.Where(skin.mask, kPaletteZone, [&](int x, int y) {
        const std::uint32_t colour = skin.PaletteColour(x, y);
        const bool crayon = skin.crayons.Empty() || skin.crayons.PixelColour(x + skin.layout.PointeurOffsetX,
                                                                             y + skin.layout.PointeurOffsetY) == colour;
        if (crayon && ++counts[colour] == 200 && colour != kWhite && colour != kBlack)
            colours.push_back(colour);
        return false;
    });
    return colours;
}

QPoint GameFixture::PalettePoint(std::uint32_t colour) const
{
    const Skin skin = LoadSkin();
    return Middle(skin.Where(skin.mask, kPaletteZone,
                             [&](int x, int y) { return skin.PaletteColour(x, y) == colour; }));
}

QPoint GameFixture::HotspotMouse(QPoint hotspot) const
{
    const AppearanceLayout layout = AppearanceDat::ForAppearance(m_appearance).Layout();
    return hotspot - QPoint(layout.PointeurOffsetX, layout.PointeurOffsetY);
}

std::vector<ThemePoint> GameFixture::Points() const
{
    const TTheme& entry = PlayList[static_cast<std::size_t>(PlayIndex)];
    const ThemeDat theme(ResolveContentFile(m_dir.path().string() + "/Themes/" + entry.ThemeDir + "theme.dat"));
    const auto picture = static_cast<std::uint32_t>(entry.PictureNo);
    std::vector<ThemePoint> points;
    for (std::int32_t i = 1; i <= theme.NombrePoints(picture); ++i)
        points.push_back(theme.Point(picture, static_cast<std::uint32_t>(i)));
    return points;
}

std::vector<QPoint> GameFixture::RegionPoints() const
{
    const TTheme& entry = PlayList[static_cast<std::size_t>(PlayIndex)];
    const TDIB picture = LoadBitmap(m_dir.path().string() + "/Themes/" + entry.ThemeDir +
                                    ImageFileName(static_cast<std::uint32_t>(entry.PictureNo)));
    const Skin skin = LoadSkin();
    const int y = picture.Height() / 2;
    std::vector<QPoint> points;
    for (int x = 0; x < picture.Width();) {
        int end = x;
        while (end < picture.Width() && picture.PixelColour(end, y) == kWhite)
            ++end;
        const QPoint middle((x + end) / 2, y);
        if (end - x >= 5 && skin.InZone(skin.mask, middle.x() + skin.layout.XDessin - skin.layout.PointeurOffsetX,
                                        y + skin.layout.YDessin - skin.layout.PointeurOffsetY, kPictureZone))
            points.push_back(middle);
        x = end + 1;
    }
    return points;
}

std::uint32_t GameFixture::AtDepth(std::uint32_t colour) const
{
    const PixelFormat format = m_form->DXPrincipale.SurfaceFormat();
    return ColourFromPixel(format, PixelFromColour(format, colour));
}

std::uint32_t GameFixture::PictureColour(QPoint point) const
{
    const TDirectDrawSurface& picture = *m_form->DXDessinSurface;
    return ColourFromPixel(picture.Format(), picture.ColourAt(point.x(), point.y()));
}

void GameFixture::JoinAllDots()
{
    for (const ThemePoint& point : Points())
        ClickPicture(point.X, point.Y);
}

void GameFixture::ExpectPictureStart(int picture) const
{
    EXPECT_EQ(m_form->NumeroImage, picture);
    EXPECT_EQ(m_form->NumeroPoint, 1);
    EXPECT_EQ(m_form->LoadStage, 1);
    EXPECT_FALSE(m_form->ConfirmShown);
    EXPECT_TRUE(SameImage(*m_form->DXDessinSurface,
                          LoadBitmap(ThemeFolder("Essai") + PointsFileName(static_cast<std::uint32_t>(picture)))));
    EXPECT_TRUE(SameImage(*m_form->DXCadreSurface, LoadBitmap(AppearanceFolder() + "F_Principale.qrvi")));
}

testing::AssertionResult GameFixture::SameImage(const TDirectDrawSurface& surface, const TDIB& bitmap)
{
    if (surface.Width() != bitmap.Width() || surface.Height() != bitmap.Height())
        return testing::AssertionFailure() << "size " << surface.Width() << "x" << surface.Height() << " against "
                                           << bitmap.Width() << "x" << bitmap.Height();
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (surface.ColourAt(x, y) != PixelFromColour(surface.Format(), bitmap.PixelColour(x, y)))
                return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                                   << surface.ColourAt(x, y) << ", the bitmap's colour "
                                                   << bitmap.PixelColour(x, y);
    return testing::AssertionSuccess();
}

testing::AssertionResult GameFixture::SameSurface(const TDirectDrawSurface& a, const TDirectDrawSurface& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return testing::AssertionFailure() << "size " << a.Width() << "x" << a.Height() << " against " << b.Width()
                                           << "x" << b.Height();
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.ColourAt(x, y) != b.ColourAt(x, y))
                return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                                   << a.ColourAt(x, y) << " against " << b.ColourAt(x, y);
    return testing::AssertionSuccess();
}

}  // namespace vorlane::test
