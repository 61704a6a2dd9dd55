#include "app/TApplication.h"
#include "app/TfrmAide.h"

#include "support/MessageBoxWatcher.h"

#include "base/Errors.h"

#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

using test::HelpWindow;

class ThrowingObject : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw EFOpenError("/nulle/part/theme.dat");
        return QObject::event(event);
    }
};

// The print dialog's double-sided choices, which the system's Qt
// translations are too old to know, are French; other "Off"s are left alone.
TEST(TApplicationTest, PrintDialogsDoubleSidedChoicesAreFrench)
{
    EXPECT_EQ(QCoreApplication::translate("QPrintSettingsOutput", "Long side binding"), "Reliure sur le bord long");
    EXPECT_EQ(QCoreApplication::translate("QPrintPropertiesDialog", "Advanced"), "Avancé");
    EXPECT_EQ(QCoreApplication::translate("QAbstractSpinBox", "Off"), "Off");
}

TEST(TApplicationTest, ErrorLeavingAnEventIsShownAndTheProgramGoesOn)
{
    test::MessageBoxWatcher watcher;
    ThrowingObject object;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].title, "Vorlane");
    EXPECT_EQ(watcher.Seen()[0].text, "Impossible d'ouvrir le fichier /nulle/part/theme.dat");
    EXPECT_EQ(watcher.Seen()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(watcher.Seen()[0].buttons, QStringList{"OK"});

    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));  // and again: nothing was left broken
    EXPECT_EQ(watcher.Seen().size(), 2u);
}

class FailingWindow : public QObject {
public:
    void btnClick()
    {
        ++clicks;
        throw EWriteError("/lecture/seule/theme.dat");
    }
    int clicks = 0;
};

TEST(TApplicationTest, ErrorOfAConnectedHandlerIsShownAndTheButtonWorksAgain)
{
    test::MessageBoxWatcher watcher;
    QPushButton button("&Lancer le programme");
    FailingWindow window;
    QObject::connect(&button, &QPushButton::clicked, &window, TApplication::Handler(&window, &FailingWindow::btnClick));
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(window.clicks, 2);
    EXPECT_EQ(watcher.Texts(), QStringList({"Impossible d'écrire dans /lecture/seule/theme.dat",
                                            "Impossible d'écrire dans /lecture/seule/theme.dat"}));
    EXPECT_FALSE(button.isDown());
}

TEST(TApplicationTest, GuardedShowsTheErrorAndLetsTheCallerGoOn)
{
    test::MessageBoxWatcher watcher;
    bool after = false;
    TApplication::Guarded([] { throw EVorlaneError("Image bitmap incorrecte"); });
    TApplication::Guarded([] { throw 42; });
    after = true;
    EXPECT_TRUE(after);
    ASSERT_EQ(watcher.Seen().size(), 2u);
    EXPECT_EQ(watcher.Seen()[0].text, "Image bitmap incorrecte");
    EXPECT_EQ(watcher.Seen()[1].icon, QMessageBox::Critical);
}

TEST(TApplicationTest, HelpOpensAtTheContentsPageEvenAfterBrowsingAway)
{
    TApplication::SetHelpFile(VORLANE_PROGRAM_DIR "/Aide/index.html");
    TApplication::HelpContents();
    TfrmAide* help = HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowModality(), Qt::NonModal);
    EXPECT_TRUE(help->Browser()->source().path().endsWith("/Aide/index.html"));
    EXPECT_TRUE(help->Browser()->toPlainText().contains("Sommaire"));

    // Every page the contents page names is there.
    const QUrl contents = help->Browser()->source();
    for (const char* page : {"jouer.html", "lanceur.html", "impressions.html", "creer-theme.html", "creer-apparence.html",
                             "dossiers.html"}) {
        help->Browser()->setSource(contents.resolved(QUrl(QString::fromLatin1(page))));
        EXPECT_TRUE(help->Browser()->source().path().endsWith(QStringLiteral("/Aide/") + page)) << page;
        EXPECT_FALSE(help->Browser()->toPlainText().trimmed().isEmpty()) << page;
    }
    TApplication::HelpContents();
    EXPECT_TRUE(help->Browser()->source().path().endsWith("/Aide/index.html"));
    help->close();
}

TEST(TApplicationTest, MissingHelpFileIsSaidInTheHelpWindow)
{
    TApplication::SetHelpFile("/nulle/part/Aide/index.html");
    TApplication::HelpContents();
    TfrmAide* help = HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->Browser()->toPlainText().contains("/nulle/part/Aide/index.html"));
    help->close();
    TApplication::SetHelpFile(VORLANE_PROGRAM_DIR "/Aide/index.html");
}

TEST(TApplicationTest, HelpOpenedFromAModalWindowCanBeUsed)
{
    TApplication::SetHelpFile(VORLANE_PROGRAM_DIR "/Aide/index.html");
    QDialog modal;
    QWidget* activeWhileHelpShown = nullptr;
    QTimer::singleShot(0, &modal, [&] {
        TApplication::HelpContents();
        activeWhileHelpShown = QApplication::activeModalWidget();
        HelpWindow()->close();
        modal.accept();
    });
    modal.exec();
    EXPECT_EQ(activeWhileHelpShown, HelpWindow());

    // Opened again with nothing modal, it is an ordinary window once more.
    TApplication::HelpContents();
    EXPECT_EQ(HelpWindow()->windowModality(), Qt::NonModal);
    HelpWindow()->close();
}

}  // namespace
}  // namespace vorlane
