#pragma once

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QListWidget;

namespace vorlane {

class ContentPlaces;

// "Rouvrir un dessin": the pictures the atelier added to the user's own
// themes, theme by theme, to pick one to edit again.
class ReopenDialog : public QDialog {
    Q_OBJECT
public:
    // Opens on `theme` when it holds such pictures.
    ReopenDialog(const ContentPlaces& places, const std::string& theme, QWidget* parent = nullptr);

    bool HasPictures() const { return !m_themes.empty(); }
    std::string Theme() const;
    int Picture() const;

    QComboBox* cBTheme;
    QListWidget* lbImages;

private:
    void cBThemeChange();

    struct ThemePictures {
        std::string theme;
        std::vector<std::pair<int, std::string>> pictures;
    };
    std::vector<ThemePictures> m_themes;
};

}  // namespace vorlane
