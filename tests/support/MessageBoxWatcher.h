#pragma once

// Answers the message boxes a handler shows, and remembers what they said, so
// that a test can drive handlers that stop on a modal box; finds the help window.

#include "app/TfrmAide.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <vector>

namespace vorlane::test {

struct SeenMessageBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QStringList buttons;
};

class MessageBoxWatcher {
public:
    MessageBoxWatcher()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible())
                return;
            QStringList buttons;
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            m_seen.push_back({box->windowTitle(), box->text(), box->icon(), buttons});
            box->buttons().front()->click();
        });
        m_timer.start();
    }

    const std::vector<SeenMessageBox>& Seen() const { return m_seen; }
    QStringList Texts() const
    {
        QStringList texts;
        for (const SeenMessageBox& box : m_seen)
            texts << box.text;
        return texts;
    }

private:
    QTimer m_timer;
    std::vector<SeenMessageBox> m_seen;
};

// The program's help window, once something has opened it.
inline TfrmAide* HelpWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* help = qobject_cast<TfrmAide*>(widget))
            return help;
    }
    return nullptr;
}

}  // namespace vorlane::test
