#pragma once

// A program folder with themes of one-colour pictures, a print manager over
// its catalogue, a printer that records what it is asked to print, and
// answers to the removal question given in advance.

#include "content/ContentCatalogue.h"
#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "content/ThemeDat.h"
#include "display/TDIB.h"
#include "print/PicturePreview.h"
#include "print/Printer.h"
#include "print/TfrmImpression.h"
#include "print/zipUnzip.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorlane::test {

// One colour 0x00BBGGRR over the whole bitmap.
inline TDIB SolidBitmap(int width, int height, std::uint32_t colour)
{
    TDIB bitmap;
    bitmap.SetSize24(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(colour >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(colour >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(colour);
        }
    }
    return bitmap;
}

inline void SaveBitmap(const TDIB& bitmap, const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    bitmap.SaveBitmapStream(bytes);
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

// What the print manager asked of the printer.
struct PrintRecord {
    std::vector<std::string> calls;  // "BeginDoc", "DrawPicture", "EndDoc" in order
    QString jobName;
    QRect target;
    QSize imageSize;
    QRgb topLeft = 0;
    SmoothPicture::Ink ink = SmoothPicture::Ink::AsDrawn;
};

class RecordingPrinter : public Printer {
public:
    RecordingPrinter(PrintRecord& record, QSize page) : m_record(record), m_page(page) {}

    bool failDrawing = false;

protected:
    void BeginDoc(const QString& jobName) override
    {
        m_record.calls.push_back("BeginDoc");
        m_record.jobName = jobName;
    }
    QSize PageSize() const override { return m_page; }
    void DrawPicture(const QRect& target, const QImage& image, SmoothPicture::Ink ink) override
    {
        m_record.calls.push_back("DrawPicture");
        if (failDrawing)
            throw EPrinterError("plus de papier");
        m_record.target = target;
        m_record.imageSize = image.size();
        m_record.topLeft = image.pixel(0, 0);
        m_record.ink = ink;
    }
    void EndDoc() override { m_record.calls.push_back("EndDoc"); }

private:
    PrintRecord& m_record;
    QSize m_page;
};

// The colours of the three forms, so that a preview or a page tells which it shows.
inline constexpr std::uint32_t kDotsColour = 0xFF0000;     // blue
inline constexpr std::uint32_t kPictureColour = 0x00FF00;  // green
inline constexpr std::uint32_t kColouredColour = 0x0000FF; // red

class PrintManagerTest : public ::testing::Test {
protected:
    PrintManagerTest() : m_savedFolder(ContentPlaces::Current().ProgramFolder()), m_savedLocale(QLocale())
    {
        ContentPlaces::Settle(m_dir.path().string());
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        std::filesystem::create_directories(m_dir.path() / "Themes");
        form.SetPrinter(std::make_unique<RecordingPrinter>(printed, QSize(3300, 2400)));
        form.SetCatalogue(&catalogue);
        form.SetHighlightedTheme([this] { return highlighted; });
        form.SetQuestionRunner([this](QMessageBox& box) {
            SeenQuestion seen{box.windowTitle(), box.text(), box.icon(), {}, {}};
            for (QAbstractButton* button : box.buttons())
                seen.buttons << button->text();
            if (box.defaultButton() != nullptr)
                seen.defaultButton = box.defaultButton()->text();
            questions.push_back(seen);
            return answer;
        });
    }
    ~PrintManagerTest() override
    {
        ContentPlaces::Settle(m_savedFolder);
        QLocale::setDefault(m_savedLocale);
    }

    // A theme of `count` pictures, without picture files.
    void AddTheme(const std::string& name, int count)
    {
        std::filesystem::create_directories(m_dir.path() / "Themes" / name);
        WriteFile(ThemeFile(name), "[General]\nVersion=1\nSubVersion=0\nNom=Vorlane\nNombreImages=" +
                                       std::to_string(count) + "\n");
    }
    // Picture `number` of `theme`: its dots and its picture to colour, 800 × 600,
    // with the printable mark and the coloured picture as asked.
    void AddPicture(const std::string& theme, std::uint32_t number, bool marked, bool coloured)
    {
        SaveBitmap(SolidBitmap(800, 600, kDotsColour), ThemePath(theme) + PointsFileName(number));
        SaveBitmap(SolidBitmap(800, 600, kPictureColour), ThemePath(theme) + ImageFileName(number));
        if (marked)
            ThemeDat(ThemeFile(theme)).WriteImprimer(number, true);
        if (coloured)
            ZipBitmap(SolidBitmap(800, 600, kColouredColour), ThemePath(theme) + CouleurFileName(number));
    }
    // Scans the folder and opens the window as the launcher does.
    void Open()
    {
        catalogue.Scan();
        form.TreeViewRefresh();
        form.show();
        Settle();
    }
    // Lets queued handlers run.
    static void Settle() { QCoreApplication::processEvents(); }

    QTreeWidgetItem* Node(const QString& theme, const QString& picture = {}) const
    {
        for (int i = 0; i < form.tvThemes->topLevelItemCount(); ++i) {
            QTreeWidgetItem* node = form.tvThemes->topLevelItem(i);
            if (node->text(0) != theme)
                continue;
            if (picture.isEmpty())
                return node;
            for (int j = 0; j < node->childCount(); ++j) {
                if (node->child(j)->text(0) == picture)
                    return node->child(j);
            }
        }
        return nullptr;
    }
    // Selects a node as a click on it does.
    void Select(QTreeWidgetItem* node)
    {
        ASSERT_NE(node, nullptr);
        form.tvThemes->setCurrentItem(node);
        Settle();
    }

    enum class Shown { Available, NotAvailable, Reset };
    // The state a column shows, read from its controls; fails on a mixture.
    static Shown ColumnShows(const QPushButton* print, const QPushButton* clear, const QPushButton* savePdf,
                             const QLabel* hint, const QLabel* alert)
    {
        const bool enabled = print->isEnabled();
        EXPECT_EQ(clear->isEnabled(), enabled);
        EXPECT_EQ(savePdf->isEnabled(), enabled);
        EXPECT_EQ(!hint->isHidden(), enabled);
        if (enabled) {
            EXPECT_TRUE(alert->isHidden());
            return Shown::Available;
        }
        return alert->isHidden() ? Shown::Reset : Shown::NotAvailable;
    }
    Shown ImageColumn() const
    {
        return ColumnShows(form.btnPrintImage, form.btnClear, form.btnSavePdfImage, form.lblClearHint,
                           form.lblImageCommentAlert);
    }
    Shown ColorColumn() const
    {
        EXPECT_EQ(form.btnSaveImage->isEnabled(), form.btnPrintColor->isEnabled());
        return ColumnShows(form.btnPrintColor, form.btnClearColor, form.btnSavePdfColor, form.lblClearColorHint,
                           form.lblImageColorAlert);
    }

    struct SeenQuestion {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QStringList buttons;
        QString defaultButton;
    };

    TempDir m_dir;
    std::string m_savedFolder;
    QLocale m_savedLocale;
    ContentCatalogue catalogue;
    TfrmImpression form;
    PrintRecord printed;
    std::string highlighted;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    std::vector<SeenQuestion> questions;
};

}  // namespace vorlane::test
