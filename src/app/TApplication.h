#pragma once

#include "app/MissingQtTexts.h"

#include <QApplication>
#include <QString>
#include <QTranslator>

#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vorlane {

class TfrmAide;

// The application object: the title, the help file and the general error
// handler. Every exception that leaves an event or a handler ends here, is
// shown in a "Vorlane" box with the error icon, and the program goes on.
// Handlers connected through Handler() show their errors themselves, before
// they reach Qt's code; notify() catches what leaves any other handler.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // The one place errors are shown: "Vorlane" title, critical icon, OK.
    static void ShowException(const std::exception& error);
    static void ShowException(const QString& message);

    // Tells what the start moved where the user sees it (ContentPlaces::Moved):
    // one information box "Vorlane" over `over` once it shows, none when
    // nothing moved.
    static void TellMoved(const std::vector<std::string>& moved, QWidget* over);

    // Runs `action`; an error it raises is shown and the caller goes on.
    // Used where the program must go on past a failed step (window creation,
    // each write at close) without the error crossing Qt's own frames.
    template <class Action>
    static void Guarded(Action&& action)
    {
        try {
            std::forward<Action>(action)();
        } catch (const std::exception& error) {
            ShowException(error);
        } catch (...) {
            ShowException(UnknownErrorText());
        }
    }

    // A slot for connect() that runs `handler` and shows the error it raises
    // right there: an exception that unwinds through Qt's own code would leave
    // it half done (events never freed), so none is let out of a handler.
    template <class Object>
    static auto Handler(Object* object, void (Object::*handler)())
    {
        return [object, handler] { Guarded([object, handler] { (object->*handler)(); }); };
    }

    // The help contents page (index.html of the Aide folder).
    static void SetHelpFile(const QString& path);
    static QString HelpFile();

    // Opens the help window at its contents page, over whatever window is
    // modal at the moment so that it can be read and used from there too.
    static void HelpContents();

private:
    static QString UnknownErrorText();
    static TApplication* Instance();

    QTranslator m_qtTexts;  // Qt's own texts in French: the system's file and print dialogs
    MissingQtTexts m_missingQtTexts;  // those of the print dialog the system's lack
    QString m_helpFile;
    std::unique_ptr<TfrmAide> m_help;  // made on first use; gone before the application
};

}  // namespace vorlane
