#include "print/TfrmImpression.h"

namespace vorlane {

TfrmImpression::TfrmImpression(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImpression"));
    setWindowTitle(QStringLiteral("Vorlane - Gestion des impressions"));
    setFixedSize(815, 413);
}

void TfrmImpression::TreeViewRefresh()
{
}

}  // namespace vorlane
