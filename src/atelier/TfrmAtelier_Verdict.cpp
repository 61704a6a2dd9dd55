// What the parent is told about the page before adding it: the judge's
// verdict under the picture, and the line the child will draw.
#include "atelier/TfrmAtelier.h"

#include "atelier/DotEditor.h"
#include "authoring/PictureJudge.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>

#include <cmath>

namespace vorlane {

namespace {
const QColor kGood(0x2E, 0x7D, 0x32);
const QColor kDoubtful(0xE6, 0x51, 0x00);
}  // namespace

void TfrmAtelier::ShowVerdict()
{
    if (m_state.drawing == nullptr) {
        lblQualite->clear();
        m_faults = {};
        ShowMarks();
        return;
    }
    const PageVerdict verdict = [&] {
        if (const JudgedDots* judged = Judged(m_state.dots))
            return judged->verdict;
        JudgedPage page{m_dotsPicture, m_state.drawing->PictureToColour(), {}, m_state.options.lineWidth};
        for (const Dot& dot : m_state.dots)
            page.dots.push_back(dot.position);
        return PictureJudge::Judge(page);
    }();
    m_faults = PageFaults::Of(verdict, *m_state.drawing, m_state.dots, m_state.options);
    ShowMarks();
    lblQualite->setStyleSheet(QStringLiteral("color: %1;").arg((m_faults.good ? kGood : kDoubtful).name()));
    QString line = QString::fromStdString(m_faults.line);
    // Fewer dots than the drawing needs: the count that keeps every part.
    if (!verdict[Criterion::Parts].passed && static_cast<int>(m_state.dots.size()) < m_state.proposedCount)
        line += QStringLiteral(" Avec %1 points, aucune partie ne se perd.").arg(m_state.proposedCount);
    lblQualite->setText(line);
    // The figures behind it, for the curious; how much of the outline the
    // dots page already shows says how big the surprise will be.
    lblQualite->setToolTip(
        QStringLiteral("Écart entre le trait de l'enfant et le contour : %1 %\n"
                       "Contour déjà visible sur la page à points : %2 %")
            .arg(verdict[Criterion::Similarity].figure, 0, 'f', 1)
            .arg(std::lround(100 * verdict.shownOutline)));
}

void TfrmAtelier::ShowMarks()
{
    if (rbPoints->isChecked()) {
        std::vector<QPoint> rings = m_faults.dots;
        rings.insert(rings.end(), m_faults.places.begin(), m_faults.places.end());
        Editor->SetMarks(rings, m_faults.labels);
    } else {
        Editor->SetMarks(m_faults.openings, {});
    }
}

// As the game draws it: from the first dot to the last, not closed.
QImage TfrmAtelier::WithChildsLine(QImage picture, const std::vector<Dot>& dots, const DotOptions& options)
{
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(options.lineColour, options.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygonF line;
    for (const Dot& dot : dots)
        line << QPointF(dot.position) + QPointF(0.5, 0.5);
    painter.drawPolyline(line);
    return picture;
}

// Themes made elsewhere meanwhile (another atelier, the content tool, a copy)
// are in the list as soon as the parent comes back to the window.
void TfrmAtelier::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FillThemes();
}

}  // namespace vorlane
