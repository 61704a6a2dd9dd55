#include "TracedDrawing.h"

#include "base/Errors.h"

namespace vorlane {

TracedDrawing TracedDrawing::FromFile(const QString& path, QSize)
{
    throw EFOpenError(path.toStdString());
}

TracedDrawing TracedDrawing::FromImage(const QImage&, QSize)
{
    throw EVorlaneError("Le traceur n'est pas encore prêt");
}

TracedDrawing TracedDrawing::FromBytes(const QByteArray&, const QString&, QSize)
{
    throw EVorlaneError("Le traceur n'est pas encore prêt");
}

}  // namespace vorlane
