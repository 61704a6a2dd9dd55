#include "app/TApplication.h"
#include "app/TfrmAide.h"
#include "launcher/TfrmAbout.h"

#include "support/MessageBoxWatcher.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

using test::HelpWindow;

// Stands in for the desktop's browser and mail client.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder()
    {
        QDesktopServices::setUrlHandler("https", this, "Open");
        QDesktopServices::setUrlHandler("mailto", this, "Open");
    }
    ~UrlRecorder() override
    {
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("mailto");
    }
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened << url; }
};

TEST(TfrmAboutTest, ShowsNameVersionAndIsBorderless)
{
    TfrmAbout about;
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("Vorlane"));
    EXPECT_TRUE(texts.contains("Version 1.10"));
    EXPECT_EQ(about.btnOk->text(), "&Ok");
}

TEST(TfrmAboutTest, LinksOpenTheBrowserAndTheMailClient)
{
    UrlRecorder recorder;
    TfrmAbout about;
    about.show();
    // A click on the link text itself, as the user makes it.
    for (QLabel* link : {about.lblSite, about.lblCourriel})
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(8, link->height() / 2));
    EXPECT_EQ(recorder.opened,
              QList<QUrl>({QUrl("https://vorlane.example.org"), QUrl("mailto:contact@vorlane.example.org")}));
}

TEST(TfrmAboutTest, OkClosesTheModalBoxCentredOnTheScreen)
{
    TfrmAbout about;
    QPoint centre;
    QTimer::singleShot(0, &about, [&] {
        centre = about.frameGeometry().center();
        QTest::mouseClick(about.btnOk, Qt::LeftButton);
    });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((centre - screenCentre).manhattanLength(), 2);
}

TEST(TfrmAboutTest, DraggedByAnyPointWithoutPressingWhatIsUnderThePointer)
{
    TfrmAbout about;
    about.show();
    for (QWidget* grip : {static_cast<QWidget*>(&about), static_cast<QWidget*>(about.btnOk)}) {
        const QPoint before = about.pos();
        const QPoint start(5, 5);
        QTest::mousePress(grip, Qt::LeftButton, {}, start);
        // QTest's moves carry no button; send the real thing.
        QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(40, 30)), grip->mapToGlobal(QPointF(start + QPoint(40, 30))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grip, &move);
        QTest::mouseRelease(grip, Qt::LeftButton, {}, start + QPoint(40, 30));
        EXPECT_EQ(about.pos(), before + QPoint(40, 30));
    }
    EXPECT_TRUE(about.isVisible());  // the drag that began on "&Ok" did not close the box
    EXPECT_FALSE(about.btnOk->isDown());
}

TEST(TfrmAboutTest, F1OpensTheHelpOverTheModalBox)
{
    TApplication::SetHelpFile(VORLANE_PROGRAM_DIR "/Aide/index.html");
    TfrmAbout about;
    QWidget* modalWithHelp = nullptr;
    QTimer::singleShot(0, &about, [&] {
        QTest::keyRelease(&about, Qt::Key_F1);
        modalWithHelp = QApplication::activeModalWidget();
        HelpWindow()->close();
        about.accept();
    });
    about.exec();
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_EQ(modalWithHelp, HelpWindow());
}

}  // namespace
}  // namespace vorlane

#include "TfrmAboutTest.moc"
