#pragma once

#include <QDialog>

namespace vorlane {

// The print manager window, opened modally from the launcher.
// FIXME: only the empty window for now; its tree, previews and printing come
// with the print manager.
class TfrmImpression : public QDialog {
    Q_OBJECT
public:
    explicit TfrmImpression(QWidget* parent = nullptr);

    // Rebuilds the tree of themes and pictures; the launcher calls it before
    // each opening.
    void TreeViewRefresh();
};

// The print manager of the running program, created at start-up.
inline TfrmImpression* frmImpression = nullptr;

}  // namespace vorlane
