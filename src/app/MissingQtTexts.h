#pragma once

#include <QTranslator>

namespace vorlane {

// The French of the few texts of Qt's print dialog that the system's Qt
// translations (qt6-translations-l10n 6.4) lack, being newer than them: the
// "Double Sided Printing" choices and the "Advanced" tab. Asked before the
// system's translations; every other text goes on to them.
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

}  // namespace vorlane
