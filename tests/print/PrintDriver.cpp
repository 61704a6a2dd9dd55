// Drives the print manager from a script that watches a real printer:
//
//   vorlane_print_driver make-theme FOLDER [DEMO_FOLDER]
//       writes a program folder with the theme "Animaux", whose picture 1 has
//       its three forms: dots 800 × 600 in blue, picture to colour 800 × 600
//       in light green (marked printable), coloured picture 1000 × 300 in red;
//       picture 2 has its dots and picture to colour only. With DEMO_FOLDER,
//       also the demo theme "La ferme" from there, its picture 1 (the egg)
//       marked printable.
//   vorlane_print_driver print FOLDER THEME PICTURE BUTTON...
//       opens the print manager over FOLDER, selects PICTURE of THEME and
//       presses each print BUTTON (its component name) in turn.
//   vorlane_print_driver show FOLDER MILLISECONDS [THEME PICTURE]
//       shows the print manager, with PICTURE selected if given, for a while
//       (to look at it, or take a picture of the screen).
//   vorlane_print_driver cahier FOLDER THEME
//       prints the default booklet of THEME as a folded book on the default
//       printer, both sides turned on the short edge, as the booklet window
//       sets the print dialog for it.
//   vorlane_print_driver edge-share IMAGE
//       prints the share of the edges of a rasterised page that lie along
//       the pixel grid (see EdgeShare.h).
//
// An error is written to the standard error with exit code 2, as the
// application would show it in its box.
#include "content/ContentCatalogue.h"
#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "content/ThemeDat.h"
#include "EdgeShare.h"
#include "display/TDIB.h"
#include "print/Booklet.h"
#include "print/TfrmImpression.h"
#include "print/zipUnzip.h"

#include <QApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace vorlane;

namespace {

TDIB Solid(int width, int height, std::uint32_t colour)
{
    TDIB bitmap;
    bitmap.SetSizeIndexed(width, height, {colour});
    return bitmap;
}

void Save(const TDIB& bitmap, const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    bitmap.SaveBitmapStream(bytes);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

void MakeTheme(const std::string& folder, const QString& demoFolder)
{
    ContentPlaces::Settle(folder);
    std::filesystem::create_directories(ThemePath("Animaux"));
    std::ofstream(ThemeFile("Animaux")) << "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\nNombreImages=2\n";
    for (std::uint32_t picture : {1u, 2u}) {
        Save(Solid(800, 600, 0xFF0000), ThemePath("Animaux") + PointsFileName(picture));
        Save(Solid(800, 600, 0x90EE90), ThemePath("Animaux") + ImageFileName(picture));
    }
    ThemeDat(ThemeFile("Animaux")).WriteImprimer(1, true);
    TDIB coloured;
    coloured.SetSize24(1000, 300);
    for (int y = 0; y < coloured.Height(); ++y) {
        for (int x = 0; x < coloured.Width(); ++x)
            coloured.ScanLine(y)[3 * x + 2] = 0xFF;
    }
    ZipBitmap(coloured, ThemePath("Animaux") + CouleurFileName(1));
    if (!demoFolder.isEmpty()) {
        std::filesystem::copy(demoFolder.toStdString() + "/Themes/La ferme", ThemePath("La ferme"),
                              std::filesystem::copy_options::recursive);
        ThemeDat(ThemeFile("La ferme")).WriteImprimer(1, true);
    }
}

// The print manager over the program folder `folder`, as the launcher opens it.
struct Manager {
    explicit Manager(const std::string& folder)
    {
        ContentPlaces::Settle(folder);
        catalogue.Scan();
        form.SetCatalogue(&catalogue);
        form.TreeViewRefresh();
    }

    // Selects a picture node, as a click on it does.
    bool Select(const QString& theme, const QString& picture)
    {
        for (int i = 0; i < form.tvThemes->topLevelItemCount(); ++i) {
            QTreeWidgetItem* node = form.tvThemes->topLevelItem(i);
            for (int j = 0; node->text(0) == theme && j < node->childCount(); ++j) {
                if (node->child(j)->text(0) == picture) {
                    form.tvThemes->setCurrentItem(node->child(j));
                    form.tvThemesChange();
                    return true;
                }
            }
        }
        std::cerr << "pas d'image " << picture.toStdString() << " dans " << theme.toStdString() << "\n";
        return false;
    }

    ContentCatalogue catalogue;  // before the form, which reads it until its end
    TfrmImpression form;
};

int Print(const std::string& folder, const QString& theme, const QString& picture, const QStringList& buttons)
{
    Manager manager(folder);
    if (!manager.Select(theme, picture))
        return 2;
    for (const QString& name : buttons) {
        auto* button = manager.form.findChild<QPushButton*>(name);
        if (button == nullptr || !button->isEnabled()) {
            std::cerr << "bouton " << name.toStdString() << " absent ou désactivé\n";
            return 2;
        }
        manager.form.btnPrintImageDotsOnlyClick(button);
        std::cout << "printed " << name.toStdString() << std::endl;
    }
    return 0;
}

int PrintBooklet(const std::string& folder, const std::string& theme)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull()) {
        std::cerr << "Aucune imprimante par défaut sélectionnée\n";
        return 2;
    }
    QPrinter device(printer, QPrinter::HighResolution);
    device.setPageOrientation(QPageLayout::Landscape);
    device.setDuplex(QPrinter::DuplexShortSide);
    BookletOptions options;
    options.layout = BookletOptions::Layout::FoldedBook;
    const std::optional<Booklet> booklet = MakeBooklet(ContentPlaces(folder), {theme}, options);
    booklet->pages.Print(device);
    std::cout << "printed " << booklet->pages.SideCount() << " sides" << std::endl;
    return 0;
}

int Show(const std::string& folder, int milliseconds, const QStringList& picture)
{
    Manager manager(folder);
    if (picture.size() == 2 && !manager.Select(picture[0], picture[1]))
        return 2;
    QTimer::singleShot(milliseconds, &manager.form, &QDialog::close);
    manager.form.exec();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    try {
        if ((arguments.size() == 3 || arguments.size() == 4) && arguments[1] == "make-theme") {
            MakeTheme(arguments[2].toStdString(), arguments.value(3));
            return 0;
        }
        if (arguments.size() == 3 && arguments[1] == "edge-share") {
            const QImage page(arguments[2]);
            if (page.isNull()) {
                std::cerr << "image illisible : " << arguments[2].toStdString() << "\n";
                return 2;
            }
            std::cout << test::AxisAlignedEdgeShare(page) << std::endl;
            return 0;
        }
        if ((arguments.size() == 4 || arguments.size() == 6) && arguments[1] == "show")
            return Show(arguments[2].toStdString(), arguments[3].toInt(), arguments.mid(4));
        if (arguments.size() == 4 && arguments[1] == "cahier")
            return PrintBooklet(arguments[2].toStdString(), arguments[3].toStdString());
        if (arguments.size() >= 6 && arguments[1] == "print")
            return Print(arguments[2].toStdString(), arguments[3], arguments[4], arguments.mid(5));
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 2;
    }
    std::cerr << "usage: vorlane_print_driver make-theme FOLDER [DEMO_FOLDER] | print FOLDER THEME PICTURE BUTTON...\n"
                 "       | cahier FOLDER THEME | show FOLDER MILLISECONDS [THEME PICTURE] | edge-share IMAGE\n";
    return 1;
}
