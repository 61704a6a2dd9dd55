#pragma once

#include <QApplication>

namespace vorlane {

// The busy pointer while a long piece of work runs (a drawing traced, a
// booklet made), put back whatever way the work ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace vorlane
