#pragma once

#include <QPushButton>
#include <QRect>
#include <QString>

namespace vorlane {

// A push button placed by hand and named for the tests. None is ever its
// window's default: the windows decide what Return does (see their keyPressEvent).
inline QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

}  // namespace vorlane
